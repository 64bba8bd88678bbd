#!/usr/bin/env bash
# Runs a Windows test executable under Wine: CTest's emulator for the
# Windows build. ./test prepares the display and the prefix.
if [[ -z ${WINEPREFIX:-} || -z ${DISPLAY:-} ]]; then
  echo "wine-exec: run the Windows tests through ./test (no Wine set-up)" >&2
  exit 2
fi
# A test that CTest gave a display of its own (RESOURCE_GROUPS displays:1,
# "id:<n>,slots:1") runs there instead; those displays start in the
# background while the first tests run, and this waits while they start.
display=${CTEST_RESOURCE_GROUP_0_DISPLAYS:-}
display=${display#id:}
display=${display%%,*}
if [[ -n $display ]]; then
  ZW_ROOT=$(cd "$(dirname "$0")/.." && pwd)
  source "$ZW_ROOT/tools/wine-env.sh"
  zw_display_use "$ZW_ROOT/build/wine-$display" || exit 2
fi
exec wine "$@"
