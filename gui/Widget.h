#pragma once

#include "gui/PortTypes.h"

class COffscreenPort;
class CPaintPort;
class CWidgetFrame;

// Base of everything drawn in a widget frame: a rectangle in the frame's
// window and the hooks the frame calls.
class CWidget
{
  public:
    explicit CWidget(const PortRect& rect);
    virtual ~CWidget();

    CWidget(const CWidget&) = delete;
    CWidget& operator=(const CWidget&) = delete;

    virtual void paint(CPaintPort& port);
    virtual void onMouseDown(CPaintPort& port, PortPoint where);
    // Called on every timer tick; redraws only what changed.
    virtual void refresh(CPaintPort& port);
    // Keeps the port only if it is large enough to hold the widget.
    virtual void attachOffscreen(COffscreenPort* port);
    // Whether the next refresh would draw anything, so that a tick with no
    // news takes no device context. A widget that cannot tell says yes.
    virtual bool hasNews() const;

    // Inclusive on all four edges, one pixel more than is painted.
    bool contains(PortPoint point) const;

    const PortRect& getRect() const { return rect; }
    void setRect(const PortRect& newRect) { rect = newRect; }
    CWidgetFrame* getParent() const { return parent; }
    void setParent(CWidgetFrame* frame) { parent = frame; }
    COffscreenPort* getOffscreen() const { return offscreen; }

  protected:
    PortRect rect;
    CWidgetFrame* parent;
    COffscreenPort* offscreen;
};
