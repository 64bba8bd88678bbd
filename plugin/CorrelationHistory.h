#pragma once

#include <cstdint>
#include <vector>

// The broadband correlation of every analysis block over the last ten
// seconds, for the history strip, newest last. A strip of any width reads it
// as columns, each the lowest value of the blocks it covers: however narrow
// the strip, a short dip is never hidden. Columns are counted from the first
// block ever kept, so that a column's blocks stay the same while the strip
// moves and the picture scrolls instead of flickering.
//
// Lives on one thread (the editor's); setSampleRate allocates, push does not.
class CCorrelationHistory
{
  public:
    static constexpr float kSeconds = 10.0f;

    explicit CCorrelationHistory(float sampleRate = 44100.0f);

    // Makes room for ten seconds of blocks at the rate and starts empty.
    void setSampleRate(float sampleRate);
    void clear();
    // The value of that many blocks in a row; NaN keeps them as blocks whose
    // value is not known (shown as nothing).
    void push(float value, uint32_t blocks = 1);

    float getSampleRate() const { return sampleRate; }
    // Blocks in ten seconds.
    int32_t getCapacity() const { return static_cast<int32_t>(values.size()); }
    // Blocks kept since the start, lost ones included.
    uint64_t getBlocks() const { return blocks; }
    // Fills width columns, the newest block's at the right: each the lowest
    // known value of its blocks, NaN where none is known.
    void readColumns(float* columns, int32_t width) const;

  private:
    float sampleRate;
    std::vector<float> values;
    uint64_t blocks;
};
