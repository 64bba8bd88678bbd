#include "tests/e2e/ProgramSession.h"

namespace
{
// Button placement in the toolbar: 23 x 22 at these columns, row 4, the
// pressed picture 22 rows below the raised one.
const int kButtonLeft[] = {5, 87, 113, 193};
const int kButtonBitmap[] = {110, 109, 108, 111};
const int kButtonTop = 4;
const int kButtonWidth = 23;
const int kButtonHeight = 22;

Pixels readBitmap(HBITMAP bitmap)
{
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    BITMAPINFO format = {};
    format.bmiHeader = {
        sizeof(format.bmiHeader), info.bmWidth, -info.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<uint32_t> quads(static_cast<size_t>(info.bmWidth) * info.bmHeight);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, info.bmHeight, quads.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    Pixels pixels{info.bmWidth, info.bmHeight, {}};
    for (uint32_t q : quads)
        pixels.values.push_back(RGB(q >> 16 & 0xff, q >> 8 & 0xff, q & 0xff));
    return pixels;
}
} // namespace

size_t CCaptureFile::frames() const
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    const size_t kHeaderBytes = 44;
    return data.nFileSizeLow > kHeaderBytes ? (data.nFileSizeLow - kHeaderBytes) / 4 : 0;
}

bool CCaptureFile::grows(DWORD milliseconds) const
{
    const size_t before = frames();
    return waitUntil([&] { return frames() != before; }, milliseconds);
}

bool CCaptureFile::holds(const std::vector<int16_t>& samples) const
{
    return read().find(samples) >= 0;
}

CToolbarView::CToolbarView(const std::string& programPath)
{
    HMODULE program = LoadLibraryExA(programPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    for (int id : kButtonBitmap)
    {
        HBITMAP bitmap = program ? LoadBitmapA(program, MAKEINTRESOURCEA(id)) : nullptr;
        pictures.push_back(bitmap ? readBitmap(bitmap) : Pixels());
        if (bitmap)
            DeleteObject(bitmap);
    }
    if (program)
        FreeLibrary(program);
}

CToolbarView::State CToolbarView::state(HWND demo, Button button) const
{
    const Pixels& picture = pictures[button];
    if (picture.width < kButtonWidth || picture.height < 2 * kButtonHeight)
        return kNeither;
    const Pixels shown = readWindow(demo);
    const int left = kButtonLeft[button];
    if (shown.width < left + kButtonWidth || shown.height < kButtonTop + kButtonHeight)
        return kNeither;
    const RECT area = {left, kButtonTop, left + kButtonWidth, kButtonTop + kButtonHeight};
    if (shown.countDifferences(picture, area, -left, -kButtonTop) == 0)
        return kRaised;
    if (shown.countDifferences(picture, area, -left, kButtonHeight - kButtonTop) == 0)
        return kPressed;
    return kNeither;
}

POINT CToolbarView::centre(Button button)
{
    return {kButtonLeft[button] + kButtonWidth / 2, kButtonTop + kButtonHeight / 2};
}

std::string CToolbarView::transport(HWND demo) const
{
    auto describe = [&](Button button)
    {
        const State shown = state(demo, button);
        return shown == kRaised ? "raised" : shown == kPressed ? "pressed" : "neither";
    };
    return std::string("play ") + describe(kPlay) + ", stop " + describe(kStop);
}

void postClick(HWND window, int x, int y)
{
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void postKey(HWND window, WPARAM key)
{
    PostMessageA(window, WM_KEYDOWN, key, 1);
    PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}

bool findProgramWindows(CProgramRunner& program, ProgramWindows* windows)
{
    // Start-up under Wine takes a second on a quiet machine and much longer
    // on a busy one: these waits end as soon as the program has ended, and
    // their bound is a last resort for a program that hangs.
    const DWORD kStartUpBound = 5 * 60 * 1000;
    windows->demo = program.findWindow("CDEMOWND", kStartUpBound);
    windows->help = program.findWindow("CINFOWND", kStartUpBound);
    windows->plug = program.findWindow("CPLUGWND", kStartUpBound);
    if (!windows->demo || !windows->help || !windows->plug)
        return false;
    windows->frame = GetWindow(windows->plug, GW_CHILD);
    // The help window is shown first, then the main window is raised.
    return waitUntil(
               [&]
               {
                   return !program.isRunning() ||
                          (IsWindowVisible(windows->help) && isAbove(windows->demo, windows->help));
               },
               kStartUpBound) &&
           program.isRunning() && windows->frame;
}

bool isAbove(HWND upper, HWND lower)
{
    for (HWND above = GetWindow(lower, GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV))
        if (above == upper)
            return true;
    return false;
}

bool closeProgram(CProgramRunner& program, HWND demo, DWORD* exitCode, DWORD* milliseconds)
{
    const DWORD start = GetTickCount();
    PostMessageA(demo, WM_CLOSE, 0, 0);
    const bool ended = program.waitForExit(10000, exitCode);
    *milliseconds = GetTickCount() - start;
    return ended;
}
