// The program's size on a high-DPI screen and across restarts: a fresh user
// gets the size of the screen's DPI, a choice from the editor's menu wins
// over it from then on.

#include "tests/e2e/ProgramFixture.h"
#include "tests/support/RegistryValue.h"

namespace
{
SIZE clientSize(HWND window)
{
    RECT client = {};
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

bool showsPanelOf(HWND plug, LONG width, LONG height)
{
    return waitUntil(
        [&]
        {
            const SIZE shown = clientSize(FindWindowExA(plug, nullptr, nullptr, "Window"));
            return shown.cx == width && shown.cy == height;
        },
        5000);
}
} // namespace

class ProgramZoom : public ProgramFixture
{
};

TEST_F(ProgramZoom, OpensAtTheDpisSizeForAFreshUserAndAtTheChosenOneAfterARestart)
{
    CRegistryValue remembered(kZoomKey, "Zoom");
    CRegistryValue dpi(kDesktopKey, "LogPixels");
    remembered.remove();
    dpi.set(144);
    ASSERT_TRUE(writeFile(executableFolder() + "e2e-zoom\\Audio\\Zanderwick\\Stereo.wav",
                          stereoWave(stereoNoise(44100, 7))));
    start("e2e-zoom");
    EXPECT_TRUE(showsPanelOf(windows.plug, 330, 405));
    RECT place = {};
    GetWindowRect(windows.plug, &place);
    MapWindowPoints(HWND_DESKTOP, demo, reinterpret_cast<POINT*>(&place), 2);
    EXPECT_EQ(46, place.top) << "under the toolbar drawn at 150 %";

    chooseFromZoomMenu(windows.frame, 3);
    EXPECT_TRUE(showsPanelOf(windows.plug, 440, 540));
    closeWithZero();
    EXPECT_EQ(200u, remembered.get());

    dpi.set(96);
    delete toolbar;
    delete program;
    start("e2e-zoom");
    EXPECT_TRUE(showsPanelOf(windows.plug, 440, 540));
    closeWithZero();
}
