#pragma once

#include <cmath>
#include <cstdint>

#include "plugin/BandCorrelation.h"
#include "plugin/CorrelationRange.h"
#include "plugin/StereoAnalyzer.h"
#include "plugin/StereoKernels.h"

// The meter as one LV2 instance, or zwpanel playing a file, runs it: a
// 512-frame delay and the stereo analysis the VST 2 engine uses, so the
// delay and the mono sum are the same to the bit, and the range bar's values
// taken per block. Unlike that engine it takes no lock: LV2 calls an
// instance's run(), activate() and deactivate() from one thread at a time,
// and the results leave through ports, not through a store another thread
// reads.
//
// One block per channel is both the delay line and the block analysed: each
// frame that comes in takes the place of the one 512 frames earlier, which
// goes out, and is scanned on its way in. A full block is analysed (and
// summed to mono) in place and goes out over the next 512 frames: one pass
// over each frame, and the points of the newest block only.
class CScopeRunner
{
  public:
    CScopeRunner();

    CScopeRunner(const CScopeRunner&) = delete;
    CScopeRunner& operator=(const CScopeRunner&) = delete;

    // Starts over as a new instance would; MONO stays as it was set.
    void restart();
    // For every block finished from now on. While on, the range waits.
    void setMono(bool on);
    // Streams any number of frames; both inputs and outputs must be given,
    // paired in any way.
    void run(const float* const inputs[2], float* const outputs[2], uint32_t frames);
    // Starts the range over.
    void resetRange() { range.reset(); }
    // While on, every block finished is also read per band, as heard (the
    // mono sum while MONO is on); switched on, the bands start afresh.
    void setBands(bool on);
    bool readsBands() const { return bandsOn; }
    // Places the bands' crossovers; they start afresh.
    void setSampleRate(float rate) { bands.setSampleRate(rate); }

    // Blocks finished since the last call.
    uint32_t takeFinishedBlocks();
    // The points of the newest block finished.
    const float* sidePoints() const { return analyzer.sidePoints(); }
    const float* midPoints() const { return analyzer.midPoints(); }
    // What the correlation pointer shows: the meter, or +1 while MONO is on,
    // since what is heard is then mono.
    float meterValue() const { return mono ? 1.0f : analyzer.correlation(); }
    const CCorrelationRange& getRange() const { return range; }
    float bandCorrelation(int32_t band) const { return bands.correlation(band); }
    // Blocks finished since the start, and the lowest meter value of those
    // finished since the last call (NaN when none): a history that hears of
    // them in bunches still sees every dip.
    uint64_t getBlockCount() const { return blockCount; }
    float takeLowest();

  private:
    // withPoints: the block is the last this run finishes.
    void finishBlock(bool withPoints);

    alignas(64) float samples[2][kBlockLength];
    float* const blocks[2];
    uint32_t fill = 0;
    // Of the frames of the block so far.
    StereoScan scan;
    const CStereoKernels& kernels;
    CStereoAnalyzer analyzer;
    CCorrelationRange range;
    CBandCorrelation bands;
    bool mono = false;
    bool bandsOn = false;
    uint32_t finishedBlocks = 0;
    uint64_t blockCount = 0;
    float lowest = NAN;
};
