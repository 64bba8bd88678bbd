#include "editor/ScopeEngine.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "plugin/ScopeParams.h"

namespace
{
// Left carries the frame number, right its negative half, so every output
// frame tells where it came from.
float leftAt(int64_t frame)
{
    return static_cast<float>(frame % 100000 + 1);
}

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

enum class Buffers
{
    Separate,
    Shared,
    SameArray
};

// Streams 6000 frames in host buffers of the given lengths (cycled) and
// checks that every frame comes out exactly 512 frames late.
void expectDelayedBy512(const std::vector<int32_t>& lengths, Buffers buffers, int32_t accumulate)
{
    CCountingEngine engine;
    int64_t frame = 0;
    for (size_t call = 0; frame < 6000; ++call)
    {
        const int32_t n = lengths[call % lengths.size()];
        std::vector<float> l(n), r(n), outL(n, 0.25f), outR(n, 0.25f);
        for (int32_t i = 0; i < n; ++i)
            r[i] = -0.5f * (l[i] = leftAt(frame + i));
        float* in[] = {l.data(), r.data()};
        float* out[] = {outL.data(), outR.data()};
        float** outputs = buffers == Buffers::SameArray ? in : out;
        if (buffers == Buffers::Shared)
            out[0] = l.data(), out[1] = r.data();
        engine.runStream(in, outputs, n, accumulate);
        const bool separate = buffers == Buffers::Separate;
        for (int32_t i = 0; i < n; ++i, ++frame)
        {
            // Replacing gives the delayed frame d; accumulating adds it to what
            // the outputs held, which for shared buffers is d itself.
            const float d = frame < 512 ? 0.0f : leftAt(frame - 512);
            const float held = accumulate ? (separate ? 0.25f : 1.0f) : 0.0f;
            ASSERT_EQ(outputs[0][i], d + (separate ? held : held * d)) << "frame " << frame;
            ASSERT_EQ(outputs[1][i], -0.5f * d + (separate ? held : held * -0.5f * d));
            if (accumulate && separate)
            {
                ASSERT_EQ(in[0][i], d) << "the host's inputs hold the delayed signal";
            }
        }
    }
    EXPECT_EQ(engine.blocks, static_cast<int>(frame / 512));
    EXPECT_EQ(engine.getFill(), static_cast<int32_t>(frame % 512));
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
        for (Buffers buffers : {Buffers::Separate, Buffers::Shared, Buffers::SameArray})
            for (int32_t accumulate : {0, 1})
                expectDelayedBy512(lengths, buffers, accumulate);
    }
}

TEST(ScopeEngine, TakesMonoPublishesResultsAndClearsTheDisplay)
{
    CCountingEngine engine(0);
    EXPECT_EQ(engine.getOutputChannels(), 2) << "output count 0 means as many as inputs";
    EXPECT_EQ(engine.blockLength(), 512);
    CScopeParams effectStore, display;
    std::vector<float> l(1300, 0.75f), r(1300, 0.25f), outL(1300), outR(1300);
    float* in[] = {l.data(), r.data()};
    float* out[] = {outL.data(), outR.data()};
    auto side = [&]
    {
        std::vector<float> points(512, 9.0f);
        display.readBlock(CScopeParams::kSidePoints, points.data(), 2048, 0);
        return points[100];
    };

    effectStore.setValue(CScopeParams::kMono, 0.5f);
    engine.takeMono(&effectStore);
    EXPECT_EQ(effectStore.isChanged(CScopeParams::kMono), 0);
    engine.runStream(in, out, 1300, 0);
    EXPECT_EQ(engine.blocks, 2);
    EXPECT_EQ(engine.getFill(), 276);
    engine.runStream(in, out, 100, 0);
    EXPECT_EQ(engine.blocks, 2);
    engine.publishResults(&display);
    EXPECT_EQ(display.isChanged(CScopeParams::kCorrelation), 1);
    const float scale = 1.0f / 0.75f;
    EXPECT_EQ(side(), (0.25f * scale - 0.75f * scale) * kRotation) << "0.5 counts as off";

    effectStore.setValue(CScopeParams::kMono, 1.0f);
    engine.takeMono(&effectStore);
    engine.runStream(in, out, 512, 0);
    engine.publishResults(&display);
    EXPECT_EQ(side(), 0.0f);
    EXPECT_EQ(outL[400], 0.5f) << "the mono sum is what is heard";

    engine.clearDisplay();
    engine.publishResults(&display);
    EXPECT_EQ(display.getValue(CScopeParams::kCorrelation, true), 0.0f);
    std::vector<float> mid(512, 9.0f);
    display.readBlock(CScopeParams::kMidPoints, mid.data(), 2048, 0);
    EXPECT_EQ(mid, std::vector<float>(512, 0.0f));
}

TEST(BlockProcessor, PicksItsRoutineByChannelCounts)
{
    class CRoutineLog : public CBlockProcessor
    {
    public:
        CRoutineLog(int32_t in, int32_t out) : CBlockProcessor(in, 4, out) {}
        void streamOneInPlace(float** i, float** o, int32_t n) override
        {
            log += "one ";
            CBlockProcessor::streamOneInPlace(i, o, n);
        }
        void streamSeparate(float** i, float** o, int32_t n) override
        {
            log += "separate ";
            CBlockProcessor::streamSeparate(i, o, n);
        }
        std::string log;
    };
    float samples[6] = {1, 2, 3, 4, 5, 6}, target[6] = {};
    float* in[] = {samples};
    float* out[] = {target, target};
    CRoutineLog mono(1, -1), oneToTwo(1, 2);
    mono.stream(in, out, 6);
    oneToTwo.stream(in, out, 6);
    oneToTwo.stream(in, out, -3);
    EXPECT_EQ(mono.log + oneToTwo.log, "one separate separate ");
    EXPECT_EQ(oneToTwo.getFill(), 2) << "a negative count does nothing";
}
