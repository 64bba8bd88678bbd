#include "gui/PaintPort.h"

#include "tests/gui/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
const COLORREF kWhite = RGB(255, 255, 255);

LOGFONTA currentFont(HDC context)
{
    LOGFONTA font = {};
    GetObjectA(GetCurrentObject(context, OBJ_FONT), sizeof(font), &font);
    return font;
}

UINT currentPenStyle(HDC context)
{
    LOGPEN pen = {};
    GetObjectA(GetCurrentObject(context, OBJ_PEN), sizeof(pen), &pen);
    return pen.lopnStyle;
}

// Leftmost and rightmost columns that are not white.
std::pair<int, int> inkExtent(const Pixels& pixels)
{
    int first = pixels.width, last = -1;
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x)
            if (pixels.at(x, y) != kWhite)
            {
                first = std::min(first, x);
                last = std::max(last, x);
            }
    return {first, last};
}

void sendInput(DWORD mouseFlags, WORD key, DWORD keyFlags)
{
    INPUT input = {};
    if (mouseFlags)
    {
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = mouseFlags;
    }
    else
    {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = keyFlags;
    }
    SendInput(1, &input, sizeof(input));
    pumpMessages(30);
}
} // namespace

TEST(PaintPort, FillsWithTheBrushAndNeverOutlines)
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
        // Plotting leaves the port's own colours alone.
        EXPECT_EQ(0, port.getPenColor().red);
        EXPECT_EQ(255, port.getPenColor().blue);
    }
    ReleaseDC(window.handle, context);

    const Pixels pixels = readWindow(window.handle);
    EXPECT_EQ(RGB(255, 0, 0), pixels.at(0, 0));
    EXPECT_EQ(RGB(255, 0, 0), pixels.at(9, 4));
    EXPECT_EQ(kWhite, pixels.at(10, 4));
    EXPECT_EQ(kWhite, pixels.at(9, 5));
    EXPECT_EQ(RGB(255, 0, 0), pixels.at(25, 5));
    EXPECT_EQ(RGB(0, 255, 0), pixels.at(35, 20));
    for (int y = 0; y <= 10; ++y)
        for (int x = 20; x <= 30; ++x)
            ASSERT_NE(RGB(0, 0, 255), pixels.at(x, y)) << x << "," << y;
}

TEST(PaintPort, TakesOverTheContextAndPutsItBack)
{
    CPaintPort detached(nullptr, nullptr);
    EXPECT_EQ(255, detached.getPenColor().red);
    EXPECT_EQ(0, detached.getBrushColor().red);
    EXPECT_EQ(255, detached.getTextColor().blue);

    CTestWindow window(0, 0, 20, 20);
    HDC context = GetDC(window.handle);
    SetBkMode(context, OPAQUE);
    const HGDIOBJ brush = GetCurrentObject(context, OBJ_BRUSH);
    const HGDIOBJ pen = GetCurrentObject(context, OBJ_PEN);
    const HGDIOBJ font = GetCurrentObject(context, OBJ_FONT);
    HGDIOBJ ownPen, ownBrush, ownFont, firstPen;
    {
        CPaintPort port(context, window.handle);
        EXPECT_EQ(TRANSPARENT, GetBkMode(context));
        EXPECT_EQ(kWhite, GetTextColor(context));
        EXPECT_EQ(RGB(0, 0, 0), GetBkColor(context));
        EXPECT_EQ(static_cast<UINT>(PS_SOLID), currentPenStyle(context));

        firstPen = GetCurrentObject(context, OBJ_PEN);
        port.setLineDash(2);
        EXPECT_EQ(static_cast<UINT>(PS_SOLID), currentPenStyle(context));
        // The port keeps one pen of its own: the one it replaced is gone.
        EXPECT_EQ(0u, GetObjectType(firstPen));
        port.setLineDash(1);
        EXPECT_EQ(static_cast<UINT>(PS_DOT), currentPenStyle(context));

        port.selectFont(kFontArial16, 0);
        LOGFONTA chosen = currentFont(context);
        EXPECT_EQ(-16, chosen.lfHeight);
        EXPECT_EQ(FW_NORMAL, chosen.lfWeight);
        EXPECT_STREQ("Arial", chosen.lfFaceName);
        EXPECT_EQ(0x22, chosen.lfPitchAndFamily);
        port.selectFont(static_cast<PortFontId>(7), 0);
        chosen = currentFont(context);
        EXPECT_EQ(-13, chosen.lfHeight);
        EXPECT_EQ(FW_BOLD, chosen.lfWeight);
        port.selectFont(kFontSymbol, 20);
        chosen = currentFont(context);
        EXPECT_EQ(-20, chosen.lfHeight);
        EXPECT_STREQ("Wingdings", chosen.lfFaceName);
        EXPECT_EQ(0x50, chosen.lfPitchAndFamily);
        port.selectFont(kFontTiny, 0);
        chosen = currentFont(context);
        EXPECT_EQ(-7, chosen.lfHeight);
        EXPECT_STREQ("Small Fonts", chosen.lfFaceName);

        ownPen = GetCurrentObject(context, OBJ_PEN);
        ownBrush = GetCurrentObject(context, OBJ_BRUSH);
        ownFont = GetCurrentObject(context, OBJ_FONT);
    }
    EXPECT_EQ(brush, GetCurrentObject(context, OBJ_BRUSH));
    EXPECT_EQ(pen, GetCurrentObject(context, OBJ_PEN));
    EXPECT_EQ(font, GetCurrentObject(context, OBJ_FONT));
    EXPECT_EQ(0u, GetObjectType(ownPen));
    EXPECT_EQ(0u, GetObjectType(ownBrush));
    EXPECT_EQ(0u, GetObjectType(ownFont));
    ReleaseDC(window.handle, context);
}

