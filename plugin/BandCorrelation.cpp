#include "plugin/BandCorrelation.h"

#include "plugin/StereoAnalyzer.h"

namespace
{
void addEnergy(const float* left, const float* right, int32_t n, CBandCorrelation::Energy& sum)
{
    // Float sums of one chunk vectorise; the run's total is kept in double.
    float l2 = 0.0f, r2 = 0.0f, m2 = 0.0f;
    for (int32_t i = 0; i < n; ++i)
    {
        const float m = (left[i] + right[i]) * 0.5f;
        l2 += left[i] * left[i];
        r2 += right[i] * right[i];
        m2 += m * m;
    }
    sum.left += l2;
    sum.right += r2;
    sum.mono += m2;
}
} // namespace

CBandCorrelation::CBandCorrelation(float sampleRate)
    : splitter(sampleRate), correlations(), blockCorrelations(), first(true), bandSamples()
{
}

void CBandCorrelation::setSampleRate(float sampleRate)
{
    splitter.setSampleRate(sampleRate);
    reset();
}

void CBandCorrelation::reset()
{
    splitter.reset();
    for (int32_t band = 0; band < kBandCount; ++band)
        correlations[band] = blockCorrelations[band] = 0.0f;
    first = true;
}

void CBandCorrelation::analyzeBlock(const float* left, const float* right, int32_t length)
{
    analyzeBlock(left, right, length, nullptr);
}

void CBandCorrelation::analyzeBlock(const float* left, const float* right, int32_t length,
                                    Energy* energies)
{
    if (!left || !right || length <= 0)
        return;
    float* const bands[kBandCount][2] = {{bandSamples[kBandLow][0], bandSamples[kBandLow][1]},
                                         {bandSamples[kBandMid][0], bandSamples[kBandMid][1]},
                                         {bandSamples[kBandHigh][0], bandSamples[kBandHigh][1]}};
    int64_t halves[kBandCount] = {0, 0, 0};
    for (int32_t at = 0; at < length; at += kChunkFrames)
    {
        const int32_t n = length - at < kChunkFrames ? length - at : kChunkFrames;
        splitter.split(left + at, right + at, n, bands);
        for (int32_t band = 0; band < kBandCount; ++band)
        {
            halves[band] += signAgreementHalves(bands[band][0], bands[band][1], n);
            if (energies)
                addEnergy(bands[band][0], bands[band][1], n, energies[band]);
        }
    }
    const float maxStep = static_cast<float>(length) * kMaxStepPerSample;
    for (int32_t band = 0; band < kBandCount; ++band)
    {
        const float raw = blockCorrelations[band] = correlationOfHalves(halves[band], length);
        float& value = correlations[band];
        value = first ? raw : limitStep(limitStep(value, maxStep, raw), maxStep, raw);
    }
    first = false;
}

float CBandCorrelation::correlation(int32_t band) const
{
    return band >= 0 && band < kBandCount ? correlations[band] : 0.0f;
}

float CBandCorrelation::blockCorrelation(int32_t band) const
{
    return band >= 0 && band < kBandCount ? blockCorrelations[band] : 0.0f;
}
