#!/usr/bin/env python3
"""Writes the files of the formats test with sox, as a user's own tools
would write them: one second of the test's stereo noise (stereoNoise in
ProgramSession.cpp, seed 31) as 16-bit, 24-bit (extensible), 32-bit integer
and 32-bit float WAV files.

    make_sox_files.py <folder>
"""
import os
import struct
import subprocess
import sys

FRAMES = 44100
SEED = 31


def stereo_noise(frames, seed):
    samples = []
    for _ in range(2 * frames):
        seed = (seed * 1664525 + 1013904223) & 0xFFFFFFFF
        samples.append((seed >> 16) % 30000 - 15000)
    for i in range(0, len(samples), 2):
        if (samples[i] + samples[i + 1]) & 1:
            samples[i + 1] ^= 1
    return samples


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    raw = struct.pack(f"<{2 * FRAMES}h", *stereo_noise(FRAMES, SEED))
    source = ["-t", "raw", "-r", "44100", "-e", "signed", "-b", "16", "-c", "2", "-"]
    formats = {
        "sox16.wav": ["-b", "16"],
        "sox24.wav": ["-b", "24"],
        "sox32.wav": ["-e", "signed", "-b", "32"],
        "soxfloat.wav": ["-e", "floating-point", "-b", "32"],
    }
    for name, options in formats.items():
        subprocess.run(["sox", *source, *options, os.path.join(folder, name)], input=raw, check=True)


if __name__ == "__main__":
    main()
