#include "audio/SampleConverter.h"

#include <gtest/gtest.h>

#include <array>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace
{
// Converts raw mono frames, or stereo ones into slots from 1 on.
std::vector<float> convert(int32_t bits, const std::vector<uint8_t>& raw, int32_t channels = 1,
                           int32_t isFloat = 0)
{
    const int32_t bytes = (bits + 7) / 8;
    const SampleLayout layout{bits, channels, bytes, bytes * channels, isFloat};
    const int32_t frames = static_cast<int32_t>(raw.size()) / layout.frameBytes;
    std::vector<float> out(2 * (frames + 1), -9.0f);
    float* pointers[] = {out.data(), out.data() + frames + 1};
    convertToFloat(raw.data(), layout, pointers, channels == 1 ? 0 : 1, frames);
    return out;
}
} // namespace

TEST(SampleConverter, ReadsEachWidthWithItsScale)
{
    const std::vector<float> eight = convert(8, {0, 128, 255});
    EXPECT_EQ(-128.0f / 127.0f, eight[0]);
    EXPECT_EQ(0.0f, eight[1]);
    EXPECT_EQ(1.0f, eight[2]);
    EXPECT_EQ(0.0f, convert(4, {128})[0]); // narrower samples are bytes too

    EXPECT_EQ(-32768.0f / 32767.0f, convert(16, {0x00, 0x80})[0]);
    EXPECT_EQ(1.0f, convert(16, {0xFF, 0x7F})[0]);
    EXPECT_EQ(0x1230 * kScale16Bit, convert(12, {0x30, 0x12})[0]); // 12 bits read as 16

    const std::vector<float> wide =
        convert(24, {0x00, 0x00, 0x80, 0xFF, 0xFF, 0x7F, 0x56, 0x34, 0xF2});
    EXPECT_EQ(-8388608.0f / 8388607.0f, wide[0]);
    EXPECT_EQ(1.0f, wide[1]);
    EXPECT_EQ(-904106 * kScale24Bit, wide[2]);
    EXPECT_EQ(-1.0f, convert(32, {0, 0, 0, 0x80})[0]);
    EXPECT_EQ(-9.0f, convert(40, {1, 2, 3, 4, 5})[0]); // wider than 32 bits: untouched

    // Stereo frames split into the two arrays, from slot 1 on.
    const std::vector<float> stereo = convert(16, {1, 0, 2, 0, 3, 0, 4, 0}, 2);
    const std::vector<float> expected = {-9.0f, 1 * kScale16Bit, 3 * kScale16Bit,
                                         -9.0f, 2 * kScale16Bit, 4 * kScale16Bit};
    EXPECT_EQ(expected, stereo);
}

TEST(SampleConverter, FloatSamplesPassUnscaledAndNonFiniteOnesAsSilence)
{
    auto converted = [](const auto& values)
    {
        std::vector<uint8_t> raw(sizeof values);
        std::memcpy(raw.data(), values.data(), sizeof values);
        std::vector<float> out = convert(8 * sizeof values[0], raw, 1, 1);
        out.resize(values.size());
        return out;
    };
    EXPECT_EQ(
        (std::vector<float>{0.25f, -1.5f, 3e38f, 1e-40f, 0.0f, 0.0f, 0.0f}),
        converted(std::array<float, 7>{0.25f, -1.5f, 3e38f, 1e-40f, NAN, HUGE_VALF, -HUGE_VALF}));
    EXPECT_EQ((std::vector<float>{0.1f, -2.0f, FLT_MAX, -FLT_MAX, 0.0f, 0.0f, 0.0f}),
              converted(std::array<double, 7>{0.1, -2.0, 1e300, -1e300, 1e-300, NAN, -HUGE_VAL}));
    EXPECT_EQ(-9.0f, convert(16, {0, 0x3C}, 1, 1)[0]); // half precision: untouched
}

TEST(SampleConverter, SixteenBitOutputSaturatesAndRoundsHalvesToEven)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float in[] = {1.0f,
                        -1.0f,
                        2.0f,
                        -3.0f,
                        inf,
                        -inf,
                        std::nanf(""),
                        -32768.0f / 32767.0f,
                        0.5f,
                        -0.5f,
                        2.5f / 32767.0f,
                        3.5f / 32767.0f,
                        -1e-9f};
    const int16_t out[] = {32767,  -32767, 32767,  -32767, 32767, -32767, 0,
                           -32767, 16384,  -16384, 2,      4,     0};
    for (size_t i = 0; i < sizeof in / sizeof in[0]; ++i)
        EXPECT_EQ(out[i], toPcm16(in[i])) << in[i];

    const float left[] = {1.0f, 0.5f};
    const float right[] = {-1.0f, std::nanf("")};
    const float* channels[] = {left, right};
    uint8_t pcm[8];
    convertToPcm16(channels, 2, 2, pcm);
    const uint8_t interleaved[] = {0xFF, 0x7F, 0x01, 0x80, 0x00, 0x40, 0x00, 0x00};
    EXPECT_EQ(0, std::memcmp(interleaved, pcm, sizeof pcm));
}
