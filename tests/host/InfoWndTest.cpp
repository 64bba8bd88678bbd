// The help window on a real 1024 x 768 display: its place and size, the
// scroll steps, which rows of which page are shown, and the language flags.

#include "host/InfoWnd.h"
#include "tests/support/MessagePump.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
// A copy of an area of a DC, to compare pictures pixel by pixel.
std::vector<COLORREF> grab(HDC source, int x, int y, int width, int height)
{
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
    std::vector<COLORREF> pixels;
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            pixels.push_back(GetPixel(memory, column, row));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return pixels;
}

// Rows [first, first + count) of a help page, `width` columns wide.
std::vector<COLORREF> pageRows(int id, int first, int width, int count)
{
    HDC screen = GetDC(nullptr);
    HDC page = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
    HGDIOBJ old = SelectObject(page, bitmap);
    std::vector<COLORREF> pixels = grab(page, 0, first, width, count);
    SelectObject(page, old);
    DeleteObject(bitmap);
    DeleteDC(page);
    return pixels;
}

class InfoWndTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        help = new CInfoWnd(GetModuleHandleA(nullptr), &slot);
        slot = help;
        ASSERT_EQ(1, help->Create(nullptr));
        hwnd = help->GetHwnd();
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        UpdateWindow(hwnd);
        pumpMessages();
    }
    void TearDown() override
    {
        if (slot)
            DestroyWindow(hwnd);
        pumpMessages();
    }

    void scroll(int code, int position = 0)
    {
        SendMessageA(hwnd, WM_VSCROLL, MAKEWPARAM(code, position), 0);
    }
    void click(int x, int y) { SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
    // Does the window show these rows of that page?
    bool shows(int pageId, int firstRow)
    {
        // The borders and the scroll bar leave a little less than the page's
        // width in view.
        RECT client;
        GetClientRect(hwnd, &client);
        const int rows = 40;
        return grab(help->GetWindowDc(), 0, 0, client.right, rows) ==
               pageRows(pageId, firstRow, client.right, rows);
    }

    CInfoWnd* slot = nullptr;
    CInfoWnd* help = nullptr;
    HWND hwnd = nullptr;
};
} // namespace

TEST_F(InfoWndTest, OpensAtTheTopRightHalfTheScreenHigh)
{
    char text[64] = {};
    GetClassNameA(hwnd, text, sizeof text);
    EXPECT_STREQ("CINFOWND", text);
    GetWindowTextA(hwnd, text, sizeof text);
    EXPECT_STREQ("Zanderwick Info", text);
    ASSERT_EQ(1024, GetSystemMetrics(SM_CXSCREEN));
    ASSERT_EQ(768, GetSystemMetrics(SM_CYSCREEN));
    RECT rect;
    GetWindowRect(hwnd, &rect);
    EXPECT_EQ(354, rect.left);
    EXPECT_EQ(0, rect.top);
    EXPECT_EQ(625, rect.right - rect.left);
    EXPECT_EQ(384, rect.bottom - rect.top);
    EXPECT_EQ(356, help->ViewHeight());
    EXPECT_TRUE(GetWindowLongA(hwnd, GWL_STYLE) & WS_VSCROLL);
    int low = -1, high = -1;
    GetScrollRange(hwnd, SB_VERT, &low, &high);
    EXPECT_EQ(0, low);
    EXPECT_EQ(1000, high);

    // The English page comes first, from its top.
    EXPECT_FALSE(help->ShowsGerman());
    EXPECT_TRUE(shows(114, 0));
}

TEST_F(InfoWndTest, ScrollStepsStayWithinTheRange)
{
    scroll(SB_LINEUP);
    EXPECT_EQ(0, help->ScrollPos());
    scroll(SB_LINEDOWN);
    EXPECT_EQ(1, help->ScrollPos());
    scroll(SB_PAGEUP);
    EXPECT_EQ(0, help->ScrollPos());
    scroll(SB_THUMBTRACK, 995);
    scroll(SB_PAGEDOWN);
    EXPECT_EQ(1000, help->ScrollPos());
    scroll(SB_LINEDOWN);
    EXPECT_EQ(1000, help->ScrollPos());
    scroll(SB_THUMBPOSITION, 5);
    scroll(SB_PAGEUP);
    EXPECT_EQ(0, help->ScrollPos());
    scroll(SB_ENDSCROLL);
    EXPECT_EQ(0, help->ScrollPos());
    EXPECT_EQ(0, GetScrollPos(hwnd, SB_VERT));

    scroll(SB_THUMBTRACK, 500);
    EXPECT_EQ(500, GetScrollPos(hwnd, SB_VERT));
    EXPECT_EQ((1790 - 356) * 500 / 1000, help->PageOffset());
    EXPECT_TRUE(shows(114, (1790 - 356) * 500 / 1000));
}

TEST_F(InfoWndTest, FlagsSwitchTheLanguageOnlyWhileTheTopIsInView)
{
    click(515, 30); // the German flag
    EXPECT_TRUE(help->ShowsGerman());
    EXPECT_TRUE(shows(113, 0));
    click(515, 30); // again: already German
    EXPECT_TRUE(help->ShowsGerman());
    click(487, 9);  // the flag's corner pixel misses
    click(437, 30); // the British flag
    EXPECT_FALSE(help->ShowsGerman());
    EXPECT_TRUE(shows(114, 0));

    scroll(SB_THUMBTRACK, 100); // 126 rows down: the flags are out of view
    click(515, 30);
    EXPECT_FALSE(help->ShowsGerman());

    // Switching at the bottom shows the bottom of the other page.
    scroll(SB_THUMBTRACK, 0);
    click(515, 30);
    scroll(SB_THUMBTRACK, 1000);
    EXPECT_TRUE(shows(113, 1792 - 356));
    scroll(SB_THUMBTRACK, 0);
    click(437, 30);
    scroll(SB_THUMBTRACK, 1000);
    EXPECT_TRUE(shows(114, 1790 - 356));
}

TEST_F(InfoWndTest, ClosingForgetsItselfAndDoesNotQuit)
{
    DestroyWindow(hwnd);
    EXPECT_EQ(nullptr, slot);
    EXPECT_FALSE(pumpMessages());
}