TEST(PaintPort, WritesAlignedTextAndLeavesTheBackgroundTransparent)
{
    CTestWindow window(0, 0, 200, 20);
    HDC context = GetDC(window.handle);
    const PortRect line = {0, 0, 200, 20};
    std::pair<int, int> extents[4];
    for (int alignment = 0; alignment < 4; ++alignment)
    {
        CPaintPort port(context, window.handle);
        port.setBrushColor(kColorWhite);
        port.paintRect(line);
        port.setTextColor(kColorBlack);
        port.selectFont(kFontArial16, 0);
        port.writeText("Wm", line, 0, alignment);
        extents[alignment] = inkExtent(readWindow(window.handle));
    }
    EXPECT_LT(extents[0].first, 5);
    EXPECT_NEAR(100, (extents[1].first + extents[1].second) / 2, 3);
    EXPECT_GT(extents[2].second, 194);
    EXPECT_EQ(extents[0], extents[3]);

    CPaintPort port(context, window.handle);
    port.setBrushColor(kColorGreen);
    SetBkMode(context, OPAQUE);
    port.writeText("Wm", line, 1, 0);
    EXPECT_EQ(TRANSPARENT, GetBkMode(context));
    const Pixels pixels = readWindow(window.handle);
    const int filled =
        static_cast<int>(std::count(pixels.values.begin(), pixels.values.end(), RGB(0, 255, 0)));
    EXPECT_GT(filled, 20) << "opaque text fills its cell with the brush colour";
    ReleaseDC(window.handle, context);
}

TEST(PaintPort, ReadsTheRealMouseAndKeys)
{
    CTestWindow window(100, 80, 50, 50);
    CPaintPort port(nullptr, window.handle);
    SetCursorPos(130, 90);
    pumpMessages(30);
    const PortPoint pointer = port.readPointer();
    EXPECT_EQ(30, pointer.x);
    EXPECT_EQ(10, pointer.y);

    // Click where no window is, so that the test window is never activated.
    SetCursorPos(900, 700);

    sendInput(0, VK_SHIFT, 0);
    sendInput(MOUSEEVENTF_LEFTDOWN, 0, 0);
    EXPECT_EQ(kButtonLeft | kButtonShift, port.readButtons());
    sendInput(0, VK_SHIFT, KEYEVENTF_KEYUP);
    EXPECT_EQ(kButtonLeft, port.readButtons());
    sendInput(MOUSEEVENTF_LEFTUP, 0, 0);
    sendInput(MOUSEEVENTF_RIGHTDOWN, 0, 0);
    sendInput(0, VK_CONTROL, 0);
    EXPECT_EQ(kButtonRight | kButtonControl, port.readButtons());
    sendInput(0, VK_CONTROL, KEYEVENTF_KEYUP);
    sendInput(MOUSEEVENTF_RIGHTUP, 0, 0);
    EXPECT_EQ(0, port.readButtons());
}
