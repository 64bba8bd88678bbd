#include "plugin/ScopeRunner.h"

#include <algorithm>
#include <cmath>

#include "plugin/StereoKernels.h"

CScopeRunner::CScopeRunner()
    : samples(), blocks{samples[0], samples[1]}, kernels(bestStereoKernels()),
      analyzer(kBlockLength, &kernels)
{
}

void CScopeRunner::restart()
{
    for (float* block : blocks)
        std::fill(block, block + kBlockLength, 0.0f);
    fill = 0;
    scan = StereoScan();
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

void CScopeRunner::run(const float* const inputs[2], float* const outputs[2], uint32_t frames)
{
    // In place, the channels must be two buffers; any other pairing a host
    // makes (crossed, one channel in place, one input for both) takes the
    // loop that allows for it.
    const bool inPlace =
        inputs[0] == outputs[0] && inputs[1] == outputs[1] && outputs[0] != outputs[1];
    // Only the newest block's points are sent, so only its are drawn.
    uint64_t blocksDue = (static_cast<uint64_t>(fill) + frames) / kBlockLength;
    for (uint32_t done = 0; done < frames;)
    {
        const uint32_t n =
            frames - done < kBlockLength - fill ? frames - done : kBlockLength - fill;
        float* const at[2] = {blocks[0] + fill, blocks[1] + fill};
        float* const out[2] = {outputs[0] + done, outputs[1] + done};
        if (inPlace)
        {
            kernels.delayScanInPlace(at, out, static_cast<int32_t>(n), scan);
        }
        else
        {
            const float* const in[2] = {inputs[0] + done, inputs[1] + done};
            kernels.delayScan(at, in, out, static_cast<int32_t>(n), scan);
        }
        done += n;
        fill += n;
        if (fill == kBlockLength)
        {
            fill = 0;
            finishBlock(--blocksDue == 0);
        }
    }
}

uint32_t CScopeRunner::takeFinishedBlocks()
{
    const uint32_t finished = finishedBlocks;
    finishedBlocks = 0;
    return finished;
}

void CScopeRunner::finishBlock(bool withPoints)
{
    analyzer.measureScannedBlock(blocks, scan);
    scan = StereoScan();
    if (withPoints)
        analyzer.drawPoints();
    // What is heard: the block as it now goes out.
    if (bandsOn)
        bands.analyzeBlock(blocks[0], blocks[1], kBlockLength);
    ++finishedBlocks;
    ++blockCount;
    const float shown = meterValue();
    lowest = std::isnan(lowest) || shown < lowest ? shown : lowest;
    if (!mono)
        range.take(analyzer.correlation());
}
