#include "plugin/BandCorrelation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "plugin/StereoAnalyzer.h"
#include "plugin/StereoKernels.h"
#include "tests/support/AllocationCount.h"

namespace
{
using Samples = std::vector<float>;
constexpr double kTwoPi = 6.283185307179586;

// Tones at 60 Hz, 1 kHz and 12 kHz, one in each band and far enough from
// the crossovers that each leaks into its neighbour at -38 dB or less; on
// the right in or against the phase of the left as signs says (0: absent).
struct Tones
{
    Samples left, right;
};

Tones tones(const float signs[3], float rate, int frames)
{
    const double hz[3] = {60.0, 1000.0, 12000.0};
    Tones t{Samples(frames), Samples(frames)};
    for (int i = 0; i < frames; ++i)
        for (int b = 0; b < 3; ++b)
        {
            const float v = 0.25f * static_cast<float>(std::sin(kTwoPi * hz[b] * i / rate + b));
            t.left[i] += signs[b] != 0 ? v : 0.0f;
            t.right[i] += signs[b] * v;
        }
    return t;
}

// Feeds blocks of the given length; calls check after each.
template <typename Check>
void feed(CBandCorrelation& bands, const Tones& t, int length, Check check)
{
    for (size_t at = 0; at + length <= t.left.size(); at += length)
    {
        bands.analyzeBlock(t.left.data() + at, t.right.data() + at, length);
        check();
    }
}

// Room for every band of both channels, and pointers into it from a frame on.
struct BandOutputs
{
    Samples parts[kBandCount][2];
    float* at[kBandCount][2];

    explicit BandOutputs(size_t frames)
    {
        for (auto& band : parts)
            for (Samples& channel : band)
                channel.assign(frames, 0.0f);
    }
    float* const (*from(size_t frame))[2]
    {
        for (int b = 0; b < kBandCount; ++b)
            for (int ch = 0; ch < 2; ++ch)
                at[b][ch] = parts[b][ch].data() + frame;
        return at;
    }
};

double rms(const Samples& s, size_t from)
{
    double sum = 0.0;
    for (size_t i = from; i < s.size(); ++i)
        sum += static_cast<double>(s[i]) * s[i];
    return std::sqrt(sum / static_cast<double>(s.size() - from));
}
} // namespace

TEST(BandCorrelation, ReadsEachBandApart)
{
    struct Case
    {
        float signs[3]; // low, mid, high: +1 in phase, -1 anti-phase
        float rate;
        int blockLength;
    };
    const Case cases[] = {
        {{-1, 1, 1}, 44100, 512}, // the bass cancels in mono, the highs do not
        {{1, 1, 1}, 48000, 1300}, // blocks longer than the splitter's chunks
        {{1, -1, 1}, 96000, 64},
        {{1, 1, -1}, 44100, 512},
    };
    for (const Case& c : cases)
    {
        CBandCorrelation bands(c.rate);
        feed(bands, tones(c.signs, c.rate, static_cast<int>(c.rate)), c.blockLength, [] {});
        for (int b = 0; b < kBandCount; ++b)
            EXPECT_NEAR(bands.correlation(b), c.signs[b], 0.05)
                << "band " << b << " at " << c.rate << " Hz, sign " << c.signs[b];
    }
}

TEST(BandCorrelation, BandsAddUpFlatAcrossBothCrossovers)
{
    for (const double hz : {100.0, 250.0, 1000.0, 4000.0, 12000.0})
    {
        const int frames = 44100 / 4;
        Samples in(frames), sum(frames);
        for (int i = 0; i < frames; ++i)
            in[i] = static_cast<float>(std::sin(kTwoPi * hz * i / 44100.0));
        BandOutputs split(frames);
        const auto& parts = split.parts;
        CBandSplitter splitter(44100.0f);
        splitter.split(in.data(), in.data(), frames, split.from(0));
        for (int i = 0; i < frames; ++i)
            sum[i] = parts[kBandLow][0][i] + parts[kBandMid][0][i] + parts[kBandHigh][0][i];
        // The last tenth of a second: whole periods of every tone.
        const size_t from = frames - 4410;
        EXPECT_NEAR(rms(sum, from) / rms(in, from), 1.0, 1e-4) << hz << " Hz";
        EXPECT_EQ(parts[kBandMid][0], parts[kBandMid][1]) << "the channels run alike";
    }
}

