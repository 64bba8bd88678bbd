// What the running program plays: its default file through the effect,
// captured from the sound device and compared frame by frame.

#include "tests/e2e/ProgramSession.h"

#include <gtest/gtest.h>

namespace
{
const long kDelay = 512;             // the effect's latency, also its block length
const long kLoopFrames = 376 * 1764; // the feeder starts over after 15.04 s
} // namespace

TEST(ProgramSound, DefaultFileDelayedExactAndLoopingThenMonoFromABlockBoundary)
{
    const std::string folder = executableFolder() + "e2e-sound\\";
    const std::vector<int16_t> file = stereoNoise(16 * 44100, 11);
    ASSERT_TRUE(writeFile(folder + "Audio\\Zanderwick\\Stereo.wav", stereoWave(file)));
    CCaptureFile capture;
    capture.remove();

    CProgramRunner program("..\\..\\ZanderwickDemo.exe", folder);
    ASSERT_TRUE(program.start());
    ProgramWindows windows;
    ASSERT_TRUE(findProgramWindows(program, &windows));

    // A second and a half past the repeat, switch MONO on; a second later, close.
    ASSERT_TRUE(waitUntil([&] { return capture.frames() > kDelay + kLoopFrames + 66150; }, 45000))
        << "the sound did not reach the repeat";
    postClick(windows.frame, 100, 240);
    const size_t clicked = capture.frames();
    ASSERT_TRUE(waitUntil([&] { return capture.frames() > clicked + 44100; }, 5000));
    DWORD code = 0, milliseconds = 0;
    ASSERT_TRUE(closeProgram(program, windows.demo, &code, &milliseconds));
    EXPECT_EQ(0u, code);

    const CapturedSound sound = capture.read();
    ASSERT_TRUE(sound.valid);
    ASSERT_EQ(2, sound.channels);
    ASSERT_EQ(44100, sound.sampleRate);
    // The device's first buffer begins with the effect's latency in silence.
    EXPECT_EQ(kDelay, sound.find(std::vector<int16_t>(file.begin(), file.begin() + 200)))
        << "the file's first frames do not follow 512 silent ones";

    // The effect's output frame by frame: silence, then the file from the
    // start, over again after 15.04 s; from a block boundary on, once MONO
    // is clicked, the mono sum.
    auto stereo = [&](long j, int c) -> int { return playedSample(file, kLoopFrames, j, c); };
    long monoFrom = -1;
    auto matches = [&](long j, const int16_t* frame)
    {
        const int sum = (stereo(j, 0) + stereo(j, 1)) / 2;
        if (monoFrom < 0 && frame[0] == stereo(j, 0) && frame[1] == stereo(j, 1))
            return true;
        if (monoFrom < 0 && frame[0] == sum && frame[1] == sum)
            monoFrom = j;
        return monoFrom >= 0 && frame[0] == sum && frame[1] == sum;
    };
    const SoundComparison compared =
        compareSound(sound, static_cast<long>(sound.frames()), matches);
    EXPECT_EQ(-1, compared.firstDifference) << "mono from " << monoFrom;
    ASSERT_GE(monoFrom, 0) << "MONO made no difference";
    EXPECT_GT(monoFrom, kDelay + kLoopFrames + 44100) << "MONO took effect before the click";
    EXPECT_EQ(0, monoFrom % kDelay) << "MONO took effect inside a block";
    EXPECT_GT(compared.matched - monoFrom, 22050) << "too little sound after the click";
}
