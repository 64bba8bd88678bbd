#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "gui/Widget.h"

class CIdleOwner;
class CSkinBitmap;

// The root of the widget tree. It owns a child window of its own class, a
// 50 ms refresh timer on it, an optional background picture and its children.
// A full paint happens only on WM_PAINT; ticks refresh what changed. The
// window has a device context of its own, and the frame keeps one port on it
// for as long as it lives, so that a tick makes nothing.
class CWidgetFrame : public CWidget
{
  public:
    static const UINT kTimerMilliseconds = 50;
    static const int32_t kGrowth = 10;

    CWidgetFrame(const PortRect& rect, HWND parentWindow, CIdleOwner* owner);
    ~CWidgetFrame() override;

    void paint(CPaintPort& port) override;
    void onMouseDown(CPaintPort& port, PortPoint where) override;
    void refresh(CPaintPort& port) override;
    // Whether the exclusive child, or else any child, has news.
    bool hasNews() const override;
    // The frame owns what it holds. False when the list cannot grow: the
    // widget is not added and stays the caller's.
    virtual bool appendChild(CWidget* child);
    // Takes the widget out of the list without destroying it.
    virtual bool removeChild(CWidget* child);

    // One refresh pass on the frame's window; nothing before the first paint,
    // and nothing at all, not even a device context, while no widget has
    // news.
    void onTimer();
    // Holds one reference to the background picture.
    void setBackdrop(CSkinBitmap* bitmap);
    // While set, only this child paints, refreshes and hears clicks. A second
    // child is refused until the first one is cleared with nullptr.
    bool setExclusiveChild(CWidget* child);

    CIdleOwner* getOwner() const { return owner; }
    HWND getParentWindow() const { return parentWindow; }
    HWND getWindow() const { return window; }
    CSkinBitmap* getBackdrop() const { return background; }
    CWidget* getExclusiveChild() const { return exclusiveChild; }
    int32_t getChildCount() const { return childCount; }
    int32_t getChildCapacity() const { return childCapacity; }
    CWidget* getChild(int32_t index) const;
    bool isFirstPaintPending() const { return firstPaintPending != 0; }

    // "Plugin" and the module instance in eight hex digits.
    static const char* windowClassName();
    // The same for any module: the class its frames have.
    static std::string windowClassNameOf(HINSTANCE module);

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static void registerWindowClass();
    static void unregisterWindowClass();
    // The kept port when it draws on this context, otherwise one made for
    // the call.
    template <typename Action> void drawOn(HDC context, Action action);

    CIdleOwner* owner;
    HWND parentWindow;
    CSkinBitmap* background;
    int32_t childCount;
    int32_t childCapacity;
    std::unique_ptr<std::unique_ptr<CWidget>[]> children;
    CWidget* exclusiveChild;
    uint8_t firstPaintPending;
    HWND window;
    UINT_PTR timer;
    std::unique_ptr<CPaintPort> windowPort;
};
