// The LV2 panel through its descriptor, as a host makes and drives it, on an
// Xvfb of the tests' own: the plug-in's own messages shown as the Windows
// editor shows them, clicks and the menu of sizes, its own window.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <lv2/ui/ui.h>

#include "audio/MemoryFile.h"
#include "audio/WaveReader.h"
#include "render/PanelGeometry.h"
#include "tests/lv2/PluginHost.h"
#include "tests/support/ReferencePicture.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern "C" const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index);

namespace
{
namespace fs = std::filesystem;

// Calls the step until it says done; the bound is there for a panel that
// never gets there, and a busy machine stays well inside it.
bool eventually(const std::function<bool()>& done)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done())
    {
        if (std::chrono::steady_clock::now() > end)
            return false;
        usleep(2000);
    }
    return true;
}

// An Xvfb for the test suite, and a connection of the test's own to it.
class ScopeUi : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        // The pipe's ends kept away from 3, where Xvfb writes its display's
        // number, and from the server.
        int made[2];
        if (pipe(made) != 0)
            return;
        const int fds[2] = {fcntl(made[0], F_DUPFD_CLOEXEC, 10),
                            fcntl(made[1], F_DUPFD_CLOEXEC, 10)};
        close(made[0]);
        close(made[1]);
        // The server ends with the test, however the test ends.
        server = fork();
        if (server == 0)
        {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            dup2(fds[1], 3);
            const int quiet = open("/dev/null", O_WRONLY);
            dup2(quiet, 1);
            dup2(quiet, 2);
            execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten",
                   "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        const bool started = server > 0;
        close(fds[1]);
        std::string number;
        pollfd ready = {fds[0], POLLIN, 0};
        char c;
        while (started && poll(&ready, 1, 20000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (number.empty())
            return;
        setenv("DISPLAY", (":" + number).c_str(), 1);
        display = XOpenDisplay(nullptr);
    }
    static void TearDownTestSuite()
    {
        if (display)
            XCloseDisplay(display);
        display = nullptr;
        if (server > 0)
        {
            kill(server, SIGTERM);
            waitpid(server, nullptr, 0);
        }
        server = 0;
    }
    void SetUp() override
    {
        if (!display)
            GTEST_SKIP() << "no Xvfb to show the panel on (tools/setup.sh installs xvfb)";
        // The user's settings are never read: an empty folder of the test's own.
        config = fs::temp_directory_path() / ("zw-ui-" + std::to_string(getpid()));
        fs::remove_all(config);
        fs::create_directories(config);
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 600, 600, 0, 0,
                                     0xffffff);
        XMapWindow(display, parent);
        XSync(display, False);
    }
    void TearDown() override
    {
        if (!display)
            return;
        XDestroyWindow(display, parent);
        XSync(display, False);
        fs::remove_all(config);
    }

    // The window's pixels as 0x00rrggbb, row by row.
    static RgbPicture pixelsOf(Window window)
    {
        XWindowAttributes attributes;
        XGetWindowAttributes(display, window, &attributes);
        XImage* image = XGetImage(display, window, 0, 0, attributes.width, attributes.height,
                                  AllPlanes, ZPixmap);
        RgbPicture picture{attributes.width, attributes.height, {}};
        for (int y = 0; image && y < attributes.height; ++y)
            for (int x = 0; x < attributes.width; ++x)
                picture.pixels.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)));
        if (image)
            XDestroyImage(image);
        return picture;
    }
    // The window's pixels once what the panel sent has arrived: the same in
    // two reads a little apart. The panel's connection is not the test's, so
    // the server may take the test's requests first.
    static RgbPicture settled(Window window)
    {
        RgbPicture last = pixelsOf(window);
        for (int i = 0; i < 100; ++i)
        {
            usleep(20000);
            RgbPicture now = pixelsOf(window);
            if (now.pixels == last.pixels && now.width == last.width)
                return now;
            last = std::move(now);
        }
        return last;
    }
    static bool viewable(Window window)
    {
        XWindowAttributes attributes;
        XGetWindowAttributes(display, window, &attributes);
        return attributes.map_state == IsViewable;
    }
    static void paintOver(Window window)
    {
        GC gc = XCreateGC(display, window, 0, nullptr);
        XSetForeground(display, gc, 0xffffff);
        XFillRectangle(display, window, gc, 0, 0, 1000, 1000);
        XFreeGC(display, gc);
        XSync(display, False);
    }
    // What scope.conf holds.
    std::string stored() const
    {
        std::ifstream in(config / "zanderwick" / "scope.conf");
        return std::string{std::istreambuf_iterator<char>(in), {}};
    }
    // Opens the panel's menu and clicks the line at height y.
    template <typename SomePanel> static void choose(SomePanel& panel, int y)
    {
        click(panel.window(), Button3, 60, 100);
        panel.step();
        click(panel.window(), Button1, 80, y);
    }
    static void click(Window window, unsigned int button, int x, int y)
    {
        XEvent event = {};
        event.xbutton = {
            ButtonPress, 0, True, display, window, DefaultRootWindow(display), 0, CurrentTime, x, y,
            x,           y, 0,    button,  True};
        XSendEvent(display, window, False, ButtonPressMask, &event);
        XSync(display, False);
    }

    static pid_t server;
    static Display* display;
    fs::path config;
    Window parent = 0;
};
pid_t ScopeUi::server = 0;
Display* ScopeUi::display = nullptr;

