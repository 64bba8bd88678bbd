#pragma once

#include <cstdint>

#include <X11/Xlib.h>

#include "gui/PortTypes.h"

// The menu that a right click opens: the panel's sizes, 100 %, 150 % and
// 200 %, the current one marked, and "Bands and history", marked while
// shown; drawn with Xlib over the panel in its own window, at the click,
// kept inside the panel.
class CSizeMenu
{
  public:
    // What choiceAt returns for the bands' line.
    static constexpr int32_t kBandsChoice = 1;

    bool isOpen() const { return open; }
    const PortRect& getPlace() const { return place; }

    // Opens at the point of a panel of that size, with current marked and
    // the bands' line as they are.
    void openAt(int32_t x, int32_t y, int32_t panelWidth, int32_t panelHeight, int32_t current,
                bool bands);
    void close() { open = false; }
    // The size whose line holds the point, kBandsChoice on the bands' line,
    // or 0.
    int32_t choiceAt(int32_t x, int32_t y) const;
    // Draws the open menu with the colours' pixel values for the window.
    void draw(Display* display, Window window, GC gc, unsigned long background, unsigned long frame,
              unsigned long text) const;

  private:
    bool open = false;
    PortRect place = {0, 0, 0, 0};
    int32_t current = 0;
    bool bands = false;
};
