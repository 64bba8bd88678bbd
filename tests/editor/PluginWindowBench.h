#pragma once

// The demo window with the plug-in window in it, bound to the real effect,
// and the pixels of the editor read back from its frame's window.

#include "editor/ScopeEditor.h"
#include "editor/ZoomSetting.h"
#include "gui/SkinBitmap.h"
#include "gui/WidgetFrame.h"
#include "host/PlugWnd.h"
#include "plugin/PluginBase.h"
#include "tests/support/GuiTestSupport.h"
#include "tests/support/HostCalls.h"
#include "tests/support/RegistryValue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

using Marks = std::vector<std::pair<int, int>>;

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kYellow = RGB(255, 255, 0);
const COLORREF kGreen = RGB(0, 255, 0);
// Where the views sit in the editor.
const RECT kScope = {46, 56, 177, 185};
const RECT kPointer = {22, 212, 199, 220};
const RECT kRange = {25, 206, 197, 209};
const RECT kMono = {88, 231, 134, 250};

inline Pixels pictureOf(int id)
{
    CSkinBitmap* bitmap = new CSkinBitmap(id);
    Pixels pixels = readPicture(*bitmap);
    bitmap->release();
    return pixels;
}

struct PluginWindowBench
{
    // At another size than 100 %, that size is remembered for the bench's
    // life, as if chosen from the menu.
    explicit PluginWindowBench(int percent = 100)
        : zoom(percent),
          remembered(percent == 100 ? nullptr : new CRegistryValue(kZoomKey, "Zoom")),
          plug(GetModuleHandleA(nullptr)), demo(0, 0, 10, 10, false)
    {
        if (remembered)
            remembered->set(static_cast<DWORD>(zoom));
        EXPECT_EQ(1, plug.LoadPlugin());
        effect = plug.GetEffect();
        editor = static_cast<CScopeEditor*>(static_cast<CPluginBase*>(effect->object)->getEditor());
        ERect* rect = nullptr;
        send(effEditGetRect, &rect);
        sizeBeforeOpen = {rect->top, rect->left, rect->bottom, rect->right};
        EXPECT_EQ(1, plug.Create(demo.handle));
        demo.show();
    }
    ~PluginWindowBench()
    {
        send(effEditClose);
        send(effClose);
        DestroyWindow(demo.handle);
        pumpMessages(); // the quit that the plug-in window's end posts
    }
    int32_t send(int32_t opcode, void* ptr = nullptr)
    {
        return static_cast<int32_t>(call(effect, opcode, 0, 0, ptr));
    }
    void process(float* left, float* right, int32_t frames)
    {
        std::vector<float> outLeft(frames), outRight(frames);
        float* inputs[] = {left, right};
        float* outputs[] = {outLeft.data(), outRight.data()};
        effect->processReplacing(effect, inputs, outputs, frames);
    }
    // One refresh pass, as the frame's timer runs it.
    void tick() { editor->getFrame()->onTimer(); }
    // An idle late enough to do its pass, then a tick.
    void idleAndTick()
    {
        Sleep(20);
        send(effEditIdle);
        tick();
    }
    // Where a place of the 100 % panel lies at the bench's size.
    RECT at(RECT place) const
    {
        const PortRect r =
            CZoomSetting::scaled({place.left, place.top, place.right, place.bottom}, zoom);
        return {r.left, r.top, r.right, r.bottom};
    }
    // A click at a point of the 100 % panel.
    void click(int x, int y)
    {
        HWND frame = editor->getFrame()->getWindow();
        PostMessageA(frame, WM_LBUTTONDOWN, MK_LBUTTON,
                     MAKELPARAM(CZoomSetting::scaled(x, zoom), CZoomSetting::scaled(y, zoom)));
        pumpMessages();
    }
    Pixels shown() const { return readWindow(editor->getFrame()->getWindow()); }
    // Where the area differs from the picture drawn into it, in picture
    // coordinates, sorted.
    Marks marks(RECT area, const Pixels& picture) const
    {
        const Pixels now = shown();
        Marks marks;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (now.at(x, y) != picture.at(x - area.left, y - area.top))
                    marks.push_back({x - area.left, y - area.top});
        std::sort(marks.begin(), marks.end());
        return marks;
    }
    Marks dots() const { return marks(at(kScope), scope); }
    Marks band() const { return marks(at(kRange), bar); }
    // The pointer's column and colour: the middle of its row above the base.
    std::pair<int, COLORREF> pointer() const
    {
        const Pixels now = shown();
        const RECT place = at(kPointer);
        const int row = place.bottom - place.top - 2;
        int first = -1, last = -1;
        for (int x = 0; x < place.right - place.left; ++x)
            if (now.at(place.left + x, place.top + row) != strip.at(x, row))
                first = first < 0 ? x : first, last = x;
        const int column = (first + last) / 2;
        return {column, first < 0 ? 0 : now.at(place.left + column, place.top + row)};
    }
    // Paints an area over, to see whether it is drawn again.
    void smear(RECT area)
    {
        HDC context = GetDC(editor->getFrame()->getWindow());
        FillRect(context, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        ReleaseDC(editor->getFrame()->getWindow(), context);
    }

    int zoom;
    std::unique_ptr<CRegistryValue> remembered;
    CPlugWnd plug;
    CTestWindow demo;
    AEffect* effect = nullptr;
    CScopeEditor* editor = nullptr;
    std::vector<int> sizeBeforeOpen;
    Pixels background = pictureOf(CZoomSetting::pictureId(101, zoom));
    Pixels button = pictureOf(CZoomSetting::pictureId(103, zoom));
    Pixels scope = pictureOf(CZoomSetting::pictureId(105, zoom));
    Pixels strip = pictureOf(CZoomSetting::pictureId(106, zoom));
    Pixels bar = pictureOf(CZoomSetting::pictureId(107, zoom));
};
