#pragma once

#include <cstdint>

#include "plugin/BandSplitter.h"

// Splits a stereo stream by 4th-order Linkwitz-Riley crossovers (whose sum
// is flat) and reads each band's correlation by the broadband meter's rule
// (signCorrelation) and smoothing (limitStep, kMaxStepPerSample per sample;
// the first block after a reset sets it at once), as CStereoAnalyzer does.
// Like the broadband meter it takes two smoothing steps per block, so a
// band that holds all of the sound moves as the needle does.
class CBandCorrelation
{
  public:
    // Sums of squares of a band over some frames: each channel's, and the
    // mono sum's ((left + right) / 2).
    struct Energy
    {
        double left = 0.0;
        double right = 0.0;
        double mono = 0.0;
    };

    explicit CBandCorrelation(float sampleRate = 44100.0f);
    // Starts over (filters' memory cleared, next block sets at once).
    void setSampleRate(float sampleRate);
    void reset();
    // Reads one block of any length; never writes the samples. Allocates
    // nothing: it may run on the audio thread.
    void analyzeBlock(const float* left, const float* right, int32_t length);
    // The same, and adds each band's energies in this block to
    // energies[band] where energies is given.
    void analyzeBlock(const float* left, const float* right, int32_t length, Energy* energies);
    // 0 after a reset and for a band that does not exist.
    float correlation(int32_t band) const;
    // The last block's own correlation, before the smoothing.
    float blockCorrelation(int32_t band) const;

  private:
    // Frames split at a time into the band buffers below.
    static constexpr int32_t kChunkFrames = 256;

    CBandSplitter splitter;
    float correlations[kBandCount];
    float blockCorrelations[kBandCount];
    bool first;
    float bandSamples[kBandCount][2][kChunkFrames];
};
