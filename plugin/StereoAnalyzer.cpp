#include "plugin/StereoAnalyzer.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "plugin/StereoKernels.h"

namespace
{
constexpr uint32_t kMagnitudeMask = 0x7FFFFFFFu;
constexpr int32_t kInfinityBits = 0x7F800000;

// Magnitudes order like their bit patterns read as (non-negative) integers;
// a NaN has no magnitude and counts as 0, just as a strictly-greater scan
// never takes it.
int32_t magnitudeBits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    const int32_t magnitude = static_cast<int32_t>(bits & kMagnitudeMask);
    return magnitude > kInfinityBits ? 0 : magnitude;
}

float floatOf(int32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}
} // namespace

int32_t signAgreementHalves(const float* left, const float* right, int32_t count)
{
    return bestStereoKernels().halves(left, right, count);
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

CStereoAnalyzer::CStereoAnalyzer(int32_t length, const CStereoKernels* useKernels)
    : kernels(useKernels ? useKernels : &bestStereoKernels()), blockLength(length > 0 ? length : 0),
      mono(0), first(1), maxStep(static_cast<float>(blockLength) * kMaxStepPerSample),
      side(blockLength), mid(blockLength), corr(0.0f), previousCorr(0.0f), heard(), heardScale(0.0f)
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
    heard[0] = heard[1] = nullptr;
}

void CStereoAnalyzer::smoothCorrelation(float raw)
{
    previousCorr = corr;
    corr = limitStep(previousCorr, maxStep, raw);
}

void CStereoAnalyzer::analyzeBlock(float** channels, float** outputs, int32_t /*length*/)
{
    measureBlock(channels, outputs);
    drawPoints();
}

void CStereoAnalyzer::measureBlock(float* const channels[2], float* const outputs[2])
{
    if (!channels || !outputs || blockLength == 0)
        return;
    StereoScan scan;
    kernels->scan(channels[0], channels[1], blockLength, scan);
    measure(channels, outputs, scan);
}

void CStereoAnalyzer::measureScannedBlock(float* const channels[2], const StereoScan& scan)
{
    if (channels && blockLength != 0)
        measure(channels, channels, scan);
}

void CStereoAnalyzer::measure(float* const channels[2], float* const outputs[2], StereoScan scan)
{
    const float* const left = channels[0];
    const float* const right = channels[1];
    float* const outLeft = outputs[0];
    float* const outRight = outputs[1];
    const int32_t n = blockLength;

    // The scan of the block as it came in gave its correlation and both
    // peaks (taken before any mono sum, so the display keeps the stereo
    // level), reckoned as if every sample were finite. The largest raw
    // magnitude tells whether one was not (an infinity or NaN orders above
    // every finite magnitude); such a block is scanned again by the exact
    // rules.
    const bool finite = scan.peakBitsLeft < kInfinityBits && scan.peakBitsRight < kInfinityBits;
    float raw;
    if (finite)
    {
        raw = correlationOfHalves(scan.halves, n);
    }
    else
    {
        raw = correlationOfHalves(kernels->halves(left, right, n), n);
        scan.peakBitsLeft = 0;
        scan.peakBitsRight = 0;
        for (int32_t i = 0; i < n; ++i)
        {
            scan.peakBitsLeft = std::max(scan.peakBitsLeft, magnitudeBits(left[i]));
            scan.peakBitsRight = std::max(scan.peakBitsRight, magnitudeBits(right[i]));
        }
    }
    const float peakL = floatOf(scan.peakBitsLeft);
    const float peakR = floatOf(scan.peakBitsRight);
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

    // What is heard: the block as it came in, or its mono sum. Normalisation
    // and the points never reach it.
    const bool inPlace = outLeft == left && outRight == right;
    if (mono && inPlace)
        kernels->monoSumInPlace(outLeft, outRight, n);
    else if (mono)
        kernels->monoSum(left, right, outLeft, outRight, n);
    else if (!inPlace)
    {
        std::memcpy(outLeft, left, sizeof(float) * static_cast<size_t>(n));
        std::memcpy(outRight, right, sizeof(float) * static_cast<size_t>(n));
    }

    // Second step on the processed block: the heard one times the scale.
    // Scaling by a finite factor of at least 1 keeps every sign and every
    // silent sample, and the block then holds no infinity; so without mono
    // the processed block agrees exactly as the incoming one did, and a mono
    // block (two identical channels) agrees everywhere except where a sample
    // is NaN, which only a block that was not finite has.
    const bool signsKept = scale >= 1.0f && scale <= FLT_MAX;
    if (signsKept && !mono)
    {
        smoothCorrelation(raw);
    }
    else if (signsKept)
    {
        int32_t nanFrames = 0;
        for (int32_t i = 0; !finite && i < n; ++i)
            nanFrames += outLeft[i] != outLeft[i];
        smoothCorrelation(correlationOfHalves(2 * (n - nanFrames), n));
    }
    else
    {
        smoothCorrelation(correlationOfHalves(kernels->scaledHalves(outLeft, outRight, scale, n), n));
    }
    heard[0] = outLeft;
    heard[1] = outRight;
    heardScale = scale;
}

void CStereoAnalyzer::drawPoints()
{
    if (heard[0])
        kernels->points(heard[0], heard[1], heardScale, side.data(), mid.data(), blockLength);
    heard[0] = heard[1] = nullptr;
}
