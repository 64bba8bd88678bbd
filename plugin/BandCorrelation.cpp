#include "plugin/BandCorrelation.h"

#include <cstring>

#include "plugin/StereoAnalyzer.h"

namespace
{
typedef float Lanes __attribute__((vector_size(16)));

inline Lanes lanesAt(const float* p)
{
    Lanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

double laneSum(Lanes v)
{
    return static_cast<double>(v[0]) + v[1] + v[2] + v[3];
}

void addEnergy(const float* left, const float* right, int32_t n, CBandCorrelation::Energy& sum)
{
    // Four frames at a time in four-lane sums: a plain float sum would wait
    // for each addition before the next. The run's total is kept in double.
    Lanes l2 = {}, r2 = {}, m2 = {};
    int32_t i = 0;
    for (; i + 4 <= n; i += 4)
    {
        const Lanes l = lanesAt(left + i);
        const Lanes r = lanesAt(right + i);
        const Lanes m = (l + r) * 0.5f;
        l2 += l * l;
        r2 += r * r;
        m2 += m * m;
    }
    for (; i < n; ++i)
    {
        const float m = (left[i] + right[i]) * 0.5f;
        l2[0] += left[i] * left[i];
        r2[0] += right[i] * right[i];
        m2[0] += m * m;
    }
    sum.left += laneSum(l2);
    sum.right += laneSum(r2);
    sum.mono += laneSum(m2);
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
