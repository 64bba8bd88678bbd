#!/usr/bin/env bash
# Configures and builds one configuration of the project.
#
#   tools/build.sh native   portable core and its tests, ASan + UBSan (clang)
#   tools/build.sh tsan     the thread hand-over tests under ThreadSanitizer (clang)
#   tools/build.sh win32    the 32-bit Windows program, the 32-bit plug-in DLL and every test
#   tools/build.sh win64    the 64-bit plug-in DLL and its test
#   tools/build.sh release  the native programs users get (zwreport, the LV2 bundle):
#                           optimised for any x86-64, no sanitizers, the C++ runtime
#                           linked in, no build paths in the binaries; and the tests
#                           that load the bundle into real hosts
#   tools/build.sh bench    the benchmarks, native Release without sanitizers, tuned to
#                           this machine (the copy floor's memcpy uses its vector
#                           units, so the analysis may too)
#
# Targets after the configuration build only those (tools/dist.py builds
# the shipped files this way).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
config=$1
build=$root/build/$config
targets=()

# The native configurations take the newest clang installed with its
# sanitizer and fuzzer libraries (tools/clang.sh).
clang=()
if [[ $config == native || $config == tsan || $config == release || $config == bench ]]; then
  source "$root/tools/clang.sh"
  n=$(zw_clang_version)
  clang=(-DCMAKE_C_COMPILER="clang-$n" -DCMAKE_CXX_COMPILER="clang++-$n")
fi

case $config in
  native)
    args=("${clang[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  tsan)
    args=("${clang[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZW_SANITIZERS=thread) ;;
  win32)
    args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"
          -DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  win64)
    args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake"
          -DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  release)
    args=("${clang[@]}" -DCMAKE_BUILD_TYPE=Release -DZW_SANITIZERS= -DZW_SHIPPED=ON) ;;
  bench)
    args=("${clang[@]}" -DCMAKE_BUILD_TYPE=Release -DZW_SANITIZERS= -DZW_BENCHMARKS=ON
          -DCMAKE_CXX_FLAGS=-march=native)
    targets=(--target process_bench zwreport report_read_floor) ;;
  *)
    echo "build: unknown configuration '$config'" >&2
    exit 2 ;;
esac
if (($# > 1)); then
  targets=(--target "${@:2}")
fi

# A folder configured with other arguments (another compiler, other flags)
# is configured afresh, so that nothing of the old configuration stays.
stamp=$build/zw-configure-args
wanted=$(printf '%s\n' "${args[@]}")
if [[ ! -f $build/build.ninja || ! -f $stamp || $(<"$stamp") != "$wanted" ]]; then
  [[ -f $stamp ]] && echo "build: $config has new arguments; configuring it afresh" >&2
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles" "$stamp"
  cmake -S "$root" -B "$build" -G Ninja "${args[@]}" >/dev/null
  echo "$wanted" >"$stamp"
fi
cmake --build "$build" "${targets[@]}" -- -j"$(nproc)"
