#include "plugin/StereoAnalyzer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "plugin/StereoKernels.h"

namespace
{
using Samples = std::vector<float>;

// The correlation rule read plainly, with the product taken in double.
float referenceCorrelation(const Samples& l, const Samples& r)
{
    float sum = 0.0f;
    for (size_t i = 0; i < l.size(); ++i)
    {
        const double p = static_cast<double>(l[i]) * r[i];
        sum += p > 0.0 || (l[i] == 0.0f && r[i] == 0.0f) ? 1.0f : p == 0.0 ? 0.5f : 0.0f;
    }
    return sum / static_cast<float>(l.size()) * 2.0f - 1.0f;
}

// The whole analysis step by step, as plainly as it can be written.
struct CReference
{
    bool first = true;
    float corr = 0.0f;
    Samples side = Samples(512), mid = Samples(512), outL, outR;

    void step(Samples l, Samples r, bool mono)
    {
        const float maxStep = 512.0f * 0.0001f;
        const float raw = referenceCorrelation(l, r);
        corr = first ? raw : limitStep(corr, maxStep, raw);
        first = false;
        float peakL = 0.0f, peakR = 0.0f;
        for (int i = 0; i < 512; ++i)
        {
            peakL = std::fabs(l[i]) > peakL ? std::fabs(l[i]) : peakL;
            peakR = std::fabs(r[i]) > peakR ? std::fabs(r[i]) : peakR;
        }
        for (int i = 0; mono && i < 512; ++i)
            l[i] = r[i] = (l[i] + r[i]) * 0.5f;
        outL = l;
        outR = r;
        float scale = 0.0f;
        if (peakR > peakL && peakR != 0.0f)
            scale = 1.0f / peakR;
        else if (peakL != 0.0f)
            scale = 1.0f / peakL;
        for (int i = 0; i < 512; ++i)
        {
            l[i] *= scale;
            r[i] *= scale;
            side[i] = (r[i] - l[i]) * 0.70710677f;
            mid[i] = (r[i] + l[i]) * 0.70710677f;
        }
        corr = limitStep(corr, maxStep, referenceCorrelation(l, r));
    }
};

bool same(float a, float b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

// Runs one block, in place or into outputs of its own; returns the left
// output.
Samples run(CStereoAnalyzer& analyzer, Samples l, Samples r, Samples* outR = nullptr,
            bool inPlace = false)
{
    Samples outL(512), right(512);
    float* in[] = {l.data(), r.data()};
    float* out[] = {outL.data(), (outR ? *outR : right).data()};
    analyzer.analyzeBlock(in, inPlace ? in : out, 512);
    if (inPlace && outR)
        *outR = r;
    return inPlace ? l : outL;
}

// Every set of kernels this processor runs.
std::vector<const CStereoKernels*> kernelSets()
{
    std::vector<const CStereoKernels*> sets = {&baselineStereoKernels()};
    if (const CStereoKernels* avx2 = avx2StereoKernels())
        sets.push_back(avx2);
    return sets;
}

// 512 samples of every kind: ordinary, silent of either sign, tiny, huge,
// and if broken, infinite and NaN.
Samples mixedSamples(std::mt19937& random, bool broken)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float kinds[] = {0.0f, -0.0f, 1e-40f, -3e-39f, 5e30f, -inf, std::nanf("")};
    const uint32_t special = broken ? 7 : 5;
    Samples s(512);
    for (float& x : s)
    {
        const uint32_t pick = random() % 16;
        x = pick < special ? kinds[pick] : static_cast<float>(random() % 2001) / 1000.0f - 1.0f;
    }
    return s;
}
} // namespace

TEST(StereoAnalyzer, SignCorrelationAndLimitStep)
{
    Samples zero(512, 0.0f), a(512), minusA(512), tiny(512, 1e-30f);
    for (int i = 0; i < 512; ++i)
        minusA[i] = -(a[i] = std::sin(0.05f * static_cast<float>(i)) + 0.001f);
    EXPECT_EQ(signCorrelation(zero.data(), zero.data(), 512), 1.0f) << "silence agrees";
    EXPECT_EQ(signCorrelation(a.data(), zero.data(), 512), 0.0f) << "one channel counts half";
    EXPECT_EQ(signCorrelation(a.data(), a.data(), 512), 1.0f);
    EXPECT_EQ(signCorrelation(a.data(), minusA.data(), 512), -1.0f);
    EXPECT_EQ(signCorrelation(tiny.data(), tiny.data(), 512), 1.0f) << "the product underflows";
    EXPECT_EQ(limitStep(0.5f, 0.0512f, 0.52f), 0.52f);
    EXPECT_EQ(limitStep(0.0f, 0.0512f, 1.0f), 0.0512f);
    EXPECT_EQ(limitStep(0.0f, 0.0512f, -1.0f), -0.0512f);
}

