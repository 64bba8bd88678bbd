#!/usr/bin/env bash
# Configures and builds one configuration of the project.
#
#   tools/build.sh native   portable core and its tests, ASan + UBSan (clang)
#   tools/build.sh tsan     the thread hand-over tests under ThreadSanitizer (clang)
#   tools/build.sh win32    the 32-bit Windows program and every test
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
config=$1
build=$root/build/$config

case $config in
  native)
    args=(-DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14
          -DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  tsan)
    args=(-DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14
          -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZW_SANITIZERS=thread) ;;
  win32)
    args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"
          -DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  *)
    echo "build: unknown configuration '$config'" >&2
    exit 2 ;;
esac

if [[ ! -f $build/build.ninja ]]; then
  cmake -S "$root" -B "$build" -G Ninja "${args[@]}" >/dev/null
fi
cmake --build "$build" -- -j"$(nproc)"
