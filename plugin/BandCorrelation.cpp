#include "plugin/BandCorrelation.h"

#include "plugin/StereoAnalyzer.h"

CBandCorrelation::CBandCorrelation(float sampleRate)
    : splitter(sampleRate), correlations(), first(true), bandSamples()
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
    for (float& c : correlations)
        c = 0.0f;
    first = true;
}

void CBandCorrelation::analyzeBlock(const float* left, const float* right, int32_t length)
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
            halves[band] += signAgreementHalves(bands[band][0], bands[band][1], n);
    }
    const float maxStep = static_cast<float>(length) * kMaxStepPerSample;
    for (int32_t band = 0; band < kBandCount; ++band)
    {
        const float raw = correlationOfHalves(halves[band], length);
        float& value = correlations[band];
        value = first ? raw : limitStep(limitStep(value, maxStep, raw), maxStep, raw);
    }
    first = false;
}

float CBandCorrelation::correlation(int32_t band) const
{
    return band >= 0 && band < kBandCount ? correlations[band] : 0.0f;
}
