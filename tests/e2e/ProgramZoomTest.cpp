// The program's size on high-DPI screens and across restarts: a fresh user
// gets the size of the screen's DPI and follows the screen the window goes
// to; a choice from the editor's menu wins over both from then on.

#include "tests/e2e/ProgramFixture.h"

namespace
{
SIZE clientSize(HWND window)
{
    RECT client = {};
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

// The editor's window, made anew at every change of size.
HWND editorIn(HWND plug)
{
    return FindWindowExA(plug, nullptr, nullptr, "Window");
}

bool showsPanelOf(HWND plug, LONG width, LONG height)
{
    return waitUntil(
        [&]
        {
            const SIZE shown = clientSize(editorIn(plug));
            return shown.cx == width && shown.cy == height;
        },
        5000);
}
} // namespace

class ProgramZoom : public ProgramFixture
{
  protected:
    // Where the editor sits: under the toolbar, which is drawn at its size.
    LONG editorTop() const
    {
        RECT place = {};
        GetWindowRect(windows.plug, &place);
        MapWindowPoints(HWND_DESKTOP, demo, reinterpret_cast<POINT*>(&place), 2);
        return place.top;
    }
    // Tells the main window, as Windows does, that it went to a screen of
    // that DPI, and where to go there: in a rectangle in the program's own
    // memory, as Windows passes it. True when the window went there.
    bool movesToScreenOf(int dpi, LONG left, LONG top)
    {
        const RECT suggested = {left, top, left + 300, top + 400};
        HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, program->processId());
        void* there =
            VirtualAllocEx(process, nullptr, sizeof(suggested), MEM_COMMIT, PAGE_READWRITE);
        if (there && WriteProcessMemory(process, there, &suggested, sizeof(suggested), nullptr))
            SendMessageA(demo, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                         reinterpret_cast<LPARAM>(there));
        VirtualFreeEx(process, there, 0, MEM_RELEASE);
        CloseHandle(process);
        RECT place = {};
        GetWindowRect(demo, &place);
        return place.left == left && place.top == top;
    }
};

TEST_F(ProgramZoom, FollowsTheScreensDpiUntilASizeIsChosenAndKeepsTheChoiceAfterARestart)
{
    CRegistryValue remembered(kZoomKey, "Zoom");
    ASSERT_TRUE(writeFile(executableFolder() + "e2e-zoom\\Audio\\Zanderwick\\Stereo.wav",
                          stereoWave(stereoNoise(44100, 7))));
    {
        // The program reads the DPI as it starts; put back at once, so that
        // nothing else starts at it.
        CRegistryValue dpi(kDesktopKey, "LogPixels");
        dpi.set(144);
        ASSERT_NO_FATAL_FAILURE(start("e2e-zoom"));
    }
    EXPECT_TRUE(showsPanelOf(windows.plug, 330, 405));
    EXPECT_EQ(46, editorTop()) << "under the toolbar drawn at 150 %";

    EXPECT_TRUE(movesToScreenOf(192, 40, 30));
    EXPECT_TRUE(showsPanelOf(windows.plug, 440, 540));
    EXPECT_EQ(62, editorTop());
    EXPECT_TRUE(movesToScreenOf(96, 60, 50));
    EXPECT_TRUE(showsPanelOf(windows.plug, 220, 270));
    EXPECT_EQ(31, editorTop());

    chooseFromZoomMenu(editorIn(windows.plug), 3);
    EXPECT_TRUE(showsPanelOf(windows.plug, 440, 540));
    EXPECT_TRUE(movesToScreenOf(144, 20, 10));
    EXPECT_EQ(440, clientSize(editorIn(windows.plug)).cx) << "the chosen size stays";
    EXPECT_EQ(62, editorTop());
    // 100 % chosen there: the frame is the screen's, the window still holds
    // the toolbar and the editor exactly.
    chooseFromZoomMenu(editorIn(windows.plug), 1);
    EXPECT_TRUE(showsPanelOf(windows.plug, 220, 270));
    EXPECT_EQ(220, clientSize(demo).cx);
    EXPECT_EQ(31 + 270, clientSize(demo).cy);
    chooseFromZoomMenu(editorIn(windows.plug), 3);
    EXPECT_TRUE(showsPanelOf(windows.plug, 440, 540));
    closeWithZero();
    EXPECT_EQ(200u, remembered.get());

    delete toolbar;
    delete program;
    ASSERT_NO_FATAL_FAILURE(start("e2e-zoom"));
    EXPECT_TRUE(showsPanelOf(windows.plug, 440, 540));
    closeWithZero();
}
