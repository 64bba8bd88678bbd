#include "editor/CorrelationPointerView.h"
#include "editor/CorrelationRangeView.h"

#include "tests/editor/PluginWindowBench.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <set>
#include <thread>
#include <tuple>
#include <vector>

namespace
{
const float kInf = std::numeric_limits<float>::infinity();

// CPU time of the calling thread, in milliseconds.
double threadCpuMs()
{
    FILETIME created, ended, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
    auto ms = [](FILETIME t)
    { return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e4; };
    return ms(kernel) + ms(user);
}

// Columns first..last of the bar, all three rows, in the colour.
void expectColumns(const PluginWindowBench& bench, int first, int last, COLORREF color)
{
    const Pixels shown = bench.shown();
    for (int x = first; x <= last; ++x)
        for (int y = 0; y < 3; ++y)
            EXPECT_EQ(color, shown.at(25 + x, 206 + y)) << "column " << x << ", row " << y;
}

// Presses the button where no window is and moves onto the bar with it held;
// then the modifier, since entering a window makes Wine take the modifiers
// from the X server. The press is delivered to the frame there, and another
// thread lets go later, for a handler that polls while the button is held.
void clickBar(PluginWindowBench& bench, DWORD down, UINT message, WORD modifier = 0)
{
    HWND frame = bench.editor->getFrame()->getWindow();
    POINT onBar = {100, 207};
    ClientToScreen(frame, &onBar);
    SetCursorPos(900, 700);
    sendInput(down);
    SetCursorPos(onBar.x, onBar.y);
    pumpMessages(30);
    if (modifier)
        sendInput(0, modifier);
    std::thread release([down] { Sleep(300), sendInput(down << 1); });
    PostMessageA(frame, message, 0, MAKELPARAM(100, 207));
    pumpMessages();
    release.join();
    if (modifier)
        sendInput(0, modifier, KEYEVENTF_KEYUP);
}
} // namespace

TEST(CorrelationPointerView, PlacesTheTriangleAndColoursItByTheThresholds)
{
    PluginWindowBench bench;
    CCorrelationPointerView* view = bench.editor->getPointerView();
    const PortPoint* at = view->getTriangle();
    EXPECT_EQ(std::vector<int32_t>({88, 0, 91, 7, 85, 7}),
              std::vector<int32_t>({at[0].x, at[0].y, at[1].x, at[1].y, at[2].x, at[2].y}));
    const std::tuple<float, int, COLORREF> cases[] = {
        {0.0f, 88, kYellow}, {0.2f, 105, kYellow}, {-0.2f, 70, kYellow}, {0.21f, 105, kGreen},
        {-0.21f, 70, kRed},  {1.0f, 173, kGreen},  {-1.0f, 2, kRed},     {-1.0f, 2, kRed}};
    for (const auto& [value, column, color] : cases)
    {
        // A pointer that lands on the pixels it has is not drawn again.
        const bool same = at[0].x == column && RGB(view->getColor().red, view->getColor().green,
                                                   view->getColor().blue) == color;
        bench.smear(kPointer);
        view->setCorrelation(value);
        bench.tick();
        EXPECT_EQ(column, at[0].x) << value;
        EXPECT_EQ(same ? RGB(255, 255, 255) : color, bench.shown().at(22 + column, 212 + 5))
            << value;
    }
    for (float outside : {kInf, -1e30f, std::numeric_limits<float>::quiet_NaN()})
    {
        view->setCorrelation(outside);
        bench.tick();
        EXPECT_TRUE(bench.marks(kPointer, bench.strip).empty()) << outside << " is off the strip";
    }
}

TEST(CorrelationPointerView, HasThePixelsGdiFillsForItsTriangleAtEverySize)
{
    // The triangle GDI fills on black, apex on the top row, for the strip of
    // every size, against the shape the view and the portable renderer draw.
    for (int32_t percent : kPanelSizes)
    {
        const int32_t halfBase = pointerHalfBase(percent);
        const PortRect strip = zoomed(kPointerArea, percent);
        const int32_t baseRow = strip.bottom - strip.top - 1;
        const int32_t width = 2 * halfBase + 3, apex = halfBase + 1;
        COffscreenPort scratch(nullptr, width, baseRow + 1, kColorBlack);
        const PortPoint corners[3] = {
            {apex, 0}, {apex + halfBase, baseRow}, {apex - halfBase, baseRow}};
        scratch.setBrushColor(kColorWhite);
        scratch.paintPolygon(corners, 3);
        GdiFlush();
        std::set<std::pair<int, int>> filled, drawn;
        for (int32_t y = 0; y <= baseRow; ++y)
            for (int32_t x = 0; x < width; ++x)
                if (scratch.getPixels()[y * width + x] == pixelOf(kColorWhite))
                    filled.insert({x - apex, y});
        for (const PortPoint& p : pointerShape(halfBase, baseRow))
            drawn.insert({p.x, p.y});
        EXPECT_EQ(filled, drawn) << percent << " %";
        EXPECT_GT(filled.size(), 10u);
    }
}

