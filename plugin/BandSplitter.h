#pragma once

#include <cstdint>

// The three bands: below 250 Hz, between, above 4 kHz.
enum Band : int32_t
{
    kBandLow = 0,
    kBandMid = 1,
    kBandHigh = 2,
    kBandCount = 3
};
constexpr float kLowCrossoverHz = 250.0f;
constexpr float kHighCrossoverHz = 4000.0f;

// Splits a stereo stream into the three bands by two 4th-order
// Linkwitz-Riley crossovers (two Butterworth sections each). The low band
// also passes the upper crossover's all-pass, so the three bands add up to
// an all-pass of the input: flat, with no dip at either crossover.
//
// Both channels and both sides of a crossover run side by side in four-lane
// vectors: per frame five vector sections, no calls, no branches. Where the
// processor has AVX2, two sections of a row run in one eight-lane vector,
// the second a frame behind the first; both loops give the same results to
// the bit.
class CBandSplitter
{
  public:
    enum Loops
    {
        kWidestLoops,  // AVX2 where the processor runs it (see bestStereoKernels)
        kBaselineLoops // SSE2 on any x86
    };
    explicit CBandSplitter(float sampleRate = 44100.0f, Loops loops = kWidestLoops);

    // A rate that is not positive and finite counts as 44.1 kHz; a crossover
    // at or above 0.45 of the rate sits at 0.45 of it. Starts over.
    void setSampleRate(float sampleRate);
    // Clears the filters' memory.
    void reset();

    // Splits count frames; bands[band][channel] (left 0, right 1) each
    // receive count frames. The inputs are only read and must not overlap
    // the outputs. A filter that overflowed or took in NaN or infinity
    // starts over after the call, so one broken block is not heard forever.
    void split(const float* left, const float* right, int32_t count,
               float* const bands[kBandCount][2]);

    float sampleRate() const { return rate; }

    // One second-order section in four lanes, transposed direct form II.
    struct Section
    {
        float b0[4], b1[4], b2[4], a1[4], a2[4];
        float s1[4], s2[4];
    };
    enum
    {
        kSplitLow1, // 250 Hz: lanes 0-1 low-pass, lanes 2-3 high-pass
        kSplitLow2,
        kSplitHigh1, // 4 kHz on the upper branch: lanes 0-1 low-pass, 2-3 high-pass
        kSplitHigh2,
        kAllPass, // 4 kHz all-pass on the low band (lanes 0-1; 2-3 idle)
        kSections
    };

  private:
    float rate;
    bool wide;
    Section sections[kSections];
};
