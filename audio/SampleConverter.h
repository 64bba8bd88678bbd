#pragma once

#include <cstdint>

// Scales from integer samples to floats: the most positive sample of each
// width maps to 1.0, the most negative slightly below -1.0.
constexpr float kScale8Bit = 1.0f / 127.0f;
constexpr float kScale16Bit = 1.0f / 32767.0f;
constexpr float kScale24Bit = 1.0f / 8388607.0f;
constexpr float kScale32Bit = 1.0f / 2147483648.0f;

// Layout of the raw frames of a WAV file.
struct SampleLayout
{
    int32_t bitsPerSample;  // integers: 1..8 unsigned, 9..32 signed; floats: 32 or 64
    int32_t channels;       // samples per frame
    int32_t bytesPerSample; // (bitsPerSample + 7) / 8
    int32_t frameBytes;     // channels * bytesPerSample
    int32_t isFloat;        // 1 for IEEE float samples, 0 for integers
};

// Converts count interleaved little-endian frames from raw into the slots
// first .. first + count - 1 of the channel arrays, one array per channel.
// Float samples are taken as they are, except that infinities and NaNs
// become 0 and doubles beyond the float range the largest float. Other
// widths (integers over 32 bits, floats other than 32 or 64) leave the
// arrays untouched.
void convertToFloat(const uint8_t* raw, const SampleLayout& layout, float* const* channels,
                    int32_t first, int32_t count);

// One sample for a 16-bit device: beyond full scale saturates at +-32767
// (never -32768), a NaN gives silence, the rest rounds half to even.
int16_t toPcm16(float x);

// Interleaves frames samples of each channel as 16-bit little-endian PCM:
// frame j, channel c goes to sample j * channelCount + c.
void convertToPcm16(const float* const* channels, int32_t channelCount, int32_t frames,
                    uint8_t* target);
