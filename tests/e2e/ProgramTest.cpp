// The real program in a working folder of its own: its windows, and closing
// it while it plays.

#include "tests/e2e/ProgramRunner.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace
{
std::vector<unsigned char> repositoryFile(const std::string& relative)
{
    // The test executable lives in build/win32/tests/e2e of the repository.
    std::ifstream in(executableFolder() + "..\\..\\..\\..\\" + relative, std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)),
                                      std::istreambuf_iterator<char>());
}

RECT screenRect(HWND hwnd)
{
    RECT rect = {};
    GetWindowRect(hwnd, &rect);
    return rect;
}
} // namespace

TEST(Program, ShowsItsWindowsAndEndsWithZeroWhenClosedWhilePlaying)
{
    const std::string folder = executableFolder() + "e2e-program\\";
    std::vector<unsigned char> stereo = repositoryFile("Audio\\Zanderwick\\Stereo.wav");
    ASSERT_GT(stereo.size(), 1000000u);
    ASSERT_TRUE(writeFile(folder + "Audio\\Zanderwick\\Stereo.wav", stereo));

    CProgramRunner program("..\\..\\ZanderwickDemo.exe", folder);
    ASSERT_TRUE(program.start());
    HWND demo = program.findWindow("CDEMOWND", 20000);
    ASSERT_TRUE(demo);
    HWND help = program.findWindow("CINFOWND", 20000);
    ASSERT_TRUE(help);
    HWND plug = program.findWindow("CPLUGWND", 5000);
    ASSERT_TRUE(plug);
    // The help window is placed before it is shown; the main window is
    // brought to the front right after.
    for (int i = 0; i < 200 && !IsWindowVisible(help); ++i)
        Sleep(50);
    Sleep(500);

    char text[64] = {};
    GetWindowTextA(demo, text, sizeof text);
    EXPECT_STREQ("Zanderwick Demo", text);
    GetWindowTextA(help, text, sizeof text);
    EXPECT_STREQ("Zanderwick Info", text);

    RECT rect = screenRect(demo);
    EXPECT_EQ(392, rect.left);
    EXPECT_EQ(185, rect.top);
    EXPECT_EQ(230, rect.right - rect.left);
    EXPECT_EQ(330, rect.bottom - rect.top);
    rect = screenRect(help);
    EXPECT_EQ(354, rect.left);
    EXPECT_EQ(0, rect.top);
    EXPECT_EQ(625, rect.right - rect.left);
    EXPECT_EQ(384, rect.bottom - rect.top);

    // The plug-in window sits under the toolbar, the editor's frame in it.
    EXPECT_EQ(demo, GetParent(plug));
    RECT client = {};
    GetClientRect(plug, &client);
    EXPECT_EQ(220, client.right);
    EXPECT_EQ(270, client.bottom);
    POINT origin = {0, 0};
    MapWindowPoints(plug, demo, &origin, 1);
    EXPECT_EQ(0, origin.x);
    EXPECT_EQ(31, origin.y);
    HWND frame = GetWindow(plug, GW_CHILD);
    ASSERT_TRUE(frame);
    GetClassNameA(frame, text, sizeof text);
    EXPECT_EQ(0, std::string(text).rfind("Plugin", 0)) << text;
    GetWindowTextA(frame, text, sizeof text);
    EXPECT_STREQ("Window", text);

    // The help window opened behind the main window.
    bool demoAbove = false;
    for (HWND above = GetWindow(help, GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV))
        demoAbove = demoAbove || above == demo;
    EXPECT_TRUE(demoAbove);

    // Closing the help window does not end the program.
    PostMessageA(help, WM_CLOSE, 0, 0);
    DWORD code = 0;
    EXPECT_FALSE(program.waitForExit(1500, &code));

    // Let the sound start (about five seconds after launch), then close.
    Sleep(5000);
    PostMessageA(demo, WM_CLOSE, 0, 0);
    const DWORD start = GetTickCount();
    ASSERT_TRUE(program.waitForExit(10000, &code));
    // Wine without a window manager spends about two seconds destroying an
    // active window; what the program itself adds must stay well under one.
    EXPECT_LT(GetTickCount() - start, 3000u) << "closing while playing takes too long";
    EXPECT_EQ(0u, code);
}
