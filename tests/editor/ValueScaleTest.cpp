#include "editor/ValueScale.h"

#include <gtest/gtest.h>

namespace
{
double out(CValueScale& scale, float v)
{
    return scale.toOutput(&v);
}
} // namespace

TEST(ValueScale, LinearAndLogarithmicMappings)
{
    CValueScale linear(0);
    linear.setRanges(-1.0f, 1.0f, 0.0f, 171.0f);
    EXPECT_EQ(linear.getSlope(), 85.5f);
    EXPECT_EQ(out(linear, 0.0f), 85.5);
    EXPECT_EQ(out(linear, -1.0f), 0.0);
    EXPECT_EQ(out(linear, 3.0f), 342.0) << "nothing is clamped";
    float back = 85.5f;
    EXPECT_EQ(linear.toInput(&back), 0.0);
    linear.setRanges(-1.0f, 1.0f, 128.0f, 0.0f);
    EXPECT_EQ(out(linear, 1.0f), 0.0);
    EXPECT_EQ(out(linear, -1.0f), 128.0);

    CValueScale logarithmic(1);
    logarithmic.setRanges(0.0f, 2.0f, 10.0f, 1000.0f);
    EXPECT_EQ(logarithmic.getOutputLow() + logarithmic.getOutputHigh(), 4.0f);
    EXPECT_EQ(logarithmic.getSlope(), 1.0f);
    EXPECT_DOUBLE_EQ(out(logarithmic, 1.0f), 100.0);
    EXPECT_DOUBLE_EQ(out(logarithmic, 0.0f), 10.0);
    float hundred = 100.0f;
    EXPECT_DOUBLE_EQ(logarithmic.toInput(&hundred), 1.0);
}

TEST(ValueScale, ScopeViewPixelsLandOnTheCentreAndTheEdges)
{
    const float range = 1.6109737f;
    CValueScale x(0), y(0);
    x.setRanges(-range, range, 0.0f, 130.0f);
    y.setRanges(-range, range, 128.0f, 0.0f);
    const float inputs[] = {0.0f, 1.0f, -1.0f, range, -range};
    const int columns[] = {65, 105, 24, 130, 0};
    const int rows[] = {64, 24, 103, 0, 128};
    for (int i = 0; i < 5; ++i)
    {
        EXPECT_EQ(static_cast<int>(x.toOutput(&inputs[i])), columns[i]) << inputs[i];
        EXPECT_EQ(static_cast<int>(y.toOutput(&inputs[i])), rows[i]) << inputs[i];
    }
}

TEST(ValueScale, RoutinesAreReachedThroughTheirSlots)
{
    class CDoubledScale : public CValueScale
    {
    public:
        CDoubledScale() : CValueScale(0) {}
        double mapLinear(const float* v) override { return 2.0 * CValueScale::mapLinear(v); }
    } doubled;
    doubled.setRanges(0.0f, 1.0f, 0.0f, 10.0f);
    EXPECT_EQ(out(doubled, 0.5f), 10.0);
}
