#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test the program.
# Does nothing (and needs no network) when everything is already there.
set -euo pipefail

# The fonts the program's text is drawn with under Wine: Arial is Liberation
# Sans (metric-compatible), "Small Fonts" and Wingdings are Wine's own.
# Without them fontconfig hands Wine whatever face the machine has. sox
# writes the WAV files of other tools for the end-to-end tests. The report
# draws its pictures through libstb-dev's headers, and reads the formats
# beyond WAV through libsndfile (found with pkg-config). The LV2 plug-in
# builds on the format's own headers (lv2-dev) and is tried in Debian's LV2
# tools: lilv-utils, serdi and sordi (lv2_validate's checker); its benchmark
# drives plug-ins through liblilv; its package's dependencies come from
# dpkg-shlibdeps (dpkg-dev). Its panel is plain Xlib (libx11-dev).
packages=(
  g++-mingw-w64-i686 mingw-w64-tools binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 libasound2-plugins:i386
  xvfb xauth xdotool imagemagick x11-apps
  fonts-liberation2 fonts-wine
  googletest libgtest-dev libbenchmark-dev
  cmake ninja-build g++
  sox
  libstb-dev
  libsndfile1-dev pkg-config
  lv2-dev lilv-utils serdi sordi liblilv-dev dpkg-dev libx11-dev
)

# The native checks use the newest clang installed with its runtime libraries
# (tools/clang.sh): the newest clang gets its libraries, and a machine
# without any clang gets Debian 12's clang-14.
source "$(dirname "$0")/clang.sh"
clang=$(zw_clang_versions | sed -n 1p)
packages+=("clang-${clang:-14}" "libclang-rt-${clang:-14}-dev")

as_root=()
if [[ $(id -u) -ne 0 ]]; then as_root=(sudo); fi
export DEBIAN_FRONTEND=noninteractive

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# The package registry has bad days: one index of many fails to download
# ("File has unexpected size ... Mirror sync in progress?"). The update is
# tried a few times; if an index still fails, the set-up says which and goes
# on with the lists that did arrive.
updated=0
ZW_APT_RETRIES=${ZW_APT_RETRIES:-3}
ZW_APT_PAUSE=${ZW_APT_PAUSE:-15}
apt_update() {
  [[ $updated -eq 1 ]] && return 0
  updated=1
  local attempt log failed=
  log=$(mktemp)
  for ((attempt = 1; attempt <= ZW_APT_RETRIES; ++attempt)); do
    "${as_root[@]}" apt-get update -qq >"$log" 2>&1 || true
    failed=$(sed -n -E 's/^(E|W): Failed to fetch +//p' "$log")
    if [[ -z $failed ]] && ! grep -q '^E: ' "$log"; then
      rm -f "$log"
      return 0
    fi
    if ((attempt < ZW_APT_RETRIES)); then
      echo "setup: apt-get update failed (attempt $attempt of $ZW_APT_RETRIES); again in ${ZW_APT_PAUSE} s" >&2
      sleep "$ZW_APT_PAUSE"
    fi
  done
  if [[ -n $failed ]]; then
    echo "setup: these package lists could not be fetched; going on with the others:" >&2
    sed 's/^/setup:   /' <<<"$failed" >&2
  else
    echo "setup: apt-get update failed; going on with the lists there are:" >&2
    sed 's/^/setup:   /' "$log" >&2
  fi
  rm -f "$log"
}

# A missing list leaves the packages of one architecture behind their twins
# of the other (a security update for amd64 but not for i386), and multi-arch
# libraries must match: apt reports "held broken packages". Taking every
# package from the release's main suite (apt's target release) gives both
# architectures the same versions again.
release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
apt_install() {
  local log
  log=$(mktemp)
  if "${as_root[@]}" apt-get install -y -qq --no-install-recommends "$@" >"$log" 2>&1; then
    rm -f "$log"
    return 0
  fi
  if [[ -n $release && $1 != -t ]]; then
    echo "setup: installing failed; trying again with every package from $release:" >&2
    grep -E '^E: ' "$log" | sed 's/^/setup:   /' >&2
    if "${as_root[@]}" apt-get install -y -qq --no-install-recommends -t "$release" "$@" \
      >"$log" 2>&1; then
      rm -f "$log"
      return 0
    fi
  fi
  echo "setup: could not install $*; apt-get said:" >&2
  grep -v -E '^(Reading|Building|Selecting|Preparing|Unpacking|Setting up|Processing)' "$log" |
    tail -n 20 | sed 's/^/setup:   /' >&2
  rm -f "$log"
  return 1
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "setup: adding the i386 architecture" >&2
  "${as_root[@]}" dpkg --add-architecture i386
fi

# Installs those of the given packages that are missing; fails as apt-get does.
install_missing() {
  local p missing=()
  for p in "$@"; do
    installed "$p" || missing+=("$p")
  done
  [[ ${#missing[@]} -eq 0 ]] && return 0
  echo "setup: installing ${missing[*]}" >&2
  apt_update
  apt_install "${missing[@]}"
}

install_missing "${packages[@]}"

# A real third-party host for the plug-in DLL: LMMS, whose i386 build runs
# Windows plug-ins under Wine. Its test skips (and says why) where it cannot
# be installed, so a failure here does not stop the set-up.
host_packages=(lmms:i386 lmms-vst-server:i386)
install_missing "${host_packages[@]}" ||
  echo "setup: could not install ${host_packages[*]}; the LMMS test will be skipped" >&2

# The report's page is opened in chromium by its browser test, the report's
# benchmark sets ffmpeg's phase meter beside it, and the LV2 benchmark x42's
# meters; the LV2 panel's test runs jalv on a JACK server, plays files into
# it with sndfile-jackplay and finds its window with xwininfo (x11-utils).
# Each says why it skips where its package cannot be installed.
for optional in chromium ffmpeg x42-plugins jalv jackd2 sndfile-tools x11-utils; do
  install_missing "$optional" ||
    echo "setup: could not install $optional; what needs it will say so and skip" >&2
done

# 32-bit Wine needs a kernel that runs i386 Linux programs. Some virtual
# machines boot with that switched off; there we run the i386 side of Wine
# through qemu's user-mode emulation, registered with binfmt_misc. The qemu of
# Debian 12 itself is too old (Wine's address-space set-up takes a minute per
# process under it), so it comes from Debian's backports.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "setup: this kernel does not run i386 programs; using qemu user emulation" >&2
  qemu_ok=0
  if installed qemu-user-static; then
    case "$(dpkg-query -W -f='${Version}' qemu-user-static)" in
      1:[89]*|1:1[0-9]*) qemu_ok=1 ;;
    esac
  fi
  if [[ $qemu_ok -eq 0 ]]; then
    src=/etc/apt/sources.list.d/bookworm-backports.sources
    if [[ ! -f $src ]]; then
      "${as_root[@]}" tee "$src" >/dev/null <<'SRC'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
      updated=0
    fi
    apt_update
    apt_install -t bookworm-backports qemu-user-static
  fi
  binfmt=/proc/sys/fs/binfmt_misc
  if [[ ! -e $binfmt/register ]]; then
    "${as_root[@]}" mount -t binfmt_misc binfmt_misc "$binfmt"
  fi
  if [[ -e $binfmt/qemu-i386 ]]; then
    # An entry registered with an older qemu keeps that binary open.
    echo -1 | "${as_root[@]}" tee "$binfmt/qemu-i386" >/dev/null
  fi
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
    | "${as_root[@]}" tee "$binfmt/register" >/dev/null
  if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "setup: i386 programs still do not run; Wine cannot work here" >&2
    exit 1
  fi
fi
