#pragma once

#include <windows.h>

#include <cstdint>

#include "gui/PortTypes.h"

// The editor's size as a percentage of its 100 % panel: 100, 150 or 200. A
// choice is remembered for the user, for every instance and the program, in
// the registry; without one, the size follows the DPI of the editor's
// window in a DPI-aware process. Read only when an editor opens or a choice
// is made, never from the audio thread.
class CZoomSetting
{
  public:
    static constexpr int32_t kSizes[3] = {100, 150, 200};
    static constexpr int32_t kDefault = 100;
    static constexpr const char* kKeyPath = "Software\\Zanderwick\\Zanderwick Scope";
    static constexpr const char* kValueName = "Zoom";

    static bool isSize(int32_t percent);
    // The largest size whose DPI (96 per 100 %) is not above dpi.
    static int32_t forDpi(int32_t dpi);
    // The size chosen earlier, or 0 when none is stored or it is no size.
    static int32_t remembered();
    // Stores the choice for the user; false when it is no size or could not
    // be written.
    static bool remember(int32_t percent);
    // The DPI that window is drawn at, or 0 in a process that is not
    // DPI-aware (where Windows stretches whatever it draws). The screen's
    // when there is no window yet.
    static int32_t dpiOf(HWND window);
    // The remembered choice, else the size for the window's DPI, else 100.
    static int32_t current(HWND window);

    // Lengths and positions at a size: scaled and truncated, so that every
    // edge of the 100 % layout lands on one pixel and adjacent areas stay
    // adjacent.
    static int32_t scaled(int32_t length, int32_t percent) { return length * percent / 100; }
    static PortRect scaled(const PortRect& rect, int32_t percent)
    {
        return {scaled(rect.left, percent), scaled(rect.top, percent), scaled(rect.right, percent),
                scaled(rect.bottom, percent)};
    }
    // The resource id of the picture drawn for that size.
    static int32_t pictureId(int32_t id, int32_t percent);
};
