#include "plugin/BlockProcessor.h"

#include <cstring>

namespace
{
void copySamples(float* target, const float* source, int32_t count)
{
    std::memcpy(target, source, sizeof(float) * static_cast<size_t>(count));
}

// A host may leave a channel's pointer null: a missing input is silence and
// a missing output is not written; the cursor stays null.
void advance(float*& cursor, int32_t count)
{
    if (cursor)
        cursor += count;
}
} // namespace

CBlockProcessor::CBlockProcessor(int32_t inputs, int32_t size, int32_t outputs)
    : inputCount(inputs > 0 ? inputs : 0), outputCount(outputs), inPlace(0),
      blockSize(size > 0 ? size : 1), fill(0), streamRoutine(nullptr)
{
    inPlace = inputCount == outputCount || outputCount == -1;
    if (!inPlace && outputCount < 0)
        outputCount = 0;
    const int32_t outputChannels = getOutputChannels();

    blockSamples.resize(static_cast<size_t>(inputCount + outputChannels) * blockSize);
    float* block = blockSamples.data();
    for (int32_t ch = 0; ch < inputCount; ++ch, block += blockSize)
        inputBlocks.push_back(block);
    for (int32_t ch = 0; ch < outputChannels; ++ch, block += blockSize)
        outputBlocks.push_back(block);
    inputCursors.resize(inputCount);
    outputCursors.resize(outputChannels);
    clearBlocks();

    if (!inPlace)
        streamRoutine = &CBlockProcessor::streamSeparate;
    else if (inputCount == 1)
        streamRoutine = &CBlockProcessor::streamOneInPlace;
    else
        streamRoutine = &CBlockProcessor::streamInPlace;
}

CBlockProcessor::~CBlockProcessor() = default;

void CBlockProcessor::clearBlocks()
{
    fill = 0;
    const size_t bytes = sizeof(float) * static_cast<size_t>(blockSize);
    for (int32_t ch = 0; ch < inputCount; ++ch)
        std::memset(inputBlocks[ch], 0, bytes);
    for (int32_t ch = 0; ch < getOutputChannels(); ++ch)
        std::memset(outputBlocks[ch], 0, bytes);
}

void CBlockProcessor::streamOneInPlace(float** inputs, float** outputs, int32_t frames)
{
    streamChannels(inputs, outputs, frames, inputCount > 0 ? 1 : 0, inputCount > 0 ? 1 : 0);
}

void CBlockProcessor::streamInPlace(float** inputs, float** outputs, int32_t frames)
{
    streamChannels(inputs, outputs, frames, inputCount, inputCount);
}

void CBlockProcessor::streamSeparate(float** inputs, float** outputs, int32_t frames)
{
    streamChannels(inputs, outputs, frames, inputCount, outputCount);
}

void CBlockProcessor::processBlock(float** /*inputBlocks*/, float** /*outputBlocks*/) {}

void CBlockProcessor::streamChannels(float** inputs, float** outputs, int32_t frames,
                                     int32_t inputChannels, int32_t outputChannels)
{
    // A negative count from a host would turn into a huge copy.
    if (!inputs || !outputs || frames <= 0)
        return;
    for (int32_t ch = 0; ch < inputChannels; ++ch)
        inputCursors[ch] = inputs[ch];
    for (int32_t ch = 0; ch < outputChannels; ++ch)
        outputCursors[ch] = outputs[ch];

    int32_t remaining = frames;
    while (remaining != 0)
    {
        const int32_t n = fill + remaining < blockSize ? remaining : blockSize - fill;
        // Each input is saved before output is taken from the same positions,
        // so the host may pass one set of buffers as both.
        for (int32_t ch = 0; ch < inputChannels; ++ch)
        {
            if (inputCursors[ch])
                copySamples(inputBlocks[ch] + fill, inputCursors[ch], n);
            else
                std::memset(inputBlocks[ch] + fill, 0, sizeof(float) * static_cast<size_t>(n));
        }
        for (int32_t ch = 0; ch < outputChannels; ++ch)
            if (outputCursors[ch])
                copySamples(outputCursors[ch], outputBlocks[ch] + fill, n);
        remaining -= n;
        if (fill + n < blockSize)
        {
            fill += n;
            break;
        }
        processBlock(inputBlocks.data(), outputBlocks.data());
        for (int32_t ch = 0; ch < inputChannels; ++ch)
            advance(inputCursors[ch], n);
        for (int32_t ch = 0; ch < outputChannels; ++ch)
            advance(outputCursors[ch], n);
        fill = 0;
    }
}
