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
    const long found = sound.find(std::vector<int16_t>(file.begin(), file.begin() + 200));
    ASSERT_GE(found, kDelay) << "the file's first frames are not in the capture";
    // The device's first frames from the effect: its latency in silence.
    const long origin = found - kDelay;
    for (long i = 0; i < 2 * origin; ++i)
        ASSERT_EQ(0, sound.samples[i]) << "sample " << i << " before the sound";

    // The effect's output frame by frame: silence, then the file from the
    // start, over again after 15.04 s; at some point the mono sum instead.
    const long played = static_cast<long>(sound.frames()) - origin;
    auto stereo = [&](long j, int c) -> int
    { return j < kDelay ? 0 : file[2 * ((j - kDelay) % kLoopFrames) + c]; };
    auto mono = [&](long j) -> int { return j < kDelay ? 0 : (stereo(j, 0) + stereo(j, 1)) / 2; };
    long monoFrom = played;
    for (long j = 0; j < played && monoFrom == played; ++j)
        for (int c = 0; c < 2; ++c)
            if (sound.samples[2 * (origin + j) + c] != stereo(j, c))
                monoFrom = j;
    ASSERT_GT(monoFrom, kDelay + kLoopFrames + 44100)
        << "the sound differs from the file before the MONO click";
    ASSERT_LT(monoFrom, played - 22050) << "MONO made no difference";
    EXPECT_EQ(0, monoFrom % kDelay) << "MONO took effect inside a block";
    long mismatches = 0, firstMismatch = -1;
    for (long j = monoFrom; j < played; ++j)
        for (int c = 0; c < 2; ++c)
            if (sound.samples[2 * (origin + j) + c] != mono(j) && ++mismatches == 1)
                firstMismatch = j;
    EXPECT_EQ(0, mismatches) << "not the mono sum from frame " << firstMismatch;
}
