#pragma once

// A widget frame of the editor's size on a real window, for trying one view
// at its place in the editor.

#include "gui/PaintPort.h"
#include "gui/SkinBitmap.h"
#include "gui/WidgetFrame.h"
#include "tests/support/GuiTestSupport.h"

#include <memory>

template <typename View> struct ViewBench
{
    // The view is built with a picture of the given id, which the bench keeps.
    ViewBench(int pictureId, const PortRect& where)
        : window(0, 0, 220, 270, false), picture(new CSkinBitmap(pictureId)),
          frame(new CWidgetFrame({0, 0, 220, 270}, window.handle, nullptr)),
          view(new View(where, picture)), area{where.left, where.top, where.right, where.bottom}
    {
        frame->appendChild(view);
        window.show();
    }
    ~ViewBench()
    {
        frame.reset();
        picture->release();
    }

    // One refresh pass of the frame, as its timer runs it.
    void tick() { frame->onTimer(); }
    // The view's area, read back from the frame's window.
    Pixels shown() const
    {
        const Pixels all = readWindow(frame->getWindow());
        Pixels part{area.right - area.left, area.bottom - area.top, {}};
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                part.values.push_back(all.at(x, y));
        return part;
    }
    // Paints the view's area over, so that a test sees whether it is drawn again.
    void smear()
    {
        HDC context = GetDC(frame->getWindow());
        HBRUSH brush = CreateSolidBrush(RGB(255, 0, 255));
        FillRect(context, &area, brush);
        DeleteObject(brush);
        ReleaseDC(frame->getWindow(), context);
    }

    CTestWindow window;
    CSkinBitmap* picture;
    std::unique_ptr<CWidgetFrame> frame;
    View* view;
    RECT area;
};
