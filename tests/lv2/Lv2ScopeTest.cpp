// The LV2 plug-in driven through its descriptor as a host drives it: ports
// connected, messages in and out through a URID map of the test's own.

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <xmmintrin.h>

#include "plugin/ScopeEngine.h"
#include "plugin/ScopeParams.h"
#include "tests/lv2/PluginHost.h"
#include "tests/support/AllocationCount.h"

namespace
{
using Samples = std::vector<float>;

Samples noise(size_t n, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> value(-0.9f, 0.9f);
    Samples s(n);
    for (float& x : s)
        x = value(rng);
    return s;
}

TEST(Lv2Scope, PassesTheSoundAndTheMeterAsTheVstEngineDoesInAnyBlockLength)
{
    Host host;
    EXPECT_STREQ(host.d->URI, ZW_LV2_URI);
    CScopeEngine engine(2, 44100.0, 2);
    CScopeParams store;
    const int32_t lengths[] = {1, 7, 512, 300, 1024, 3, 2000, 511, 513};
    const Samples left = noise(30000, 1), right = noise(30000, 2);
    for (size_t call = 0, done = 0; done + 2000 <= left.size(); done += lengths[call++ % 9])
    {
        const int32_t n = lengths[call % 9];
        // MONO changes between calls, in the middle of a block too.
        host.mono = (call / 5) % 2 ? 1.0f : 0.0f;
        Samples l(&left[done], &left[done + n]), r(&right[done], &right[done + n]);
        Samples wantL = l, wantR = r, outL(n), outR(n);
        float* want[] = {wantL.data(), wantR.data()};
        store.setValue(CScopeParams::kMono, host.mono);
        engine.takeMono(&store);
        engine.runStream(want, want, n, 0);
        // Outputs of their own, in place, crossed over, one channel in place.
        float* in[] = {l.data(), r.data()};
        float* const pairings[][2] = {{outL.data(), outR.data()},
                                      {l.data(), r.data()},
                                      {r.data(), l.data()},
                                      {l.data(), outR.data()}};
        float* const* out = pairings[call % 4];
        const auto messages = host.run(in, out, static_cast<uint32_t>(n));
        ASSERT_EQ(0, std::memcmp(out[0], wantL.data(), n * 4)) << call;
        ASSERT_EQ(0, std::memcmp(out[1], wantR.data(), n * 4)) << call;
        const CStereoAnalyzer* analyzer = engine.getAnalyzer();
        const float meter = host.mono != 0.0f ? 1.0f : analyzer->correlation();
        ASSERT_EQ(host.correlation, meter) << call;
        ASSERT_EQ(host.latency, 512.0f);
        // One message after a call that finished a block: its points and values.
        ASSERT_EQ(messages, (done % 512) + n >= 512 ? 1u : 0u) << call;
        if (!messages)
            continue;
        // Each value as the UI reads it: its type, its size, its contents.
        auto body = [&](const char* key, const char* type, uint32_t size)
        {
            const LV2_Atom* atom = nullptr;
            lv2_atom_object_get(host.message, host.urid(key), &atom, 0);
            EXPECT_TRUE(atom && atom->type == host.urid(type) && atom->size == size) << key;
            return atom ? static_cast<const void*>(atom + 1) : nullptr;
        };
        for (const auto& [key, points] : {std::pair{ZW_LV2__side, analyzer->sidePoints()},
                                          std::pair{ZW_LV2__mid, analyzer->midPoints()}})
        {
            const auto* vector = static_cast<const LV2_Atom_Vector_Body*>(
                body(key, LV2_ATOM__Vector, sizeof(LV2_Atom_Vector_Body) + 2048));
            ASSERT_TRUE(vector && vector->child_type == host.urid(LV2_ATOM__Float));
            EXPECT_EQ(0, std::memcmp(vector + 1, points, 2048)) << key;
        }
        for (const auto& [key, value] : {std::pair{ZW_LV2__correlation, meter},
                                         {ZW_LV2__rangeMin, host.rangeMin},
                                         {ZW_LV2__rangeMax, host.rangeMax}})
        {
            const auto* number = static_cast<const float*>(body(key, LV2_ATOM__Float, 4));
            EXPECT_TRUE(number && *number == value) << key;
        }
    }

    // Activated again, it starts over: a block of silence before the sound.
    host.d->activate(host.instance);
    Samples l(600, 0.5f), out(600);
    float* in[] = {l.data(), l.data()};
    float* outs[] = {out.data(), out.data()};
    host.run(in, outs, 600);
    EXPECT_EQ(out[511], 0.0f);
    EXPECT_EQ(out[512], 0.5f);
}

// One block of 512 frames, the right channel the left times sign.
void runBlock(Host& host, float sign, bool reset = false)
{
    Samples l = noise(512, 3), r(512), out(512);
    for (size_t i = 0; i < 512; ++i)
        r[i] = sign * l[i];
    float* in[] = {l.data(), r.data()};
    float* outs[] = {out.data(), out.data()};
    host.run(in, outs, 512, reset);
}

TEST(Lv2Scope, RangeFollowsTheMeterWaitsUnderMonoAndStartsOverWhenTheUiSaysSo)
{
    Host host;
    Samples one(1);
    float* frame[] = {one.data(), one.data()};
    auto expectRange = [&](float low, float high)
    {
        EXPECT_EQ(host.rangeMin, low);
        EXPECT_EQ(host.rangeMax, high);
    };
    host.run(frame, frame, 1);
    expectRange(0.0f, 0.0f); // nothing seen yet
    runBlock(host, 1.0f);
    runBlock(host, -1.0f);
    runBlock(host, -1.0f);
    // From +1, two smoothing steps of 0.0512 per block.
    EXPECT_FLOAT_EQ(host.correlation, 1.0f - 4 * 0.0512f);
    expectRange(host.correlation, 1.0f);
    // The UI's reset: the range waits, then starts at the next block's value,
    // also when the reset comes in the same run.
    host.run(frame, frame, 1, true);
    expectRange(0.0f, 0.0f);
    runBlock(host, -1.0f);
    expectRange(host.correlation, host.correlation);
    runBlock(host, 1.0f, true);
    expectRange(host.correlation, host.correlation);
    // MONO: the pointer at +1 and the range waiting at once, and while it
    // stays on; off again, the next block starts the range.
    host.mono = 1.0f;
    host.run(frame, frame, 1);
    EXPECT_EQ(host.correlation, 1.0f);
    expectRange(0.0f, 0.0f);
    runBlock(host, -1.0f);
    expectRange(0.0f, 0.0f);
    host.mono = 0.0f;
    runBlock(host, -1.0f);
    EXPECT_NE(host.correlation, 0.0f);
    expectRange(host.correlation, host.correlation);
}

TEST(Lv2Scope, RunSendsWholeMessagesAllocatesNothingAndFlushesDenormalsForItsLengthAlone)
{
    Host host;
    Samples l(2048, 1e-39f), out(2048); // below the smallest normal float
    float* in[] = {l.data(), l.data()};
    float* outs[] = {out.data(), out.data()};
    host.mono = 1.0f;
    const unsigned hostSetting = _mm_getcsr() & ~0x8040u;
    _mm_setcsr(hostSetting);
    const long before = allocationsMade();
    // A message takes 4256 bytes with its sequence; a byte less, and the
    // sequence stays empty; with less than an empty sequence notify is left
    // alone. Two blocks in one run give one message.
    EXPECT_EQ(host.run(in, outs, 512, true, 4256), 1u);
    EXPECT_EQ(host.run(in, outs, 512, false, 4255), 0u);
    EXPECT_EQ(reinterpret_cast<LV2_Atom*>(host.notify)->size, sizeof(LV2_Atom_Sequence_Body));
    host.run(in, outs, 512, false, 8);
    EXPECT_EQ(reinterpret_cast<LV2_Atom*>(host.notify)->size, 8u);
    EXPECT_EQ(host.run(in, outs, 1, true), 0u);
    EXPECT_EQ(host.run(in, outs, 1023), 1u);
    EXPECT_EQ(allocationsMade(), before);
    // The host's setting comes back, its status flags too.
    EXPECT_EQ(_mm_getcsr(), hostSetting);
    // Summed with the denormals taken as 0, the mono output is 0, not tiny.
    EXPECT_EQ(out[1022], 0.0f);
}
} // namespace
