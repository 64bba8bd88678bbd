// The editor's panel after a file played through the real effect, at every
// size, with MONO off and on, and with the bands and history. These pictures are the truth the
// portable renderer is held to: zwpanel's test compares its output with the same files
// (tests/render/).

#include "audio/WaveReader.h"
#include "audio/WinFile.h"
#include "plugin/StereoAnalyzer.h"
#include "tests/editor/PluginWindowBench.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

TEST(EditorPanel, ShowsAPlayedFileAsItsReferencePictures)
{
    // The whole file, as the WAV reader gives it to every player.
    const char* path = std::getenv("ZW_PANEL_SOUND");
    ASSERT_NE(nullptr, path) << "ZW_PANEL_SOUND names the sound";
    CWinFile file;
    ASSERT_EQ(1, file.open(path)) << path;
    CWaveReader reader;
    ASSERT_EQ(kWaveOpened, reader.open(&file, kBlockLength));
    const int32_t blocks = static_cast<int32_t>(reader.getLength() / kBlockLength);
    ASSERT_GT(blocks, 0);
    std::vector<float> left(blocks * kBlockLength), right(blocks * kBlockLength);
    for (int32_t b = 0; b < blocks; ++b)
    {
        float* channels[] = {left.data() + b * kBlockLength, right.data() + b * kBlockLength};
        ASSERT_EQ(kBlockLength, reader.read(channels, 0, kBlockLength));
    }

    const struct
    {
        bool mono;
        bool bands;
        const char* name;
    } choices[] = {
        {false, false, "panel_"}, {true, false, "panel_mono_"}, {false, true, "panel_bands_"}};
    CRegistryValue bandsChoice(kZoomKey, "Bands");
    for (const auto& choice : choices)
        for (int zoom : {100, 150, 200})
        {
            bandsChoice.set(choice.bands ? 1 : 0);
            PluginWindowBench bench(zoom);
            if (choice.mono)
                bench.click(100, 240);
            // One idle pass per block, so that the range bar and the history
            // see every value the meter takes, as the LV2 plug-in's range does.
            for (int32_t b = 0; b < blocks; ++b)
            {
                bench.process(left.data() + b * kBlockLength, right.data() + b * kBlockLength,
                              kBlockLength);
                bench.idleAndTick();
            }
            const std::string name = choice.name + std::to_string(zoom);
            EXPECT_TRUE(matchesReference(bench.shown(), name.c_str()));
        }
}
