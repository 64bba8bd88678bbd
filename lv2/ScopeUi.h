#pragma once

#include <cstdint>
#include <memory>
#include <vector>

// Before Xlib, whose macro Bool would break the forge's member of that name.
#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "lv2/ScopePorts.h"
#include "lv2/SizeMenu.h"
#include "plugin/BandSplitter.h"
#include "plugin/CorrelationHistory.h"
#include "plugin/CorrelationRange.h"
#include "render/PanelRenderer.h"

// The LV2 plug-in's panel: the portable renderer's picture in an X11 window
// of plain Xlib, in the host's window (ui:parent) or in one of its own (the
// show interface). It hears the plug-in only through the host: the Block
// messages on notify and the mono port's value; it switches MONO through the
// mono port and resets the range with a message to the control port. A
// right click offers the sizes and "Bands and history"; a choice is
// remembered (CScopeSettings) and the host asked to fit it (ui:resize).
// While the bands are shown the panel asks the plug-in for them (a Bands
// message, taken back when the panel goes) and keeps the history from the
// Block messages.
//
// Everything runs on the host's UI thread: instantiate, port events, idle,
// show and hide. The window has a display connection of its own, whose
// events idle reads without waiting; idle draws only what changed.
class CScopeUi
{
  public:
    // Null when there is no display or no urid:map.
    static CScopeUi* create(LV2UI_Write_Function write, LV2UI_Controller controller,
                            const LV2_Feature* const* features);
    ~CScopeUi();

    CScopeUi(const CScopeUi&) = delete;
    CScopeUi& operator=(const CScopeUi&) = delete;

    Window getWindow() const { return window; }
    int32_t getZoom() const { return art->zoom; }
    bool showsBands() const { return bands; }
    const CCorrelationHistory& getHistory() const { return history; }

    void portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
    // Handles the window's events and puts what changed on it; 1 once the
    // user closed a window of its own.
    int idle();
    int show();
    int hide();

  private:
    // The atom types the panel reads and writes.
    struct AtomUris
    {
        LV2_URID eventTransfer;
        LV2_URID object;
        LV2_URID vector;
        LV2_URID floatType;
        LV2_URID longType;
        LV2_URID boolType;
    };

    CScopeUi(Display* display, LV2_URID_Map* map);
    bool open(Window parentWindow, int32_t zoom);
    // The size a fresh panel opens at: the one chosen, else the screen's
    // (the X resource Xft.dpi), else the smallest.
    int32_t startingZoom() const;
    // A renderer for the size, showing what the last one did; false when its
    // pictures do not load.
    bool useZoom(int32_t zoom);
    void makeImage();
    void dropImage();
    void handle(const XEvent& event);
    void click(unsigned int button, int32_t x, int32_t y);
    // Shows the panel at the size, with the bands or without.
    void choose(int32_t percent, bool withBands);
    void takeBlock(const LV2_Atom_Object* block);
    void switchMono(bool on);
    // Shows MONO as on or off: the switch, and while on the pointer at +1
    // and the range cleared, as the Windows editor does.
    void showMono(bool on);
    void sendResetRange();
    // Tells the plug-in whether the bands are shown.
    void sendBands(bool shown);
    // Sends a message with no properties but the one given (0: none).
    void sendMessage(LV2_URID type, LV2_URID key, bool value);
    // The band values and the history of one Block message that has them.
    void takeBands(const float* values, float lowest, int64_t count, float rate);
    // The picture's pixels inside rect onto the window.
    void put(const PortRect& rect);
    unsigned long pixelFor(uint32_t rgb) const;

    Display* display;
    LV2_URID_Map* map;
    ScopeUris uris;
    AtomUris atoms;
    LV2UI_Write_Function write;
    LV2UI_Controller controller;
    LV2UI_Resize* resize;
    Window parent;
    Window window;
    Visual* visual;
    int depth;
    GC gc;
    Atom deleteWindow;
    XImage* image;
    // The picture's pixels, when the window's format is not the renderer's.
    std::vector<char> converted;
    bool sameFormat;

    std::unique_ptr<PanelArt> art;
    std::unique_ptr<CPanelRenderer> panel;
    CSizeMenu menu;
    // What the panel shows, to show it again at another size.
    std::vector<float> side;
    std::vector<float> mid;
    float pointer;
    CCorrelationRange range;
    bool mono;
    bool bands;
    float bandValues[kBandCount];
    CCorrelationHistory history;
    // The block count of the last Block message with bands; -1 before one.
    int64_t lastBlockCount;
    // Block messages without bands since the plug-in was last asked.
    uint32_t unanswered;
    // Something was handed to the renderer since it last drew.
    bool news;
    // Where the window must be painted again (exposed, or under the menu).
    PortRect stale;
    bool closed;
};
