// The LV2 plug-in driven through its descriptor as a host drives it: ports
// connected, messages in and out through a URID map of the test's own.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>
#include <xmmintrin.h>

#include "lv2/ScopePorts.h"
#include "plugin/ScopeEngine.h"
#include "plugin/ScopeParams.h"
#include "tests/support/AllocationCount.h"

extern "C" const LV2_Descriptor* lv2_descriptor(uint32_t index);

namespace
{
using Samples = std::vector<float>;

struct UridMap
{
    std::vector<std::string> uris;
    LV2_URID_Map map{this,
                     [](LV2_URID_Map_Handle handle, const char* uri) -> LV2_URID
                     {
                         auto& known = static_cast<UridMap*>(handle)->uris;
                         for (size_t i = 0; i < known.size(); ++i)
                             if (known[i] == uri)
                                 return static_cast<LV2_URID>(i + 1);
                         known.emplace_back(uri);
                         return static_cast<LV2_URID>(known.size());
                     }};
    LV2_URID operator()(const char* uri) { return map.map(this, uri); }
};

// One instance with every port connected to buffers of its own; audio ports
// are connected per run, as hosts may move them.
struct Host
{
    explicit Host(bool withMap = true)
    {
        const LV2_Feature mapFeature{LV2_URID__map, &urids.map};
        const LV2_Feature* features[] = {&mapFeature, nullptr};
        descriptor = lv2_descriptor(0);
        instance = descriptor->instantiate(descriptor, 44100.0, "", withMap ? features : nullptr);
        lv2_atom_forge_init(&forge, &urids.map);
        float* controls[] = {&mono, &latency, &correlation, &rangeMin, &rangeMax};
        for (uint32_t port = kPortMono; port <= kPortRangeMax; ++port)
            descriptor->connect_port(instance, port, controls[port - kPortMono]);
        descriptor->connect_port(instance, kPortControl, control.data());
        descriptor->connect_port(instance, kPortNotify, notify.data());
        descriptor->activate(instance);
    }
    ~Host() { descriptor->cleanup(instance); }

    // Runs n frames from in to out (the same buffers for an in-place host),
    // with the UI's reset message first if asked, and notify's space as given.
    void run(float* const in[2], float* const out[2], uint32_t n, bool resetRange = false,
             uint32_t space = kNotifyBufferBytes)
    {
        lv2_atom_forge_set_buffer(&forge, control.data(), control.size());
        LV2_Atom_Forge_Frame sequence, object;
        lv2_atom_forge_sequence_head(&forge, &sequence, 0);
        if (resetRange)
        {
            lv2_atom_forge_frame_time(&forge, 0);
            lv2_atom_forge_object(&forge, &object, 0, urids(ZW_LV2__ResetRange));
            lv2_atom_forge_pop(&forge, &object);
        }
        lv2_atom_forge_pop(&forge, &sequence);
        auto* out_ = reinterpret_cast<LV2_Atom*>(notify.data());
        *out_ = {space, urids(LV2_ATOM__Chunk)};
        for (uint32_t ch = 0; ch < 2; ++ch)
        {
            descriptor->connect_port(instance, kPortInLeft + ch, in[ch]);
            descriptor->connect_port(instance, kPortOutLeft + ch, out[ch]);
        }
        descriptor->run(instance, n);
    }

    // The Block messages notify holds after the last run; fails on anything
    // else in the sequence.
    std::vector<const LV2_Atom_Object*> messages()
    {
        std::vector<const LV2_Atom_Object*> found;
        const auto* sequence = reinterpret_cast<const LV2_Atom_Sequence*>(notify.data());
        EXPECT_EQ(sequence->atom.type, urids(LV2_ATOM__Sequence));
        LV2_ATOM_SEQUENCE_FOREACH(sequence, event)
        {
            const auto* object = reinterpret_cast<const LV2_Atom_Object*>(&event->body);
            EXPECT_EQ(event->body.type, urids(LV2_ATOM__Object));
            EXPECT_EQ(object->body.otype, urids(ZW_LV2__Block));
            found.push_back(object);
        }
        return found;
    }

    // A message's vector and float values.
    const float* points(const LV2_Atom_Object* message, const char* key)
    {
        const LV2_Atom* value = nullptr;
        lv2_atom_object_get(message, urids(key), &value, 0);
        const auto* vector = reinterpret_cast<const LV2_Atom_Vector*>(value);
        if (!value || value->type != urids(LV2_ATOM__Vector) ||
            vector->body.child_type != urids(LV2_ATOM__Float) ||
            value->size != sizeof(LV2_Atom_Vector_Body) + kScopePoints * sizeof(float))
            return nullptr;
        return reinterpret_cast<const float*>(vector + 1);
    }
    float number(const LV2_Atom_Object* message, const char* key)
    {
        const LV2_Atom* value = nullptr;
        lv2_atom_object_get(message, urids(key), &value, 0);
        EXPECT_TRUE(value && value->type == urids(LV2_ATOM__Float)) << key;
        return value ? reinterpret_cast<const LV2_Atom_Float*>(value)->body : -9.0f;
    }

