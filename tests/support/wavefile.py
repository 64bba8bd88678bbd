"""The Python tests' and benchmarks' WAV files: 16-bit stereo PCM."""
import os
import struct
import wave


def write_stereo16(path, frames, rate):
    """Writes (left, right) pairs of 16-bit samples, making the folder."""
    folder = os.path.dirname(path)
    if folder:
        os.makedirs(folder, exist_ok=True)
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(b"".join(struct.pack("<hh", l, r) for l, r in frames))