namespace
{
// Quiet, hot, tiny and broken blocks with silent samples and sign flips, in
// stereo and then in mono.
void expectPlainSteps(const CStereoKernels& kernels, bool inPlace)
{
    std::mt19937 random(11);
    const float levels[] = {0.9f, 4.0f, 1e-40f, 1.0f};
    const float nan = std::numeric_limits<float>::quiet_NaN();
    CStereoAnalyzer analyzer(512, &kernels);
    CReference reference;
    for (int round = 0; round < 40; ++round)
    {
        const bool mono = round >= 20;
        Samples l(512), r(512), outR(512);
        for (int i = 0; i < 512; ++i)
        {
            const float u = static_cast<float>(random() % 2001) / 1000.0f - 1.0f;
            const float v = static_cast<float>(random() % 2001) / 1000.0f - 1.0f;
            l[i] = random() % 9 == 0 ? 0.0f : levels[round % 4] * u;
            r[i] = random() % 9 == 0 ? 0.0f : levels[round % 4] * (round % 3 ? v : u + v);
        }
        if (round % 4 == 3)
        {
            l[17] = nan;
            r[40] = round % 8 == 3 ? std::numeric_limits<float>::infinity() : 0.0f;
        }
        reference.step(l, r, mono);
        analyzer.setMono(mono);
        const Samples outL = run(analyzer, l, r, &outR, inPlace);
        ASSERT_TRUE(same(analyzer.correlation(), reference.corr)) << "round " << round;
        for (int i = 0; i < 512; ++i)
        {
            ASSERT_TRUE(same(outL[i], reference.outL[i]) && same(outR[i], reference.outR[i]));
            ASSERT_TRUE(same(analyzer.sidePoints()[i], reference.side[i])) << round << " " << i;
            ASSERT_TRUE(same(analyzer.midPoints()[i], reference.mid[i])) << round << " " << i;
        }
    }
}
} // namespace

TEST(StereoAnalyzer, MatchesThePlainStepsSampleBySample)
{
    // With every set of kernels, into outputs of their own and in place.
    for (const CStereoKernels* kernels : kernelSets())
        for (const bool inPlace : {false, true})
        {
            SCOPED_TRACE(std::string(kernels->name) + (inPlace ? " in place" : ""));
            expectPlainSteps(*kernels, inPlace);
        }
}

namespace
{
// One block through the delay line in parts of odd lengths (the wide loops'
// remainders): what went out, what stays, and the scan of what came in.
void expectDelayScan(const CStereoKernels& kernels, std::mt19937& random, bool broken, bool inPlace)
{
    const Samples earlierL = mixedSamples(random, broken);
    const Samples earlierR = mixedSamples(random, broken);
    Samples incomingL = mixedSamples(random, broken);
    Samples incomingR = mixedSamples(random, broken);
    // Each channel's largest magnitude (by its bits) in an early part.
    uint32_t peakBits = broken ? 0x7FFFFFFFu : 0x7A000000u;
    std::memcpy(&incomingL[3], &peakBits, 4);
    peakBits |= 0x80000000u;
    std::memcpy(&incomingR[10], &peakBits, 4);
    Samples inL = incomingL, inR = incomingR;
    Samples blockL = earlierL, blockR = earlierR, outL(512), outR(512);
    StereoScan whole, summed;
    baselineStereoKernels().scan(inL.data(), inR.data(), 512, whole);
    const int32_t parts[] = {1, 7, 8, 100, 3, 393};
    for (int32_t at = 0, part = 0; at < 512; at += parts[part++])
    {
        float* blocks[] = {&blockL[at], &blockR[at]};
        float* in[] = {&inL[at], &inR[at]};
        float* out[] = {&outL[at], &outR[at]};
        if (inPlace)
            kernels.delayScanInPlace(blocks, in, parts[part], summed);
        else
            kernels.delayScan(blocks, in, out, parts[part], summed);
    }
    EXPECT_EQ(0, std::memcmp((inPlace ? inL : outL).data(), earlierL.data(), 2048));
    EXPECT_EQ(0, std::memcmp((inPlace ? inR : outR).data(), earlierR.data(), 2048));
    EXPECT_EQ(0, std::memcmp(blockL.data(), incomingL.data(), 2048));
    EXPECT_EQ(0, std::memcmp(blockR.data(), incomingR.data(), 2048));
    EXPECT_EQ(whole.halves, summed.halves);
    EXPECT_EQ(whole.peakBitsLeft, summed.peakBitsLeft);
    EXPECT_EQ(whole.peakBitsRight, summed.peakBitsRight);
}
} // namespace

TEST(StereoAnalyzer, DelayLineHandsTheBlockOnAndScansItAsOnePassOverTheWholeWould)
{
    std::mt19937 random(5);
    for (const CStereoKernels* kernels : kernelSets())
        for (const bool broken : {false, true})
            for (const bool inPlace : {false, true})
            {
                SCOPED_TRACE(std::string(kernels->name) + (broken ? " with NaNs" : "") +
                             (inPlace ? " in place" : ""));
                expectDelayScan(*kernels, random, broken, inPlace);
            }
}

TEST(StereoAnalyzer, SmoothsTwicePerBlockAfterAnUnsmoothedFirstBlock)
{
    CStereoAnalyzer analyzer(512);
    run(analyzer, Samples(512, 0.5f), Samples(512, 0.0f));
    EXPECT_EQ(analyzer.correlation(), 0.0f) << "the first block is taken as it is";
    run(analyzer, Samples(512, 0.25f), Samples(512, 0.25f));
    EXPECT_EQ(analyzer.correlation(), 0.0512f + 0.0512f);

    analyzer.resetAnalysis();
    analyzer.setMono(1);
    const Samples out = run(analyzer, Samples(512, 0.5f), Samples(512, -0.5f));
    EXPECT_EQ(analyzer.correlation(), -1.0f + 0.0512f) << "unsmoothed, then one step to +1";
    EXPECT_EQ(out, Samples(512, 0.0f)) << "R = -L sums to silence";
}
