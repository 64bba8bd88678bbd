// The window base's message routing and the tool button's hit test and
// drawing, on real windows and DCs.

#include "host/Window.h"
#include "host/ToolButton.h"
#include "tests/support/MessagePump.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
struct Call
{
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Records every handler call and answers with a value of its own, so that a
// test can tell which handler produced the window procedure's result.
class CRecordingWindow : public CWindow
{
  public:
    CRecordingWindow() : CWindow(GetModuleHandleA(nullptr)) {}
    std::vector<Call> calls;

#define ZW_RECORD(name, answer)                                                                    \
    LRESULT name(HWND, UINT message, WPARAM wParam, LPARAM lParam) override                        \
    {                                                                                              \
        calls.push_back({message, wParam, lParam});                                                \
        return answer;                                                                             \
    }
    ZW_RECORD(OnDestroy, 102)
    ZW_RECORD(OnTimer, 103)
    ZW_RECORD(OnCommand, 104)
    ZW_RECORD(OnUser, 105)
    ZW_RECORD(OnPaint, 106)
    ZW_RECORD(OnVScroll, 107)
    ZW_RECORD(OnKeyDown, 108)
    ZW_RECORD(OnLButtonDown, 109)
#undef ZW_RECORD
};

} // namespace

TEST(Window, RoutesTheEightMessagesToTheirHandlers)
{
    CRecordingWindow window;
    ASSERT_EQ(1, window.Create(nullptr));
    HWND hwnd = window.GetHwnd();
    ASSERT_TRUE(hwnd);

    const struct
    {
        UINT message;
        LRESULT answer;
    } routes[] = {{WM_DESTROY, 102}, {WM_TIMER, 103},   {WM_COMMAND, 104}, {WM_USER, 105},
                  {WM_PAINT, 106},   {WM_VSCROLL, 107}, {WM_KEYDOWN, 108}, {WM_LBUTTONDOWN, 109}};
    for (const auto& route : routes)
    {
        window.calls.clear();
        EXPECT_EQ(route.answer, SendMessageA(hwnd, route.message, 0x1234, 0x56789))
            << "message " << route.message;
        ASSERT_EQ(1u, window.calls.size());
        EXPECT_EQ(route.message, window.calls[0].message);
        EXPECT_EQ(0x1234u, window.calls[0].wParam);
        EXPECT_EQ(0x56789, window.calls[0].lParam);
    }

    // Anything else is the default procedure's: it sets the title, no handler runs.
    window.calls.clear();
    SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("routed"));
    SendMessageA(hwnd, WM_MOUSEMOVE, 0, 0);
    SendMessageA(hwnd, WM_RBUTTONDOWN, 0, 0);
    EXPECT_TRUE(window.calls.empty());
    char title[32] = {};
    GetWindowTextA(hwnd, title, sizeof title);
    EXPECT_STREQ("routed", title);

    // The user data names the object; the class keeps its own DC.
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&window), GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    char cls[32] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    EXPECT_STREQ("CWINDOW", cls);
    EXPECT_TRUE(GetClassLongA(hwnd, GCL_STYLE) & CS_OWNDC);
    EXPECT_EQ(window.GetWindowDc(), GetDC(hwnd));

    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
}

TEST(Window, PlainWindowDefaults)
{
    CWindow window(GetModuleHandleA(nullptr));
    ASSERT_EQ(1, window.Create(nullptr));
    HWND hwnd = window.GetHwnd();

    // The unhandled defaults answer 0; no update region means no painting.
    EXPECT_EQ(0, SendMessageA(hwnd, WM_COMMAND, 7, 0));
    EXPECT_EQ(0, SendMessageA(hwnd, WM_TIMER, 1, 0));
    EXPECT_EQ(0, SendMessageA(hwnd, WM_KEYDOWN, VK_RETURN, 0));
    EXPECT_EQ(0, SendMessageA(hwnd, WM_PAINT, 0, 0));
    InvalidateRect(hwnd, nullptr, FALSE);
    SendMessageA(hwnd, WM_PAINT, 0, 0);
    RECT update;
    EXPECT_FALSE(GetUpdateRect(hwnd, &update, FALSE)) << "WM_PAINT must validate";

    WPARAM code = 99;
    EXPECT_FALSE(pumpMessages(0, &code));
    DestroyWindow(hwnd);
    ASSERT_TRUE(pumpMessages(0, &code)) << "destroying a plain window posts quit";
    EXPECT_EQ(0u, code);
}

TEST(ToolButton, HitTestIsStrictOnAllSides)
{
    CToolButton button(5, 4, 23, 22, nullptr, nullptr, 0, 0, 0);
    EXPECT_FALSE(button.HitTest(5, 4));
    EXPECT_FALSE(button.HitTest(6, 4));
    EXPECT_FALSE(button.HitTest(5, 5));
    EXPECT_TRUE(button.HitTest(6, 5));
    EXPECT_TRUE(button.HitTest(27, 25));
    EXPECT_FALSE(button.HitTest(28, 25));
    EXPECT_FALSE(button.HitTest(27, 26));
}

TEST(ToolButton, DrawsTheNormalOrPressedState)
{
    HDC screen = GetDC(nullptr);
    HDC source = CreateCompatibleDC(screen);
    HDC target = CreateCompatibleDC(screen);
    HBITMAP sourceBitmap = CreateCompatibleBitmap(screen, 23, 44);
    HBITMAP targetBitmap = CreateCompatibleBitmap(screen, 40, 40);
    ReleaseDC(nullptr, screen);
    HGDIOBJ oldSource = SelectObject(source, sourceBitmap);
    HGDIOBJ oldTarget = SelectObject(target, targetBitmap);

    RECT upper = {0, 0, 23, 22}, lower = {0, 22, 23, 44}, all = {0, 0, 40, 40};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    FillRect(source, &upper, red);
    FillRect(source, &lower, blue);
    FillRect(target, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

    CToolButton button(10, 8, 23, 22, target, source, 0, 0, 22);
    EXPECT_TRUE(button.Draw(0));
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(target, 10, 8));
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(target, 32, 29));
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(target, 33, 29));
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(target, 32, 30));
    EXPECT_TRUE(button.Draw(5));
    EXPECT_EQ(RGB(0, 0, 255), GetPixel(target, 10, 8));
    EXPECT_EQ(RGB(0, 0, 255), GetPixel(target, 32, 29));

    SelectObject(source, oldSource);
    SelectObject(target, oldTarget);
    DeleteObject(red);
    DeleteObject(blue);
    DeleteObject(sourceBitmap);
    DeleteObject(targetBitmap);
    DeleteDC(source);
    DeleteDC(target);
}
