#!/usr/bin/env bash
# Runs a fuzzer over the generated WAV seeds and the corpus it has grown.
# Any finding fails; the input that caused it lands in <work>/artifacts.
#
#   run_fuzz.sh <fuzzer> <work folder> <seconds> [libFuzzer options...]
set -euo pipefail
fuzzer=$1
work=$2
seconds=$3
shift 3
root=$(cd "$(dirname "$0")/.." && pwd)

rm -rf "$work/seeds"
mkdir -p "$work/seeds" "$work/corpus" "$work/artifacts"
python3 "$root/tools/make_wave_corpus.py" "$work/seeds"
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$work/artifacts/" -print_final_stats=1 "$@" \
  "$work/corpus" "$work/seeds"
