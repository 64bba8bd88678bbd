// The running program when something goes wrong: a refused file, a sound
// device that cannot be opened or stops taking sound. The toolbar tells the
// truth, the window keeps answering, and closing it ends the program.

#include "tests/e2e/ProgramFixture.h"
#include "tests/support/DialogWatcher.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>

namespace
{
using ProgramErrors = ProgramFixture;

// Message boxes of the program, left up until the test answers them.
class CHeldMessages
{
  public:
    explicit CHeldMessages(DWORD processId)
        : watcher(
              "#32770", "ERROR",
              [this](HWND box)
              {
                  std::lock_guard<std::mutex> guard(lock);
                  boxes.push_back(box);
              },
              processId)
    {
    }
    bool waitFor(size_t count, DWORD timeoutMs) { return watcher.waitFor(count, timeoutMs); }
    std::string text(size_t index) { return watcher.seen()[index].text; }
    void answer(size_t index)
    {
        std::lock_guard<std::mutex> guard(lock);
        CDialogWatcher::pressOk(boxes[index]);
    }

  private:
    std::mutex lock;
    std::vector<HWND> boxes;
    CDialogWatcher watcher;
};

// Size of a file that a unix process writes, or 0.
size_t unixFileSize(const char* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!path ||
        !GetFileAttributesExA((std::string("Z:") + path).c_str(), GetFileExInfoStandard, &data))
        return 0;
    return data.nFileSizeLow;
}
} // namespace

TEST_F(ProgramErrors, ARefusedFileLeavesTheLastGoodOnePlaying)
{
    const std::string folder = executableFolder() + "e2e-refused\\";
    const std::vector<int16_t> standard = stereoNoise(3 * 44100, 41);
    const std::string refusedPath = folder + "Audio\\Quillomara\\Refused.wav";
    ASSERT_TRUE(writeFile(folder + "Audio\\Zanderwick\\Stereo.wav", stereoWave(standard)));
    ASSERT_TRUE(writeFile(refusedPath, stereoWave(stereoNoise(4410, 42), 22050)));
    ASSERT_NO_FATAL_FAILURE(start("e2e-refused\\"));
    ASSERT_NO_FATAL_FAILURE(closeHelp());
    ASSERT_TRUE(plays(standard));

    {
        CDialogWatcher messages("#32770", "ERROR", CDialogWatcher::pressOk, program->processId());
        CDialogWatcher dialogs(
            "#32770", "Open",
            [&](HWND dialog)
            {
                const int kFileNameBox = 0x47C;
                SetDlgItemTextA(dialog, kFileNameBox, refusedPath.c_str());
                CDialogWatcher::pressOk(dialog);
            },
            program->processId());
        click(CToolbarView::kOpen);
        ASSERT_TRUE(messages.waitFor(1, kComesUpBound));
        EXPECT_EQ("No 44.1 kHz or 48 kHz Wavefile", messages.seen()[0].text);
    }
    EXPECT_EQ(kPlaying, staysAt(kPlaying));
    EXPECT_TRUE(capture.grows(1000)) << "the refused file stopped the sound";

    click(CToolbarView::kStop);
    EXPECT_EQ(kStopped, shows(kStopped));
    EXPECT_TRUE(fallsSilent());
    capture.remove();
    click(CToolbarView::kPlay);
    EXPECT_EQ(kPlaying, shows(kPlaying));
    EXPECT_TRUE(plays(standard)) << "play takes up the last file that was accepted";
    closeWithZero();
}

// Runs only as its own CTest entry, whose ALSA configuration has no usable
// device.
TEST_F(ProgramErrors, ABusyDeviceShowsStoppedAndTheWindowStaysResponsiveAndClosable)
{
    ASSERT_NE(nullptr, std::getenv("ZW_EXPECT_NO_DEVICE")) << "runs as e2e_no_device";
    const std::string folder = executableFolder() + "e2e-busy\\";
    ASSERT_TRUE(
        writeFile(folder + "Audio\\Zanderwick\\Stereo.wav", stereoWave(stereoNoise(44100, 43))));
    ASSERT_NO_FATAL_FAILURE(start("e2e-busy\\"));
    ASSERT_NO_FATAL_FAILURE(closeHelp());
    CHeldMessages messages(program->processId());

    // The feeder tries the device about five seconds after launch.
    ASSERT_TRUE(messages.waitFor(1, kComesUpBound));
    EXPECT_EQ("Output-Device busy", messages.text(0));
    EXPECT_EQ(kStopped, shows(kStopped)) << "while the message is up";
    EXPECT_TRUE(answers()) << "while the message is up";
    messages.answer(0);
    EXPECT_EQ(kStopped, staysAt(kStopped));

    // The stream was given up, so Enter tries again.
    postKey(demo, VK_RETURN);
    ASSERT_TRUE(messages.waitFor(2, kComesUpBound)) << "Enter acts on the true state";
    EXPECT_EQ("Output-Device busy", messages.text(1));
    EXPECT_TRUE(answers());
    closeWithZero();
}

// Runs only as its own CTest entry (stuck-sound.sh): the sound goes into a
// pipe whose reader stops after the first ZW_HEARD_BYTES bytes, so the
// device stops giving buffers back and its reset never returns.
TEST_F(ProgramErrors, AStuckDeviceNeitherHangsStopNorClose)
{
    const char* heard = std::getenv("ZW_HEARD");
    const char* heardBytes = std::getenv("ZW_HEARD_BYTES");
    ASSERT_TRUE(heard && heardBytes) << "runs as e2e_stuck_sound";
    const std::string folder = executableFolder() + "e2e-stuck\\";
    ASSERT_TRUE(writeFile(folder + "Audio\\Zanderwick\\Stereo.wav",
                          stereoWave(stereoNoise(16 * 44100, 44))));
    ASSERT_NO_FATAL_FAILURE(start("e2e-stuck\\", false));
    ASSERT_NO_FATAL_FAILURE(closeHelp());
    // The stall may be told before the stop arrives.
    CDialogWatcher messages("#32770", "ERROR", CDialogWatcher::pressOk, program->processId());

    const size_t limit = std::strtoul(heardBytes, nullptr, 10);
    ASSERT_TRUE(waitUntil([&] { return unixFileSize(heard) >= limit; }, 30000)) << "no sound";
    Sleep(500);
    const DWORD stopped = GetTickCount();
    click(CToolbarView::kStop);
    EXPECT_EQ(kStopped, shows(kStopped));
    EXPECT_TRUE(answers());
    EXPECT_LT(GetTickCount() - stopped, 2000u) << "stop took too long";
    closeWithZero();
    EXPECT_LE(messages.count(), 1u) << "the stall was told more than once";
}