TEST(BandCorrelation, SmoothsAsTheBroadbandMeterDoes)
{
    // A tone in the mid band alone, in phase and then against it: the mid
    // band reads what the needle reads, block by block; after a reset or a
    // new rate the next block sets it at once.
    const float inPhase[3] = {0, 1, 0};
    const float against[3] = {0, -1, 0};
    Tones t = tones(inPhase, 44100, 512 * 20);
    const Tones t2 = tones(against, 44100, 512 * 40);
    t.left.insert(t.left.end(), t2.left.begin(), t2.left.end());
    t.right.insert(t.right.end(), t2.right.begin(), t2.right.end());

    CBandCorrelation bands(44100.0f);
    CStereoAnalyzer needle(512);
    Samples l(512), r(512), outL(512), outR(512);
    size_t at = 0;
    feed(bands, t, 512,
         [&]
         {
             l.assign(t.left.begin() + at, t.left.begin() + at + 512);
             r.assign(t.right.begin() + at, t.right.begin() + at + 512);
             float* in[] = {l.data(), r.data()};
             float* out[] = {outL.data(), outR.data()};
             needle.analyzeBlock(in, out, 512);
             ASSERT_NEAR(bands.correlation(kBandMid), needle.correlation(), 0.005) << at;
             at += 512;
         });
    EXPECT_EQ(bands.correlation(kBandMid), -1.0f);

    for (int restart = 0; restart < 2; ++restart)
    {
        restart ? bands.setSampleRate(48000.0f) : bands.reset();
        EXPECT_EQ(bands.correlation(kBandMid), 0.0f);
        bands.analyzeBlock(t.left.data(), t.right.data(), 512);
        EXPECT_EQ(bands.correlation(kBandMid), 1.0f) << "set at once";
    }
    EXPECT_EQ(bands.correlation(-1), 0.0f);
    EXPECT_EQ(bands.correlation(kBandCount), 0.0f);
}

TEST(BandCorrelation, RecoversFromBrokenInputWithoutAllocating)
{
    const float inPhase[3] = {1, 1, 1};
    const Tones good = tones(inPhase, 44100, 512 * 30);
    const float inf = std::numeric_limits<float>::infinity();
    const float broken[] = {std::numeric_limits<float>::quiet_NaN(), inf, -inf, 3e38f};
    for (const float rate : {44100.0f, 0.0f, std::numeric_limits<float>::quiet_NaN(), 8000.0f})
        for (const float bad : broken)
        {
            CBandCorrelation bands(rate);
            Tones t = good;
            t.left[700] = bad;
            t.right[900] = bad;
            const long before = allocationsMade();
            feed(bands, t, 512,
                 [&]
                 {
                     for (int b = 0; b < kBandCount; ++b)
                         ASSERT_TRUE(std::isfinite(bands.correlation(b)));
                 });
            EXPECT_EQ(allocationsMade(), before);
            for (int b = 0; b < kBandCount; ++b)
                EXPECT_NEAR(bands.correlation(b), 1.0f, 0.05)
                    << "band " << b << " after " << bad << " at rate " << rate;
        }
}

TEST(BandCorrelation, WideAndBaselineLoopsSplitAlikeToTheBit)
{
    if (!avx2StereoKernels())
        GTEST_SKIP() << "this processor has no AVX2: only the baseline loop runs here";
    // Noise under the three tones, split in runs of every length the pairs
    // treat apart (one frame, two, three) and longer, one after another on
    // the same splitters; a broken sample on the way restarts both alike.
    const float signs[3] = {1, -1, 1};
    Tones t = tones(signs, 48000, 5277);
    uint32_t seed = 7;
    for (float& x : t.right)
        x += static_cast<float>((seed = seed * 1664525u + 1013904223u) >> 9) * 1e-8f - 0.04f;
    t.left[3000] = std::numeric_limits<float>::infinity();
    CBandSplitter wide(48000.0f), baseline(48000.0f, CBandSplitter::kBaselineLoops);
    BandOutputs wideOut(t.left.size()), baselineOut(t.left.size());
    size_t at = 0;
    for (const int n : {1, 2, 3, 1, 256, 7, 2, 1000, 5, 4000})
    {
        wide.split(t.left.data() + at, t.right.data() + at, n, wideOut.from(at));
        baseline.split(t.left.data() + at, t.right.data() + at, n, baselineOut.from(at));
        at += n;
    }
    ASSERT_EQ(at, t.left.size());
    for (int b = 0; b < kBandCount; ++b)
        for (int ch = 0; ch < 2; ++ch)
            for (size_t i = 0; i < at; ++i)
            {
                const float w = wideOut.parts[b][ch][i], s = baselineOut.parts[b][ch][i];
                ASSERT_EQ(std::memcmp(&w, &s, sizeof(float)), 0)
                    << "band " << b << " channel " << ch << " frame " << i << ": " << w
                    << " against " << s;
            }
}