    UridMap urids;
    LV2_Atom_Forge forge;
    const LV2_Descriptor* descriptor;
    LV2_Handle instance;
    float mono = 0.0f, latency = -1.0f, correlation = -9.0f, rangeMin = -9.0f, rangeMax = -9.0f;
    std::vector<uint8_t> control = std::vector<uint8_t>(256);
    std::vector<uint8_t> notify = std::vector<uint8_t>(kNotifyBufferBytes);
};

// Stereo that agrees in part: the meter moves, and the sum differs from both sides.
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
    EXPECT_EQ(host.descriptor, lv2_descriptor(0));
    EXPECT_EQ(lv2_descriptor(1), nullptr);
    EXPECT_STREQ(host.descriptor->URI, ZW_LV2_URI);
    CScopeEngine engine(2, 44100.0, 2);
    CScopeParams store;
    const int32_t lengths[] = {1, 7, 512, 300, 1024, 3, 2000, 511, 513};
    const Samples left = noise(30000, 1), right = noise(30000, 2);
    size_t done = 0;
    for (int call = 0; done + 2000 <= left.size(); ++call)
    {
        const int32_t n = lengths[call % 9];
        // MONO changes between calls, in the middle of a block too.
        const float mono = (call / 5) % 2 ? 1.0f : 0.0f;
        Samples l(&left[done], &left[done + n]), r(&right[done], &right[done + n]);
        Samples wantL = l, wantR = r, outL(n), outR(n);
        float* want[] = {wantL.data(), wantR.data()};
        store.setValue(CScopeParams::kMono, mono);
        engine.takeMono(&store);
        engine.runStream(want, want, n, 0);

        // Every other call in place, as a host may connect it.
        float* in[] = {l.data(), r.data()};
        float* out[] = {outL.data(), outR.data()};
        host.mono = mono;
        host.run(in, call % 2 ? in : out, static_cast<uint32_t>(n));
        const Samples& gotL = call % 2 ? l : outL;
        const Samples& gotR = call % 2 ? r : outR;
        ASSERT_EQ(0, std::memcmp(gotL.data(), wantL.data(), n * sizeof(float))) << "call " << call;
        ASSERT_EQ(0, std::memcmp(gotR.data(), wantR.data(), n * sizeof(float))) << "call " << call;
        const float meter = mono != 0.0f ? 1.0f : engine.getAnalyzer()->correlation();
        ASSERT_EQ(host.correlation, meter) << "call " << call;
        ASSERT_EQ(host.latency, 512.0f);
        // One message after a call that finished a block, with its points.
        const auto messages = host.messages();
        const bool finished = (done % 512) + n >= 512;
        ASSERT_EQ(messages.size(), finished ? 1u : 0u) << "call " << call;
        if (finished)
        {
            const float* side = host.points(messages[0], ZW_LV2__side);
            const float* mid = host.points(messages[0], ZW_LV2__mid);
            ASSERT_TRUE(side && mid);
            EXPECT_EQ(0, std::memcmp(side, engine.getAnalyzer()->sidePoints(), 2048));
            EXPECT_EQ(0, std::memcmp(mid, engine.getAnalyzer()->midPoints(), 2048));
            EXPECT_EQ(host.number(messages[0], ZW_LV2__correlation), meter);
            EXPECT_EQ(host.number(messages[0], ZW_LV2__rangeMin), host.rangeMin);
            EXPECT_EQ(host.number(messages[0], ZW_LV2__rangeMax), host.rangeMax);
        }
        done += n;
    }

    // Activating again starts over: a block of silence before the sound.
    host.descriptor->activate(host.instance);
    Samples l(600, 0.5f), r(600, 0.25f), outL(600), outR(600);
    float* in[] = {l.data(), r.data()};
    float* out[] = {outL.data(), outR.data()};
    host.mono = 0.0f;
    host.run(in, out, 600);
    EXPECT_EQ(outL[511], 0.0f);
    EXPECT_EQ(outL[512], 0.5f);
    EXPECT_EQ(outR[599], 0.25f);
}

// One block of 512 frames, the right channel the left times sign.
void runBlock(Host& host, float sign, bool resetRange = false)
{
    Samples l = noise(512, 3), r(512), outL(512), outR(512);
    for (size_t i = 0; i < 512; ++i)
        r[i] = sign * l[i];
    float* in[] = {l.data(), r.data()};
    float* out[] = {outL.data(), outR.data()};
    host.run(in, out, 512, resetRange);
}

