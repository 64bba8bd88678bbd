#!/usr/bin/env python3
"""Writes the seed corpus of the WAV fuzzer: valid PCM files of every sample
width and channel count, float and extensible files, and broken ones (extra
chunks, odd and lying sizes, truncations, other format tags and sub-formats).

    make_wave_corpus.py <folder>
"""
import os
import struct
import sys


def chunk(cid, contents, size=None):
    if size is None:
        size = len(contents)
    pad = b"\0" if len(contents) & 1 else b""
    return cid + struct.pack("<I", size) + contents + pad


def riff(form, chunks, size=None):
    body = form + b"".join(chunks)
    return chunk(b"RIFF", body, size)


def fmt(tag, channels, rate, bits, extra=b""):
    frame = channels * ((bits + 7) // 8)
    body = struct.pack("<HHIIHH", tag, channels, rate, rate * frame, frame, bits)
    if extra:
        body += struct.pack("<H", len(extra)) + extra
    return chunk(b"fmt ", body)


def frames(channels, bits, count):
    width = (bits + 7) // 8
    out = bytearray()
    for i in range(count * channels):
        value = (i * 2654435761) & ((1 << (8 * width)) - 1)
        out += value.to_bytes(width, "little")
    return bytes(out)


def pcm(channels, bits, count=5, rate=44100):
    return riff(b"WAVE", [fmt(1, channels, rate, bits), chunk(b"data", frames(channels, bits, count))])


# The extension of a WAVE_FORMAT_EXTENSIBLE "fmt ": valid bits, channel mask
# and the sub-format GUID, whose first field is the format tag.
def extension(sub_format, valid):
    suffix = b"\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71"
    return struct.pack("<HII", valid, 3, sub_format) + suffix


def float_wave(tag, bits, extra_chunks):
    ext = extension(3, bits) if tag == 0xFFFE else b""
    values = [0.5, -0.25, 1.5, -1.0, 0.0, 0.125]
    data = struct.pack(f"<{len(values)}{'f' if bits == 32 else 'd'}", *values)
    return riff(b"WAVE", [fmt(tag, 2, 44100, bits, ext)] + extra_chunks +
                [chunk(b"data", data), chunk(b"cue ", b"\4" * 7)])


def seeds():
    for bits in range(1, 33):
        for channels in (1, 2, 8):
            yield f"pcm_{bits}bit_{channels}ch", pcm(channels, bits)
    for channels in range(1, 9):
        for bits in (16, 24):
            yield f"pcm_{bits}bit_{channels}ch_48k", pcm(channels, bits, 7, 48000)

    f16 = fmt(1, 2, 44100, 16)
    data = chunk(b"data", frames(2, 16, 6))
    junk = chunk(b"JUNK", b"\x01\x02\x03")
    lst = chunk(b"LIST", b"INFOISFT\x05\0\0\0abcd\0")
    yield "chunks_before", riff(b"WAVE", [junk, lst, f16, data])
    yield "chunks_between", riff(b"WAVE", [f16, junk, lst, data])
    yield "chunks_after", riff(b"WAVE", [f16, data, junk, lst])
    yield "trailing_top_level", riff(b"WAVE", [f16, data]) + chunk(b"tail", b"xyz")
    yield "top_level_junk_first", chunk(b"JUNK", b"12345") + riff(b"WAVE", [f16, data])
    yield "two_forms", riff(b"AVI ", [f16, data]) + riff(b"WAVE", [f16, data])
    yield "odd_data", riff(b"WAVE", [f16, chunk(b"data", frames(1, 24, 3))])
    yield "odd_fmt", riff(b"WAVE", [chunk(b"fmt ", fmt(1, 1, 8000, 8)[8:] + b"\x07"),
                                   chunk(b"data", b"\x80\x81\x82")])
    yield "fmt_with_extension", riff(b"WAVE", [fmt(1, 2, 44100, 16, b"\0\0"), data])
    yield "data_before_fmt", riff(b"WAVE", [data, f16])
    yield "no_data", riff(b"WAVE", [f16, junk])
    yield "no_fmt", riff(b"WAVE", [data])
    yield "not_wave", riff(b"AVI ", [f16, data])
    yield "fmt_short", riff(b"WAVE", [chunk(b"fmt ", fmt(1, 2, 44100, 16)[8:20]), data])
    yield "fmt_empty", riff(b"WAVE", [chunk(b"fmt ", b""), data])
    yield "zero_channels", riff(b"WAVE", [fmt(1, 0, 44100, 16), data])
    yield "zero_bits", riff(b"WAVE", [fmt(1, 2, 44100, 0), data])
    yield "wide_bits", riff(b"WAVE", [fmt(1, 2, 44100, 40), data])
    yield "float", riff(b"WAVE", [fmt(3, 2, 44100, 32), chunk(b"data", b"\0" * 32)])
    # Float, extensible and 32-bit files as recorders and editors write them:
    # a "fact" chunk and others around the data, odd sizes padded.
    for bits in (32, 64):
        yield f"float_{bits}bit", float_wave(3, bits, [chunk(b"fact", b"\x05\0\0\0")])
        yield f"extensible_float_{bits}", float_wave(0xFFFE, bits, [chunk(b"PEAK", b"\1" * 25)])
    for bits, valid in ((16, 16), (24, 24), (24, 20), (32, 32), (32, 24)):
        yield f"extensible_pcm_{bits}_{valid}", riff(b"WAVE", [
            chunk(b"bext", b"\2" * 9), fmt(0xFFFE, 2, 48000, bits, extension(1, valid)),
            chunk(b"fact", b"\5\0\0\0"), chunk(b"data", frames(2, bits, 6)),
            chunk(b"LIST", b"INFOISFT\x05\0\0\0abcd\0"), chunk(b"id3 ", b"ID3" + b"\3" * 8)])
    yield "extensible_unknown", riff(b"WAVE", [fmt(0xFFFE, 2, 44100, 16, extension(0x55, 16)), data])
    yield "extensible_bad_suffix", riff(b"WAVE", [fmt(0xFFFE, 2, 44100, 16, extension(1, 16)[:-1] + b"\0"), data])
    yield "extensible_valid_too_wide", riff(b"WAVE", [fmt(0xFFFE, 2, 44100, 24, extension(1, 32)), data])
    yield "extensible_short", riff(b"WAVE", [fmt(0xFFFE, 2, 44100, 16, extension(1, 16)[:10]), data])
    yield "extensible_cut", riff(b"WAVE", [fmt(0xFFFE, 2, 44100, 16, extension(1, 16)), data])[:50]
    yield "float_16bit", riff(b"WAVE", [fmt(3, 2, 44100, 16), data])
    yield "float_odd_values", riff(b"WAVE", [fmt(3, 1, 44100, 32), chunk(b"data", struct.pack(
        "<6f", float("nan"), float("inf"), -float("inf"), 3e38, -1.5, 1e-40))])
    yield "double_odd_values", riff(b"WAVE", [fmt(3, 1, 44100, 64), chunk(b"data", struct.pack(
        "<6d", float("nan"), 1e300, -1e300, 1e-300, -2.0, 0.1))])
    yield "unfinished", riff(b"WAVE", [f16, chunk(b"data", frames(2, 16, 5), 0)], 0)

    good = riff(b"WAVE", [f16, junk, data])
    for cut in (4, 8, 11, 12, 16, 20, 30, 36, 44, 50, len(good) - 1):
        yield f"truncated_{cut}", good[:cut]
    for size in (0, 4, 20, 0x7FFFFFFF, 0xFFFFFFFF):
        yield f"riff_size_{size:x}", riff(b"WAVE", [f16, data], size)
    for size in (0, 1, 3, 0xFFFFFFF0, 0xFFFFFFFF):
        yield f"data_size_{size:x}", riff(b"WAVE", [f16, chunk(b"data", frames(2, 16, 4), size)])
    for size in (0xFFFFFFF8, 0xFFFFFFFF, 0x80000000):
        yield f"junk_size_{size:x}", riff(b"WAVE", [f16, chunk(b"JUNK", b"ab", size), data])
        yield f"fmt_size_{size:x}", riff(b"WAVE", [chunk(b"fmt ", f16[8:], size), data])


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    count = 0
    for name, data in seeds():
        with open(os.path.join(folder, name + ".wav"), "wb") as out:
            out.write(data)
        count += 1
    print(f"{count} seed files in {folder}")


if __name__ == "__main__":
    main()
