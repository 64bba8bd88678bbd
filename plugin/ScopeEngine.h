#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "plugin/BlockProcessor.h"
#include "plugin/StereoAnalyzer.h"

class CParamStore;

// The effect's processing: 512-frame blocks, each analysed for the scope and
// the correlation meter, handed back one block later.
//
// A suspend or a rate change (GUI thread) may overlap a process call
// (processing thread), so every operation below holds the engine's lock; the
// processing thread only ever waits for a reset of the blocks or one
// publication. The engine lives as long as the effect: nothing the
// processing thread uses is freed or rebuilt under it.
class CScopeEngine : public CBlockProcessor
{
  public:
    // outputCount 0 means as many outputs as inputs. The sample rate is
    // accepted for hosts' sake; nothing here depends on it.
    CScopeEngine(int32_t inputCount, double sampleRate, int32_t outputCount);
    ~CScopeEngine() override;

    void processBlock(float** inputBlocks, float** outputBlocks) override;

    // accumulate 0 replaces the outputs; otherwise the delayed signal is
    // added to them. The inputs are only read: hosts may hand the same
    // buffers to several plug-ins.
    void runStream(float** inputs, float** outputs, int32_t frames, int32_t accumulate);
    // Starts over as a new engine would: nothing buffered survives and the
    // meter starts unsmoothed. The Mono setting stays.
    void restart();
    // Takes the store's Mono entry when it is marked changed; only 1.0 or
    // more switches the mono sum on.
    void takeMono(CParamStore* store);
    // Writes the latest points and correlation into a display store, all
    // under the store's lock so that a reader gets them together.
    void publishResults(CParamStore* store);
    int32_t clearDisplay();
    int32_t blockLength() const { return blockSize; }

    const CStereoAnalyzer* getAnalyzer() const { return analyzer.get(); }

  private:
    std::unique_ptr<CStereoAnalyzer> analyzer;
    // Where an accumulating call's delayed signal goes before it is added,
    // one block per output channel, and the cursors over the host's buffers.
    std::vector<float> delayedSamples;
    std::vector<float*> delayedBlocks;
    std::vector<float*> inputsAt;
    std::mutex engineLock;
};
