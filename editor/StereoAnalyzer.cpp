#include "editor/StereoAnalyzer.h"

#include <cfloat>
#include <cmath>
#include <cstring>

namespace
{
// Independent running maxima, so that the peak search vectorises; the
// largest value is the same whichever order the frames are visited in.
constexpr int32_t kLanes = 8;

float peakOf(const float* samples, int32_t count)
{
    float lanes[kLanes] = {};
    int32_t i = 0;
    for (; i + kLanes <= count; i += kLanes)
    {
        for (int32_t k = 0; k < kLanes; ++k)
        {
            const float magnitude = std::fabs(samples[i + k]);
            lanes[k] = magnitude > lanes[k] ? magnitude : lanes[k];
        }
    }
    float peak = 0.0f;
    for (int32_t k = 0; k < kLanes; ++k)
        peak = lanes[k] > peak ? lanes[k] : peak;
    for (; i < count; ++i)
    {
        const float magnitude = std::fabs(samples[i]);
        peak = magnitude > peak ? magnitude : peak;
    }
    return peak;
}
} // namespace

float signCorrelation(const float* left, const float* right, int32_t count)
{
    // Nothing to disagree about.
    if (!left || !right || count <= 0)
        return 1.0f;

    // Counted in half frames so that the loop stays in integers. The
    // comparisons give what the sign of the exact product gives: two tiny
    // samples of equal sign still agree, and an infinity or NaN against a
    // silent sample adds nothing, as a NaN product would.
    int32_t halves = 0;
    for (int32_t i = 0; i < count; ++i)
    {
        const float l = left[i];
        const float r = right[i];
        const int32_t lz = l == 0.0f;
        const int32_t rz = r == 0.0f;
        const int32_t lp = l > 0.0f;
        const int32_t rp = r > 0.0f;
        const int32_t ln = l < 0.0f;
        const int32_t rn = r < 0.0f;
        const int32_t agree = (lp & rp) | (ln & rn) | (lz & rz);
        const int32_t finite = static_cast<int32_t>(std::fabs(l) <= FLT_MAX) &
                               static_cast<int32_t>(std::fabs(r) <= FLT_MAX);
        halves += 2 * agree + ((lz ^ rz) & finite);
    }
    const float accumulator = static_cast<float>(halves) * 0.5f;
    return accumulator / static_cast<float>(count) * 2.0f - 1.0f;
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
      maxStep(static_cast<float>(blockLength) * kMaxStepPerSample), side(nullptr), mid(nullptr),
      corr(0.0f), previousCorr(0.0f)
{
    side = new float[blockLength]();
    mid = new float[blockLength]();
}

CStereoAnalyzer::~CStereoAnalyzer()
{
    delete[] side;
    delete[] mid;
}

void CStereoAnalyzer::setMono(int32_t flag)
{
    mono = flag;
}

void CStereoAnalyzer::resetAnalysis()
{
    std::memset(side, 0, sizeof(float) * static_cast<size_t>(blockLength));
    std::memset(mid, 0, sizeof(float) * static_cast<size_t>(blockLength));
    corr = 0.0f;
    first = 1;
}

void CStereoAnalyzer::smoothCorrelation(const float* left, const float* right)
{
    previousCorr = corr;
    const float raw = signCorrelation(left, right, blockLength);
    corr = limitStep(previousCorr, maxStep, raw);
}

void CStereoAnalyzer::analyzeBlock(float** channels, float** outputs, int32_t /*length*/)
{
    if (!channels || !outputs || blockLength == 0)
        return;
    float* const left = channels[0];
    float* const right = channels[1];
    const int32_t n = blockLength;

    // The block as it came in sets or moves the correlation.
    if (first)
    {
        first = 0;
        corr = previousCorr = signCorrelation(left, right, n);
    }
    else
    {
        smoothCorrelation(left, right);
    }

    // Taken before the mono sum, so the display keeps the stereo level.
    const float peakL = peakOf(left, n);
    const float peakR = peakOf(right, n);

    if (mono)
    {
        for (int32_t i = 0; i < n; ++i)
        {
            right[i] = (left[i] + right[i]) * 0.5f;
            left[i] = right[i];
        }
    }

    // Only the block itself (or its mono sum) is heard; the scaling below is
    // for the display.
    std::memcpy(outputs[0], left, sizeof(float) * static_cast<size_t>(n));
    std::memcpy(outputs[1], right, sizeof(float) * static_cast<size_t>(n));

    // The louder channel fills the scope whatever the level; a tie goes left.
    float scale = 0.0f;
    if (peakR > peakL && peakR != 0.0f)
        scale = 1.0f / peakR;
    else if (peakL != 0.0f)
        scale = 1.0f / peakL;
    for (int32_t i = 0; i < n; ++i)
    {
        left[i] *= scale;
        right[i] *= scale;
    }

    for (int32_t i = 0; i < n; ++i)
    {
        side[i] = (right[i] - left[i]) * kRotation;
        mid[i] = (right[i] + left[i]) * kRotation;
    }

    // Second step on the processed block: with mono on it sees +1.
    smoothCorrelation(left, right);
}
