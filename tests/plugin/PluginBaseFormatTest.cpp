#include "plugin/PluginBase.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

namespace
{
class CFormattingEffect : public CPluginBase
{
  public:
    CFormattingEffect() : CPluginBase(nullptr, 1, 1) {}
    void processAccumulating(float**, float**, int32_t) override {}

    // Runs one of the operations on a dirty buffer so that a missing
    // terminator or an overlong text shows up.
    template <typename T> std::string text(void (CPluginBase::*format)(T, char*), T value)
    {
        char buffer[32];
        std::memset(buffer, '#', sizeof(buffer));
        (this->*format)(value, buffer);
        const size_t length = strnlen(buffer, sizeof(buffer));
        EXPECT_LE(length, 8u) << value;
        EXPECT_EQ(std::string(buffer + length + 1, buffer + sizeof(buffer)),
                  std::string(sizeof(buffer) - length - 1, '#'))
            << value << ": written past the terminator";
        return std::string(buffer, length);
    }
};

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
} // namespace

TEST(PluginBaseFormat, FloatTruncatesIntoEightCharacters)
{
    const struct
    {
        float value;
        const char* text;
    } cases[] = {
        {0.0f, "0.000000"},
        {1.0f, "1.000000"},
        {0.5f, "0.500000"},
        {-0.25f, "-0.25000"},
        {123.5f, "123.5000"},
        {1234567.0f, "1234567."},
        {0.1f, "0.100000"},
        {-12.5f, "-12.5000"},
        {0.7f, "0.699999"}, // 0.69999998...: cut, never rounded up
        {-0.0f, "0.000000"},
        {9999999.0f, "9999999."},
        {-123456.75f, "-123456."},
        // An integer part that fills the budget keeps all digits and drops the point.
        {12345678.0f, "12345678"},
        {10000000.0f, "10000000"},
        {99999992.0f, "99999992"},
        {-1234567.0f, "-1234567"},
        {-1000000.0f, "-1000000"},
        {-9999999.0f, "-9999999"},
        {100000000.0f, " Huge!  "},
        {-9999999.5f, " Huge!  "},
        {-10000000.0f, " Huge!  "},
        {kInf, " Huge!  "},
        {-kInf, " Huge!  "},
        {kNaN, " Huge!  "},
    };
    CFormattingEffect fx;
    for (const auto& c : cases)
        EXPECT_EQ(fx.text(&CPluginBase::formatFloat, c.value), c.text) << c.value;
}

TEST(PluginBaseFormat, IntegerIsRightAlignedAndCutAtEight)
{
    const struct
    {
        int32_t value;
        const char* text;
    } cases[] = {
        {5, "      5"},          {-5, "     -5"},
        {1234567, "1234567"},    {99999999, "99999999"},
        {100000000, " Huge!  "}, {std::numeric_limits<int32_t>::max(), " Huge!  "},
        {-12345678, "-1234567"}, {std::numeric_limits<int32_t>::min(), "-2147483"},
    };
    CFormattingEffect fx;
    for (const auto& c : cases)
        EXPECT_EQ(fx.text(&CPluginBase::formatInteger, c.value), c.text) << c.value;
}

TEST(PluginBaseFormat, UnitsConvertBeforeFormatting)
{
    CFormattingEffect fx;
    EXPECT_EQ(fx.text(&CPluginBase::formatDecibels, 1.0f), "0.000000");
    EXPECT_EQ(fx.text(&CPluginBase::formatDecibels, 10.0f), "20.00000");
    EXPECT_EQ(fx.text(&CPluginBase::formatDecibels, 0.5f), "-6.02059");
    EXPECT_EQ(fx.text(&CPluginBase::formatDecibels, 0.0f), "  -oo   ");
    EXPECT_EQ(fx.text(&CPluginBase::formatDecibels, -1.0f), "  -oo   ");
    EXPECT_EQ(fx.text(&CPluginBase::formatHertz, 441.0f), "100.0000");
    EXPECT_EQ(fx.text(&CPluginBase::formatHertz, 0.0f), "0.000000");
    EXPECT_EQ(fx.text(&CPluginBase::formatMilliseconds, 441.0f), "10.00000");
    EXPECT_EQ(fx.text(&CPluginBase::formatMilliseconds, 1.0f), "0.022675");
    fx.setSampleRate(48000.0f);
    EXPECT_EQ(fx.text(&CPluginBase::formatHertz, 480.0f), "100.0000");
    EXPECT_EQ(fx.text(&CPluginBase::formatMilliseconds, 1000.0f), "20.83333");
}
