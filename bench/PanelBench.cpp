// What the portable panel costs per frame, at every size:
//
//  - the renderer composing a frame in which the dots, the pointer and the
//    range bar all change, and one in which nothing does;
//  - the LV2 panel (an X11 UI in a window of the bench's own) taking one
//    Block message of the real plug-in and putting the changed parts on
//    the window in its idle call, and an idle call with nothing new.
//
// Times are the calling thread's CPU time, the best of seven rounds; what
// the X server does with the picture is the server's and not counted.
//
//   panel_bench [frames per round]      (DISPLAY names the X server)

#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "lv2/ScopePorts.h"
#include "render/PanelArt.h"
#include "render/PanelGeometry.h"

#include <X11/Xlib.h>

extern "C" const LV2_Descriptor* lv2_descriptor(uint32_t index);
extern "C" const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index);

namespace
{
constexpr int kRounds = 7;

double threadSeconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Microseconds per call of step, the best of the rounds.
template <typename Step> double best(int calls, Step step)
{
    double fastest = 1e30;
    for (int round = 0; round < kRounds; ++round)
    {
        const double start = threadSeconds();
        for (int i = 0; i < calls; ++i)
            step(i);
        fastest = std::min(fastest, (threadSeconds() - start) / calls * 1e6);
    }
    return fastest;
}

std::vector<float> noise(uint32_t seed, float level)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> value(-level, level);
    std::vector<float> samples(512);
    for (float& s : samples)
        s = value(rng);
    return samples;
}

// The real plug-in, run a block at a time, for its Block messages.
struct Plugin
{
    Plugin()
    {
        const LV2_Feature mapFeature{LV2_URID__map, &map};
        const LV2_Feature* features[] = {&mapFeature, nullptr};
        instance = d->instantiate(d, 44100.0, "", features);
        float* controls[] = {&mono, &latency, &correlation, &rangeMin, &rangeMax};
        for (uint32_t port = kPortMono; port <= kPortRangeMax; ++port)
            d->connect_port(instance, port, controls[port - kPortMono]);
        d->connect_port(instance, kPortControl, control);
        d->connect_port(instance, kPortNotify, notify);
        d->activate(instance);
    }
    ~Plugin() { d->cleanup(instance); }
    // The message one block of these channels makes.
    std::vector<uint8_t> message(std::vector<float> left, std::vector<float> right)
    {
        std::vector<float> out(512);
        d->connect_port(instance, kPortInLeft, left.data());
        d->connect_port(instance, kPortInRight, right.data());
        d->connect_port(instance, kPortOutLeft, out.data());
        d->connect_port(instance, kPortOutRight, out.data());
        auto* control = reinterpret_cast<LV2_Atom_Sequence*>(this->control);
        control->atom = {sizeof(LV2_Atom_Sequence_Body), urid(LV2_ATOM__Sequence)};
        control->body = {0, 0};
        auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(notify);
        sequence->atom = {sizeof(notify), urid(LV2_ATOM__Chunk)};
        d->run(instance, 512);
        LV2_ATOM_SEQUENCE_FOREACH(sequence, event)
        {
            const auto* bytes = reinterpret_cast<const uint8_t*>(&event->body);
            return {bytes, bytes + lv2_atom_total_size(&event->body)};
        }
        return {};
    }
    LV2_URID urid(const char* uri) { return map.map(map.handle, uri); }

    std::map<std::string, LV2_URID> urids;
    LV2_URID_Map map{this, [](LV2_URID_Map_Handle self, const char* uri)
                     {
                         auto& known = static_cast<Plugin*>(self)->urids;
                         const auto found = known.find(uri);
                         return found != known.end()
                                    ? found->second
                                    : (known[uri] = static_cast<LV2_URID>(known.size() + 1));
                     }};
    const LV2_Descriptor* d = lv2_descriptor(0);
    LV2_Handle instance;
    float mono = 0.0f, latency = 0.0f, correlation = 0.0f, rangeMin = 0.0f, rangeMax = 0.0f;
    uint64_t control[8] = {};
    uint64_t notify[kNotifyBufferBytes / 8] = {};
};

