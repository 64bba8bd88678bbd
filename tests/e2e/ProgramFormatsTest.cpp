// Files as other tools write them, played by the running program: its
// capture compared frame by frame with what the sample conversions give.

#include "tests/e2e/ProgramSession.h"
#include "tests/support/DialogWatcher.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
const long kDelay = 512;            // the effect's latency
const long kFileFrames = 44100;     // every file here holds one second
const long kLoopFrames = 51 * 1764; // a 1 s file repeats after blocks 0 to 50

// Waits for `frames` frames of the capture, compared from its start: 512
// silent frames, then the file's as the device plays them, silent from its
// end to the repeat.
void expectPlayed(const std::vector<int16_t>& file, long frames, const std::string& what)
{
    const SoundComparison compared = hearsAs(frames, playsFile(file, kLoopFrames), 30000);
    EXPECT_EQ(-1, compared.firstDifference) << what;
    EXPECT_EQ(frames, compared.matched) << what << " did not play";
}
} // namespace

TEST(ProgramFormats, TrailingChunksAreSilentAndSoxFilesOfEachWidthPlayExactly)
{
    // The default file: a second of noise, then a LIST chunk of loud bytes
    // inside the form, which once played as noise after the sound.
    const std::string folder = executableFolder() + "e2e-formats\\";
    const std::vector<int16_t> noise = stereoNoise(kFileFrames, 30);
    const std::vector<int16_t> loud = stereoNoise(1000, 7);
    std::vector<unsigned char> file = stereoWave(noise);
    const unsigned char listHeader[] = {'L', 'I', 'S', 'T', 0xA0, 0x0F, 0, 0}; // 4000 bytes
    file.insert(file.end(), listHeader, listHeader + 8);
    file.insert(file.end(), reinterpret_cast<const unsigned char*>(loud.data()),
                reinterpret_cast<const unsigned char*>(loud.data() + loud.size()));
    for (int i = 0; i < 4; ++i)
        file[4 + i] = static_cast<unsigned char>((file.size() - 8) >> (8 * i));
    ASSERT_TRUE(writeFile(folder + "Audio\\Zanderwick\\Stereo.wav", file));

    CCaptureFile capture;
    capture.remove();
    CProgramRunner program("..\\..\\ZanderwickDemo.exe", folder);
    ASSERT_TRUE(program.start());
    ProgramWindows windows;
    ASSERT_TRUE(findProgramWindows(program, &windows));
    expectPlayed(noise, kDelay + 2 * kLoopFrames + 2000, "the file with a LIST chunk");

    // sox's files (see CMakeLists.txt), opened one by one in the open dialog.
    // Each sends the sample rate again, so each starts on a fresh engine.
    const std::string sox = executableFolder() + "sox\\";
    const std::vector<int16_t> source = readCapturedSound(sox + "sox16.wav", false).samples;
    ASSERT_EQ(2 * kFileFrames, static_cast<long>(source.size()));
    auto played = [&](int shift, float scale)
    {
        std::vector<int16_t> out;
        for (int16_t s : source)
            out.push_back(static_cast<int16_t>(
                std::lrint(static_cast<float>(s * (1 << shift)) * scale * 32767.0f)));
        return out;
    };
    const std::pair<const char*, std::vector<int16_t>> files[] = {
        {"sox16.wav", played(0, 1.0f / 32767.0f)},
        {"sox24.wav", played(8, 1.0f / 8388607.0f)},
        {"sox32.wav", played(16, 1.0f / 2147483648.0f)},
        {"soxfloat.wav", played(0, 1.0f / 32768.0f)}, // sox writes s / 32768
    };
    for (const auto& entry : files)
    {
        const std::string path = sox + entry.first;
        CDialogWatcher dialogs(
            "#32770", "Open",
            [&](HWND dialog)
            {
                SetDlgItemTextA(dialog, 0x47C, path.c_str()); // the file name box
                CDialogWatcher::pressOk(dialog);
            },
            program.processId());
        capture.remove();
        const POINT open = CToolbarView::centre(CToolbarView::kOpen);
        postClick(windows.demo, open.x, open.y);
        ASSERT_TRUE(dialogs.waitFor(1, kComesUpBound)) << entry.first;
        expectPlayed(entry.second, kDelay + kFileFrames + 2000, entry.first);
    }

    DWORD code = 1, milliseconds = 0;
    ASSERT_TRUE(closeProgram(program, windows.demo, &code, &milliseconds));
    EXPECT_EQ(0u, code);
}
