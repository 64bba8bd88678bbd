#pragma once

// Real windows and pixels read back from their own device contexts, for the
// toolkit tests under Wine.

#include <windows.h>

#include <cstdint>
#include <vector>

class CSkinBitmap;

// A plain top-level window with a white background.
class CTestWindow
{
  public:
    CTestWindow(int x, int y, int width, int height, bool visible = true);
    ~CTestWindow();
    void show();
    HWND handle;
};

// A block of pixels as COLORREF values, row by row.
struct Pixels
{
    int width = 0;
    int height = 0;
    std::vector<COLORREF> values;
    COLORREF at(int x, int y) const { return values[y * width + x]; }
    // Number of pixels in the block (given in this block's coordinates)
    // that differ from other's pixels at the same place shifted by dx, dy.
    int countDifferences(const Pixels& other, RECT block, int dx = 0, int dy = 0) const;
};

// Handles every message waiting, then keeps doing so for the given time.
void pumpMessages(DWORD milliseconds = 0);
// Reads the client area of the window through its own device context.
Pixels readWindow(HWND window);
// Draws the whole picture through CSkinBitmap::paintTo and reads it back.
Pixels readPicture(const CSkinBitmap& picture);
// Sends a button-down message as the system would for a click at x, y.
void clickAt(HWND window, int x, int y, UINT message = WM_LBUTTONDOWN);
// Writes the pixels as a 24-bit BMP into the folder named by ZW_SNAPSHOT_DIR,
// if that is set.
void saveSnapshot(const Pixels& pixels, const char* name);
