#!/usr/bin/env bash
# The set-up on a bad day of the package registry, with apt-get played by a
# script: an index that keeps failing to download, and then packages whose
# versions no longer match across the two architectures.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
cat >"$work/bin/apt-get" <<'EOF'
#!/bin/bash
echo "$*" >>"$FAKE_APT_LOG"
case " $* " in
  *" update "*)
    echo "E: Failed to fetch http://deb.example/dists/x/main/binary-i386/Packages.xz  File has unexpected size (1 != 2). Mirror sync in progress?"
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
    exit 100 ;;
  *" -t "*) [[ $FAKE_APT_RELEASE_INSTALLS == 1 ]] && exit 0 ;;
esac
echo "E: Unable to correct problems, you have held broken packages."
exit 100
EOF
# Nothing is installed, so everything goes through apt-get.
printf '#!/bin/sh\nexit 1\n' >"$work/bin/dpkg-query"
chmod +x "$work/bin/apt-get" "$work/bin/dpkg-query"

failed=0
expect() {
  grep -q -e "$2" "$work/$1" || { echo "setup_test: no '$2' in $1:"; cat "$work/$1"; failed=1; }
}
setup() {
  : >"$work/apt.log"
  PATH=$work/bin:$PATH FAKE_APT_LOG=$work/apt.log FAKE_APT_RELEASE_INSTALLS=$1 ZW_APT_PAUSE=0 \
    "$root/tools/setup.sh" >"$work/out" 2>&1
}
release=$(. /etc/os-release && echo "$VERSION_CODENAME")

# The release's own versions install: the set-up goes through.
setup 1 || { echo "setup_test: the set-up failed where it could go on"; cat "$work/out"; failed=1; }
[[ $(grep -c '^update' "$work/apt.log") -eq 3 ]] || { echo "setup_test: not three updates"; failed=1; }
expect out 'binary-i386/Packages.xz  File has unexpected size'
expect out 'going on with the others'
expect apt.log "-t $release"

# Nothing installs: the set-up fails and says what apt-get said.
setup 0 && { echo "setup_test: the set-up succeeded where nothing installs"; failed=1; }
expect out 'could not install'
expect out 'held broken packages'
exit $failed