// One panel as a host makes it: in the parent window when given, with the
// plug-in host's URID map, what it writes kept, the sizes it asks for
// answered with `refuse`.
struct Panel
{
    Panel(Host& plugin, Window parent, int refuse = 0) : refuse(refuse)
    {
        const LV2_Feature mapFeature{LV2_URID__map, &plugin.map};
        const LV2_Feature parentFeature{LV2_UI__parent,
                                        reinterpret_cast<void*>(static_cast<uintptr_t>(parent))};
        const LV2_Feature resizeFeature{LV2_UI__resize, &resize};
        const LV2_Feature* features[] = {&mapFeature, &resizeFeature,
                                         parent ? &parentFeature : nullptr, nullptr};
        handle = d->instantiate(d, ZW_LV2_URI, "", write, this, &widget, features);
        idle = static_cast<const LV2UI_Idle_Interface*>(d->extension_data(LV2_UI__idleInterface));
        show = static_cast<const LV2UI_Show_Interface*>(d->extension_data(LV2_UI__showInterface));
        uris = mapScopeUris(&plugin.map);
        boolType = plugin.urid(LV2_ATOM__Bool);
    }
    ~Panel()
    {
        if (handle)
            d->cleanup(handle);
    }
    Window window() const { return static_cast<Window>(reinterpret_cast<uintptr_t>(widget)); }
    int step() { return idle->idle(handle); }
    // Once the server shows the window, the exposure it sent the panel is
    // there to be read: handled, and what it drew arrived.
    RgbPicture shown(const std::function<bool(Window)>& viewable,
                     const std::function<RgbPicture(Window)>& settled)
    {
        EXPECT_TRUE(eventually([&] { return viewable(window()); }));
        step();
        return settled(window());
    }
    void message(const LV2_Atom* atom, LV2_URID eventTransfer)
    {
        d->port_event(handle, kPortNotify, lv2_atom_total_size(atom), eventTransfer, atom);
    }

    struct Written
    {
        uint32_t port;
        uint32_t format;
        std::vector<uint8_t> bytes;
    };
    static void write(LV2UI_Controller self, uint32_t port, uint32_t size, uint32_t format,
                      const void* buffer)
    {
        const auto* bytes = static_cast<const uint8_t*>(buffer);
        static_cast<Panel*>(self)->written.push_back({port, format, {bytes, bytes + size}});
    }

    const LV2UI_Descriptor* d = lv2ui_descriptor(0);
    int refuse;
    std::vector<std::pair<int, int>> sizes;
    LV2UI_Resize resize{this, [](LV2UI_Feature_Handle self, int width, int height)
                        {
                            auto* panel = static_cast<Panel*>(self);
                            panel->sizes.push_back({width, height});
                            return panel->refuse;
                        }};
    LV2UI_Widget widget = nullptr;
    LV2UI_Handle handle = nullptr;
    const LV2UI_Idle_Interface* idle = nullptr;
    const LV2UI_Show_Interface* show = nullptr;
    std::vector<Written> written;
    // To read the messages written, as the plug-in's host maps them.
    ScopeUris uris = {};
    LV2_URID boolType = 0;
};

