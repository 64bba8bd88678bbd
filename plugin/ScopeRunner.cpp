#include "plugin/ScopeRunner.h"

#include <cmath>

CScopeRunner::CScopeRunner()
    : CBlockProcessor(2, kBlockLength, 2), analyzer(kBlockLength), lowest(NAN)
{
}

CScopeRunner::~CScopeRunner() = default;

void CScopeRunner::restart()
{
    clearBlocks();
    analyzer.resetAnalysis();
    range.reset();
    bands.reset();
    finishedBlocks = 0;
    blockCount = 0;
    lowest = NAN;
}

void CScopeRunner::setBands(bool on)
{
    if (on && !bandsOn)
    {
        bands.reset();
        lowest = NAN;
    }
    bandsOn = on;
}

float CScopeRunner::takeLowest()
{
    const float taken = lowest;
    lowest = NAN;
    return taken;
}

void CScopeRunner::setMono(bool on)
{
    mono = on;
    analyzer.setMono(on ? 1 : 0);
    if (on)
        range.reset();
}

void CScopeRunner::run(float* const inputs[2], float* const outputs[2], uint32_t frames)
{
    float* in[2] = {inputs[0], inputs[1]};
    float* out[2] = {outputs[0], outputs[1]};
    // The block processor counts in int32_t; a host's uint32_t may not fit.
    constexpr uint32_t kMostPerCall = 1u << 30;
    while (frames > 0)
    {
        const uint32_t n = frames < kMostPerCall ? frames : kMostPerCall;
        stream(in, out, static_cast<int32_t>(n));
        for (int ch = 0; ch < 2; ++ch)
        {
            in[ch] += n;
            out[ch] += n;
        }
        frames -= n;
    }
}

uint32_t CScopeRunner::takeFinishedBlocks()
{
    const uint32_t finished = finishedBlocks;
    finishedBlocks = 0;
    return finished;
}

void CScopeRunner::processBlock(float** inputBlocks, float** outputBlocks)
{
    analyzer.analyzeBlock(inputBlocks, outputBlocks, blockSize);
    if (bandsOn)
        bands.analyzeBlock(outputBlocks[0], outputBlocks[1], blockSize);
    ++finishedBlocks;
    ++blockCount;
    const float shown = meterValue();
    lowest = std::isnan(lowest) || shown < lowest ? shown : lowest;
    if (!mono)
        range.take(analyzer.correlation());
}