TEST(Lv2Scope, RangeFollowsTheMeterWaitsUnderMonoAndStartsOverWhenTheUiSaysSo)
{
    Host host;
    Samples one(1), outOne(1);
    float* in[] = {one.data(), one.data()};
    float* out[] = {outOne.data(), outOne.data()};
    // Nothing seen yet: both ends 0.
    host.run(in, out, 1);
    EXPECT_EQ(host.rangeMin, 0.0f);
    EXPECT_EQ(host.rangeMax, 0.0f);
    runBlock(host, 1.0f);
    EXPECT_EQ(host.correlation, 1.0f);
    runBlock(host, -1.0f);
    runBlock(host, -1.0f);
    // Two smoothing steps of 0.0512 per block.
    EXPECT_FLOAT_EQ(host.correlation, 1.0f - 4 * 0.0512f);
    EXPECT_EQ(host.rangeMax, 1.0f);
    EXPECT_EQ(host.rangeMin, host.correlation);

    // The UI's reset: in a run that finishes no block the range waits...
    host.run(in, out, 1, true);
    EXPECT_EQ(host.rangeMin, 0.0f);
    EXPECT_EQ(host.rangeMax, 0.0f);
    // ...and starts again at the next block's value.
    runBlock(host, -1.0f);
    EXPECT_EQ(host.rangeMin, host.correlation);
    EXPECT_EQ(host.rangeMax, host.correlation);
    EXPECT_LT(host.rangeMax, 1.0f - 4 * 0.0512f);
    // A reset and a block in one run: the block's value starts the range.
    runBlock(host, 1.0f, true);
    EXPECT_EQ(host.rangeMin, host.correlation);
    EXPECT_EQ(host.rangeMax, host.correlation);

    // MONO: the pointer at +1 and the range waiting, at once; off again,
    // the range starts from the next block.
    host.mono = 1.0f;
    host.run(in, out, 1);
    EXPECT_EQ(host.correlation, 1.0f);
    EXPECT_EQ(host.rangeMin, 0.0f);
    EXPECT_EQ(host.rangeMax, 0.0f);
    runBlock(host, -1.0f);
    EXPECT_EQ(host.rangeMax, 0.0f);
    host.mono = 0.0f;
    runBlock(host, -1.0f);
    EXPECT_NE(host.rangeMin, 0.0f);
    EXPECT_EQ(host.rangeMin, host.rangeMax);
    EXPECT_EQ(host.rangeMin, host.correlation);
}

TEST(Lv2Scope, NotifyHoldsAWholeMessageOrNoneAndNoMapMeansNoMessages)
{
    Samples l = noise(1024, 4), r = noise(1024, 5), outL(1024), outR(1024);
    float* in[] = {l.data(), r.data()};
    float* out[] = {outL.data(), outR.data()};
    {
        Host host;
        // A message takes 4256 bytes with the sequence around it; with a
        // byte less the sequence stays empty, and valid.
        host.run(in, out, 512, false, 4256);
        EXPECT_EQ(host.messages().size(), 1u);
        host.run(in, out, 512, false, 4255);
        EXPECT_EQ(host.messages().size(), 0u);
        EXPECT_EQ(reinterpret_cast<LV2_Atom*>(host.notify.data())->size,
                  sizeof(LV2_Atom_Sequence_Body));
        // Two blocks in one run: one message, the newest block's.
        host.run(in, out, 1024);
        EXPECT_EQ(host.messages().size(), 1u);
        // Too little for even an empty sequence: notify is left alone.
        host.run(in, out, 1024, false, 8);
        EXPECT_EQ(reinterpret_cast<LV2_Atom*>(host.notify.data())->size, 8u);
    }
    // Without urid:map the sound and the control outputs work; the atom
    // ports are not touched.
    Host host(false);
    ASSERT_NE(host.instance, nullptr);
    host.run(in, out, 1024);
    EXPECT_EQ(reinterpret_cast<LV2_Atom*>(host.notify.data())->size, kNotifyBufferBytes);
    EXPECT_EQ(outL[512], l[0]);
    EXPECT_NE(host.correlation, -9.0f);
    EXPECT_EQ(host.latency, 512.0f);
}

TEST(Lv2Scope, RunAllocatesNothingFlushesDenormalsAndRestoresTheHostsFpuSetting)
{
    Host host;
    const float tiny = 1e-39f; // below the smallest normal float
    ASSERT_EQ(std::fpclassify(tiny), FP_SUBNORMAL);
    Samples l(2048, tiny), r(2048, tiny), outL(2048), outR(2048);
    float* in[] = {l.data(), r.data()};
    float* out[] = {outL.data(), outR.data()};
    host.mono = 1.0f;
    const unsigned hostSetting = _mm_getcsr() & ~0x8040u;
    _mm_setcsr(hostSetting);
    const long before = allocationsMade();
    for (uint32_t n : {1u, 511u, 1536u})
        host.run(in, out, n, true);
    EXPECT_EQ(allocationsMade(), before);
    EXPECT_EQ(_mm_getcsr(), hostSetting);
    // Summed with the denormals taken as 0, the mono output is 0, not tiny.
    EXPECT_EQ(outL[1535], 0.0f);
    EXPECT_EQ(outR[1535], 0.0f);
}
} // namespace
