#pragma once

#include <cstdint>
#include <vector>

// Cuts host buffers of any length into fixed blocks and hands every frame
// back exactly one block later, after processBlock has worked on it. The
// streaming routine is chosen once at construction and always reached
// through its virtual slot, so a subclass may replace it.
class CBlockProcessor
{
  public:
    // outputCount -1 means as many outputs as inputs.
    CBlockProcessor(int32_t inputCount, int32_t blockSize, int32_t outputCount);
    virtual ~CBlockProcessor();

    CBlockProcessor(const CBlockProcessor&) = delete;
    CBlockProcessor& operator=(const CBlockProcessor&) = delete;

    virtual void clearBlocks();
    virtual void streamOneInPlace(float** inputs, float** outputs, int32_t frames);
    virtual void streamInPlace(float** inputs, float** outputs, int32_t frames);
    virtual void streamSeparate(float** inputs, float** outputs, int32_t frames);
    virtual void processBlock(float** inputBlocks, float** outputBlocks);

    // Runs the routine chosen at construction.
    void stream(float** inputs, float** outputs, int32_t frames)
    {
        (this->*streamRoutine)(inputs, outputs, frames);
    }

    int32_t getFill() const { return fill; }
    int32_t getBlockSize() const { return blockSize; }
    int32_t getOutputChannels() const { return inPlace ? inputCount : outputCount; }

  protected:
    using StreamRoutine = void (CBlockProcessor::*)(float**, float**, int32_t);

    // The shared loop; the routines differ only in their channel counts.
    void streamChannels(float** inputs, float** outputs, int32_t frames, int32_t inputChannels,
                        int32_t outputChannels);

    int32_t inputCount;
    int32_t outputCount;
    int32_t inPlace;
    int32_t blockSize;
    int32_t fill;
    // Every block, the input ones first, in one allocation.
    std::vector<float> blockSamples;
    std::vector<float*> inputBlocks;
    std::vector<float*> outputBlocks;
    std::vector<float*> inputCursors;
    std::vector<float*> outputCursors;
    StreamRoutine streamRoutine;
};
