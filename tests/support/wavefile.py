"""The Python tests' and benchmarks' WAV files: stereo integer PCM."""
import os
import wave


def write_stereo(path, frames, rate, bits=16):
    """Writes (left, right) pairs of integer samples of that many bits,
    making the folder."""
    folder = os.path.dirname(path)
    if folder:
        os.makedirs(folder, exist_ok=True)
    width = bits // 8
    data = bytearray()
    for pair in frames:
        for sample in pair:
            data += int(sample).to_bytes(width, "little", signed=True)
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(width)
        w.setframerate(rate)
        w.writeframes(bytes(data))
