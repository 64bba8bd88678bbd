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

    // Non-finite samples give odd points, but nothing undefined.
    Block wild(std::numeric_limits<float>::infinity(), std::nanf(""));
    wild.run(analyzer);
    EXPECT_TRUE(std::isnan(wild.outL[0]));
}
