// The real program in a working folder of its own: its windows, and closing
// it while it plays.

#include "tests/e2e/ProgramSession.h"

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
    CCaptureFile capture;
    capture.remove();

    CProgramRunner program("..\\..\\ZanderwickDemo.exe", folder);
    ASSERT_TRUE(program.start());
    ProgramWindows windows;
    ASSERT_TRUE(findProgramWindows(program, &windows))
        << "the help window opens behind the main window";

    char text[64] = {};
    GetWindowTextA(windows.demo, text, sizeof text);
    EXPECT_STREQ("Zanderwick Demo", text);
    GetWindowTextA(windows.help, text, sizeof text);
    EXPECT_STREQ("Zanderwick Info", text);

    RECT rect = screenRect(windows.demo);
    EXPECT_EQ(392, rect.left);
    EXPECT_EQ(185, rect.top);
    EXPECT_EQ(230, rect.right - rect.left);
    EXPECT_EQ(330, rect.bottom - rect.top);
    rect = screenRect(windows.help);
    EXPECT_EQ(354, rect.left);
    EXPECT_EQ(0, rect.top);
    EXPECT_EQ(625, rect.right - rect.left);
    EXPECT_EQ(384, rect.bottom - rect.top);

    // The plug-in window sits under the toolbar, the editor's frame in it.
    EXPECT_EQ(windows.demo, GetParent(windows.plug));
    RECT client = {};
    GetClientRect(windows.plug, &client);
    EXPECT_EQ(220, client.right);
    EXPECT_EQ(270, client.bottom);
    POINT origin = {0, 0};
    MapWindowPoints(windows.plug, windows.demo, &origin, 1);
    EXPECT_EQ(0, origin.x);
    EXPECT_EQ(31, origin.y);
    GetClassNameA(windows.frame, text, sizeof text);
    EXPECT_EQ(0, std::string(text).rfind("Plugin", 0)) << text;
    GetWindowTextA(windows.frame, text, sizeof text);
    EXPECT_STREQ("Window", text);

    // Closing the help window does not end the program.
    PostMessageA(windows.help, WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitUntil([&] { return program.windows("CINFOWND").empty(); }, kComesUpBound))
        << "the help window stays";
    DWORD code = 0;
    EXPECT_FALSE(program.waitForExit(1500, &code)) << "the program ended with its help window";

    // Close once the sound runs.
    ASSERT_TRUE(waitUntil([&] { return capture.frames() > 44100; }, 15000)) << "no sound";
    DWORD milliseconds = 0;
    ASSERT_TRUE(closeProgram(program, windows.demo, &code, &milliseconds));
    EXPECT_LT(milliseconds, 2000u) << "closing while playing takes too long";
    EXPECT_EQ(0u, code);
}
