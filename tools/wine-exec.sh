#!/usr/bin/env bash
# Runs a Windows test executable under Wine: CTest's emulator for the
# Windows build. ./test prepares the display and the prefix.
if [[ -z ${WINEPREFIX:-} || -z ${DISPLAY:-} ]]; then
  echo "wine-exec: run the Windows tests through ./test (no Wine set-up)" >&2
  exit 2
fi
# A test that CTest gave a display of its own (RESOURCE_GROUPS displays:1,
# "id:<n>,slots:1") runs there instead. Those displays start in the
# background (zw_env_start_display); their set-up is read once they are up.
display=${CTEST_RESOURCE_GROUP_0_DISPLAYS:-}
display=${display#id:}
display=${display%%,*}
if [[ -n $display ]]; then
  ZW_ROOT=$(cd "$(dirname "$0")/.." && pwd)
  source "$ZW_ROOT/tools/wine-env.sh"
  dir=$ZW_ROOT/build/wine-$display
  # The displays start one after another; this one is on its way for as long
  # as their starter lives, however busy the machine.
  zw_wait_for "$(cat "$dir/starter.pid" 2>/dev/null)" 1800 test -f "$dir/display.env"
  unset ZW_XVFB_PID
  source "$dir/display.env" 2>/dev/null
  if [[ -z ${ZW_XVFB_PID:-} ]]; then
    echo "wine-exec: display $display did not start ($dir/start.log):" >&2
    tail -n 20 "$dir/start.log" >&2
    exit 2
  fi
  export DISPLAY WINEPREFIX HOME
fi
exec wine "$@"
