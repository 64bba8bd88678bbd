#pragma once

#include <cstdint>
#include <vector>

#include "report/FileReport.h"

// Finds the passages where the meter stays below a threshold, block by
// block as the file streams by.
//
// The meter follows the sound at most 0.1 per block, so it crosses the
// threshold up to 20 blocks after the sound did. A passage is found where
// the meter is below, but it is placed where the sound itself was: from the
// block where the block's own (unsmoothed) correlation went below until the
// last such block before the meter rose again.
//
// Only blocks that are heard (at or above the gate) start or extend a
// passage. A passage ends where the meter has been above the threshold, or
// the sound below the gate, for the bridge time; shorter rises are part of it.
class CPassageFinder
{
  public:
    static constexpr size_t kMaxListed = 10;

    // frames caps the end of a passage that runs to the file's end (the
    // last block is filled up with silence).
    // band is where the passages it finds lie (kBroadband or a band).
    CPassageFinder(const ReportSettings& settings, double sampleRate, int64_t frames,
                   int32_t band = kBroadband);

    // meter: the smoothed correlation after the block; raw: the block's own;
    // heard: the block is at or above the gate.
    void addBlock(float meter, float raw, bool heard);
    // Ends a passage that lasts to the end of the file.
    void finish();

    int64_t count() const { return found; }
    // At most kMaxListed, worst first: lowest value, then longest.
    const std::vector<Passage>& worst() const { return listed; }

  private:
    void close();

    int32_t band;
    float threshold;
    double minSeconds;
    int64_t bridgeBlocks; // blocks above that end a passage
    double sampleRate;
    int64_t totalFrames;
    int64_t index = 0;
    int64_t rawRunStart = -1; // first block of the current run of raw values below
    bool open = false;
    int64_t start = 0;
    int64_t lastRawBelow = 0;
    int64_t blocksAbove = 0; // since the passage was last below
    float lowest = 0.0f;
    int64_t lowestBlock = 0;
    int64_t found = 0;
    std::vector<Passage> listed;
};
