// The real program's window as the user sees it, compared pixel for pixel
// with the reference pictures: playing with MONO on, and stopped.

#include "tests/e2e/ProgramFixture.h"

#include <cmath>
#include <cstdlib>

namespace
{
// Stereo sines that repeat every 64 frames, so that every 512-frame block
// the editor shows is the same.
std::vector<int16_t> periodicStereo(int frames)
{
    std::vector<int16_t> samples;
    for (int i = 0; i < frames; ++i)
    {
        const double angle = 6.283185307179586 * (i % 64) / 64.0;
        samples.push_back(static_cast<int16_t>(std::lround(12000.0 * std::sin(angle))));
        samples.push_back(static_cast<int16_t>(std::lround(7000.0 * std::sin(angle - 1.1))));
    }
    return samples;
}
} // namespace

class ProgramScreens : public ProgramFixture
{
  protected:
    // The main window's client area comes to the reference picture in time;
    // when recording, the picture that stays for half a second becomes it.
    ::testing::AssertionResult settlesOn(const char* name)
    {
        const bool recording = std::getenv("ZW_RECORD_REFERENCES") != nullptr;
        Pixels shown, before;
        waitUntil(
            [&]
            {
                before = shown;
                Sleep(recording ? 500 : 0);
                shown = readWindow(demo);
                return recording ? shown.values == before.values
                                 : static_cast<bool>(matchesReference(shown, name));
            },
            10000);
        return matchesReference(shown, name);
    }
};

TEST_F(ProgramScreens, ShowTheSamePixelsPlayingWithMonoAndStopped)
{
    const std::vector<int16_t> sound = periodicStereo(16 * 44100);
    ASSERT_TRUE(writeFile(executableFolder() + "e2e-screens\\Audio\\Zanderwick\\Stereo.wav",
                          stereoWave(sound)));
    ASSERT_NO_FATAL_FAILURE(start("e2e-screens"));
    ASSERT_NO_FATAL_FAILURE(closeHelp());
    ASSERT_TRUE(plays(sound));
    // MONO pins the pointer and keeps the range bar clear, so the picture
    // does not depend on which blocks the editor happened to see.
    postClick(windows.frame, 100, 240);
    EXPECT_TRUE(settlesOn("program_mono"));
    postKey(demo, VK_NUMPAD0);
    EXPECT_TRUE(settlesOn("program_stopped"));
    closeWithZero();
}
