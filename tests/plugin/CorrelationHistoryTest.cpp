#include "plugin/CorrelationHistory.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
// A history of ten blocks (the fewest it keeps) read as five columns of two.
std::vector<float> columnsAfter(const std::vector<float>& pushed, int32_t width = 5)
{
    CCorrelationHistory history(512.0f);
    EXPECT_EQ(10, history.getCapacity());
    for (float value : pushed)
        history.push(value);
    std::vector<float> columns(width, 7.0f);
    history.readColumns(columns.data(), width);
    return columns;
}

// NaN compares equal to NaN here: it is what an empty column holds.
::testing::AssertionResult sameColumns(const std::vector<float>& a, const std::vector<float>& b)
{
    bool same = a.size() == b.size();
    for (size_t i = 0; same && i < a.size(); ++i)
        same = (std::isnan(a[i]) && std::isnan(b[i])) || a[i] == b[i];
    if (same)
        return ::testing::AssertionSuccess();
    auto text = [](const std::vector<float>& v)
    {
        std::string s;
        for (float x : v)
            s += std::to_string(x) + " ";
        return s;
    };
    return ::testing::AssertionFailure() << text(a) << "vs " << text(b);
}
} // namespace

TEST(CorrelationHistory, EachColumnShowsTheLowestOfItsBlocksNewestAtTheRight)
{
    const float n = NAN;
    const struct
    {
        const char* what;
        std::vector<float> pushed;
        std::vector<float> columns;
    } cases[] = {
        {"nothing yet", {}, {n, n, n, n, n}},
        {"a dip of one block shows", {0.9f, -0.6f, 0.8f}, {n, n, n, -0.6f, 0.8f}},
        {"ten blocks fill the strip", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {1, 3, 5, 7, 9}},
        // Columns stay put while the strip moves: block 11 starts a column.
        {"the oldest leave at the left", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0.5f}, {3, 5, 7, 9, 0.5f}},
        {"an unknown block never wins", {0.3f, n, n, n}, {n, n, n, 0.3f, n}},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(sameColumns(c.columns, columnsAfter(c.pushed))) << c.what;

    // Wider than the blocks it holds: every other column is empty.
    const std::vector<float> wide = columnsAfter({-1, 0.5f}, 20);
    EXPECT_TRUE(sameColumns({n, -1, n, 0.5f}, std::vector<float>(wide.end() - 4, wide.end())));

    // A gap longer than the history leaves only the gap; the rate sets the
    // length, ten seconds of 512-frame blocks.
    CCorrelationHistory history(512.0f);
    history.push(-0.9f, 3);
    history.push(NAN, 25);
    history.push(0.25f);
    std::vector<float> columns(5);
    history.readColumns(columns.data(), 5);
    EXPECT_TRUE(sameColumns({n, n, n, n, 0.25f}, columns));
    EXPECT_EQ(29u, history.getBlocks());
    history.setSampleRate(44100.0f);
    EXPECT_EQ(862, history.getCapacity());
    EXPECT_EQ(0u, history.getBlocks());
    history.setSampleRate(NAN);
    EXPECT_EQ(10, history.getCapacity());
}
