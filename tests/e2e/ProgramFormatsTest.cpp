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

// The 16-bit sample that the device plays for a float sample.
int16_t played(float x)
{
    return static_cast<int16_t>(std::lrint(x * 32767.0f));
}

// Compares the capture from its start with the effect's output: 512 silent
// frames, then the file's frames as the device plays them, silent past the
// file's second up to the repeat.
SoundComparison compareWithLoop(const CapturedSound& sound, const std::vector<int16_t>& file,
                                long frames)
{
    return compareSound(sound, 0, frames,
                        [&](long j, const int16_t* frame)
                        {
                            const long k = j < kDelay ? -1 : (j - kDelay) % kLoopFrames;
                            const bool heard = k >= 0 && k < kFileFrames;
                            return frame[0] == (heard ? file[2 * k] : 0) &&
                                   frame[1] == (heard ? file[2 * k + 1] : 0);
                        });
}
} // namespace

TEST(ProgramFormats, TrailingChunksAreSilentAndSoxFilesOfEachWidthPlayExactly)
{
    // The default file: a second of noise followed by a LIST chunk of
    // loud bytes, which the program once played after the sound.
    const std::string folder = executableFolder() + "e2e-formats\\";
    const std::vector<int16_t> noise = stereoNoise(kFileFrames, 30);
    std::vector<unsigned char> withList = stereoWave(noise);
    const std::vector<int16_t> loud = stereoNoise(1000, 7);
    const unsigned char listHeader[] = {'L', 'I', 'S', 'T', 0xA0, 0x0F, 0, 0};
    withList.insert(withList.end(), listHeader, listHeader + 8);
    withList.insert(withList.end(), reinterpret_cast<const unsigned char*>(loud.data()),
                    reinterpret_cast<const unsigned char*>(loud.data() + loud.size()));
    const uint32_t riffSize = static_cast<uint32_t>(withList.size() - 8);
    for (int i = 0; i < 4; ++i)
        withList[4 + i] = static_cast<unsigned char>(riffSize >> (8 * i));
    ASSERT_TRUE(writeFile(folder + "Audio\\Zanderwick\\Stereo.wav", withList));

    CCaptureFile capture;
    capture.remove();
    CProgramRunner program("..\\..\\ZanderwickDemo.exe", folder);
    ASSERT_TRUE(program.start());
    ProgramWindows windows;
    ASSERT_TRUE(findProgramWindows(program, &windows));

    const long twoLoops = kDelay + 2 * kLoopFrames + 2000;
    ASSERT_TRUE(waitUntil([&] { return static_cast<long>(capture.frames()) > twoLoops; }, 45000))
        << "the default file did not play twice";
    SoundComparison compared = compareWithLoop(capture.read(), noise, twoLoops);
    EXPECT_EQ(-1, compared.firstDifference) << "the trailing chunk was heard";
    EXPECT_EQ(twoLoops, compared.matched);

    // Files written by sox from the same noise (see make_sox_files.py), each
    // opened through the open dialog. The sample rate is sent again for
    // each, so each starts on a fresh engine with 512 silent frames.
    const std::vector<int16_t> source = stereoNoise(kFileFrames, 31);
    auto fromInteger = [&](int shift, float scale)
    {
        std::vector<int16_t> out;
        for (int16_t s : source)
            out.push_back(played(static_cast<float>(s * (1 << shift)) * scale));
        return out;
    };
    const struct
    {
        const char* name;
        std::vector<int16_t> expected;
    } files[] = {
        {"sox16.wav", source},
        {"sox24.wav", fromInteger(8, 1.0f / 8388607.0f)},
        {"sox32.wav", fromInteger(16, 1.0f / 2147483648.0f)},
        {"soxfloat.wav", fromInteger(0, 1.0f / 32768.0f)}, // sox writes s / 32768
    };
    const long oneFile = kDelay + kFileFrames + 2000;
    for (const auto& file : files)
    {
        const std::string path = executableFolder() + "sox\\" + file.name;
        CDialogWatcher dialogs(
            "#32770", "Open",
            [&](HWND dialog)
            {
                const int kFileNameBox = 0x47C;
                SetDlgItemTextA(dialog, kFileNameBox, path.c_str());
                CDialogWatcher::pressOk(dialog);
            },
            program.processId());
        capture.remove();
        const POINT open = CToolbarView::centre(CToolbarView::kOpen);
        postClick(windows.demo, open.x, open.y);
        ASSERT_TRUE(dialogs.waitFor(1, 10000)) << file.name;
        ASSERT_TRUE(waitUntil([&] { return static_cast<long>(capture.frames()) > oneFile; }, 20000))
            << file.name << " did not play";
        compared = compareWithLoop(capture.read(), file.expected, oneFile);
        EXPECT_EQ(-1, compared.firstDifference) << file.name;
        EXPECT_EQ(oneFile, compared.matched) << file.name;
    }

    DWORD code = 1, milliseconds = 0;
    ASSERT_TRUE(closeProgram(program, windows.demo, &code, &milliseconds));
    EXPECT_EQ(0u, code);
}
