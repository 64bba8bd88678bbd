#include "host/InfoWnd.h"

#include "editor/ZoomSetting.h"
#include "resources/ResourceIds.h"

namespace
{
const char kClassName[] = "CINFOWND";
const char kTitle[] = "Zanderwick Info";
const DWORD kExStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE;
const DWORD kStyle = WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_VSCROLL | WS_SYSMENU;

const int kScrollRange = 1000;
const int kPageStep = 10;
// The caption and borders take this much of the window's height.
const int kFrameHeight = 28;
// The window is this much wider than the page (scroll bar and borders),
// and keeps this distance from the right edge of the screen.
const int kExtraWidth = 25;
const int kRightMargin = 70;

HBITMAP loadPage(HINSTANCE instance, int id, int* width, int* height)
{
    HBITMAP bitmap = LoadBitmapA(instance, MAKEINTRESOURCEA(id));
    BITMAP info = {};
    if (bitmap && GetObjectA(bitmap, sizeof info, &info))
    {
        *width = info.bmWidth;
        *height = info.bmHeight;
    }
    return bitmap;
}
} // namespace

CInfoWnd::CInfoWnd(HINSTANCE instance_, CInfoWnd** ownerSlot, int editorZoom_)
    : CWindow(instance_), owner(ownerSlot), screenWidth(0), windowHeight(0), viewHeight(0),
      germanWidth(0), germanHeight(0), englishWidth(0), englishHeight(0), scrollPos(0),
      germanDc(nullptr), englishDc(nullptr), showGerman(0), germanBitmap(nullptr),
      englishBitmap(nullptr), editorZoom(editorZoom_), zoom(CZoomSetting::kDefault),
      germanFlag(487, 9, 57, 47, nullptr, nullptr, 0, 0, 0),
      englishFlag(409, 9, 57, 47, nullptr, nullptr, 0, 0, 0), germanDcDefault(nullptr),
      englishDcDefault(nullptr)
{
}

CInfoWnd::~CInfoWnd()
{
    if (germanDc)
    {
        SelectObject(germanDc, germanDcDefault);
        DeleteDC(germanDc);
    }
    if (englishDc)
    {
        SelectObject(englishDc, englishDcDefault);
        DeleteDC(englishDc);
    }
    if (germanBitmap)
        DeleteObject(germanBitmap);
    if (englishBitmap)
        DeleteObject(englishBitmap);
}

int CInfoWnd::Create(HWND parent)
{
    parentHwnd = parent;

    const HostClass windowClass = {
        kClassName, LoadIconA(instance, MAKEINTRESOURCEA(IDI_ZANDERWICK)),
        LoadIconA(instance, MAKEINTRESOURCEA(IDI_ZANDERWICK_SMALL)), MenuColorBrush()};
    if (!CreateHostWindow(windowClass, kExStyle, kTitle, kStyle, parent))
        return 0;

    showGerman = 0;
    germanDc = CreateCompatibleDC(windowDc);
    englishDc = CreateCompatibleDC(windowDc);
    germanBitmap = loadPage(instance, IDB_HELP_GERMAN, &germanWidth, &germanHeight);
    englishBitmap = loadPage(instance, IDB_HELP_ENGLISH, &englishWidth, &englishHeight);
    germanDcDefault = SelectObject(germanDc, germanBitmap);
    englishDcDefault = SelectObject(englishDc, englishBitmap);

    // The page is shown at the editor's size, or the largest smaller one
    // that the screen has room for: a page cut at the right loses its flags.
    screenWidth = GetSystemMetrics(SM_CXSCREEN);
    zoom = CZoomSetting::kDefault;
    for (int size : CZoomSetting::kSizes)
        if (size <= editorZoom &&
            CZoomSetting::scaled(englishWidth, size) + kExtraWidth <= screenWidth)
            zoom = size;
    windowHeight = GetSystemMetrics(SM_CYSCREEN) / 2;
    viewHeight = windowHeight - kFrameHeight;
    const int shownWidth = CZoomSetting::scaled(englishWidth, zoom);
    const int left = screenWidth - shownWidth - kRightMargin;
    MoveWindow(hwnd, left > 0 ? left : 0, 0, shownWidth + kExtraWidth, windowHeight, FALSE);

    scrollPos = 0;
    SetScrollRange(hwnd, SB_VERT, 0, kScrollRange, FALSE);
    return 1;
}

int CInfoWnd::PageOffset() const
{
    const int pageHeight = showGerman ? germanHeight : englishHeight;
    const int shownRows = viewHeight * 100 / zoom;
    return (pageHeight - shownRows) * scrollPos / kScrollRange;
}

void CInfoWnd::ShowPage()
{
    const int width = showGerman ? germanWidth : englishWidth;
    HDC page = showGerman ? germanDc : englishDc;
    if (zoom == CZoomSetting::kDefault)
    {
        BitBlt(windowDc, 0, 0, width, viewHeight, page, 0, PageOffset(), SRCCOPY);
        return;
    }
    // Averaged, not repeated pixels: the text stays readable.
    SetStretchBltMode(windowDc, HALFTONE);
    SetBrushOrgEx(windowDc, 0, 0, nullptr);
    StretchBlt(windowDc, 0, 0, CZoomSetting::scaled(width, zoom), viewHeight, page, 0, PageOffset(),
               width, viewHeight * 100 / zoom, SRCCOPY);
}

LRESULT CInfoWnd::OnDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (owner && *owner == this)
        *owner = nullptr;
    LRESULT result = DefWindowProcA(window, message, wParam, lParam);
    // Nobody refers to a closed help window any more; the next help
    // command makes a new one.
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    delete this;
    return result;
}

LRESULT CInfoWnd::OnPaint(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!GetUpdateRect(window, nullptr, TRUE))
        return 0;
    ValidateRect(window, nullptr);
    ShowPage();
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CInfoWnd::OnVScroll(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam))
    {
    case SB_LINEUP:
        if (scrollPos > 0)
            --scrollPos;
        break;
    case SB_LINEDOWN:
        if (scrollPos < kScrollRange)
            ++scrollPos;
        break;
    case SB_PAGEUP:
        scrollPos = scrollPos > kPageStep ? scrollPos - kPageStep : 0;
        break;
    case SB_PAGEDOWN:
        scrollPos = scrollPos < kScrollRange - kPageStep ? scrollPos + kPageStep : kScrollRange;
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        scrollPos = static_cast<short>(HIWORD(wParam));
        break;
    default:
        break;
    }
    SetScrollPos(window, SB_VERT, scrollPos, TRUE);
    ShowPage();
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CInfoWnd::OnLButtonDown(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The flags sit at the top of the page: they can be hit only while the
    // top of the page is in view.
    const int x = LOWORD(lParam) * 100 / zoom;
    const int y = HIWORD(lParam) * 100 / zoom + PageOffset();
    if (germanFlag.HitTest(x, y) && !showGerman)
    {
        showGerman = 1;
        ShowPage();
    }
    else if (englishFlag.HitTest(x, y) && showGerman)
    {
        showGerman = 0;
        ShowPage();
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
