#include "tests/support/GuiTestSupport.h"

#include "gui/OffscreenPort.h"
#include "gui/PaintPort.h"
#include "gui/SkinBitmap.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace
{
// A plain window class for the tests' own windows.
struct CModuleEnvironment : public ::testing::Environment
{
    void SetUp() override
    {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        windowClass.lpszClassName = "ZWGUITEST";
        RegisterClassA(&windowClass);
    }
};
const auto* const gEnvironment = ::testing::AddGlobalTestEnvironment(new CModuleEnvironment);

Pixels readContext(HDC source, int width, int height)
{
    // Copied into a picture of 32-bit pixels whatever the display's depth.
    COffscreenPort copy(nullptr, width, height, kColorBlack);
    BitBlt(copy.getContext(), 0, 0, width, height, source, 0, 0, SRCCOPY);
    GdiFlush();
    Pixels pixels{width, height, {}};
    const uint32_t* quads = copy.getPixels();
    for (int i = 0; quads && i < width * height; ++i)
        pixels.values.push_back(RGB(quads[i] >> 16 & 0xff, quads[i] >> 8 & 0xff, quads[i] & 0xff));
    return pixels;
}
} // namespace

CTestWindow::CTestWindow(int x, int y, int width, int height, bool visible)
    : handle(CreateWindowExA(0, "ZWGUITEST", "test", WS_POPUP, x, y, width, height, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr))
{
    if (visible)
        show();
}

void CTestWindow::show()
{
    ShowWindow(handle, SW_SHOWNOACTIVATE);
    UpdateWindow(handle);
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

::testing::AssertionResult showsTextLine(const Pixels& shown, const Pixels& picture, RECT line,
                                         COLORREF colour)
{
    const RECT whole = {0, 0, shown.width, shown.height};
    const int inside = shown.countDifferences(picture, line);
    const int outside = shown.countDifferences(picture, whole) - inside;
    int inColour = 0;
    for (int y = line.top; y < line.bottom; ++y)
        for (int x = line.left; x < line.right; ++x)
            inColour += shown.at(x, y) == colour;
    if (inside > 0 && outside == 0 && inColour > 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << inside << " pixels changed inside the line, " << outside
                                         << " outside it, " << inColour << " in the text colour";
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
    const int width = picture.getWidth(), height = picture.getHeight();
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    HGDIOBJ previous = SelectObject(memory, canvas);
    {
        CPaintPort port(memory, nullptr);
        picture.paintTo(port, {0, 0, width, height}, {0, 0});
    }
    Pixels pixels = readContext(memory, width, height);
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

namespace
{
bool writePpm(const Pixels& pixels, const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    std::fprintf(file, "P6 %d %d 255\n", pixels.width, pixels.height);
    for (COLORREF c : pixels.values)
        std::fprintf(file, "%c%c%c", GetRValue(c), GetGValue(c), GetBValue(c));
    return std::fclose(file) == 0;
}

// Reads what writePpm wrote; an empty picture when it cannot.
Pixels readPpm(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, depth = 0;
    in >> magic >> width >> height >> depth;
    in.get();
    std::vector<unsigned char> bytes(magic == "P6" && depth == 255 && width > 0 && height > 0
                                         ? static_cast<size_t>(width) * height * 3
                                         : 0);
    if (bytes.empty() || !in.read(reinterpret_cast<char*>(bytes.data()), bytes.size()))
        return {};
    Pixels pixels{width, height, {}};
    for (size_t i = 0; i < bytes.size(); i += 3)
        pixels.values.push_back(RGB(bytes[i], bytes[i + 1], bytes[i + 2]));
    return pixels;
}
} // namespace

void saveSnapshot(const Pixels& pixels, const char* name)
{
    const char* folder = std::getenv("ZW_SNAPSHOT_DIR");
    if (!folder)
        return;
    CreateDirectoryA(folder, nullptr);
    writePpm(pixels, std::string(folder) + "/" + name + ".ppm");
}

::testing::AssertionResult matchesReference(const Pixels& shown, const char* name)
{
    const char* folder = std::getenv("ZW_REFERENCE_DIR");
    if (!folder)
        return ::testing::AssertionFailure() << "ZW_REFERENCE_DIR is not set";
    const std::string path = std::string(folder) + "/" + name + ".ppm";
    if (std::getenv("ZW_RECORD_REFERENCES") && writePpm(shown, path))
        return ::testing::AssertionSuccess();
    const Pixels reference = readPpm(path);
    if (reference.width != shown.width || reference.height != shown.height)
        return ::testing::AssertionFailure()
               << shown.width << " x " << shown.height << " pixels shown, " << reference.width
               << " x " << reference.height << " in " << path;
    const int differences = shown.countDifferences(reference, {0, 0, shown.width, shown.height});
    if (differences == 0)
        return ::testing::AssertionSuccess();
    saveSnapshot(shown, name);
    return ::testing::AssertionFailure() << differences << " pixels differ from " << path;
}

void sendInput(DWORD mouseFlags, WORD key, DWORD keyFlags)
{
    INPUT input = {};
    input.type = mouseFlags ? INPUT_MOUSE : INPUT_KEYBOARD;
    input.mi.dwFlags = mouseFlags;
    if (!mouseFlags)
        input.ki = {key, 0, keyFlags, 0, 0};
    SendInput(1, &input, sizeof(input));
    pumpMessages(30);
}
