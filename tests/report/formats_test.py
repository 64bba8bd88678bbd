#!/usr/bin/env python3
"""The native zwreport on the same sound as WAV, FLAC and AIFF (16 and 24
bits, written by sox): every figure in report.json and every block in the
per-file CSV the same; report.json parses, holds the fields its schema
names, and --json - writes the same bytes to standard output.

    formats_test.py <zwreport> <work folder>
"""
import json, os, random, shutil, subprocess, sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from wavefile import write_stereo  # noqa: E402

RATE = 44100
FIELDS = ["file", "verdict", "reason", "format", "channels", "sample_rate", "duration_s",
          "peak_dbfs", "mean_correlation", "lowest_correlation", "lowest_at_s", "time_below_0",
          "time_below_-0.2", "channel_faults", "passages"]


def fail(message):
    print(f"FAILED: {message}")
    sys.exit(1)


def write_wave(path, bits, seconds=4.0):
    """Correlated stereo noise, in anti-phase from 1 s to 2.5 s."""
    rng, frames, full = random.Random(5), [], 2 ** (bits - 1) - 1
    for i in range(int(seconds * RATE)):
        shared, own = rng.uniform(-0.6, 0.6), rng.uniform(-0.15, 0.15)
        left, right = shared + own, shared - own
        if RATE <= i < 2.5 * RATE:
            right = -left
        frames.append((int(left * full), int(right * full)))
    write_stereo(path, frames, RATE, bits)


def main():
    zwreport, work = (os.path.abspath(a) for a in sys.argv[1:3])
    shutil.rmtree(work, ignore_errors=True)
    inputs, out = os.path.join(work, "in"), os.path.join(work, "out")
    os.makedirs(inputs)
    for bits in (16, 24):
        wav = os.path.join(inputs, f"s{bits}.wav")
        write_wave(wav, bits)
        for extension in ("flac", "aiff"):
            subprocess.run(["sox", wav, os.path.join(inputs, f"s{bits}.{extension}")], check=True)

    # A name that is no UTF-8, as old Linux folders hold them: still JSON.
    with open(os.path.join(os.fsencode(inputs), b"latin-\xe9.wav"), "wb") as f:
        f.write(b"RIFF")
    run = subprocess.run([zwreport, "--out", out, "--json", "-", inputs], capture_output=True)
    if run.returncode != 2:
        fail(f"zwreport exited with {run.returncode}, not 2: {run.stderr.decode()[-300:]}")
    with open(os.path.join(out, "report.json"), "rb") as f:
        written = f.read()
    if run.stdout != written:
        fail("--json - wrote other bytes than report.json")
    if b"zwreport:" in run.stdout:
        fail("progress went to standard output")
    report = json.loads(written)
    if report.get("schema_version") != 1 or len(report.get("files", [])) != 7:
        fail(f"schema_version {report.get('schema_version')}, {len(report.get('files', []))} files")

    by_name = {os.path.basename(f["file"]): f for f in report["files"]}
    if by_name.pop("latin-\ufffd.wav", {}).get("verdict") != "unreadable":
        fail("the file with a Latin-1 name is not listed as unreadable under its name")
    for name, entry in by_name.items():
        missing = [k for k in FIELDS if k not in entry]
        if missing:
            fail(f"{name} lacks {missing}")
        if entry["verdict"] != "fail" or len(entry["passages"]) != 1:
            fail(f"{name}: {entry['verdict']} with {len(entry['passages'])} passages, not one")
        passage = entry["passages"][0]
        # From the block where the anti-phase starts: 86 blocks of 512 frames.
        if not (passage["start_sample"] == 44032 and passage["start"] == "00:00:00.998"
                and abs(passage["start_s"] - 44032 / RATE) < 1e-12):
            fail(f"{name}: the passage starts at {passage}")
    for bits in (16, 24):
        wav = dict(by_name[f"s{bits}.wav"], file="", format="")
        for other in (f"s{bits}.flac", f"s{bits}.aiff"):
            if dict(by_name[other], file="", format="") != wav:
                fail(f"{other} gives other figures than s{bits}.wav:\n{by_name[other]}\n{wav}")
        # The three files' meter values, block by block (the outputs of
        # files of one name are numbered).
        csvs = set()
        for name in (f"s{bits}.csv", f"s{bits}-2.csv", f"s{bits}-3.csv"):
            with open(os.path.join(out, name), "rb") as f:
                csvs.add(f.read())
        if len(csvs) != 1:
            fail(f"the {bits}-bit files' meter values differ")
    print("passed: WAV, FLAC and AIFF agree at 16 and 24 bits; --json - equals report.json")


if __name__ == "__main__":
    main()
