#include "editor/CorrelationPointerView.h"
#include "editor/CorrelationRangeView.h"

#include "tests/editor/ViewBench.h"

#include <gtest/gtest.h>

#include <limits>
#include <thread>

namespace
{
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kYellow = RGB(255, 255, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

struct PointerBench : public ViewBench<CCorrelationPointerView>
{
    PointerBench() : ViewBench(106, {22, 212, 199, 220}), backdrop(readPicture(*picture)) {}
    Pixels backdrop;
};

struct RangeBench : public ViewBench<CCorrelationRangeView>
{
    RangeBench() : ViewBench(107, {25, 206, 197, 209}), backdrop(readPicture(*picture)) {}
    int changedPixels() const { return shown().countDifferences(backdrop, {0, 0, 172, 3}); }
    // Columns first..last (inclusive) in the colour, on all three rows.
    void expectColumns(int first, int last, COLORREF color) const
    {
        const Pixels bar = shown();
        for (int x = first; x <= last; ++x)
            for (int y = 0; y < 3; ++y)
                EXPECT_EQ(color, bar.at(x, y)) << "column " << x << ", row " << y;
    }
    Pixels backdrop;
};

void send(DWORD mouseFlags, WORD key = 0, DWORD keyFlags = 0)
{
    INPUT input = {};
    input.type = mouseFlags ? INPUT_MOUSE : INPUT_KEYBOARD;
    input.mi.dwFlags = mouseFlags;
    if (!mouseFlags)
        input.ki = {key, 0, keyFlags, 0, 0};
    SendInput(1, &input, sizeof(input));
}

// Presses the mouse button where no window is, moves onto the bar with it
// held, and delivers the press to the frame there. The modifier goes down
// last: entering a window makes Wine take the modifiers from the X server.
// Another thread lets go after a while, for a handler that keeps polling
// while the button is held.
void clickBar(RangeBench& bench, DWORD down, DWORD up, UINT message, WORD modifier = 0)
{
    SetCursorPos(900, 700);
    send(down);
    pumpMessages(30);
    SetCursorPos(100, 207);
    pumpMessages(30);
    if (modifier)
        send(0, modifier);
    pumpMessages(30);
    std::thread release(
        [up]
        {
            Sleep(300);
            send(up);
        });
    PostMessageA(bench.frame->getWindow(), message, 0, MAKELPARAM(100, 207));
    pumpMessages();
    release.join();
    if (modifier)
        send(0, modifier, KEYEVENTF_KEYUP);
    SetCursorPos(900, 700);
    pumpMessages(30);
}
} // namespace

TEST(CorrelationPointerView, PlacesTheTriangleAndColoursItByTheThresholds)
{
    PointerBench bench;
    const PortPoint* triangle = bench.view->getTriangle();
    EXPECT_EQ(88, triangle[0].x);
    EXPECT_EQ(0, triangle[0].y);
    EXPECT_EQ(91, triangle[1].x);
    EXPECT_EQ(7, triangle[1].y);
    EXPECT_EQ(85, triangle[2].x);
    EXPECT_EQ(7, triangle[2].y);
    const Pixels first = bench.shown();
    EXPECT_EQ(kYellow, first.at(88, 5)) << "the frame's first paint shows 0";
    EXPECT_EQ(0, first.countDifferences(bench.backdrop, {0, 0, 85, 8}));
    EXPECT_EQ(0, first.countDifferences(bench.backdrop, {92, 0, 177, 8}));

    const struct
    {
        float value;
        int column;
        COLORREF color;
    } cases[] = {{0.2f, 105, kYellow}, {-0.2f, 70, kYellow}, {0.21f, 105, kGreen},
                 {-0.21f, 70, kRed},   {1.0f, 173, kGreen},  {-1.0f, 2, kRed}};
    for (const auto& c : cases)
    {
        bench.view->setCorrelation(c.value);
        bench.tick();
        EXPECT_EQ(c.column, triangle[0].x) << c.value;
        EXPECT_EQ(c.color, bench.shown().at(c.column, 5)) << c.value;
    }

    bench.smear();
    bench.view->setCorrelation(-1.0f);
    bench.tick();
    EXPECT_EQ(kRed, bench.shown().at(2, 5)) << "the same value is drawn again";
    for (float outside : {kInf, -kInf, kNaN, 1e30f})
    {
        bench.view->setCorrelation(outside);
        bench.tick();
        EXPECT_EQ(0, bench.shown().countDifferences(bench.backdrop, {0, 0, 177, 8})) << outside;
    }
}

TEST(CorrelationRangeView, WaitsForANonZeroValueThenShowsTheBandInThreeColours)
{
    RangeBench bench;
    EXPECT_EQ(0, bench.changedPixels());
    for (int i = 0; i < 3; ++i)
        bench.view->setCorrelation(0.0f);
    bench.tick();
    EXPECT_TRUE(bench.view->isWaiting());
    EXPECT_EQ(0, bench.changedPixels()) << "zeros start nothing";

    bench.view->setCorrelation(0.5f);
    bench.tick();
    EXPECT_FALSE(bench.view->isWaiting());
    EXPECT_EQ(0, bench.changedPixels()) << "a band of one value has no width";
    bench.view->setCorrelation(0.9f);
    bench.tick();
    bench.expectColumns(128, 161, kGreen);
    EXPECT_EQ(34 * 3, bench.changedPixels());

    bench.view->resetRange();
    bench.tick();
    EXPECT_EQ(0, bench.changedPixels());
    bench.view->setCorrelation(-0.5f);
    bench.view->setCorrelation(0.5f);
    bench.tick();
    bench.expectColumns(42, 67, kRed);
    bench.expectColumns(68, 101, kYellow);
    bench.expectColumns(102, 127, kGreen);
    EXPECT_EQ(86 * 3, bench.changedPixels());

    bench.view->setCorrelation(kInf);
    bench.tick();
    bench.expectColumns(102, 171, kGreen);
    EXPECT_EQ(130 * 3, bench.changedPixels()) << "an endless maximum reaches the bar's end";
}

TEST(CorrelationRangeView, OnlyALeftClickAloneResetsTheRange)
{
    RangeBench bench;
    bench.view->setCorrelation(-0.5f);
    bench.view->setCorrelation(0.5f);
    clickBar(bench, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, WM_LBUTTONDOWN, VK_SHIFT);
    EXPECT_FALSE(bench.view->isWaiting()) << "Shift-click";
    clickBar(bench, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, WM_RBUTTONDOWN);
    EXPECT_FALSE(bench.view->isWaiting()) << "right click";
    bench.tick();
    EXPECT_EQ(86 * 3, bench.changedPixels());

    clickBar(bench, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, WM_LBUTTONDOWN);
    EXPECT_TRUE(bench.view->isWaiting());
    bench.tick();
    EXPECT_EQ(0, bench.changedPixels());
}
