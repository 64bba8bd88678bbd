// The hand-overs between the processing and the GUI thread, run under
// ThreadSanitizer: the editor's display store, and a suspend overlapping a
// process call.

#include "plugin/ScopeEffect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "TestScopeEditor.h"
#include "plugin/ScopeParams.h"
#include "plugin/StereoAnalyzer.h"

namespace
{
VstIntPtr ZW_VSTCALL host(AEffect*, int32_t opcode, int32_t, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 1 : 0;
}

// Every frame of analysis block b has left = signature(b) and right = 1, so
// the block's side and mid points are uniform and name the block together.
float signature(int64_t block)
{
    return static_cast<float>(block % 50 + 1) / 64.0f;
}

void runHandOver(bool suspending)
{
    auto* effect = new CEditedScopeEffect(host);
    AEffect* e = effect->getRecord();
    CScopeParams& store = effect->testEditor()->store;
    std::atomic<bool> done{false};
    std::atomic<int> signedBlocks{0};
    std::thread feeder(
        [e, &done, &signedBlocks]
        {
            std::vector<float> l(300), r(300, 1.0f), outL(300), outR(300);
            float* in[] = {l.data(), r.data()};
            float* out[] = {outL.data(), outR.data()};
            // On until the reader has seen the writer's blocks, however the
            // two threads are scheduled; the last bound is a last resort.
            for (int64_t frame = 0; frame < 900000 || (signedBlocks == 0 && frame < 90000000);)
            {
                for (float& sample : l)
                    sample = signature(frame++ / 512);
                e->processReplacing(e, in, out, 300);
            }
            done = true;
        });

    // Reads the display as the editor's idle does: whole blocks from one
    // analysis, or from a cleared display.
    // Meanwhile it asks for the bands, anew and not, and reads the blocks'
    // values the engine leaves, every one of them +1 here.
    std::vector<float> side(512), mid(512);
    auto recent = std::make_unique<RecentBlocks>();
    int torn = 0;
    for (uint32_t pass = 0; !done; ++pass)
    {
        if (suspending)
            e->dispatcher(e, effMainsChanged, 0, 0, nullptr, 0.0f);
        {
            std::lock_guard<CParamStore> batch(store);
            store.readBlock(CScopeParams::kSidePoints, side.data(), 2048, 0);
            store.readBlock(CScopeParams::kMidPoints, mid.data(), 2048, 0);
            store.getValue(CScopeParams::kCorrelation, true);
            store.readBlock(CScopeParams::kRecentValues, recent.get(), CScopeParams::kRecentBytes,
                            0);
            store.getValue(CScopeParams::kLowBand, true);
            store.setValue(CScopeParams::kBandsShown, static_cast<float>(pass / 64 % 3));
        }
        const uint32_t kept = RecentBlocks::kRecentBlocks;
        for (uint32_t n = recent->count - std::min(recent->count, kept); n < recent->count; ++n)
            torn += recent->values[n % kept] != 1.0f;
        bool whole = side == std::vector<float>(512, side[0]) &&
                     mid == std::vector<float>(512, mid[0]) && side[0] == 0.0f && mid[0] == 0.0f;
        for (int64_t b = 0; b < 50 && !whole; ++b)
        {
            const float a = signature(b);
            whole = side == std::vector<float>(512, (1.0f - a) * kRotation) &&
                    mid == std::vector<float>(512, (1.0f + a) * kRotation);
            signedBlocks += whole;
        }
        torn += !whole;
    }
    feeder.join();
    EXPECT_EQ(torn, 0);
    EXPECT_GT(signedBlocks, 0) << "the reader never saw the writer's blocks";
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