TEST(CorrelationRangeView, ShowsTheBandInThreeColoursAndOnlyALeftClickAloneResetsIt)
{
    PluginWindowBench bench;
    CCorrelationRangeView* view = bench.editor->getRangeView();
    for (float value : {0.0f, 0.0f, 0.5f})
        view->setCorrelation(value);
    bench.tick();
    EXPECT_FALSE(view->isWaiting());
    EXPECT_TRUE(bench.band().empty()) << "zeros start nothing; one value has no width";
    view->setCorrelation(0.9f);
    bench.tick();
    expectColumns(bench, 128, 161, kGreen);
    EXPECT_EQ(34u * 3u, bench.band().size());

    view->resetRange();
    for (float value : {-0.5f, 0.5f})
        view->setCorrelation(value);
    bench.tick();
    expectColumns(bench, 42, 67, kRed);
    expectColumns(bench, 68, 101, kYellow);
    expectColumns(bench, 102, 127, kGreen);
    EXPECT_EQ(86u * 3u, bench.band().size());

    clickBar(bench, MOUSEEVENTF_LEFTDOWN, WM_LBUTTONDOWN, VK_SHIFT);
    clickBar(bench, MOUSEEVENTF_RIGHTDOWN, WM_RBUTTONDOWN);
    EXPECT_FALSE(view->isWaiting()) << "Shift-click and right click";
    view->setCorrelation(kInf);
    bench.tick();
    expectColumns(bench, 102, 171, kGreen);
    EXPECT_EQ(130u * 3u, bench.band().size()) << "an endless maximum reaches the bar's end";
    clickBar(bench, MOUSEEVENTF_LEFTDOWN, WM_LBUTTONDOWN);
    EXPECT_TRUE(view->isWaiting());
    bench.tick();
    EXPECT_TRUE(bench.band().empty());
}

TEST(CorrelationRangeView, HoldingTheButtonKeepsTheRangeResetWhileTheDisplayMoves)
{
    PluginWindowBench bench;
    HWND frame = bench.editor->getFrame()->getWindow();
    POINT onBar = {100, 207};
    ClientToScreen(frame, &onBar);
    SetCursorPos(900, 700);
    sendInput(MOUSEEVENTF_LEFTDOWN);
    SetCursorPos(onBar.x, onBar.y);
    pumpMessages(30);

    // While the button is held for a second, another thread processes audio
    // as a feeder does, watches the editor, and lets go.
    std::atomic<bool> released{false};
    std::set<Marks> shownDots;
    bool rangeStayedReset = true;
    std::thread feeder(
        [&]
        {
            std::vector<float> left(512), right(512);
            for (int step = 0; step < 10; ++step)
            {
                for (int i = 0; i < 512; ++i)
                {
                    left[i] = 0.8f * std::sin(0.05f * static_cast<float>(i * (step + 1)));
                    right[i] = 0.5f * std::sin(0.05f * static_cast<float>(i * (step + 1)) + 0.4f);
                }
                bench.process(left.data(), right.data(), 512);
                Sleep(100);
                shownDots.insert(bench.dots());
                rangeStayedReset = rangeStayedReset && bench.band().empty();
            }
            sendInput(MOUSEEVENTF_LEFTUP);
            released = true;
        });
    const DWORD start = GetTickCount();
    const double cpuBefore = threadCpuMs();
    PostMessageA(frame, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 207));
    while (!released)
        pumpMessages(20);
    const double cpu = threadCpuMs() - cpuBefore;
    feeder.join();
    EXPECT_GE(shownDots.size(), 4u) << "the scope stood still while the button was held";
    EXPECT_TRUE(rangeStayedReset);
    EXPECT_LT(cpu, (GetTickCount() - start) / 2.0) << "the GUI thread spun";
}
