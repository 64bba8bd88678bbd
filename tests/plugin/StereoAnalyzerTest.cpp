#include "plugin/StereoAnalyzer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

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

// Runs one block; returns the left output.
Samples run(CStereoAnalyzer& analyzer, Samples l, Samples r, Samples* outR = nullptr)
{
    Samples outL(512), right(512);
    float* in[] = {l.data(), r.data()};
    float* out[] = {outL.data(), (outR ? *outR : right).data()};
    analyzer.analyzeBlock(in, out, 512);
    return outL;
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

TEST(StereoAnalyzer, MatchesThePlainStepsSampleBySample)
{
    // Quiet, hot, tiny and broken blocks with silent samples and sign flips,
    // in stereo and then in mono.
    std::mt19937 random(11);
    const float levels[] = {0.9f, 4.0f, 1e-40f, 1.0f};
    const float nan = std::numeric_limits<float>::quiet_NaN();
    CStereoAnalyzer analyzer(512);
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
        const Samples outL = run(analyzer, l, r, &outR);
        ASSERT_TRUE(same(analyzer.correlation(), reference.corr)) << "round " << round;
        for (int i = 0; i < 512; ++i)
        {
            ASSERT_TRUE(same(outL[i], reference.outL[i]) && same(outR[i], reference.outR[i]));
            ASSERT_TRUE(same(analyzer.sidePoints()[i], reference.side[i])) << round << " " << i;
            ASSERT_TRUE(same(analyzer.midPoints()[i], reference.mid[i])) << round << " " << i;
        }
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
