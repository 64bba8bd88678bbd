#pragma once

#include <cstdint>

#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>

#include "lv2/ScopePorts.h"
#include "plugin/ScopeRunner.h"

// One instance of the LV2 plug-in: the ports the host connects, the meter
// behind them, and the messages to and from the UI (lv2/ScopePorts.h).
//
// run() allocates nothing, takes no lock and makes no system call, for any
// number of frames from 1 up; each call reads MONO first, so a change takes
// effect for every block that call finishes, as in the VST 2 effect.
class CLv2Scope
{
  public:
    // features may be null: without urid:map the atom ports stay unused and
    // the meter shows through the control outputs alone. Null when memory
    // runs out.
    static CLv2Scope* create(double sampleRate, const LV2_Feature* const* features);

    void connectPort(uint32_t port, void* data);
    // Starts over as a new instance would: nothing buffered survives, the
    // meter and the range start afresh.
    void activate();
    void run(uint32_t frames);

  private:
    explicit CLv2Scope(LV2_URID_Map* map);
    // Takes the UI's messages of this run.
    void readMessages();
    void writeOutputs(bool finishedBlock);
    // The Block message, into a sequence with room for it.
    void forgeBlock();

    CScopeRunner runner;
    float sampleRate = 44100.0f;
    bool mapped;
    ScopeUris uris;
    LV2_Atom_Forge forge;

    float* audio[4] = {};
    const float* mono = nullptr;
    float* latency = nullptr;
    float* correlation = nullptr;
    float* rangeMin = nullptr;
    float* rangeMax = nullptr;
    const LV2_Atom_Sequence* control = nullptr;
    LV2_Atom_Sequence* notify = nullptr;
};
