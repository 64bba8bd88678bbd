// The toolbar and the keys of the running program, seen through the sound
// it plays and the buttons it shows.

#include "tests/e2e/ProgramFixture.h"
#include "tests/support/DialogWatcher.h"

#include <gtest/gtest.h>

#include <algorithm>

using ProgramControls = ProgramFixture;

TEST_F(ProgramControls, ToolbarAndKeysStartStopOpenAndHelp)
{
    const std::string folder = executableFolder() + "e2e-controls\\";
    const std::vector<int16_t> standard = stereoNoise(3 * 44100, 21);
    const std::vector<int16_t> chosen = stereoNoise(3 * 44100, 22);
    const std::string chosenPath = folder + "Audio\\Quillomara\\Chosen.wav";
    ASSERT_TRUE(writeFile(folder + "Audio\\Zanderwick\\Stereo.wav", stereoWave(standard)));
    ASSERT_TRUE(writeFile(chosenPath, stereoWave(chosen)));
    ASSERT_NO_FATAL_FAILURE(start("e2e-controls\\"));

    EXPECT_EQ(kPlaying, shows(kPlaying)) << "from the start";
    EXPECT_EQ(CToolbarView::kRaised, toolbar->state(demo, CToolbarView::kOpen));
    EXPECT_EQ(CToolbarView::kRaised, toolbar->state(demo, CToolbarView::kHelp));
    ASSERT_TRUE(plays(standard)) << "the default file";

    // Enter while playing changes nothing.
    postKey(demo, VK_RETURN);
    EXPECT_EQ(kPlaying, staysAt(kPlaying));
    EXPECT_TRUE(capture.grows(1000));

    click(CToolbarView::kStop);
    EXPECT_EQ(kStopped, shows(kStopped)) << "stop button";
    EXPECT_TRUE(fallsSilent()) << "still playing after stop";
    postKey(demo, VK_NUMPAD0);
    EXPECT_EQ(kStopped, staysAt(kStopped)) << "numeric-pad 0 while stopped";

    capture.remove();
    postKey(demo, VK_RETURN);
    EXPECT_EQ(kPlaying, shows(kPlaying)) << "Enter";
    EXPECT_TRUE(plays(standard)) << "Enter";
    postKey(demo, VK_SPACE);
    EXPECT_EQ(kStopped, shows(kStopped)) << "Space while playing";
    EXPECT_TRUE(fallsSilent()) << "still playing after Space";
    capture.remove();
    postKey(demo, VK_SPACE);
    EXPECT_EQ(kPlaying, shows(kPlaying)) << "Space while stopped";
    EXPECT_TRUE(plays(standard)) << "Space";
    postKey(demo, VK_NUMPAD0);
    EXPECT_EQ(kStopped, shows(kStopped)) << "numeric-pad 0 while playing";
    click(CToolbarView::kPlay);
    EXPECT_EQ(kPlaying, shows(kPlaying)) << "play button";
    click(CToolbarView::kStop);
    EXPECT_EQ(kStopped, shows(kStopped));

    {
        // The open button's corner pixel is outside it; one further in opens
        // the dialog, pressed while it is up. Cancelling changes nothing.
        CToolbarView::State openWhileAsked = CToolbarView::kNeither;
        CDialogWatcher dialogs(
            "#32770", "Open",
            [&](HWND dialog)
            {
                // It opens over the toolbar: move it below.
                SetWindowPos(dialog, nullptr, 0, 520, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                Sleep(300);
                openWhileAsked = toolbar->state(demo, CToolbarView::kOpen);
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            },
            program->processId());
        capture.remove();
        postClick(demo, 5, 4);
        EXPECT_FALSE(dialogs.waitFor(1, 1000)) << "a click at (5, 4)";
        postClick(demo, 6, 5);
        ASSERT_TRUE(dialogs.waitFor(1, kComesUpBound)) << "a click at (6, 5)";
        EXPECT_EQ(CToolbarView::kPressed, openWhileAsked);
        ASSERT_TRUE(waitUntil(
            [&] { return toolbar->state(demo, CToolbarView::kOpen) == CToolbarView::kRaised; },
            kComesUpBound));
        EXPECT_EQ(kStopped, staysAt(kStopped)) << "after cancelling";
        EXPECT_EQ(0u, capture.frames());
    }
    {
        CDialogWatcher dialogs(
            "#32770", "Open",
            [&](HWND dialog)
            {
                const int kFileNameBox = 0x47C;
                SetDlgItemTextA(dialog, kFileNameBox, chosenPath.c_str());
                CDialogWatcher::pressOk(dialog);
            },
            program->processId());
        click(CToolbarView::kOpen);
        ASSERT_TRUE(dialogs.waitFor(1, kComesUpBound));
        EXPECT_EQ(kPlaying, shows(kPlaying)) << "after choosing a file";
        EXPECT_TRUE(plays(chosen)) << "the chosen file";
    }

    // The help window that opened at start-up comes to the front; once
    // closed, the next click opens a new one.
    click(CToolbarView::kHelp);
    EXPECT_TRUE(waitUntil([&] { return isAbove(windows.help, demo); }, kComesUpBound));
    EXPECT_EQ(1u, program->windows("CINFOWND").size());
    PostMessageA(windows.help, WM_CLOSE, 0, 0);
    ASSERT_TRUE(waitUntil([&] { return program->windows("CINFOWND").empty(); }, kComesUpBound));
    click(CToolbarView::kHelp);
    HWND reopened = program->findWindow("CINFOWND", 5000);
    ASSERT_TRUE(reopened);
    EXPECT_TRUE(waitUntil([&] { return IsWindowVisible(reopened) != FALSE; }, kComesUpBound));
    click(CToolbarView::kHelp);
    Sleep(300);
    EXPECT_EQ(1u, program->windows("CINFOWND").size());

    closeWithZero();
}

TEST_F(ProgramControls, WithoutTheDefaultFileTheToolbarShowsStoppedAndPlayAsksForAFile)
{
    const std::string folder = executableFolder() + "e2e-missing\\";
    DeleteFileA((folder + "Audio\\Zanderwick\\Stereo.wav").c_str());
    ASSERT_NO_FATAL_FAILURE(start("e2e-missing\\"));
    ASSERT_NO_FATAL_FAILURE(closeHelp());
    // A message would stay up until answered.
    auto dialogsUp = [&]
    {
        std::vector<std::string> shown = program->visibleWindowClasses();
        return std::count(shown.begin(), shown.end(), std::string("#32770"));
    };
    EXPECT_EQ(kStopped, shows(kStopped)) << "nothing was accepted";
    Sleep(1000);
    EXPECT_EQ(0, dialogsUp()) << "a missing default file is not talked about";

    // No file was ever accepted: play says so, by the button and by Enter,
    // and nothing starts.
    CDialogWatcher messages("#32770", "ERROR", CDialogWatcher::pressOk, program->processId());
    click(CToolbarView::kPlay);
    ASSERT_TRUE(messages.waitFor(1, kComesUpBound));
    EXPECT_EQ("No open Wavefile", messages.seen()[0].text);
    EXPECT_EQ(kStopped, staysAt(kStopped));
    postKey(demo, VK_RETURN);
    EXPECT_TRUE(messages.waitFor(2, kComesUpBound)) << "Enter acts on the true state";
    EXPECT_EQ(kStopped, staysAt(kStopped));
    EXPECT_EQ(0u, capture.frames()) << "something was played";
    closeWithZero();
}
