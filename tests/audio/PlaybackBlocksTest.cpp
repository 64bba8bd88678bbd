// Where playback starts over, decided without playing: the first 15 seconds
// in whole 40 ms blocks, or the whole file and a second more.

#include "audio/PlaybackBlocks.h"

#include <gtest/gtest.h>

TEST(PlaybackBlocks, RepeatAfterTheFirst15SecondsOrTheFileAndOneMore)
{
    const struct
    {
        int32_t rate;
        int64_t lengthSeconds;
        int32_t blockFrames;
        int64_t lastBlock;
    } cases[] = {
        {44100, 3, 1764, 100},  {44100, 1, 1764, 50},   {48000, 1, 1920, 50},
        {48000, 17, 1920, 375}, {44100, 15, 1764, 375}, {44100, 14, 1764, 375},
        {44100, 13, 1764, 350}, {48000, 0, 1920, 25},   {44100, 3600, 1764, 375},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.blockFrames, blockFramesFor(c.rate));
        EXPECT_EQ(c.lastBlock, lastBlockBeforeRepeat(c.rate, c.lengthSeconds))
            << c.rate << " Hz, " << c.lengthSeconds << " s";
    }
    // 15.04 s at either rate: 376 blocks.
    EXPECT_EQ(15.04, (lastBlockBeforeRepeat(48000, 17) + 1) * 1920 / 48000.0);
}
