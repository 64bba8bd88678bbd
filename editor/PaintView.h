#pragma once
// How every view of the editor draws: it keeps a 32-bit picture of its own
// size with its background for as long as it lives, composes each frame by
// writing its marks straight into the picture's pixels, and puts the whole on
// the window in one copy, so that no half-drawn view is ever seen and nothing
// is made per frame.

#include <cstdint>
#include <memory>

#include "gui/OffscreenPort.h"
#include "gui/SkinBitmap.h"
#include "gui/Widget.h"
#include "render/PanelPixels.h"

// The base of the editor's views. It redraws a view only when something
// changed what the view shows, and then composes the picture and copies it
// to the window.
class CPaintView : public CWidget
{
  public:
    // The background picture stays the caller's, who keeps it alive.
    CPaintView(const PortRect& rect, CSkinBitmap* background);
    ~CPaintView() override;

    void paint(CPaintPort& port) override;
    void refresh(CPaintPort& port) override;
    bool hasNews() const override { return changed != 0; }
    bool isChanged() const { return changed != 0; }

  protected:
    // Writes the view's marks into its picture, which holds what the last
    // call left there, or only the background when it is `fresh`: made for
    // the first paint or a new size.
    virtual void compose(COffscreenPort& picture, bool fresh) = 0;

    // Set when what the view would show differs from what it shows.
    int32_t changed;
    // Null until the first paint.
    std::unique_ptr<COffscreenPort> picture;

  private:
    CSkinBitmap* background;
};

// A view's picture for the panel's pixel rules (render/PanelPixels.h),
// through which the views write their marks.
inline PixelArea pixelArea(COffscreenPort& picture)
{
    return {picture.getPixels(), picture.getWidth(), picture.getHeight(), picture.getWidth()};
}
