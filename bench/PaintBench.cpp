// What one frame of the editor's display costs to draw, under Wine, at each
// of its sizes: the scope with 512 dots that change every frame, the
// correlation pointer and the range bar, each moved so that all three
// redraw. Next to it the floor: one blit of the scope's size from a memory
// bitmap to the same window.
//
//   zw_bench_paint [frames per round]
//
// Prints the best round of each, in microseconds per frame of wall-clock
// time (the thread's CPU clock ticks too coarsely for single frames); the
// data the views get each frame is handed over before the paint is timed,
// and timed on its own. Run through
// bench/paint-cost, which sets up Wine and Xvfb.

#include "editor/CorrelationPointerView.h"
#include "editor/CorrelationRangeView.h"
#include "editor/EditorLayout.h"
#include "editor/ScopeEditor.h"
#include "editor/ScopeView.h"
#include "editor/ZoomSetting.h"
#include "gui/OffscreenPort.h"
#include "gui/WidgetFrame.h"
#include "host/PlugWnd.h"
#include "plugin/PluginBase.h"
#include "tests/support/MessagePump.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace
{
const int kRounds = 7;
const int kSets = 16;
const int kPoints = 512;

double now()
{
    static LARGE_INTEGER frequency = []
    {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Timing
{
    double best = 1e9; // seconds per frame, best round
    int frames = 0;
};

// Runs the frames in rounds; the messages are handled between rounds only.
// Each frame first gets its data (not timed), then draws.
void measure(Timing& timing, int frames, const std::function<void(int)>& prepare,
             const std::function<void(int)>& draw)
{
    pumpMessages();
    double wall = 0.0;
    for (int i = 0; i < frames; ++i)
    {
        prepare(timing.frames + i);
        const double start = now();
        draw(timing.frames + i);
        wall += now() - start;
    }
    GdiFlush();
    timing.best = std::min(timing.best, wall / frames);
    timing.frames += frames;
}

// Puts the user's remembered size back as the bench found it.
void restoreRemembered(int32_t percent)
{
    if (percent)
    {
        CZoomSetting::remember(percent);
        return;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, CZoomSetting::kKeyPath, 0, KEY_SET_VALUE, &key) ==
        ERROR_SUCCESS)
    {
        RegDeleteValueA(key, CZoomSetting::kValueName);
        RegCloseKey(key);
    }
}
} // namespace

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "ZWPAINTBENCH";
    RegisterClassA(&windowClass);
    HWND top = CreateWindowExA(0, "ZWPAINTBENCH", "paint bench", WS_POPUP, 0, 0, 10, 10, nullptr,
                               nullptr, instance, nullptr);

    CPlugWnd plug(instance);
    if (!plug.LoadPlugin() || !plug.Create(top))
    {
        std::fprintf(stderr, "paint bench: the editor did not open\n");
        return 1;
    }
    ShowWindow(top, SW_SHOWNOACTIVATE);
    UpdateWindow(top);
    pumpMessages();
    AEffect* effect = plug.GetEffect();
    auto* editor =
        static_cast<CScopeEditor*>(static_cast<CPluginBase*>(effect->object)->getEditor());
    // The plug-in window's idle timer stays out of the measured rounds.
    KillTimer(plug.GetHwnd(), 1);
    const int32_t remembered = CZoomSetting::remembered();

    // Sets of points that differ from each other in every dot.
    std::vector<std::vector<float>> xs(kSets, std::vector<float>(kPoints));
    std::vector<std::vector<float>> ys = xs;
    for (int s = 0; s < kSets; ++s)
        for (int i = 0; i < kPoints; ++i)
        {
            const float angle = 0.0491f * static_cast<float>(i) + 0.37f * static_cast<float>(s);
            xs[s][i] = 0.9f * std::sin(angle * 1.3f);
            ys[s][i] = 0.8f * std::cos(angle) + 0.01f * static_cast<float>(s);
        }

    for (int32_t zoom : CZoomSetting::kSizes)
    {
        // The menu's way to a size: the panel is built anew at it.
        editor->chooseZoom(zoom);
        pumpMessages();
        CWidgetFrame* frame = editor->getFrame();
        const PortRect scopeArea = CZoomSetting::scaled(kScopeArea, zoom);
        Timing paint, handover, floor;
        const auto nothing = [](int) {};
        const auto newData = [&](int i)
        {
            editor->getScopeView()->setPoints(xs[i % kSets].data(), ys[i % kSets].data());
            // A sweep that moves the pointer by a few columns every frame.
            const float value = static_cast<float>(i % 40) / 20.0f - 1.0f;
            editor->getPointerView()->setCorrelation(value);
            CCorrelationRangeView* range = editor->getRangeView();
            range->resetRange();
            range->setCorrelation(-0.5f - 0.01f * static_cast<float>(i % 8));
            range->setCorrelation(0.5f);
        };
        const auto paintFrame = [&](int) { frame->onTimer(); };

        // The floor: one blit of the scope's size from a 32-bit memory bitmap.
        const int width = scopeArea.right - scopeArea.left;
        const int height = scopeArea.bottom - scopeArea.top;
        COffscreenPort memory(frame, width, height, kColorBlack);
        uint32_t* bits = memory.getPixels();
        HWND window = frame->getWindow();
        HDC windowContext = GetDC(window);
        const auto floorFrame = [&](int i)
        {
            bits[i % (width * height)] ^= 0xffff00;
            BitBlt(windowContext, scopeArea.left, scopeArea.top, width, height, memory.getContext(),
                   0, 0, SRCCOPY);
        };

        for (int round = 0; round < kRounds; ++round)
        {
            measure(paint, frames, newData, paintFrame);
            measure(handover, frames, nothing, newData);
            frame->onTimer();
            measure(floor, frames, nothing, floorFrame);
        }
        ReleaseDC(window, windowContext);

        std::printf("at %d %%:\n", static_cast<int>(zoom));
        std::printf("paint per frame (scope 512 dots, pointer, range bar): %8.1f us\n",
                    paint.best * 1e6);
        std::printf("handing the data to the views (not paint):           %8.1f us\n",
                    handover.best * 1e6);
        std::printf("floor: one %d x %d blit:                                 %8.1f us\n", width,
                    height, floor.best * 1e6);
        std::printf("paint / floor: %.2f\n", paint.best / floor.best);
        std::fflush(stdout);
    }
    restoreRemembered(remembered);
    DestroyWindow(top);
    return 0;
}
