#include "plugin/StereoAnalyzer.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

namespace
{
constexpr uint32_t kMagnitudeMask = 0x7FFFFFFFu;
constexpr int32_t kInfinityBits = 0x7F800000;

uint32_t bitsOf(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

// One frame's agreement in half frames, as the sign of the exact product
// gives it: 2 for equal signs (however tiny) or two silent samples, 1 for
// exactly one silent sample, 0 for opposite signs and for frames whose
// product is NaN (a NaN sample, or an infinity against silence). Signs are
// compared rather than multiplied, so the loops stay in integers and
// vectorise; the float product only tells the NaN cases, which it gets right.
inline int32_t agreementHalves(float l, float r)
{
    // Masks, all ones where true, keep this to a handful of vector operations.
    const int32_t leftSilent = -static_cast<int32_t>(l == 0.0f);
    const int32_t rightSilent = -static_cast<int32_t>(r == 0.0f);
    const int32_t opposite = -static_cast<int32_t>((bitsOf(l) ^ bitsOf(r)) >> 31);
    const float product = l * r;
    const int32_t valid = -static_cast<int32_t>(product == product);
    return (2 + 2 * (opposite & ~(leftSilent | rightSilent)) + (leftSilent ^ rightSilent)) & valid;
}

// The same for two finite samples, whose product is never NaN.
inline int32_t finiteAgreementHalves(float l, float r)
{
    const int32_t leftSilent = -static_cast<int32_t>(l == 0.0f);
    const int32_t rightSilent = -static_cast<int32_t>(r == 0.0f);
    const int32_t opposite = -static_cast<int32_t>((bitsOf(l) ^ bitsOf(r)) >> 31);
    return 2 + 2 * (opposite & ~(leftSilent | rightSilent)) + (leftSilent ^ rightSilent);
}

// Magnitudes order like their bit patterns read as (non-negative) integers,
// which keeps the peak search in a vectorising integer loop; a NaN has no
// magnitude and counts as 0, just as a strictly-greater scan never takes it.
inline int32_t magnitudeBits(float value)
{
    const int32_t magnitude = static_cast<int32_t>(bitsOf(value) & kMagnitudeMask);
    return magnitude > kInfinityBits ? 0 : magnitude;
}

// The per-frame work after the scan. The buffers never overlap (the engine
// keeps separate input and output blocks), which lets these loops vectorise.
void stereoPoints(float* __restrict left, float* __restrict right, float* __restrict outLeft,
                  float* __restrict outRight, float* __restrict side, float* __restrict mid,
                  float scale, int32_t n)
{
    for (int32_t i = 0; i < n; ++i)
    {
        const float l = left[i];
        const float r = right[i];
        outLeft[i] = l;
        outRight[i] = r;
        const float ls = l * scale;
        const float rs = r * scale;
        left[i] = ls;
        right[i] = rs;
        side[i] = (rs - ls) * kRotation;
        mid[i] = (rs + ls) * kRotation;
    }
}

// Returns the number of NaN frames of the processed block.
int32_t monoPoints(float* __restrict left, float* __restrict right, float* __restrict outLeft,
                   float* __restrict outRight, float* __restrict side, float* __restrict mid,
                   float scale, int32_t n)
{
    int32_t nanFrames = 0;
    for (int32_t i = 0; i < n; ++i)
    {
        const float m = (left[i] + right[i]) * 0.5f;
        outLeft[i] = m;
        outRight[i] = m;
        const float v = m * scale;
        left[i] = v;
        right[i] = v;
        side[i] = (v - v) * kRotation;
        mid[i] = (v + v) * kRotation;
        nanFrames += v != v;
    }
    return nanFrames;
}
} // namespace

int32_t signAgreementHalves(const float* left, const float* right, int32_t count)
{
    int32_t halves = 0;
    for (int32_t i = 0; i < count; ++i)
        halves += agreementHalves(left[i], right[i]);
    return halves;
}

float correlationOfHalves(int64_t halves, int64_t count)
{
    const float accumulator = static_cast<float>(halves) * 0.5f;
    return accumulator / static_cast<float>(count) * 2.0f - 1.0f;
}

float signCorrelation(const float* left, const float* right, int32_t count)
{
    // Nothing to disagree about.
    if (!left || !right || count <= 0)
        return 1.0f;
    return correlationOfHalves(signAgreementHalves(left, right, count), count);
}

float limitStep(float previous, float maxStep, float target)
{
    const float d = target - previous;
    if (std::fabs(d) <= maxStep)
        return target;
    return d > 0.0f ? previous + maxStep : previous - maxStep;
}

CStereoAnalyzer::CStereoAnalyzer(int32_t length)
    : blockLength(length > 0 ? length : 0), mono(0), first(1),
      maxStep(static_cast<float>(blockLength) * kMaxStepPerSample), side(blockLength),
      mid(blockLength), corr(0.0f), previousCorr(0.0f)
{
}

CStereoAnalyzer::~CStereoAnalyzer() = default;

void CStereoAnalyzer::setMono(int32_t flag)
{
    mono = flag;
}

void CStereoAnalyzer::resetAnalysis()
{
    std::fill(side.begin(), side.end(), 0.0f);
    std::fill(mid.begin(), mid.end(), 0.0f);
    corr = 0.0f;
    first = 1;
}

void CStereoAnalyzer::smoothCorrelation(float raw)
{
    previousCorr = corr;
    corr = limitStep(previousCorr, maxStep, raw);
}

void CStereoAnalyzer::analyzeBlock(float** channels, float** outputs, int32_t /*length*/)
{
    if (!channels || !outputs || blockLength == 0)
        return;
    float* const left = channels[0];
    float* const right = channels[1];
    float* const outLeft = outputs[0];
    float* const outRight = outputs[1];
    const int32_t n = blockLength;

    // One pass over the block as it came in: its correlation and both peaks
    // (taken before any mono sum, so the display keeps the stereo level),
    // reckoned as if every sample were finite. The largest raw magnitude
    // tells whether one was not (an infinity or NaN orders above every
    // finite magnitude); such a block is scanned again by the exact rules.
    int32_t halves = 0;
    int32_t maxLeftBits = 0;
    int32_t maxRightBits = 0;
    for (int32_t i = 0; i < n; ++i)
    {
        halves += finiteAgreementHalves(left[i], right[i]);
        const int32_t l = static_cast<int32_t>(bitsOf(left[i]) & kMagnitudeMask);
        const int32_t r = static_cast<int32_t>(bitsOf(right[i]) & kMagnitudeMask);
        maxLeftBits = l > maxLeftBits ? l : maxLeftBits;
        maxRightBits = r > maxRightBits ? r : maxRightBits;
    }
    float raw;
    if (maxLeftBits < kInfinityBits && maxRightBits < kInfinityBits)
    {
        raw = correlationOfHalves(halves, n);
    }
    else
    {
        raw = signCorrelation(left, right, n);
        maxLeftBits = 0;
        maxRightBits = 0;
        for (int32_t i = 0; i < n; ++i)
        {
            const int32_t l = magnitudeBits(left[i]);
            const int32_t r = magnitudeBits(right[i]);
            maxLeftBits = l > maxLeftBits ? l : maxLeftBits;
            maxRightBits = r > maxRightBits ? r : maxRightBits;
        }
    }
    float peakL;
    float peakR;
    std::memcpy(&peakL, &maxLeftBits, sizeof(peakL));
    std::memcpy(&peakR, &maxRightBits, sizeof(peakR));
    if (first)
    {
        first = 0;
        corr = previousCorr = raw;
    }
    else
    {
        smoothCorrelation(raw);
    }

    // The louder channel fills the scope whatever the level; a tie goes left.
    float scale = 0.0f;
    if (peakR > peakL && peakR != 0.0f)
        scale = 1.0f / peakR;
    else if (peakL != 0.0f)
        scale = 1.0f / peakL;

    // Per frame, in this order: the mono sum, the output copy (only the
    // block or its mono sum is heard), the scaling, the side and mid points.
    int32_t nanFrames = 0;
    if (mono)
        nanFrames = monoPoints(left, right, outLeft, outRight, side.data(), mid.data(), scale, n);
    else
        stereoPoints(left, right, outLeft, outRight, side.data(), mid.data(), scale, n);

    // Second step on the processed block. Scaling by a finite factor of at
    // least 1 keeps every sign and every silent sample, and the block then
    // holds no infinity; so without mono the processed block agrees exactly
    // as the incoming one did, and a mono block (two identical channels)
    // agrees everywhere except where a sample is NaN.
    const bool signsKept = scale >= 1.0f && scale <= FLT_MAX;
    if (signsKept && !mono)
        smoothCorrelation(raw);
    else if (signsKept)
        smoothCorrelation(correlationOfHalves(2 * (n - nanFrames), n));
    else
        smoothCorrelation(signCorrelation(left, right, n));
}
