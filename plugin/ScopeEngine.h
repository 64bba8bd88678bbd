#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "plugin/BlockProcessor.h"
#include "plugin/ScopeParams.h"
#include "plugin/StereoAnalyzer.h"

class CBandCorrelation;
class CParamStore;

// The effect's processing: 512-frame blocks, each analysed for the scope and
// the correlation meter, handed back one block later. While an editor shows
// the bands and the history, each block is also read per band and its
// meter value kept for the history; the blocks' samples are the same either
// way.
//
// A suspend or a rate change (GUI thread) may overlap a process call
// (processing thread), so every operation below holds the engine's lock; the
// processing thread only ever waits for a reset of the blocks or one
// publication. The engine lives as long as the effect: nothing the
// processing thread uses is freed or rebuilt under it.
class CScopeEngine : public CBlockProcessor
{
  public:
    // outputCount 0 means as many outputs as inputs. The sample rate places
    // the bands' crossovers.
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
    // Restarts at that rate.
    void setSampleRate(float rate);
    // Takes the store's Mono entry when it is marked changed; only 1.0 or
    // more switches the mono sum on.
    void takeMono(CParamStore* store);
    // Takes a display store's request for the bands (CScopeParams::
    // kBandsShown): from the next block on, bands are read while it is not
    // 0, and a new request starts them and the latest blocks afresh.
    void takeBandsRequest(CParamStore* store);
    // Writes the latest points and correlation into a display store, all
    // under the store's lock so that a reader gets them together; while the
    // bands are read, their values and the latest blocks' too.
    void publishResults(CParamStore* store);
    int32_t clearDisplay();
    int32_t blockLength() const { return blockSize; }

    const CStereoAnalyzer* getAnalyzer() const { return analyzer.get(); }
    bool readsBands() const { return recent.request != 0; }

  private:
    std::unique_ptr<CStereoAnalyzer> analyzer;
    std::unique_ptr<CBandCorrelation> bands;
    bool monoOn;
    // Filled per block while the bands are read (its request not 0);
    // published when it grew.
    RecentBlocks recent;
    bool recentPublished;
    // Where an accumulating call's delayed signal goes before it is added,
    // one block per output channel, and the cursors over the host's buffers.
    std::vector<float> delayedSamples;
    std::vector<float*> delayedBlocks;
    std::vector<float*> inputsAt;
    std::mutex engineLock;
};
