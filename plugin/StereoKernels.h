#pragma once

#include <cstdint>

// What a pass over a block as it came in finds: the sign agreement in half
// frames, reckoned as if every sample were finite, and each channel's largest
// magnitude as its bit pattern (magnitudes order like their bits read as
// integers; an infinity or NaN orders above every finite magnitude). Passes
// over the parts of a block add up to the pass over the whole.
struct StereoScan
{
    int32_t halves = 0;
    int32_t peakBitsLeft = 0;
    int32_t peakBitsRight = 0;
};

// The loops a block of the stereo analysis goes through, built once for any
// x86 processor with SSE2 and once for AVX2. Both sets give the same results
// to the bit: the same single-precision operations on every sample, only
// more samples at a time. Buffers passed to one call never overlap, but
// for delayScan's inputs and outputs, which a host may pair in any way.
struct CStereoKernels
{
    // Adds count frames to scan.
    void (*scan)(const float* left, const float* right, int32_t count, StereoScan& scan);
    // A step of a delay line of one block per channel, with the scan of what
    // comes in: for each channel and frame, the block's sample goes out and
    // the input's takes its place. In place, the channels are both.
    void (*delayScan)(float* const blocks[2], const float* const inputs[2], float* const outputs[2],
                      int32_t count, StereoScan& scan);
    void (*delayScanInPlace)(float* const blocks[2], float* const channels[2], int32_t count,
                             StereoScan& scan);
    // The agreement in half frames by the exact rule for any samples (see
    // signCorrelation), of left and right and of both times scale.
    int32_t (*halves)(const float* left, const float* right, int32_t count);
    int32_t (*scaledHalves)(const float* left, const float* right, float scale, int32_t count);
    // (left + right) * 0.5 into both outputs.
    void (*monoSum)(const float* left, const float* right, float* outLeft, float* outRight,
                    int32_t count);
    // The same, written over left and right.
    void (*monoSumInPlace)(float* left, float* right, int32_t count);
    // The scope's points of a heard block scaled by scale.
    void (*points)(const float* left, const float* right, float scale, float* side, float* mid,
                   int32_t count);
    const char* name;
};

// The fastest set this processor runs, or the baseline where the environment
// says ZW_STEREO_KERNELS=baseline (read once, on the first call).
const CStereoKernels& bestStereoKernels();
// For any processor.
const CStereoKernels& baselineStereoKernels();
// Null where the processor (or the system) cannot run AVX2.
const CStereoKernels* avx2StereoKernels();
