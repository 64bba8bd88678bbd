#pragma once
// Test utility: builds RIFF/WAVE files byte by byte, broken ones included,
// and writes them.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
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

// A chunk with its contents padded to an even length, and the size it
// states (by default the true one).
inline Bytes chunk(const char* id, const Bytes& contents, int64_t statedSize = -1)
{
    Bytes out(id, id + 4);
    putLe(out, static_cast<uint32_t>(statedSize < 0 ? contents.size() : statedSize), 4);
    out.insert(out.end(), contents.begin(), contents.end());
    if (contents.size() & 1)
        out.push_back(0);
    return out;
}

inline Bytes formatChunk(uint32_t tag, uint32_t channels, uint32_t rate, uint32_t bits)
{
    Bytes out;
    putLe(out, tag, 2);
    putLe(out, channels, 2);
    putLe(out, rate, 4);
    putLe(out, rate * channels * ((bits + 7) / 8), 4);
    putLe(out, channels * ((bits + 7) / 8), 2);
    putLe(out, bits, 2);
    return chunk("fmt ", out);
}

// WAVE_FORMAT_EXTENSIBLE: the format is the sub-format GUID's first field,
// followed by the standard suffix unless another is given.
inline Bytes extensibleFormatChunk(uint32_t subFormat, uint32_t channels, uint32_t rate,
                                   uint32_t bits, uint32_t validBits,
                                   Bytes suffix = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA,
                                                   0x00, 0x38, 0x9B, 0x71})
{
    const Bytes plain = formatChunk(0xFFFE, channels, rate, bits);
    Bytes out(plain.begin() + 8, plain.end());
    putLe(out, 22, 2);
    putLe(out, validBits, 2);
    putLe(out, channels == 1 ? 4 : 3, 4); // the channel mask
    putLe(out, subFormat, 4);
    out.insert(out.end(), suffix.begin(), suffix.end());
    return chunk("fmt ", out);
}

inline Bytes riff(const char* form, const Bytes& chunks)
{
    return chunk("RIFF", concat({Bytes(form, form + 4), chunks}));
}

inline Bytes pcmWave(uint32_t channels, uint32_t rate, uint32_t bits, const Bytes& data)
{
    return riff("WAVE", concat({formatChunk(1, channels, rate, bits), chunk("data", data)}));
}

// 16-bit samples 1, 2, 3, ...
inline Bytes ramp16(int samples)
{
    Bytes data;
    for (int i = 1; i <= samples; ++i)
        putLe(data, static_cast<uint32_t>(i), 2);
    return data;
}

// 16-bit samples as little-endian bytes.
inline Bytes asBytes(const std::vector<int16_t>& samples)
{
    Bytes data;
    for (int16_t s : samples)
        putLe(data, static_cast<uint16_t>(s), 2);
    return data;
}

// A 16-bit stereo WAV file holding these interleaved frames.
inline Bytes stereoWave(const std::vector<int16_t>& samples, uint32_t rate = 44100)
{
    return pcmWave(2, rate, 16, asBytes(samples));
}

// Writes the bytes to path, making the folders it needs; true when all of
// them were written.
inline bool writeFile(const std::string& path, const Bytes& bytes)
{
    std::error_code ignored;
    const std::filesystem::path file(path);
    if (file.has_parent_path())
        std::filesystem::create_directories(file.parent_path(), ignored);
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}
