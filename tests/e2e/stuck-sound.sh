#!/usr/bin/env bash
# Runs end-to-end cases with a sound device that stops taking sound: the
# test run's ALSA file plugin writes into a named pipe whose reader takes the
# first bytes and then nothing more, so the device's writes block as a hung
# driver's would.
#
#   stuck-sound.sh <test executable> <arguments...>
set -u
dir=$(mktemp -d)
mkfifo "$dir/sound"
bytes=200000
# Opens the pipe (once the program opens it), reads the first bytes, then
# holds it open without reading.
(
  exec 3<"$dir/sound"
  head -c "$bytes" <&3 >"$dir/heard"
  exec sleep 600
) &
reader=$!
# Through the Windows tests' runner, which moves it to the display CTest gave it.
ZW_CAPTURE_WAV=$dir/sound ZW_HEARD=$dir/heard ZW_HEARD_BYTES=$bytes \
  "$(dirname "$0")/../../tools/wine-exec.sh" "$@"
code=$?
kill "$reader" 2>/dev/null
wait "$reader" 2>/dev/null
rm -rf "$dir"
exit "$code"
