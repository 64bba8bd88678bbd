#include "audio/SampleConverter.h"

#include <cfloat>
#include <cmath>
#include <cstring>

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

uint32_t le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// A non-finite sample would reach the effect and the display as such; a
// file holding one gets silence there instead.
float singleSample(const uint8_t* p)
{
    const uint32_t bits = le32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return std::isfinite(value) ? value : 0.0f;
}

float doubleSample(const uint8_t* p)
{
    const uint64_t bits = static_cast<uint64_t>(le32(p)) | static_cast<uint64_t>(le32(p + 4)) << 32;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value))
        return 0.0f;
    // Beyond the float range it is still the loudest there is.
    if (value > FLT_MAX)
        return FLT_MAX;
    if (value < -FLT_MAX)
        return -FLT_MAX;
    return static_cast<float>(value);
}
} // namespace

void convertToFloat(const uint8_t* raw, const SampleLayout& layout, float* const* channels,
                    int32_t first, int32_t count)
{
    const int32_t bits = layout.bitsPerSample;
    if (layout.isFloat)
    {
        // Float samples are taken as they stand: a scale of 1 changes none.
        if (bits == 32)
            convertFrames(raw, layout, channels, first, count, 1.0f,
                          [](const uint8_t* p) { return singleSample(p); });
        else if (bits == 64)
            convertFrames(raw, layout, channels, first, count, 1.0f,
                          [](const uint8_t* p) { return doubleSample(p); });
    }
    else if (bits <= 8)
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
                      [](const uint8_t* p) { return static_cast<int32_t>(le32(p)); });
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
