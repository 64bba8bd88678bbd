#include "plugin/ScopeEngine.h"

#include <cmath>
#include <cstring>

#include "plugin/BandCorrelation.h"
#include "plugin/ParamStore.h"
#include "plugin/ScopeParams.h"

namespace
{
using EngineLock = std::lock_guard<std::mutex>;

static_assert(kBlockLength * sizeof(float) == CScopeParams::kPointBlockBytes,
              "one analysis block fills one point block of the display store");
} // namespace

CScopeEngine::CScopeEngine(int32_t inputCount, double sampleRate, int32_t outputCount)
    : CBlockProcessor(inputCount, kBlockLength, outputCount == 0 ? inputCount : outputCount),
      analyzer(std::make_unique<CStereoAnalyzer>(kBlockLength)),
      bands(std::make_unique<CBandCorrelation>(static_cast<float>(sampleRate))), monoOn(false),
      recent(), recentPublished(true),
      delayedSamples(static_cast<size_t>(getOutputChannels()) * kBlockLength),
      delayedBlocks(getOutputChannels()), inputsAt(inputCount)
{
    for (int32_t ch = 0; ch < getOutputChannels(); ++ch)
        delayedBlocks[ch] = delayedSamples.data() + static_cast<size_t>(ch) * kBlockLength;
    recent.sampleRate = static_cast<float>(sampleRate);
}

CScopeEngine::~CScopeEngine() = default;

void CScopeEngine::processBlock(float** in, float** out)
{
    if (inputCount >= 2 && getOutputChannels() >= 2)
    {
        analyzer->analyzeBlock(in, out, blockSize);
        if (recent.request)
        {
            // What is heard, as the pointer: with MONO on, the mono sum.
            bands->analyzeBlock(out[0], out[1], blockSize);
            recent.values[recent.count % RecentBlocks::kRecentBlocks] =
                monoOn ? 1.0f : analyzer->correlation();
            ++recent.count;
            recentPublished = false;
        }
        return;
    }
    // The analysis needs a left and a right channel; with fewer the block
    // passes through untouched rather than reading channels that are not there.
    const int32_t channels = inputCount < getOutputChannels() ? inputCount : getOutputChannels();
    for (int32_t ch = 0; ch < channels; ++ch)
        std::memcpy(out[ch], in[ch], sizeof(float) * static_cast<size_t>(blockSize));
}

void CScopeEngine::runStream(float** inputs, float** outputs, int32_t frames, int32_t accumulate)
{
    EngineLock hold(engineLock);
    if (!accumulate)
    {
        stream(inputs, outputs, frames);
        return;
    }
    const int32_t channels = getOutputChannels();
    if (!inputs || !outputs || frames <= 0)
        return;
    // At most a block at a time through the engine's own buffers, then added.
    for (int32_t ch = 0; ch < inputCount; ++ch)
        inputsAt[ch] = inputs[ch];
    for (int32_t done = 0; done < frames;)
    {
        const int32_t n = frames - done < kBlockLength ? frames - done : kBlockLength;
        stream(inputsAt.data(), delayedBlocks.data(), n);
        for (int32_t ch = 0; ch < channels; ++ch)
        {
            // A missing output is skipped, a missing input streams silence.
            if (!outputs[ch])
                continue;
            const float* delayed = delayedBlocks[ch];
            float* target = outputs[ch] + done;
            for (int32_t i = 0; i < n; ++i)
                target[i] += delayed[i];
        }
        for (int32_t ch = 0; ch < inputCount; ++ch)
            if (inputsAt[ch])
                inputsAt[ch] += n;
        done += n;
    }
}

void CScopeEngine::restart()
{
    EngineLock hold(engineLock);
    clearBlocks();
    analyzer->resetAnalysis();
    bands->reset();
}

void CScopeEngine::setSampleRate(float rate)
{
    EngineLock hold(engineLock);
    clearBlocks();
    analyzer->resetAnalysis();
    bands->setSampleRate(rate);
    recent.sampleRate = rate;
}

void CScopeEngine::takeMono(CParamStore* store)
{
    if (!store || !store->isChanged(CScopeParams::kMono))
        return;
    const float value = store->getValue(CScopeParams::kMono, true);
    // What truncation toward zero leaves non-zero: 0.5 is off, 1.0 is on. Asked
    // this way a NaN or a huge value never reaches an integer conversion.
    const int32_t flag = std::fabs(value) >= 1.0f ? 1 : 0;
    EngineLock hold(engineLock);
    analyzer->setMono(flag);
    monoOn = flag != 0;
}

void CScopeEngine::publishResults(CParamStore* store)
{
    if (!store)
        return;
    EngineLock hold(engineLock);
    std::lock_guard<CParamStore> batch(*store);
    store->writeBlock(CScopeParams::kSidePoints, analyzer->sidePoints(),
                      CScopeParams::kPointBlockBytes, 0);
    store->writeBlock(CScopeParams::kMidPoints, analyzer->midPoints(),
                      CScopeParams::kPointBlockBytes, 0);
    store->setValue(CScopeParams::kCorrelation, analyzer->correlation());
    if (!recent.request)
        return;
    store->setValue(CScopeParams::kLowBand, bands->correlation(kBandLow));
    store->setValue(CScopeParams::kMidBand, bands->correlation(kBandMid));
    store->setValue(CScopeParams::kHighBand, bands->correlation(kBandHigh));
    if (!recentPublished)
    {
        store->writeBlock(CScopeParams::kRecentValues, &recent, CScopeParams::kRecentBytes, 0);
        recentPublished = true;
    }
}

void CScopeEngine::takeBandsRequest(CParamStore* store)
{
    if (!store)
        return;
    const float asked = store->getValue(CScopeParams::kBandsShown, false);
    // Anything but a whole request number asks for none.
    const uint32_t request =
        asked >= 1.0f && asked <= static_cast<float>(CScopeParams::kMostRequests)
            ? static_cast<uint32_t>(asked)
            : 0;
    EngineLock hold(engineLock);
    if (request == recent.request)
        return;
    recent.request = request;
    recent.count = 0;
    recentPublished = false;
    bands->reset();
}

int32_t CScopeEngine::clearDisplay()
{
    EngineLock hold(engineLock);
    analyzer->resetAnalysis();
    return 0;
}
