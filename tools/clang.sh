# Sourced by tools/build.sh and tools/setup.sh: which clang the native
# configurations use. They need the compiler and its runtime libraries (the
# sanitizers and libFuzzer, Debian's libclang-rt-N-dev); the newest clang
# installed with them is taken.

# Version numbers of the installed clang++-N, newest first.
zw_clang_versions() {
  local compiler
  for compiler in /usr/bin/clang++-[0-9]*; do
    [[ -x $compiler ]] && echo "${compiler##*-}"
  done | sort -rn
}

# Whether clang N has the runtime libraries the native checks link.
zw_clang_has_runtime() {
  local lib=/usr/lib/llvm-$1/lib/clang/*/lib/*
  compgen -G "$lib/libclang_rt.fuzzer[-.]*" >/dev/null &&
    compgen -G "$lib/libclang_rt.tsan[-.]*" >/dev/null &&
    compgen -G "$lib/libclang_rt.asan[-.]*" >/dev/null
}

# Prints N of the newest usable clang; fails, saying what is needed, if none.
zw_clang_version() {
  local n
  for n in $(zw_clang_versions); do
    if zw_clang_has_runtime "$n"; then
      echo "$n"
      return 0
    fi
  done
  echo "no clang with its runtime libraries: install clang-N and libclang-rt-N-dev" \
    "(tools/setup.sh installs clang-14 and libclang-rt-14-dev)" >&2
  return 1
}
