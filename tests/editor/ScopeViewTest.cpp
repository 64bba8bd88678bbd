#include "editor/ScopeView.h"

#include "tests/editor/PluginWindowBench.h"

#include <gtest/gtest.h>

#include <limits>

TEST(ScopeView, DrawsTheLatestPointsOnlyInsideItsRangeAndOnlyWhenTheyAreNew)
{
    PluginWindowBench bench;
    CScopeView* view = bench.editor->getScopeView();
    const float r = CScopeView::kRange, inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float pairs[][2] = {{0.0f, 0.0f}, {1.0f, 1.0f},  {-1.0f, -1.0f}, {r, r},
                              {-r, -r},     {-1.7f, 0.0f}, {0.0f, 1.7f},   {0.0f, -1.7f},
                              {nan, 0.0f},  {0.0f, inf},   {-inf, 0.0f},   {3e9f, -1e30f}};
    std::vector<float> xs(512, 2.0f), ys(512, 0.0f), half(512, 0.5f);
    for (size_t i = 0; i < sizeof(pairs) / sizeof(pairs[0]); ++i)
    {
        xs[i] = pairs[i][0];
        ys[i] = pairs[i][1];
    }
    view->setPoints(half.data(), half.data());
    view->setPoints(xs.data(), ys.data());
    bench.tick();
    EXPECT_EQ(Marks({{0, 128}, {24, 103}, {65, 64}, {105, 24}, {130, 0}}), bench.dots())
        << "only the second set, and nothing from values beyond the range";
    EXPECT_GT(view->getPoint(8).x, 1000) << "NaN lies outside, not wherever it converts";
    EXPECT_LT(view->getPoint(9).y, -1000);
    EXPECT_GT(view->getPoint(11).x, 1000) << "too large for an int";

    bench.smear(kScope);
    bench.tick();
    EXPECT_EQ(131u * 129u, bench.dots().size()) << "no new points, no redraw";
}
