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
class CPassageFinder
{
  public:
    static constexpr size_t kMaxListed = 10;

    // totalSeconds caps the end of a passage that runs to the file's end
    // (the last block is filled up with silence).
    CPassageFinder(float threshold, double minSeconds, double secondsPerBlock, double totalSeconds);

    // meter: the smoothed correlation after the block; raw: the block's own.
    void addBlock(float meter, float raw);
    // Ends a passage that lasts to the end of the file.
    void finish();

    int64_t count() const { return found; }
    // At most kMaxListed, worst first: lowest value, then longest.
    const std::vector<Passage>& worst() const { return listed; }

  private:
    void close();

    float threshold;
    double minSeconds;
    double secondsPerBlock;
    double totalSeconds;
    int64_t index = 0;
    int64_t rawRunStart = -1; // first block of the current run of raw values below
    bool open = false;
    int64_t start = 0;
    int64_t lastRawBelow = 0;
    float lowest = 0.0f;
    int64_t lowestBlock = 0;
    int64_t found = 0;
    std::vector<Passage> listed;
};
