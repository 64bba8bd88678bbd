#include "editor/StereoAnalyzer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace
{
// The plain reading of the rule, with the product taken in double.
float referenceCorrelation(const std::vector<float>& l, const std::vector<float>& r)
{
    float sum = 0.0f;
    for (size_t i = 0; i < l.size(); ++i)
    {
        const double p = static_cast<double>(l[i]) * r[i];
        sum += p > 0.0 || (l[i] == 0.0f && r[i] == 0.0f) ? 1.0f : p == 0.0 ? 0.5f : 0.0f;
    }
    return sum / static_cast<float>(l.size()) * 2.0f - 1.0f;
}

bool same(float a, float b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

// The analysis step by step as plainly as it can be written.
struct CReference
{
    bool first = true;
    float corr = 0.0f;
    std::vector<float> side = std::vector<float>(512), mid = std::vector<float>(512);

    void step(std::vector<float> l, std::vector<float> r, bool mono, std::vector<float>& outL,
              std::vector<float>& outR)
    {
        const float maxStep = 512.0f * 0.0001f;
        corr = first ? referenceCorrelation(l, r)
                     : limitStep(corr, maxStep, referenceCorrelation(l, r));
        first = false;
        float peakL = 0.0f, peakR = 0.0f;
        for (int i = 0; i < 512; ++i)
        {
            if (std::fabs(l[i]) > peakL)
                peakL = std::fabs(l[i]);
            if (std::fabs(r[i]) > peakR)
                peakR = std::fabs(r[i]);
        }
        for (int i = 0; mono && i < 512; ++i)
            l[i] = r[i] = (l[i] + r[i]) * 0.5f;
        outL = l;
        outR = r;
        const float scale = peakR > peakL && peakR != 0.0f ? 1.0f / peakR
                            : peakL != 0.0f                ? 1.0f / peakL
                                                           : 0.0f;
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

struct Block
{
    std::vector<float> l, r, outL, outR;
    Block(float left, float right) : l(512, left), r(512, right), outL(512, 9.0f), outR(512, 9.0f)
    {
    }
    void run(CStereoAnalyzer& analyzer)
    {
        float* in[] = {l.data(), r.data()};
        float* out[] = {outL.data(), outR.data()};
        analyzer.analyzeBlock(in, out, 512);
    }
};
} // namespace

TEST(StereoAnalyzer, SignCorrelationCountsAgreementAndLimitStepCapsTheMove)
{
    std::vector<float> zero(512, 0.0f), a(512), b(512);
    for (int i = 0; i < 512; ++i)
        a[i] = b[i] = std::sin(0.05f * static_cast<float>(i)) + 0.001f;
    std::vector<float> minusA(a), tiny(512, 1e-30f);
    for (float& v : minusA)
        v = -v;
    EXPECT_EQ(signCorrelation(zero.data(), zero.data(), 512), 1.0f) << "silence agrees";
    EXPECT_EQ(signCorrelation(a.data(), zero.data(), 512), 0.0f) << "one channel counts half";
    EXPECT_EQ(signCorrelation(a.data(), b.data(), 512), 1.0f);
    EXPECT_EQ(signCorrelation(a.data(), minusA.data(), 512), -1.0f);
    EXPECT_EQ(signCorrelation(tiny.data(), tiny.data(), 512), 1.0f) << "the product underflows";

    // Random signs, exact zeros, tiny and non-finite samples.
    std::mt19937 random(7);
    const float specials[] = {0.0f,
                              -0.0f,
                              1e-30f,
                              -1e-30f,
                              1e-45f,
                              std::numeric_limits<float>::infinity(),
                              std::numeric_limits<float>::quiet_NaN()};
    for (int round = 0; round < 20; ++round)
    {
        std::vector<float> l(512), r(512);
        for (int i = 0; i < 512; ++i)
        {
            l[i] = specials[random() % 7] * static_cast<float>(random() % 3);
            r[i] = static_cast<float>(static_cast<int>(random() % 5) - 2) * 0.25f;
        }
        EXPECT_EQ(signCorrelation(l.data(), r.data(), 512), referenceCorrelation(l, r));
    }

    EXPECT_EQ(limitStep(0.5f, 0.0512f, 0.52f), 0.52f);
    EXPECT_EQ(limitStep(0.0f, 0.0512f, 1.0f), 0.0512f);
    EXPECT_EQ(limitStep(0.0f, 0.0512f, -1.0f), -0.0512f);
}

TEST(StereoAnalyzer, MatchesThePlainStepsSampleBySample)
{
    // Quiet, hot, tiny and broken blocks, each with silent samples and
    // sign flips, first in stereo and then in mono.
    std::mt19937 random(11);
    const float levels[] = {0.9f, 4.0f, 1e-40f, 1.0f};
    CStereoAnalyzer analyzer(512);
    CReference reference;
    for (int round = 0; round < 40; ++round)
    {
        const bool mono = round >= 20;
        analyzer.setMono(mono);
        const float level = levels[round % 4];
        Block block(0.0f, 0.0f);
        for (int i = 0; i < 512; ++i)
        {
            const float u = static_cast<float>(random() % 2001) / 1000.0f - 1.0f;
            const float v = static_cast<float>(random() % 2001) / 1000.0f - 1.0f;
            block.l[i] = random() % 9 == 0 ? 0.0f : level * u;
            block.r[i] = random() % 9 == 0 ? 0.0f : level * (round % 3 ? v : 0.5f * u + 0.5f * v);
        }
        if (round % 4 == 3)
        {
            block.l[17] = std::numeric_limits<float>::quiet_NaN();
            block.r[40] = round % 8 == 3 ? std::numeric_limits<float>::infinity() : 0.0f;
        }
        std::vector<float> outL, outR;
        reference.step(block.l, block.r, mono, outL, outR);
        block.run(analyzer);
        ASSERT_TRUE(same(analyzer.correlation(), reference.corr)) << "round " << round;
        for (int i = 0; i < 512; ++i)
        {
            ASSERT_TRUE(same(block.outL[i], outL[i]) && same(block.outR[i], outR[i])) << i;
            ASSERT_TRUE(same(analyzer.sidePoints()[i], reference.side[i])) << round << " " << i;
            ASSERT_TRUE(same(analyzer.midPoints()[i], reference.mid[i])) << round << " " << i;
        }
    }
}

TEST(StereoAnalyzer, SmoothsTwicePerBlockAfterAnUnsmoothedFirstBlock)
{
    CStereoAnalyzer analyzer(512);
    Block oneChannel(0.5f, 0.0f), same(0.25f, 0.25f);
    oneChannel.run(analyzer);
    EXPECT_EQ(analyzer.correlation(), 0.0f) << "the first block is taken as it is";
    same.run(analyzer);
    EXPECT_EQ(analyzer.correlation(), 0.0512f + 0.0512f);

    analyzer.resetAnalysis();
    EXPECT_EQ(analyzer.correlation(), 0.0f);
    Block opposite(0.5f, -0.5f);
    opposite.run(analyzer);
    EXPECT_EQ(analyzer.correlation(), -1.0f);
}

TEST(StereoAnalyzer, PointsAreRotatedAndScaledToTheLouderPeakButOutputIsNot)
{
    CStereoAnalyzer analyzer(512);
    Block block(0.25f, 0.5f);
    block.l[3] = -0.5f; // a negative peak counts by its size
    block.run(analyzer);
    EXPECT_EQ(block.outL[0], 0.25f);
    EXPECT_EQ(block.outR[511], 0.5f);
    EXPECT_EQ(analyzer.sidePoints()[0], (1.0f - 0.5f) * kRotation);
    EXPECT_EQ(analyzer.midPoints()[0], (1.0f + 0.5f) * kRotation);
    EXPECT_EQ(analyzer.sidePoints()[3], 2.0f * kRotation);

    Block silent(0.0f, 0.0f);
    silent.run(analyzer);
    EXPECT_EQ(analyzer.sidePoints()[7], 0.0f);
    EXPECT_EQ(analyzer.midPoints()[7], 0.0f);

    // Mono: the output is the sum; a block cancelling out leaves nothing.
    analyzer.setMono(1);
    Block mono(0.75f, 0.25f);
    mono.run(analyzer);
    EXPECT_EQ(mono.outL[5], 0.5f);
    EXPECT_EQ(mono.outR[5], 0.5f);
    EXPECT_EQ(analyzer.sidePoints()[5], 0.0f);
    const float scale = 1.0f / 0.75f;
    EXPECT_EQ(analyzer.midPoints()[5], (0.5f * scale + 0.5f * scale) * kRotation)
        << "scaled by the stereo peak taken before the sum";
    Block cancelling(0.5f, -0.5f);
    cancelling.run(analyzer);
    EXPECT_EQ(cancelling.outL[9] + cancelling.outR[9], 0.0f);
    EXPECT_EQ(analyzer.midPoints()[9], 0.0f);
}