void benchRenderer(int percent, int frames)
{
    PanelArt art;
    if (!loadPanelArt(percent, art))
        return;
    CPanelRenderer panel(art);
    const std::vector<float> sides[2] = {noise(1, 1.0f), noise(2, 1.0f)};
    const std::vector<float> mids[2] = {noise(3, 1.0f), noise(4, 1.0f)};
    CCorrelationRange ranges[2];
    ranges[0].restore(-0.5f, 0.5f);
    ranges[1].restore(-0.6f, 0.7f);
    panel.compose();
    const double changed = best(frames,
                                [&](int i)
                                {
                                    const int k = i & 1;
                                    panel.setPoints(sides[k].data(), mids[k].data());
                                    panel.setPointer(k ? 0.6f : -0.6f);
                                    panel.setRange(ranges[k]);
                                    panel.compose();
                                });
    const double same = best(frames, [&](int) { panel.compose(); });
    std::printf("renderer %3d %%: %8.2f us a frame of new dots, pointer and range, %6.3f us "
                "a frame with nothing new\n",
                percent, changed, same);
}

void benchUi(int percent, int frames, Display* display, const std::filesystem::path& config)
{
    std::filesystem::create_directories(config / "zanderwick");
    std::ofstream(config / "zanderwick" / "scope.conf") << "Zoom=" << percent << "\n";
    Plugin plugin;
    const std::vector<uint8_t> blocks[2] = {plugin.message(noise(5, 0.8f), noise(6, 0.5f)),
                                            plugin.message(noise(7, 0.8f), noise(8, 0.7f))};
    const Window parent =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 600, 600, 0, 0, 0);
    XMapWindow(display, parent);
    XSync(display, False);
    const LV2UI_Descriptor* d = lv2ui_descriptor(0);
    const LV2_Feature mapFeature{LV2_URID__map, &plugin.map};
    const LV2_Feature parentFeature{LV2_UI__parent,
                                    reinterpret_cast<void*>(static_cast<uintptr_t>(parent))};
    const LV2_Feature* features[] = {&mapFeature, &parentFeature, nullptr};
    LV2UI_Widget widget = nullptr;
    LV2UI_Handle ui = d->instantiate(
        d, ZW_LV2_URI, "", [](LV2UI_Controller, uint32_t, uint32_t, uint32_t, const void*) {},
        nullptr, &widget, features);
    const auto* idle =
        static_cast<const LV2UI_Idle_Interface*>(d->extension_data(LV2_UI__idleInterface));
    if (!ui || !idle)
    {
        std::printf("panel %3d %%: could not be made\n", percent);
        return;
    }
    const uint32_t transfer = plugin.urid(LV2_ATOM__eventTransfer);
    const double frame =
        best(frames,
             [&](int i)
             {
                 const std::vector<uint8_t>& block = blocks[i & 1];
                 d->port_event(ui, kPortNotify, block.size(), transfer, block.data());
                 idle->idle(ui);
             });
    // Let the server catch up, then idle with nothing new.
    XSync(display, False);
    idle->idle(ui);
    const double quiet = best(frames * 10, [&](int) { idle->idle(ui); });
    std::printf("panel    %3d %%: %8.2f us a frame (message and idle), %6.3f us an idle call "
                "with nothing new\n",
                percent, frame, quiet);
    d->cleanup(ui);
    XDestroyWindow(display, parent);
    XSync(display, False);
}
} // namespace

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;
    for (int percent : kPanelSizes)
        benchRenderer(percent, frames);
    Display* display = XOpenDisplay(nullptr);
    if (!display)
    {
        std::printf("no X display (DISPLAY): the LV2 panel is not measured\n");
        return 0;
    }
    // The panel reads its size from a folder of the bench's own.
    const std::filesystem::path config =
        std::filesystem::temp_directory_path() / ("zw-panel-bench-" + std::to_string(getpid()));
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    for (int percent : kPanelSizes)
        benchUi(percent, frames, display, config);
    std::filesystem::remove_all(config);
    XCloseDisplay(display);
    return 0;
}
