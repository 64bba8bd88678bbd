// The two hand-overs between the processing thread and the GUI thread, run
// under ThreadSanitizer: the editor's display store, and a suspend that
// overlaps a process call.

#include "plugin/ScopeEffect.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "TestScopeEditor.h"

namespace
{
constexpr int kSignatures = 50;
constexpr int kCalls = 3000;
constexpr int32_t kHostFrames = 300;

int32_t ZW_VSTCALL host(AEffect*, int32_t opcode, int32_t, int32_t, void*, float)
{
    return opcode == audioMasterVersion ? 1 : 0;
}

// Every frame of analysis block b has left = signature(b) and right = 1, so
// the block's side and mid points are uniform and name the block together.
float signature(int64_t frame)
{
    return static_cast<float>((frame / 512) % kSignatures + 1) / 64.0f;
}

void feed(AEffect* e, std::atomic<bool>& done)
{
    std::vector<float> l(kHostFrames), r(kHostFrames, 1.0f), outL(kHostFrames), outR(kHostFrames);
    float* in[] = {l.data(), r.data()};
    float* out[] = {outL.data(), outR.data()};
    int64_t frame = 0;
    for (int call = 0; call < kCalls; ++call)
    {
        for (int32_t i = 0; i < kHostFrames; ++i)
            l[i] = signature(frame++);
        e->processReplacing(e, in, out, kHostFrames);
    }
    done = true;
}

// Reads the display as the editor's idle does and checks that the two
// blocks are whole and come from one analysis (or from a cleared display).
void watch(AEffect* e, CScopeParams& store, bool suspending, std::atomic<bool>& done)
{
    std::vector<float> side(512), mid(512);
    int torn = 0, signed_ = 0;
    while (!done)
    {
        if (suspending)
            e->dispatcher(e, effMainsChanged, 0, 0, nullptr, 0.0f);
        {
            std::lock_guard<CParamStore> batch(store);
            store.readBlock(CScopeParams::kSidePoints, side.data(), 2048, 0);
            store.readBlock(CScopeParams::kMidPoints, mid.data(), 2048, 0);
            store.getValue(CScopeParams::kCorrelation, true);
        }
        bool whole =
            side == std::vector<float>(512, side[0]) && mid == std::vector<float>(512, mid[0]);
        if (whole && (side[0] != 0.0f || mid[0] != 0.0f))
        {
            ++signed_;
            bool known = false;
            for (int s = 1; s <= kSignatures; ++s)
            {
                const float a = static_cast<float>(s) / 64.0f;
                known |= side[0] == (1.0f - a) * 0.70710677f && mid[0] == (1.0f + a) * 0.70710677f;
            }
            whole = known;
        }
        torn += !whole;
    }
    EXPECT_EQ(torn, 0);
    EXPECT_GT(signed_, 0) << "the reader never overlapped the writer";
}

void runHandOver(bool suspending)
{
    auto* effect = new CEditedScopeEffect(host);
    AEffect* e = effect->getRecord();
    std::atomic<bool> done{false};
    std::thread feeder(feed, e, std::ref(done));
    watch(e, effect->testEditor()->store, suspending, done);
    feeder.join();
    e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
}
} // namespace

TEST(ScopeEffectThreads, DisplayStoreHandsOverWholeBlocks)
{
    runHandOver(false);
}

TEST(ScopeEffectThreads, SuspendOverlappingProcessingIsSafe)
{
    runHandOver(true);
}
