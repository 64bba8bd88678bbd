#pragma once

#include <cstdint>
#include <vector>

#include "report/FileReport.h"

// The faults of a channel as a whole, found over the whole file, and each
// block's level for the gate. The thresholds are fixed: no option moves
// them, so that the gate never hides a fault.
//
// - silent channel: one channel's RMS over the file is 50 dB or more below
//   the other's, and the other carries sound (RMS above -70 dBFS);
// - identical channels: both carry sound and their difference's RMS is 60 dB
//   or more below the louder channel's;
// - inverted polarity: both carry sound and the correlation is negative in
//   the low band (below about 150 Hz, where real mixes are nearly mono),
//   weighted by energy over the file, -0.5 or less; and the meter is below 0
//   in more than half of the blocks with sound (above -70 dBFS). Where the
//   low band holds no sound, the whole band's correlation stands in for it.
class CChannelCheck
{
  public:
    static constexpr double kSoundDbfs = -70.0;
    static constexpr double kSilentBelowDb = 50.0;
    static constexpr double kIdenticalBelowDb = 60.0;
    static constexpr double kInvertedBelow = -0.5;
    static constexpr double kLowBandHz = 150.0;

    // A mono file has no channel faults: its one channel is heard on both sides.
    CChannelCheck(double sampleRate, bool stereo);

    // One block of kBlockLength frames, and the meter's value after it.
    // Returns the louder channel's mean square over the block.
    float addBlock(const float* left, const float* right, float meter);

    // The faults found, in the order of the enum; silentChannel tells which
    // channel is silent (0 left, 1 right) where one is.
    std::vector<ChannelFault> faults(int32_t& silentChannel) const;

    // The low band's correlation over the file (the whole band's where the
    // low band is silent), and the share of blocks with sound where the
    // meter is below 0.
    double lowBandCorrelation() const;
    double shareNegative() const;

  private:
    // Second-order low-pass sections, at the decimated rate.
    struct Section
    {
        double b0, b1, b2, a1, a2;
        double z1[2] = {0.0, 0.0};
        double z2[2] = {0.0, 0.0};
        double run(int32_t channel, double x);
    };

    bool stereo;
    int32_t decimation; // frames averaged into one low-band sample
    double soundLevel;  // kSoundDbfs as a mean square
    Section sections[2];
    // Whole-file sums: each channel's energy, their product, their
    // difference's energy; the same in the low band.
    double left2 = 0.0, right2 = 0.0, product = 0.0, difference2 = 0.0;
    double lowLeft2 = 0.0, lowRight2 = 0.0, lowProduct = 0.0;
    int64_t frames = 0;
    int64_t lowSamples = 0;
    int64_t soundBlocks = 0;
    int64_t negativeBlocks = 0;
    std::vector<float> averages; // one block's low-band input, left then right
};
