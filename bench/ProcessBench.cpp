// The effect's processing through its record, against a floor that only
// moves the same frames input -> 512-frame block -> output with plain copies,
// for music and for the subnormal numbers of a reverb's or a fade's tail
// (tail:1); and the band correlation alone and on top of the effect, as the
// engine runs it while the bands are shown (bands:1). items_per_second
// counts frames.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "plugin/BandCorrelation.h"
#include "plugin/ScopeEffect.h"
#include "tests/plugin/TestScopeEditor.h"
#include "tests/support/TestSignals.h"

namespace
{
constexpr int32_t kBlock = 512;
constexpr int32_t kSignalFrames = 88200;

VstIntPtr ZW_VSTCALL host(AEffect*, int32_t opcode, int32_t, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Two seconds of music-like stereo: partly shared tones, partly separate
// ones and a little noise, so the signs disagree now and then.
struct Signal
{
    std::vector<float> left, right;
    Signal() : left(kSignalFrames), right(kSignalFrames)
    {
        uint32_t noise = 1;
        for (int32_t i = 0; i < kSignalFrames; ++i)
        {
            const float n = static_cast<float>(nextRandom(noise) >> 8) / 16777216.0f - 0.5f;
            const float t = static_cast<float>(i) / 44100.0f;
            const float common = 0.4f * std::sin(6.2831853f * 220.0f * t);
            left[i] = common + 0.2f * std::sin(6.2831853f * 331.0f * t) + 0.05f * n;
            right[i] = common + 0.2f * std::sin(6.2831853f * 447.0f * t + 1.0f) - 0.05f * n;
        }
    }
    // Every sample the same.
    explicit Signal(float value) : left(kSignalFrames, value), right(kSignalFrames, value) {}
};

const Signal& signal(bool tail = false)
{
    static const Signal music, subnormals(1e-40f);
    return tail ? subnormals : music;
}

// Host buffers cycling through the signal.
struct HostBuffers
{
    explicit HostBuffers(int32_t frames, bool tail = false)
        : source(signal(tail)), l(frames), r(frames), outL(frames), outR(frames)
    {
    }
    void next(int32_t frames)
    {
        if (position + frames > kSignalFrames)
            position = 0;
        std::memcpy(l.data(), &source.left[position], sizeof(float) * frames);
        std::memcpy(r.data(), &source.right[position], sizeof(float) * frames);
        position += frames;
    }
    const Signal& source;
    std::vector<float> l, r, outL, outR;
    float* in[2] = {l.data(), r.data()};
    float* out[2] = {outL.data(), outR.data()};
    int32_t position = 0;
};

// Frames per second; ns per frame is the CPU time over the host block size.
void report(benchmark::State& state, int32_t frames)
{
    state.SetItemsProcessed(state.iterations() * frames);
}

// Times the effect's process calls on the host's buffers (range 2: the
// subnormal tail), then closes it.
void processAndClose(benchmark::State& state, AEffect* e, int32_t frames)
{
    HostBuffers buffers(frames, state.range(2) != 0);
    for (auto _ : state)
    {
        buffers.next(frames);
        e->processReplacing(e, buffers.in, buffers.out, frames);
        benchmark::DoNotOptimize(buffers.outL.data());
        benchmark::ClobberMemory();
    }
    report(state, frames);
    e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
}

void effectProcessing(benchmark::State& state)
{
    const int32_t frames = static_cast<int32_t>(state.range(0));
    AEffect* e = CreatePluginInstance(host);
    e->setParameter(e, 0, static_cast<float>(state.range(1)));
    processAndClose(state, e, frames);
}

// The effect as an editor's host runs it, with the results published into
// the editor's store after every call: with the bands and history shown
// (bands:1), the engine reads each block per band and keeps its value for
// the history; with them off, it does not.
void effectWithEditor(benchmark::State& state)
{
    const int32_t frames = static_cast<int32_t>(state.range(0));
    auto* effect = new CEditedScopeEffect(host);
    AEffect* e = effect->getRecord();
    effect->testEditor()->store.setValue(CScopeParams::kBandsShown,
                                         static_cast<float>(state.range(1)));
    processAndClose(state, e, frames);
}

// The three bands' correlation of 512-frame blocks: alone (bands:1, effect:0)
// or after the effect's processing of the same block (effect:1), which is
// what the effect costs with the bands on.
void bandCorrelation(benchmark::State& state)
{
    const bool effect = state.range(0) != 0;
    const bool tail = state.range(1) != 0;
    const bool energy = state.range(2) != 0; // the report's sums too
    AEffect* e = CreatePluginInstance(host);
    HostBuffers buffers(kBlock, tail);
    CBandCorrelation bands(44100.0f);
    for (auto _ : state)
    {
        buffers.next(kBlock);
        if (effect)
            e->processReplacing(e, buffers.in, buffers.out, kBlock);
        CBandCorrelation::Energy sums[kBandCount];
        bands.analyzeBlock(buffers.l.data(), buffers.r.data(), kBlock, energy ? sums : nullptr);
        benchmark::DoNotOptimize(sums);
        benchmark::DoNotOptimize(bands.correlation(kBandLow));
        benchmark::ClobberMemory();
    }
    report(state, kBlock);
    e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
}

// The same frame moves with nothing else: host input into the block, the
// previous block out to the host, and the block handed on when full.
void copyFloor(benchmark::State& state)
{
    const int32_t frames = static_cast<int32_t>(state.range(0));
    std::vector<float> inBlock[2] = {std::vector<float>(kBlock), std::vector<float>(kBlock)};
    std::vector<float> outBlock[2] = {std::vector<float>(kBlock), std::vector<float>(kBlock)};
    int32_t fill = 0;
    HostBuffers buffers(frames);
    for (auto _ : state)
    {
        buffers.next(frames);
        int32_t done = 0;
        while (done < frames)
        {
            const int32_t n = std::min(frames - done, kBlock - fill);
            for (int ch = 0; ch < 2; ++ch)
            {
                std::memcpy(&inBlock[ch][fill], buffers.in[ch] + done, sizeof(float) * n);
                std::memcpy(buffers.out[ch] + done, &outBlock[ch][fill], sizeof(float) * n);
            }
            done += n;
            fill += n;
            if (fill == kBlock)
            {
                for (int ch = 0; ch < 2; ++ch)
                    std::memcpy(outBlock[ch].data(), inBlock[ch].data(), sizeof(float) * kBlock);
                fill = 0;
            }
        }
        benchmark::DoNotOptimize(buffers.outL.data());
        benchmark::ClobberMemory();
    }
    report(state, frames);
}
} // namespace

BENCHMARK(copyFloor)->ArgNames({"frames"})->Arg(64)->Arg(512)->Arg(1764);
BENCHMARK(effectProcessing)
    ->ArgNames({"frames", "mono", "tail"})
    ->ArgsProduct({{64, 512, 1764}, {0, 1}, {0}})
    ->ArgsProduct({{512}, {0, 1}, {1}});
BENCHMARK(effectWithEditor)
    ->ArgNames({"frames", "bands", "tail"})
    ->ArgsProduct({{64, 512}, {0, 1}, {0}})
    ->Args({512, 0, 1})
    ->Args({512, 1, 1});
BENCHMARK(bandCorrelation)
    ->ArgNames({"effect", "tail", "energy"})
    ->ArgsProduct({{0, 1}, {0, 1}, {0}})
    ->Args({0, 0, 1});

BENCHMARK_MAIN();
