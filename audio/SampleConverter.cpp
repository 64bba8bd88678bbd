#include "audio/SampleConverter.h"

#include <cmath>

namespace
{
// Each sample width gets its own loop: the width is fixed per file and the
// loop runs for every frame of every block.
template <typename ReadSample>
void convertFrames(const uint8_t* raw, const SampleLayout& layout, float* const* channels,
                   int32_t first, int32_t count, float scale, ReadSample readSample)
{
    for (int32_t c = 0; c < layout.channels; ++c)
    {
        const uint8_t* sample = raw + static_cast<size_t>(c) * layout.bytesPerSample;
        float* out = channels[c] + first;
        for (int32_t k = 0; k < count; ++k, sample += layout.frameBytes)
            out[k] = static_cast<float>(readSample(sample)) * scale;
    }
}
} // namespace

void convertToFloat(const uint8_t* raw, const SampleLayout& layout, float* const* channels,
                    int32_t first, int32_t count)
{
    const int32_t bits = layout.bitsPerSample;
    if (bits <= 8)
    {
        convertFrames(raw, layout, channels, first, count, kScale8Bit,
                      [](const uint8_t* p) { return static_cast<int32_t>(p[0]) - 128; });
    }
    else if (bits <= 16)
    {
        convertFrames(raw, layout, channels, first, count, kScale16Bit,
                      [](const uint8_t* p)
                      { return static_cast<int32_t>(static_cast<int16_t>(p[0] | p[1] << 8)); });
    }
    else if (bits <= 24)
    {
        convertFrames(raw, layout, channels, first, count, kScale24Bit,
                      [](const uint8_t* p) {
                          return static_cast<int32_t>(static_cast<int8_t>(p[2])) * 65536 +
                                 (p[1] << 8) + p[0];
                      });
    }
    else if (bits <= 32)
    {
        convertFrames(raw, layout, channels, first, count, kScale32Bit,
                      [](const uint8_t* p)
                      {
                          const uint32_t u =
                              static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
                          return static_cast<int32_t>(u);
                      });
    }
}

int16_t toPcm16(float x)
{
    const float t = x * 32767.0f;
    if (t > 32767.0f)
        return 32767;
    if (t < -32767.0f)
        return -32767;
    if (std::isnan(t))
        return 0;
    // The default rounding mode: halves go to the even neighbour.
    return static_cast<int16_t>(std::lrint(t));
}

void convertToPcm16(const float* const* channels, int32_t channelCount, int32_t frames,
                    uint8_t* target)
{
    for (int32_t j = 0; j < frames; ++j)
    {
        for (int32_t c = 0; c < channelCount; ++c)
        {
            const uint16_t s = static_cast<uint16_t>(toPcm16(channels[c][j]));
            *target++ = static_cast<uint8_t>(s & 0xFF);
            *target++ = static_cast<uint8_t>(s >> 8);
        }
    }
}