// The test sound, as the players read it.
struct Sound
{
    Sound()
    {
        std::ifstream in(ZW_PANEL_SOUND, std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
        CMemoryFile file(bytes.data(), bytes.size());
        CWaveReader reader;
        EXPECT_EQ(kWaveOpened, reader.open(&file, 1 << 16));
        const int32_t frames = static_cast<int32_t>(reader.getLength());
        left.resize(frames);
        right.resize(frames);
        float* channels[] = {left.data(), right.data()};
        reader.read(channels, 0, frames);
    }
    std::vector<float> left, right;
};

// Plays the sound through the plug-in in blocks of 512 and hands the panel
// every message it makes, and the plug-in every message the panel wrote.
void play(Host& plugin, Panel& panel, const Sound& sound)
{
    std::vector<float> outLeft(512), outRight(512);
    float* const out[2] = {outLeft.data(), outRight.data()};
    size_t delivered = 0;
    for (size_t at = 0; at + 512 <= sound.left.size(); at += 512)
    {
        float* const in[2] = {const_cast<float*>(&sound.left[at]),
                              const_cast<float*>(&sound.right[at])};
        while (delivered < panel.written.size() && panel.written[delivered].port != kPortControl)
            ++delivered;
        const LV2_Atom* fromUi =
            delivered < panel.written.size()
                ? reinterpret_cast<const LV2_Atom*>(panel.written[delivered++].bytes.data())
                : nullptr;
        if (plugin.run(in, out, 512, false, sizeof(plugin.notify), fromUi))
            panel.message(&plugin.message->atom, plugin.urid(LV2_ATOM__eventTransfer));
    }
}
} // namespace

TEST_F(ScopeUi, ShowsThePluginsBlocksAsTheEditorDoesAndDrawsOnlyWhatChanged)
{
    const Sound sound;
    for (bool mono : {false, true})
    {
        Host plugin;
        Panel panel(plugin, parent);
        ASSERT_NE(nullptr, panel.handle);
        plugin.mono = mono ? 1.0f : 0.0f;
        panel.d->port_event(panel.handle, kPortMono, sizeof(float), 0, &plugin.mono);
        play(plugin, panel, sound);
        const RgbPicture reference = readReference(std::string(ZW_REFERENCES) + "/panel_" +
                                                   (mono ? "mono_" : "") + "100.ppm");
        EXPECT_TRUE(eventually(
            [&] { return panel.step(), samePicture(pixelsOf(panel.window()), reference); }))
            << samePicture(pixelsOf(panel.window()), reference) << (mono ? " with MONO" : "");
    }

    // Painted over, it stays so while nothing new comes; a new block puts
    // the parts it changed on the window, and only those.
    Host plugin;
    Panel panel(plugin, parent);
    play(plugin, panel, sound);
    panel.shown(viewable, settled);
    paintOver(panel.window());
    const RgbPicture white = pixelsOf(panel.window());
    for (int i = 0; i < 20; ++i)
        panel.step();
    EXPECT_TRUE(samePicture(settled(panel.window()), white)) << "idle drew with nothing new";
    std::vector<float> left(512, 0.5f), right(512, 0.5f), out(512);
    float* const in[2] = {left.data(), right.data()};
    float* const outs[2] = {out.data(), out.data()};
    ASSERT_EQ(1u, plugin.run(in, outs, 512));
    panel.message(&plugin.message->atom, plugin.urid(LV2_ATOM__eventTransfer));
    const PortRect scope = kScopeArea;
    EXPECT_TRUE(eventually(
        [&]
        {
            panel.step();
            const RgbPicture now = pixelsOf(panel.window());
            return now.pixels[(scope.top + 64) * now.width + scope.left + 65] != 0xffffff;
        }))
        << "the new block's dots";
    const RgbPicture now = pixelsOf(panel.window());
    EXPECT_EQ(0xffffffu, now.pixels[5 * now.width + 5]) << "the background was put again";
}

