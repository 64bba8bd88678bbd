#!/usr/bin/env bash
# Configures and builds one configuration of the project.
#
#   tools/build.sh native   portable core and its tests, ASan + UBSan (clang)
#   tools/build.sh tsan     the thread hand-over tests under ThreadSanitizer (clang)
#   tools/build.sh win32    the 32-bit Windows program, the 32-bit plug-in DLL and every test
#   tools/build.sh win64    the 64-bit plug-in DLL and its test
#   tools/build.sh bench    the benchmarks, native Release without sanitizers, tuned to
#                           this machine (the copy floor's memcpy uses its vector
#                           units, so the analysis may too)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
config=$1
build=$root/build/$config
targets=()

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
  win64)
    args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake"
          -DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  bench)
    args=(-DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14
          -DCMAKE_BUILD_TYPE=Release -DZW_SANITIZERS= -DZW_BENCHMARKS=ON
          -DCMAKE_CXX_FLAGS=-march=native)
    targets=(--target process_bench) ;;
  *)
    echo "build: unknown configuration '$config'" >&2
    exit 2 ;;
esac

if [[ ! -f $build/build.ninja ]]; then
  cmake -S "$root" -B "$build" -G Ninja "${args[@]}" >/dev/null
fi
cmake --build "$build" "${targets[@]}" -- -j"$(nproc)"
