#include "plugin/ScopeEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "plugin/ScopeParams.h"

namespace
{
using Samples = std::vector<float>;

class CCountingEngine : public CScopeEngine
{
  public:
    explicit CCountingEngine(int32_t outputs = 2) : CScopeEngine(2, 44100.0, outputs) {}
    void processBlock(float** in, float** out) override
    {
        ++blocks;
        CScopeEngine::processBlock(in, out);
    }
    int blocks = 0;
};

// Streams 6000 frames in host buffers of the given lengths (cycled); left
// carries the frame number, right its negative half. Separate output
// buffers start at 0.25, shared ones are the inputs themselves.
void expectDelayedBy512(const std::vector<int32_t>& lengths, bool separate, int32_t accumulate)
{
    CCountingEngine engine;
    int32_t frame = 0;
    for (size_t call = 0; frame < 6000; ++call)
    {
        const int32_t n = lengths[call % lengths.size()];
        Samples l(n), r(n), outL(n, 0.25f), outR(n, 0.25f);
        for (int32_t i = 0; i < n; ++i)
            r[i] = -0.5f * (l[i] = static_cast<float>(frame + i + 1));
        float* in[] = {l.data(), r.data()};
        float* out[] = {outL.data(), outR.data()};
        engine.runStream(in, separate ? out : in, n, accumulate);
        const Samples& resultL = separate ? outL : l;
        for (int32_t i = 0; i < n; ++i, ++frame)
        {
            // Accumulating adds the delayed frame d to what the outputs held,
            // which for shared buffers is the input frame x.
            const float d = frame < 512 ? 0.0f : static_cast<float>(frame - 512 + 1);
            const float x = static_cast<float>(frame + 1);
            const float held = separate ? 0.25f : x;
            ASSERT_EQ(resultL[i], accumulate ? held + d : d) << "frame " << frame;
            ASSERT_EQ((separate ? outR : r)[i],
                      accumulate ? (separate ? 0.25f : -0.5f * x) - 0.5f * d : -0.5f * d);
            if (accumulate && separate)
            {
                ASSERT_EQ(l[i], static_cast<float>(frame + 1)) << "the host's inputs are only read";
            }
        }
    }
    EXPECT_EQ(engine.blocks, frame / 512);
    EXPECT_EQ(engine.getFill(), frame % 512);
}
} // namespace

TEST(ScopeEngine, EveryFrameComesOutOneBlockLater)
{
    std::mt19937 random(3);
    std::vector<int32_t> randomLengths;
    for (int i = 0; i < 40; ++i)
        randomLengths.push_back(1 + static_cast<int32_t>(random() % 2000));
    for (const auto& lengths : std::vector<std::vector<int32_t>>{
             {1}, {100}, {511}, {512}, {513}, {1300}, {1764}, randomLengths})
    {
        SCOPED_TRACE(lengths.front());
        for (int32_t accumulate : {0, 1})
        {
            expectDelayedBy512(lengths, true, accumulate);
            expectDelayedBy512(lengths, false, accumulate);
        }
    }
}

TEST(ScopeEngine, CountsBlocksTakesMonoAndPublishes)
{
    CCountingEngine engine(0);
    EXPECT_EQ(engine.getOutputChannels(), 2) << "output count 0 means as many as inputs";
    CScopeParams effectStore, display;
    Samples l(1300, 0.75f), r(1300, 0.25f), outL(1300), outR(1300), side(512);
    float* in[] = {l.data(), r.data()};
    float* out[] = {outL.data(), outR.data()};
    engine.runStream(in, out, 100, 0);
    EXPECT_EQ(engine.blocks, 0);
    effectStore.setValue(CScopeParams::kMono, 1.0f);
    engine.takeMono(&effectStore);
    EXPECT_EQ(effectStore.isChanged(CScopeParams::kMono), 0);
    engine.runStream(in, out, 1300, 0);
    EXPECT_EQ(engine.blocks * 1000 + engine.getFill(), 2376);
    engine.publishResults(&display);
    display.readBlock(CScopeParams::kSidePoints, side.data(), 2048, 0);
    EXPECT_EQ(side[100], 0.0f) << "mono";
    EXPECT_EQ(outL[1299], 0.5f);
}

