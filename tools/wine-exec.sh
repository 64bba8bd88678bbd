#!/usr/bin/env bash
# Runs a Windows test executable under Wine: CTest's emulator for the
# Windows build. ./test prepares the display and the prefix.
if [[ -z ${WINEPREFIX:-} || -z ${DISPLAY:-} ]]; then
  echo "wine-exec: run the Windows tests through ./test (no Wine set-up)" >&2
  exit 2
fi
exec wine "$@"
