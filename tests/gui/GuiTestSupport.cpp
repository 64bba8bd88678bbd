#include "tests/gui/GuiTestSupport.h"

#include "gui/ModuleInstance.h"
#include "gui/PaintPort.h"
#include "gui/SkinBitmap.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
const char kTestWindowClass[] = "ZWGUITEST";

// The toolkit finds its bitmaps and names its window class after the module
// that the host publishes; here that is the test executable.
class CModuleEnvironment : public ::testing::Environment
{
  public:
    void SetUp() override
    {
        setModuleInstance(GetModuleHandleA(nullptr));
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        windowClass.lpszClassName = kTestWindowClass;
        RegisterClassA(&windowClass);
    }
};

const auto* const gEnvironment = ::testing::AddGlobalTestEnvironment(new CModuleEnvironment);

Pixels readContext(HDC source, int width, int height)
{
    Pixels pixels;
    pixels.width = width;
    pixels.height = height;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(source);
    HBITMAP section = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, section);
    BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    GdiFlush();
    const uint32_t* rows = static_cast<const uint32_t*>(bits);
    for (int i = 0; i < width * height; ++i)
        pixels.values.push_back(RGB((rows[i] >> 16) & 0xff, (rows[i] >> 8) & 0xff, rows[i] & 0xff));
    SelectObject(memory, previous);
    DeleteObject(section);
    DeleteDC(memory);
    return pixels;
}
} // namespace

CTestWindow::CTestWindow(int x, int y, int width, int height, bool visible)
{
    handle = CreateWindowExA(0, kTestWindowClass, "test", WS_POPUP, x, y, width, height, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    // Never activated: Wine takes two seconds to destroy a window that was.
    if (visible)
        show();
    pumpMessages();
}

void CTestWindow::show()
{
    ShowWindow(handle, SW_SHOWNOACTIVATE);
    UpdateWindow(handle);
}

CTestWindow::~CTestWindow()
{
    DestroyWindow(handle);
    pumpMessages();
}

int Pixels::countDifferences(const Pixels& other, RECT block, int dx, int dy) const
{
    int differences = 0;
    for (int y = block.top; y < block.bottom; ++y)
        for (int x = block.left; x < block.right; ++x)
            differences += at(x, y) != other.at(x + dx, y + dy);
    return differences;
}

void pumpMessages(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    do
    {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (milliseconds)
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
}

Pixels readWindow(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    HDC context = GetDC(window);
    Pixels pixels = readContext(context, client.right, client.bottom);
    ReleaseDC(window, context);
    return pixels;
}

Pixels readPicture(const CSkinBitmap& picture)
{
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, picture.getWidth(), picture.getHeight());
    ReleaseDC(nullptr, screen);
    HGDIOBJ previous = SelectObject(memory, canvas);
    {
        CPaintPort port(memory, nullptr);
        picture.paintTo(port, {0, 0, picture.getWidth(), picture.getHeight()}, {0, 0});
    }
    Pixels pixels = readContext(memory, picture.getWidth(), picture.getHeight());
    SelectObject(memory, previous);
    DeleteObject(canvas);
    DeleteDC(memory);
    return pixels;
}

void clickAt(HWND window, int x, int y, UINT message)
{
    SendMessageA(window, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON,
                 MAKELPARAM(x, y));
}

void saveSnapshot(const Pixels& pixels, const char* name)
{
    const char* folder = std::getenv("ZW_SNAPSHOT_DIR");
    if (!folder)
        return;
    const std::string path = std::string(folder) + "/" + name + ".bmp";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return;
    const int stride = (pixels.width * 3 + 3) & ~3;
    BITMAPFILEHEADER header = {};
    BITMAPINFOHEADER info = {};
    header.bfType = 0x4d42;
    header.bfOffBits = sizeof(header) + sizeof(info);
    header.bfSize = header.bfOffBits + stride * pixels.height;
    info.biSize = sizeof(info);
    info.biWidth = pixels.width;
    info.biHeight = pixels.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::fwrite(&header, sizeof(header), 1, file);
    std::fwrite(&info, sizeof(info), 1, file);
    std::vector<uint8_t> row(stride);
    for (int y = pixels.height - 1; y >= 0; --y)
    {
        for (int x = 0; x < pixels.width; ++x)
        {
            const COLORREF c = pixels.at(x, y);
            row[3 * x] = GetBValue(c);
            row[3 * x + 1] = GetGValue(c);
            row[3 * x + 2] = GetRValue(c);
        }
        std::fwrite(row.data(), 1, row.size(), file);
    }
    std::fclose(file);
}
