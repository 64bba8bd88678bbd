#pragma once
// A test fixture around the running program: started in a folder of its
// own, its toolbar read back, its sound captured.

#include "tests/e2e/ProgramSession.h"
#include "tests/support/RegistryValue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

inline const char kPlaying[] = "play pressed, stop raised";
inline const char kStopped[] = "play raised, stop pressed";

inline std::vector<int16_t> head(const std::vector<int16_t>& samples)
{
    return std::vector<int16_t>(samples.begin(), samples.begin() + 200);
}

class ProgramFixture : public ::testing::Test
{
  protected:
    // freshCapture: start from an empty capture file (not when the capture
    // is a pipe another process reads).
    void start(const std::string& folderName, bool freshCapture = true)
    {
        program = new CProgramRunner("..\\..\\ZanderwickDemo.exe", executableFolder() + folderName);
        toolbar = new CToolbarView(program->path());
        if (freshCapture)
            capture.remove();
        ASSERT_TRUE(program->start());
        ASSERT_TRUE(findProgramWindows(*program, &windows));
        demo = windows.demo;
    }
    // The help window opens over the main window's toolbar whenever Wine
    // activates it again (after a message box, say); tests that read the
    // toolbar while messages come and go close it first.
    void closeHelp()
    {
        PostMessageA(windows.help, WM_CLOSE, 0, 0);
        ASSERT_TRUE(waitUntil([&] { return program->windows("CINFOWND").empty(); }, kComesUpBound));
    }
    void TearDown() override
    {
        delete toolbar;
        delete program;
    }

    void click(CToolbarView::Button button)
    {
        const POINT at = CToolbarView::centre(button);
        postClick(demo, at.x, at.y);
    }
    // Waits for the toolbar to show this transport state; what it shows.
    std::string shows(const char* expected)
    {
        waitUntil([&] { return toolbar->transport(demo) == expected; }, kComesUpBound);
        return toolbar->transport(demo);
    }
    // After a key or click that must change nothing.
    std::string staysAt(const char* expected)
    {
        Sleep(300);
        return shows(expected);
    }
    // The device is closed soon after the toolbar changes: the capture
    // stops growing.
    bool fallsSilent()
    {
        return waitUntil([&] { return !capture.grows(400); }, kComesUpBound);
    }
    bool plays(const std::vector<int16_t>& samples)
    {
        return waitUntil([&] { return capture.holds(head(samples)); }, kComesUpBound);
    }
    // Whether the main window answers a message within 200 ms.
    bool answers()
    {
        DWORD_PTR result = 0;
        const DWORD before = GetTickCount();
        return SendMessageTimeoutA(demo, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &result) != 0 &&
               GetTickCount() - before <= 200;
    }
    void closeWithZero()
    {
        DWORD code = 1, milliseconds = 0;
        ASSERT_TRUE(closeProgram(*program, demo, &code, &milliseconds));
        EXPECT_EQ(0u, code);
        EXPECT_LT(milliseconds, 2000u);
    }

    // Made first, so that the program starts from the user's defaults.
    CDefaultUserSettings settings;
    CProgramRunner* program = nullptr;
    CToolbarView* toolbar = nullptr;
    CCaptureFile capture;
    ProgramWindows windows;
    HWND demo = nullptr;
};
