#include "audio/SampleConverter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace
{
SampleLayout layoutOf(int32_t bits, int32_t channels)
{
    const int32_t bytes = (bits + 7) / 8;
    return {bits, channels, bytes, bytes * channels};
}

// Converts mono frames given as raw bytes.
std::vector<float> mono(int32_t bits, const std::vector<uint8_t>& raw)
{
    const SampleLayout layout = layoutOf(bits, 1);
    std::vector<float> out(raw.size() / layout.frameBytes, -9.0f);
    float* channels[] = {out.data()};
    convertToFloat(raw.data(), layout, channels, 0, static_cast<int32_t>(out.size()));
    return out;
}
} // namespace

TEST(SampleConverter, ReadsEachWidthWithItsScale)
{
    const std::vector<float> eight = mono(8, {0, 128, 255, 129});
    EXPECT_EQ(-128.0f / 127.0f, eight[0]);
    EXPECT_EQ(0.0f, eight[1]);
    EXPECT_EQ(1.0f, eight[2]);
    EXPECT_EQ(1.0f * kScale8Bit, eight[3]);
    // Fewer than 8 bits are bytes too.
    EXPECT_EQ(0.0f, mono(4, {128})[0]);

    const std::vector<float> sixteen = mono(16, {0x00, 0x80, 0xFF, 0x7F, 0xFF, 0xFF});
    EXPECT_EQ(-32768.0f / 32767.0f, sixteen[0]);
    EXPECT_EQ(1.0f, sixteen[1]);
    EXPECT_EQ(-1.0f * kScale16Bit, sixteen[2]);
    // 12 bits take two bytes and the 16-bit scale.
    EXPECT_EQ(0x1230 * kScale16Bit, mono(12, {0x30, 0x12})[0]);

    const std::vector<float> wide =
        mono(24, {0x00, 0x00, 0x80, 0xFF, 0xFF, 0x7F, 0x56, 0x34, 0xF2});
    EXPECT_EQ(-8388608.0f / 8388607.0f, wide[0]);
    EXPECT_EQ(1.0f, wide[1]);
    EXPECT_EQ(static_cast<float>(-0x0DCBAA) * kScale24Bit, wide[2]);

    const std::vector<float> full = mono(32, {0, 0, 0, 0x80, 0xFF, 0xFF, 0xFF, 0x7F});
    EXPECT_EQ(-1.0f, full[0]);
    EXPECT_EQ(1.0f, full[1]); // 2^31 - 1 rounds to 2^31 as a float

    // Wider than 32 bits: nothing is converted.
    EXPECT_EQ(-9.0f, mono(40, {1, 2, 3, 4, 5})[0]);
}

TEST(SampleConverter, SplitsInterleavedFramesIntoSlots)
{
    // Stereo 16-bit, three frames, written from slot 2 on.
    const std::vector<uint8_t> raw = {1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0};
    std::vector<float> left(5, -9.0f), right(5, -9.0f);
    float* channels[] = {left.data(), right.data()};
    convertToFloat(raw.data(), layoutOf(16, 2), channels, 2, 3);
    EXPECT_EQ(-9.0f, left[1]);
    EXPECT_EQ(1 * kScale16Bit, left[2]);
    EXPECT_EQ(6 * kScale16Bit, right[4]);
    EXPECT_EQ(5 * kScale16Bit, left[4]);
}

TEST(SampleConverter, SixteenBitOutputSaturatesAndRoundsHalvesToEven)
{
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(32767, toPcm16(1.0f));
    EXPECT_EQ(-32767, toPcm16(-1.0f));
    EXPECT_EQ(32767, toPcm16(2.0f));
    EXPECT_EQ(-32767, toPcm16(-3.0f));
    EXPECT_EQ(32767, toPcm16(inf));
    EXPECT_EQ(-32767, toPcm16(-inf));
    EXPECT_EQ(0, toPcm16(std::nanf("")));
    EXPECT_EQ(-32767, toPcm16(-32768.0f / 32767.0f)); // never -32768
    EXPECT_EQ(16384, toPcm16(0.5f));                  // 16383.5
    EXPECT_EQ(-16384, toPcm16(-0.5f));
    EXPECT_EQ(2, toPcm16(2.5f / 32767.0f)); // 2.5 after rounding to float
    EXPECT_EQ(4, toPcm16(3.5f / 32767.0f));
    EXPECT_EQ(0, toPcm16(-1.0e-9f));

    // Interleaved little-endian.
    const float left[] = {1.0f, 0.5f};
    const float right[] = {-1.0f, std::nanf("")};
    const float* channels[] = {left, right};
    uint8_t out[8];
    convertToPcm16(channels, 2, 2, out);
    const uint8_t expected[] = {0xFF, 0x7F, 0x01, 0x80, 0x00, 0x40, 0x00, 0x00};
    EXPECT_EQ(0, std::memcmp(expected, out, sizeof out));
}
