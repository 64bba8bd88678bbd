#!/usr/bin/env bash
# Runs a fuzzer over its seeds and the corpus it has grown. The WAV fuzzer's
# seeds are generated files; the chunk fuzzer writes the plug-in's own chunks.
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
case $(basename "$fuzzer") in
  wave_fuzz) python3 "$root/tools/make_wave_corpus.py" "$work/seeds" ;;
  *) ZW_FUZZ_SEEDS="$work/seeds" "$fuzzer" >/dev/null 2>&1 ;;
esac
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$work/artifacts/" -print_final_stats=1 "$@" \
  "$work/corpus" "$work/seeds"