TEST_F(ScopeUi, SwitchesMonoResetsTheRangeAndRemembersTheSizeChosen)
{
    Host plugin;
    Panel panel(plugin, parent);
    ASSERT_NE(nullptr, panel.handle);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{220, 270}}), panel.sizes);
    auto clickAndWait = [&](unsigned int button, int x, int y)
    {
        const size_t before = panel.written.size();
        click(panel.window(), button, x, y);
        return eventually([&] { return panel.step(), panel.written.size() > before; });
    };
    ASSERT_TRUE(clickAndWait(Button1, 100, 240));
    ASSERT_TRUE(clickAndWait(Button1, 100, 240));
    ASSERT_TRUE(clickAndWait(Button1, 100, 207));
    ASSERT_EQ(3u, panel.written.size());
    for (int i = 0; i < 2; ++i)
    {
        float value;
        std::memcpy(&value, panel.written[i].bytes.data(), sizeof value);
        EXPECT_EQ(kPortMono, panel.written[i].port);
        EXPECT_EQ(0u, panel.written[i].format);
        EXPECT_EQ(i == 0 ? 1.0f : 0.0f, value);
    }
    const Panel::Written& reset = panel.written[2];
    const auto* object = reinterpret_cast<const LV2_Atom_Object*>(reset.bytes.data());
    EXPECT_EQ(kPortControl, reset.port);
    EXPECT_EQ(plugin.urid(LV2_ATOM__eventTransfer), reset.format);
    EXPECT_EQ(plugin.urid(ZW_LV2__ResetRange), object->body.otype);
    EXPECT_EQ(reset.bytes.size(), lv2_atom_total_size(&object->atom));

    // A right click on MONO or the bar opens nothing; elsewhere the sizes.
    const RgbPicture before = panel.shown(viewable, settled);
    click(panel.window(), Button3, 100, 240);
    click(panel.window(), Button3, 100, 207);
    for (int i = 0; i < 10; ++i)
        panel.step();
    EXPECT_TRUE(samePicture(settled(panel.window()), before));
    click(panel.window(), Button3, 60, 100);
    EXPECT_TRUE(
        eventually([&] { return panel.step(), !samePicture(pixelsOf(panel.window()), before); }));
    // The second line of the menu is 150 %.
    click(panel.window(), Button1, 80, 130);
    EXPECT_TRUE(eventually(
        [&]
        {
            panel.step();
            const RgbPicture now = pixelsOf(panel.window());
            return now.width == 330 && now.height == 405;
        }));
    EXPECT_EQ((std::pair<int, int>{330, 405}), panel.sizes.back());
    const fs::path file = config / "zanderwick" / "scope.conf";
    EXPECT_EQ("Zoom=150\n", stored());

    // The next panel opens at the size chosen; a host that cannot fit the
    // next choice keeps the panel as it is, and the choice is remembered.
    Panel refused(plugin, parent, 1);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{330, 405}}), refused.sizes);
    click(refused.window(), Button3, 10, 10);
    ASSERT_TRUE(eventually(
        [&]
        {
            return refused.step(),
                   pixelsOf(refused.window()).pixels[15 * 330 + 30] != pixelsOf(parent).pixels[0];
        }));
    click(refused.window(), Button1, 30, 50);
    EXPECT_TRUE(eventually([&] { return refused.step(), stored() == "Zoom=200\n"; }));
    EXPECT_EQ(330, pixelsOf(refused.window()).width);

    // Anything but a size is no choice; the file's other lines stay.
    for (const char* text : {"Zoom=120\nColour=blue\n", "Zoom=15O\n", "Zoom=\n", "Zoom=150 %\n"})
    {
        std::ofstream(file) << text;
        Panel fresh(plugin, parent);
        EXPECT_EQ((std::pair<int, int>{220, 270}), fresh.sizes.at(0)) << text;
    }
    std::ofstream(file) << "Colour=blue\nZoom=120\n";
    Panel kept(plugin, parent);
    choose(kept, 150);
    EXPECT_TRUE(eventually([&] { return kept.step(), stored() == "Colour=blue\nZoom=200\n"; }))
        << stored();
}

TEST_F(ScopeUi, ShowsTheBandsAndTheHistoryAsTheEditorDoesOnceChosen)
{
    auto bandsAsked = [&](const Panel& panel)
    {
        const Panel::Written& last = panel.written.back();
        const auto* object = reinterpret_cast<const LV2_Atom_Object*>(last.bytes.data());
        const LV2_Atom* shown = nullptr;
        lv2_atom_object_get(object, panel.uris.shown, &shown, 0);
        EXPECT_EQ(kPortControl, last.port);
        EXPECT_EQ(panel.uris.bands, object->body.otype);
        return shown && shown->type == panel.boolType &&
               reinterpret_cast<const LV2_Atom_Bool*>(shown)->body != 0;
    };
    {
        Host plugin;
        Panel panel(plugin, parent);
        // The menu's fourth line, below the sizes.
        choose(panel, 170);
        ASSERT_TRUE(eventually([&] { return panel.step(), panel.sizes.size() == 2; }));
        EXPECT_EQ((std::pair<int, int>{220, 318}), panel.sizes.back());
        EXPECT_EQ("Bands=1\n", stored());
        EXPECT_TRUE(bandsAsked(panel));
        // Gone, the panel takes its question back.
        panel.d->cleanup(panel.handle);
        panel.handle = nullptr;
        EXPECT_FALSE(bandsAsked(panel));
    }
    // The next panel opens with them and asks at once; played, it shows what
    // the editor shows.
    Host plugin;
    Panel panel(plugin, parent);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{220, 318}}), panel.sizes);
    ASSERT_FALSE(panel.written.empty());
    EXPECT_TRUE(bandsAsked(panel));
    play(plugin, panel, Sound());
    const RgbPicture reference = readReference(std::string(ZW_REFERENCES) + "/panel_bands_100.ppm");
    EXPECT_TRUE(
        eventually([&] { return panel.step(), samePicture(pixelsOf(panel.window()), reference); }))
        << samePicture(pixelsOf(panel.window()), reference);

    // Chosen off, the strip goes and the plug-in hears of it.
    choose(panel, 170);
    ASSERT_TRUE(eventually([&] { return panel.step(), panel.sizes.size() == 2; }));
    EXPECT_EQ((std::pair<int, int>{220, 270}), panel.sizes.back());
    EXPECT_EQ("Bands=0\n", stored());
    EXPECT_FALSE(bandsAsked(panel));
}

