#pragma once
// The blocks playback streams in, and where it starts over: the rules the
// feeder follows, apart from its thread so that they can be checked at once.

#include <cstdint>

// A block is 40 ms of frames: 1764 at 44.1 kHz, 1920 at 48 kHz.
constexpr int32_t blockFramesFor(int32_t sampleRate)
{
    return sampleRate / 100 * 4;
}

// Playback repeats the first 15 seconds of a file, or the whole file and a
// second more for a shorter one, in whole blocks: blocks 0 to the one this
// returns, then block 0 again. 375 at either rate makes 15.04 s.
constexpr int32_t kLoopSeconds = 15;
constexpr int64_t lastBlockBeforeRepeat(int32_t sampleRate, int64_t lengthSeconds)
{
    const int64_t blocksPerSecond = sampleRate / blockFramesFor(sampleRate);
    const int64_t shortFile = blocksPerSecond * (lengthSeconds + 1);
    return shortFile < kLoopSeconds * blocksPerSecond ? shortFile : kLoopSeconds * blocksPerSecond;
}
