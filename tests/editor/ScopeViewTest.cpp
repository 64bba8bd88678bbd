#include "editor/ScopeView.h"

#include "tests/editor/ViewBench.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace
{
const COLORREF kDot = RGB(255, 255, 0);
const RECT kWhole = {0, 0, 131, 129};
using Dots = std::vector<std::pair<int, int>>;

// The scope view needs its point count; the editor uses 512.
struct CEditorScopeView : public CScopeView
{
    CEditorScopeView(const PortRect& rect, CSkinBitmap* picture) : CScopeView(rect, 512, picture) {}
};

struct ScopeBench : public ViewBench<CEditorScopeView>
{
    ScopeBench() : ViewBench(105, {46, 56, 177, 185}), backdrop(readPicture(*picture)) {}
    // Every pixel that differs from the scope picture must be a dot.
    Dots dots() const
    {
        const Pixels now = shown();
        Dots found;
        for (int y = 0; y < now.height; ++y)
            for (int x = 0; x < now.width; ++x)
                if (now.at(x, y) != backdrop.at(x, y))
                {
                    EXPECT_EQ(kDot, now.at(x, y)) << x << "," << y;
                    found.push_back({x, y});
                }
        return found;
    }
    Pixels backdrop;
};
} // namespace

TEST(ScopeView, StartsWithEveryDotOnTheCentre)
{
    ScopeBench bench;
    EXPECT_FALSE(bench.view->isChanged());
    EXPECT_EQ(Dots({{65, 64}}), bench.dots()) << "the frame's first paint";
}

TEST(ScopeView, MapsTheRangeOntoThePictureAndDropsWhatLiesBeyond)
{
    ScopeBench bench;
    const float range = CScopeView::kRange;
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Everything not listed lies beyond the range in some direction.
    std::vector<float> xs(512, 1.7f), ys(512, 0.0f);
    const float pairs[][2] = {{0.0f, 0.0f},     {1.0f, 1.0f},  {-1.0f, -1.0f}, {range, range},
                              {-range, -range}, {-1.7f, 0.0f}, {0.0f, 1.7f},   {0.0f, -1.7f},
                              {nan, 0.0f},      {0.0f, inf},   {-inf, 0.0f},   {1e30f, -1e30f},
                              {3e9f, 0.0f}};
    for (size_t i = 0; i < sizeof(pairs) / sizeof(pairs[0]); ++i)
    {
        xs[i] = pairs[i][0];
        ys[i] = pairs[i][1];
    }
    bench.view->setPoints(xs.data(), ys.data());
    bench.tick();
    EXPECT_EQ(Dots({{130, 0}, {105, 24}, {65, 64}, {24, 103}, {0, 128}}), bench.dots());
    EXPECT_GT(bench.view->getPoint(8).x, 1000) << "NaN lies outside, not wherever it converts";
    EXPECT_LT(bench.view->getPoint(9).y, -1000);
    EXPECT_GT(bench.view->getPoint(12).x, 1000) << "too large for an int";
}

TEST(ScopeView, DrawsOnlyTheLatestPointsAndOnlyWhenTheyAreNew)
{
    ScopeBench bench;
    std::vector<float> first(512, 0.5f), second(512, -0.5f), up(512, 1.0f);
    bench.view->setPoints(first.data(), first.data());
    bench.view->setPoints(second.data(), up.data());
    bench.tick();
    EXPECT_EQ(Dots({{44, 24}}), bench.dots());

    bench.smear();
    bench.tick();
    EXPECT_EQ(131 * 129, bench.shown().countDifferences(bench.backdrop, kWhole))
        << "no new points, no redraw";
    bench.view->setPoints(second.data(), up.data());
    bench.tick();
    EXPECT_EQ(1u, bench.dots().size()) << "the same points again are new points";
}
