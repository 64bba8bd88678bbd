#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "plugin/BlockProcessor.h"
#include "plugin/StereoAnalyzer.h"

class CParamStore;

// The effect's processing: 512-frame blocks, each analysed for the scope and
// the correlation meter, handed back one block later.
//
// A suspend (GUI thread) may overlap a process call (processing thread), so
// every operation below holds the engine's lock; the processing thread only
// ever waits for a suspend's reset and one publication.
class CScopeEngine : public CBlockProcessor
{
  public:
    // outputCount 0 means as many outputs as inputs. The sample rate is
    // accepted for hosts' sake; nothing here depends on it.
    CScopeEngine(int32_t inputCount, double sampleRate, int32_t outputCount);
    ~CScopeEngine() override;

    void processBlock(float** inputBlocks, float** outputBlocks) override;

    // accumulate 0 replaces the outputs; otherwise the delayed signal is
    // written over the inputs and added to the outputs.
    void runStream(float** inputs, float** outputs, int32_t frames, int32_t accumulate);
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
    std::mutex engineLock;
};