TEST_F(ScopeUi, OwnWindowShowsHidesClosesAndTakesOnlyWholeMessages)
{
    Host plugin;
    Panel panel(plugin, 0);
    ASSERT_NE(nullptr, panel.handle);
    auto shows = [&] { return viewable(panel.window()); };
    EXPECT_FALSE(shows());
    EXPECT_EQ(0, panel.show->show(panel.handle));
    EXPECT_TRUE(eventually([&] { return panel.step(), shows(); }));
    EXPECT_EQ(0, panel.show->hide(panel.handle));
    EXPECT_TRUE(eventually([&] { return panel.step(), !shows(); }));
    panel.show->show(panel.handle);
    EXPECT_TRUE(eventually([&] { return panel.step(), shows(); }));

    // Messages cut short, of another type or with points of another kind
    // change nothing, and read nothing beyond what they are.
    panel.shown(viewable, settled);
    paintOver(panel.window());
    const RgbPicture white = pixelsOf(panel.window());
    std::vector<float> in(512, 0.3f), out(512);
    float* const ins[2] = {in.data(), in.data()};
    float* const outs[2] = {out.data(), out.data()};
    ASSERT_EQ(1u, plugin.run(ins, outs, 512));
    const LV2_Atom& whole = plugin.message->atom;
    const uint32_t size = lv2_atom_total_size(&whole);
    const LV2_URID transfer = plugin.urid(LV2_ATOM__eventTransfer);
    for (uint32_t cut : {0u, 8u, 16u, size / 2, size - 4})
    {
        // A copy of exactly that length, so that a read past it is caught.
        std::vector<uint8_t> part(reinterpret_cast<const uint8_t*>(&whole),
                                  reinterpret_cast<const uint8_t*>(&whole) + cut);
        panel.d->port_event(panel.handle, kPortNotify, cut, transfer, part.data());
    }
    panel.d->port_event(panel.handle, kPortNotify, size, transfer + 1000, &whole);
    panel.d->port_event(panel.handle, kPortMono, 2, 0, &whole);
    std::vector<uint8_t> wrongKind(reinterpret_cast<const uint8_t*>(&whole),
                                   reinterpret_cast<const uint8_t*>(&whole) + size);
    auto* object = reinterpret_cast<LV2_Atom_Object*>(wrongKind.data());
    LV2_ATOM_OBJECT_FOREACH(object, property)
    {
        if (property->value.type == plugin.urid(LV2_ATOM__Vector))
            reinterpret_cast<LV2_Atom_Vector*>(&property->value)->body.child_size = 8;
    }
    panel.d->port_event(panel.handle, kPortNotify, size, transfer, wrongKind.data());
    for (int i = 0; i < 10; ++i)
        panel.step();
    EXPECT_TRUE(samePicture(settled(panel.window()), white)) << "a broken message was drawn";
    panel.message(&whole, transfer);
    EXPECT_TRUE(
        eventually([&] { return panel.step(), !samePicture(pixelsOf(panel.window()), white); }));

    // The window manager's close: idle says so, and the window goes.
    XEvent close = {};
    close.xclient.type = ClientMessage;
    close.xclient.window = panel.window();
    close.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    XSendEvent(display, panel.window(), False, NoEventMask, &close);
    XSync(display, False);
    EXPECT_TRUE(eventually([&] { return panel.step() == 1; }));
    EXPECT_TRUE(eventually([&] { return !shows(); }));
}
