#pragma once

// Real windows, and pixels read back from their own device contexts.

#include "tests/support/MessagePump.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

class CSkinBitmap;

// A plain white top-level window. It is never activated: Wine takes two
// seconds to destroy a window that was.
struct CTestWindow
{
    CTestWindow(int x, int y, int width, int height, bool visible = true);
    ~CTestWindow() { DestroyWindow(handle); }
    void show();
    HWND handle;
};

struct Pixels
{
    int width = 0;
    int height = 0;
    std::vector<COLORREF> values;
    COLORREF at(int x, int y) const { return values[y * width + x]; }
    // Pixels of the block that differ from other's, shifted there by dx, dy.
    int countDifferences(const Pixels& other, RECT block, int dx = 0, int dy = 0) const;
};

// A line of text written over a picture, as far as it holds whatever font
// draws it: something is drawn, all of it inside the line's rectangle, and
// some pixels carry the text colour itself. How many pixels a font covers,
// and how its smoothed edges blend, is the font's business.
::testing::AssertionResult showsTextLine(const Pixels& shown, const Pixels& picture, RECT line,
                                         COLORREF colour);

Pixels readWindow(HWND window);
// The whole picture, drawn through its own paintTo.
Pixels readPicture(const CSkinBitmap& picture);
void clickAt(HWND window, int x, int y, UINT message = WM_LBUTTONDOWN);
// Real input through SendInput: a mouse button event when mouseFlags is
// set, otherwise a key event; then lets the messages settle.
void sendInput(DWORD mouseFlags, WORD key = 0, DWORD keyFlags = 0);
// Writes a PPM picture into the folder named by ZW_SNAPSHOT_DIR, if set.
void saveSnapshot(const Pixels& pixels, const char* name);
// Whether the pixels equal the reference picture <name>.ppm in the folder
// named by ZW_REFERENCE_DIR, every one of them. With ZW_RECORD_REFERENCES
// set, the pixels become the reference instead. A mismatch is also saved as
// a snapshot, to look at.
::testing::AssertionResult matchesReference(const Pixels& shown, const char* name);
