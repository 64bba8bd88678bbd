#include "editor/ValueScale.h"

#include <gtest/gtest.h>

TEST(ValueScale, MapsLinearlyAndLogarithmicallyWithoutClamping)
{
    CValueScale linear(0), logarithmic(1);
    const float in[] = {0.0f, -1.0f, 3.0f, 85.5f, 1.0f, 100.0f};
    linear.setRanges(-1.0f, 1.0f, 0.0f, 171.0f);
    EXPECT_EQ(linear.toOutput(&in[0]) + linear.toOutput(&in[1]), 85.5);
    EXPECT_EQ(linear.toOutput(&in[2]), 342.0);
    EXPECT_EQ(linear.toInput(&in[3]), 0.0);
    linear.setRanges(-1.0f, 1.0f, 128.0f, 0.0f);
    EXPECT_EQ(linear.toOutput(&in[4]), 0.0);
    logarithmic.setRanges(0.0f, 2.0f, 10.0f, 1000.0f);
    EXPECT_EQ(logarithmic.getOutputHigh() * logarithmic.getSlope(), 3.0f);
    EXPECT_DOUBLE_EQ(logarithmic.toOutput(&in[4]), 100.0);
    EXPECT_DOUBLE_EQ(logarithmic.toInput(&in[5]), 1.0);
}

TEST(ValueScale, ScopeViewPixelsLandOnTheCentreAndTheEdges)
{
    // The single-precision map puts 0 on the centre pixel of the 131 x 129 view.
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
