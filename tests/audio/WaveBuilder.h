#pragma once
// Test utility: builds RIFF/WAVE files byte by byte, broken ones included.

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline void putLe(Bytes& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

inline Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// A chunk with its contents padded to an even length; size as stated.
inline Bytes chunk(const char* id, const Bytes& contents, uint32_t statedSize)
{
    Bytes out(id, id + 4);
    putLe(out, statedSize, 4);
    out.insert(out.end(), contents.begin(), contents.end());
    if (contents.size() & 1)
        out.push_back(0);
    return out;
}

inline Bytes chunk(const char* id, const Bytes& contents)
{
    return chunk(id, contents, static_cast<uint32_t>(contents.size()));
}

inline Bytes formatContents(uint32_t tag, uint32_t channels, uint32_t rate, uint32_t bits)
{
    Bytes out;
    putLe(out, tag, 2);
    putLe(out, channels, 2);
    putLe(out, rate, 4);
    const uint32_t frameBytes = channels * ((bits + 7) / 8);
    putLe(out, rate * frameBytes, 4);
    putLe(out, frameBytes, 2);
    putLe(out, bits, 2);
    return out;
}

// A RIFF form around chunks, its size stated truthfully.
inline Bytes riff(const char* form, const Bytes& chunks)
{
    Bytes contents(form, form + 4);
    contents.insert(contents.end(), chunks.begin(), chunks.end());
    return chunk("RIFF", contents);
}

inline Bytes pcmWave(uint32_t channels, uint32_t rate, uint32_t bits, const Bytes& data)
{
    return riff("WAVE", concat({chunk("fmt ", formatContents(1, channels, rate, bits)),
                                chunk("data", data)}));
}

// Little-endian 16-bit samples.
inline Bytes samples16(std::initializer_list<int> values)
{
    Bytes out;
    for (int v : values)
        putLe(out, static_cast<uint32_t>(v), 2);
    return out;
}
