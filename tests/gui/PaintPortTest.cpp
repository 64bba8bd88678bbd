#include "gui/PaintPort.h"

#include "tests/support/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
const COLORREF kWhite = RGB(255, 255, 255);

template <typename Record> Record current(HDC context, UINT kind)
{
    Record record = {};
    GetObjectA(GetCurrentObject(context, kind), sizeof(record), &record);
    return record;
}

} // namespace

TEST(PaintPort, FillsInTheBrushColourWithoutOutlines)
{
    CTestWindow window(0, 0, 40, 30);
    HDC context = GetDC(window.handle);
    {
        CPaintPort port(context, window.handle);
        port.setPenColor(kColorBlue);
        port.setBrushColor(kColorRed);
        port.paintRect({0, 0, 10, 5});
        const PortPoint square[] = {{20, 0}, {30, 0}, {30, 10}, {20, 10}};
        port.paintPolygon(square, 4);
        port.plotPixel({35, 20}, kColorGreen);
    }
    ReleaseDC(window.handle, context);
    const Pixels shown = readWindow(window.handle);
    EXPECT_EQ(RGB(255, 0, 0), shown.at(9, 4));
    EXPECT_EQ(kWhite, shown.at(10, 4));
    EXPECT_EQ(kWhite, shown.at(9, 5));
    EXPECT_EQ(RGB(255, 0, 0), shown.at(25, 5));
    EXPECT_EQ(RGB(0, 255, 0), shown.at(35, 20));
    EXPECT_EQ(10 * 5 + 10 * 10 + 1, std::count_if(shown.values.begin(), shown.values.end(),
                                                  [](COLORREF c) { return c != kWhite; }));
}

TEST(PaintPort, OwnsOnePenBrushAndFontAndPutsTheContextBack)
{
    CTestWindow window(0, 0, 20, 20);
    HDC context = GetDC(window.handle);
    SetBkMode(context, OPAQUE);
    const UINT kinds[] = {OBJ_BRUSH, OBJ_PEN, OBJ_FONT};
    HGDIOBJ had[3], own[3];
    for (int i = 0; i < 3; ++i)
        had[i] = GetCurrentObject(context, kinds[i]);
    {
        CPaintPort port(context, window.handle);
        EXPECT_EQ(TRANSPARENT, GetBkMode(context));
        EXPECT_EQ(kWhite, GetTextColor(context));
        const HGDIOBJ firstPen = GetCurrentObject(context, OBJ_PEN);
        port.setLineDash(2);
        EXPECT_EQ(0u, GetObjectType(firstPen)) << "a replaced pen is deleted";
        EXPECT_EQ(UINT(PS_SOLID), current<LOGPEN>(context, OBJ_PEN).lopnStyle);
        port.setLineDash(1);
        EXPECT_EQ(UINT(PS_DOT), current<LOGPEN>(context, OBJ_PEN).lopnStyle);

        port.selectFont(static_cast<PortFontId>(7), 0);
        LOGFONTA font = current<LOGFONTA>(context, OBJ_FONT);
        EXPECT_EQ(-13, font.lfHeight);
        EXPECT_EQ(FW_BOLD, font.lfWeight);
        EXPECT_STREQ("Arial", font.lfFaceName);
        port.selectFont(kFontArial12, 10);
        font = current<LOGFONTA>(context, OBJ_FONT);
        EXPECT_EQ(-10, font.lfHeight);
        EXPECT_EQ(FW_NORMAL, font.lfWeight);
        for (int i = 0; i < 3; ++i)
            own[i] = GetCurrentObject(context, kinds[i]);
    }
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(had[i], GetCurrentObject(context, kinds[i]));
        EXPECT_EQ(0u, GetObjectType(own[i]));
    }
    ReleaseDC(window.handle, context);
}

TEST(PaintPort, WritesAlignedTextAndLeavesTheBackgroundTransparent)
{
    CTestWindow window(0, 0, 200, 20);
    HDC context = GetDC(window.handle);
    CPaintPort port(context, window.handle);
    port.setTextColor(kColorBlack);
    int first[4], last[4];
    for (int alignment = 0; alignment < 4; ++alignment)
    {
        port.setBrushColor(kColorWhite);
        port.paintRect({0, 0, 200, 20});
        port.writeText("Wm", {0, 0, 200, 20}, 0, alignment);
        const Pixels shown = readWindow(window.handle);
        first[alignment] = 200, last[alignment] = -1;
        for (int i = 0; i < 200 * 20; ++i)
            if (shown.values[i] != kWhite)
                first[alignment] = std::min(first[alignment], i % 200),
                last[alignment] = std::max(last[alignment], i % 200);
    }
    EXPECT_LT(first[0], 5);
    EXPECT_NEAR(100, (first[1] + last[1]) / 2, 3);
    EXPECT_GT(last[2], 194);
    EXPECT_EQ(first[0], first[3]) << "an unknown alignment is left";

    port.setBrushColor(kColorGreen);
    SetBkMode(context, OPAQUE);
    port.writeText("Wm", {0, 0, 200, 20}, 1, 0);
    EXPECT_EQ(TRANSPARENT, GetBkMode(context));
    const Pixels shown = readWindow(window.handle);
    EXPECT_GT(std::count(shown.values.begin(), shown.values.end(), RGB(0, 255, 0)), 20)
        << "opaque text fills its cell in the brush colour";
    ReleaseDC(window.handle, context);
}

TEST(PaintPort, ReadsTheRealPointerButtonsAndModifiers)
{
    CTestWindow window(100, 80, 50, 50);
    CPaintPort port(nullptr, window.handle);
    SetCursorPos(130, 90);
    pumpMessages(30);
    EXPECT_EQ(30, port.readPointer().x);
    EXPECT_EQ(10, port.readPointer().y);

    SetCursorPos(900, 700); // no window there to click on
    sendInput(0, VK_SHIFT);
    sendInput(MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(kButtonLeft | kButtonShift, port.readButtons());
    sendInput(0, VK_SHIFT, KEYEVENTF_KEYUP);
    EXPECT_EQ(kButtonLeft, port.readButtons());
    sendInput(MOUSEEVENTF_LEFTUP);
    sendInput(MOUSEEVENTF_RIGHTDOWN);
    EXPECT_EQ(kButtonRight, port.readButtons());
    sendInput(MOUSEEVENTF_RIGHTUP);
    EXPECT_EQ(0, port.readButtons());
}