TEST(BlockProcessor, OneInputStreamsThroughItsOwnRoutineAndNegativeCountsDoNothing)
{
    struct COneChannel : CBlockProcessor
    {
        COneChannel() : CBlockProcessor(1, 4, -1) {}
        void streamOneInPlace(float** i, float** o, int32_t n) override
        {
            calls += 1;
            CBlockProcessor::streamOneInPlace(i, o, n);
        }
        int calls = 0;
    } processor;
    float samples[6] = {}, target[6] = {};
    float* in[] = {samples};
    float* out[] = {target};
    processor.stream(in, out, 6);
    processor.stream(in, out, -3);
    EXPECT_EQ(processor.calls, 2);
    EXPECT_EQ(processor.getFill(), 2);
}

TEST(ScopeEngine, ReadsTheBandsAndKeepsEveryBlockOnlyWhileAnEditorAsks)
{
    // Bass in anti-phase under highs in phase, 40 blocks.
    const int32_t frames = 40 * 512;
    Samples l(frames), r(frames);
    for (int32_t i = 0; i < frames; ++i)
    {
        const float bass = 0.5f * std::sin(6.2831853f * 60.0f * static_cast<float>(i) / 44100.0f);
        const float high = 0.3f * std::sin(6.2831853f * 9000.0f * static_cast<float>(i) / 44100.0f);
        l[i] = bass + high;
        r[i] = -bass + high;
    }
    auto play = [&](CScopeEngine& engine, CScopeParams& display, int32_t from, int32_t to)
    {
        Samples outL(to - from), outR(to - from);
        for (int32_t at = from; at < to; at += 300)
        {
            const int32_t n = std::min(300, to - at);
            float* in[] = {l.data() + at, r.data() + at};
            float* out[] = {outL.data() + (at - from), outR.data() + (at - from)};
            engine.takeBandsRequest(&display);
            engine.runStream(in, out, n, 0);
            engine.publishResults(&display);
        }
        return outL;
    };
    CScopeEngine quiet(2, 44100.0, 2), asked(2, 44100.0, 2);
    CScopeParams quietDisplay, askedDisplay;
    quietDisplay.getValue(CScopeParams::kLowBand, true);
    askedDisplay.setValue(CScopeParams::kBandsShown, 1.0f);
    EXPECT_EQ(play(quiet, quietDisplay, 0, frames), play(asked, askedDisplay, 0, frames))
        << "what is heard is the same";
    EXPECT_FALSE(quiet.readsBands());
    EXPECT_EQ(0, quietDisplay.isChanged(CScopeParams::kLowBand)) << "nothing read, nothing sent";

    RecentBlocks recent = {};
    askedDisplay.readBlock(CScopeParams::kRecentValues, &recent, CScopeParams::kRecentBytes, 0);
    EXPECT_EQ(1u, recent.request);
    EXPECT_EQ(40u, recent.count) << "every block finished since the request";
    EXPECT_EQ(44100.0f, recent.sampleRate);
    EXPECT_EQ(asked.getAnalyzer()->correlation(), recent.values[39]);
    EXPECT_LT(askedDisplay.getValue(CScopeParams::kLowBand, false), -0.9f);
    EXPECT_GT(askedDisplay.getValue(CScopeParams::kHighBand, false), 0.9f);

    // A new request counts afresh; MONO makes every block's value +1.
    askedDisplay.setValue(CScopeParams::kBandsShown, 2.0f);
    CScopeParams effectStore;
    effectStore.setValue(CScopeParams::kMono, 1.0f);
    asked.takeMono(&effectStore);
    play(asked, askedDisplay, 0, 3 * 512);
    askedDisplay.readBlock(CScopeParams::kRecentValues, &recent, CScopeParams::kRecentBytes, 0);
    EXPECT_EQ(std::vector<uint32_t>({2, 3}), std::vector<uint32_t>({recent.request, recent.count}));
    EXPECT_EQ(std::vector<float>(3, 1.0f), std::vector<float>(recent.values, recent.values + 3));
    EXPECT_GT(askedDisplay.getValue(CScopeParams::kLowBand, false), 0.9f) << "the mono sum";
}
