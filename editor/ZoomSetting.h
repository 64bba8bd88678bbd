#pragma once

#include <windows.h>

#include <cstdint>

#include "gui/PortTypes.h"
#include "render/PanelGeometry.h"
#include "resources/ResourceIds.h"

// The editor's size as a percentage of its 100 % panel, one of the sizes
// its pictures are drawn at (ZOOM_SIZES). A choice is remembered for the
// user, for every instance and the program, in the registry; without one,
// the size follows the DPI of the editor's window in a DPI-aware process.
// Read only when an editor opens, a choice is made or the DPI changes, never
// from the audio thread.
class CZoomSetting
{
  public:
    static constexpr int32_t kSizes[] = {ZOOM_SIZES};
    static constexpr int32_t kSizeCount = sizeof(kSizes) / sizeof(kSizes[0]);
    static constexpr int32_t kDefault = kSizes[0];
    static constexpr const char* kKeyPath = "Software\\Zanderwick\\Zanderwick Scope";
    static constexpr const char* kValueName = "Zoom";
    // Whether the panel shows "Bands and history", 0 or 1, beside the size.
    static constexpr const char* kBandsValueName = "Bands";

    static bool isSize(int32_t percent);
    // The largest size whose DPI (96 per 100 %) is not above dpi.
    static int32_t forDpi(int32_t dpi);
    // The size chosen earlier, or 0 when none is stored or it is no size.
    static int32_t remembered();
    // Stores the choice for the user; false when it is no size or could not
    // be written.
    static bool remember(int32_t percent);
    // The bands' choice: off unless 1 is stored; false when it could not be
    // written.
    static bool bandsRemembered();
    static bool rememberBands(bool shown);
    // The DPI that window is drawn at, or 0 in a process that is not
    // DPI-aware (where Windows stretches whatever it draws). The screen's
    // when there is no window yet.
    static int32_t dpiOf(HWND window);
    // The remembered choice, else the size for the window's DPI, else 100.
    static int32_t current(HWND window);

    // The editor's window carries the size it is drawn at, so that a window
    // of ours around it draws at the same size instead of guessing it back
    // from the editor's width. 0 for a window that carries none; tagging
    // with 0 takes the size off.
    static void tag(HWND editorWindow, int32_t percent);
    static int32_t tagOf(HWND editorWindow);

    // Lengths and positions at a size (zoomed, render/PanelGeometry.h).
    static int32_t scaled(int32_t length, int32_t percent) { return zoomed(length, percent); }
    static PortRect scaled(const PortRect& rect, int32_t percent) { return zoomed(rect, percent); }
    // The resource id of the picture drawn for that size.
    static int32_t pictureId(int32_t id, int32_t percent);
};
