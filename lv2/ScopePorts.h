#pragma once

#include <cstdint>

#include <lv2/urid/urid.h>

// What the LV2 plug-in and its UI both know: the bundle's URIs, the ports in
// the order ZanderwickScope.ttl gives them, and the two messages between the
// sides. The UI may run in another process than the plug-in, so everything
// travels by value through the host: the meter's values as control outputs
// and as one atom message per block, MONO and the range reset back as a
// control value and an atom message.

// The plug-in and its UI.
#define ZW_LV2_URI "urn:zanderwick:scope"
#define ZW_LV2_PREFIX ZW_LV2_URI "#"
#define ZW_LV2_UI_URI ZW_LV2_PREFIX "ui"

// Plug-in to UI, on the notify port: an atom:Object of this type after every
// run() that finished an analysis block, with the newest block's points and
// the meter's values after it.
#define ZW_LV2__Block ZW_LV2_PREFIX "Block"
// atom:Vector of kScopePoints atom:Float each: the scope's x (side) and y
// (mid) points, as the VST 2 editor's point blocks hold them.
#define ZW_LV2__side ZW_LV2_PREFIX "side"
#define ZW_LV2__mid ZW_LV2_PREFIX "mid"
// atom:Float: what the correlation pointer shows (+1 while MONO is on), and
// the range bar's ends; both ends 0 while the bar waits for a value, a state
// no range ever has once it started.
#define ZW_LV2__correlation ZW_LV2_PREFIX "correlation"
#define ZW_LV2__rangeMin ZW_LV2_PREFIX "rangeMin"
#define ZW_LV2__rangeMax ZW_LV2_PREFIX "rangeMax"

// While the UI asked for the bands (Bands below), the Block message also
// carries, as atom:Float, the three bands' correlations (low below 250 Hz,
// high above 4 kHz, mid between) and the lowest value the pointer took in
// the blocks finished since the last message and the sample rate; and, as
// atom:Long, the number of blocks finished since activate(). A UI that keeps
// a history learns from it how many blocks the message stands for, messages
// the host dropped included.
#define ZW_LV2__bandLow ZW_LV2_PREFIX "bandLow"
#define ZW_LV2__bandMid ZW_LV2_PREFIX "bandMid"
#define ZW_LV2__bandHigh ZW_LV2_PREFIX "bandHigh"
#define ZW_LV2__lowest ZW_LV2_PREFIX "lowest"
#define ZW_LV2__blockCount ZW_LV2_PREFIX "blockCount"
#define ZW_LV2__sampleRate ZW_LV2_PREFIX "sampleRate"

// UI to plug-in, on the control port: an atom:Object of this type, no
// properties. The range starts over in the next run().
#define ZW_LV2__ResetRange ZW_LV2_PREFIX "ResetRange"
// UI to plug-in, on the control port: an atom:Object of this type whose
// property shown (atom:Bool) says whether the UI shows the bands and the
// history. The plug-in reads the bands only while a UI asked for them, from
// the next run() on.
#define ZW_LV2__Bands ZW_LV2_PREFIX "Bands"
#define ZW_LV2__shown ZW_LV2_PREFIX "shown"

enum ScopePort : uint32_t
{
    kPortInLeft = 0,
    kPortInRight = 1,
    kPortOutLeft = 2,
    kPortOutRight = 3,
    // Control input, toggled: above 0 is on. The host saves it as the state.
    kPortMono = 4,
    // Control outputs: the latency in frames, the correlation pointer and the
    // range bar's ends (the values of the Block message).
    kPortLatency = 5,
    kPortCorrelation = 6,
    kPortRangeMin = 7,
    kPortRangeMax = 8,
    // Atom sequences: messages from the UI, and to it.
    kPortControl = 9,
    kPortNotify = 10,
    kPortCount = 11
};

// The messages' words as one instance of either side has them mapped.
struct ScopeUris
{
    LV2_URID block;
    LV2_URID side;
    LV2_URID mid;
    LV2_URID correlation;
    LV2_URID rangeMin;
    LV2_URID rangeMax;
    LV2_URID resetRange;
    LV2_URID bandLow;
    LV2_URID bandMid;
    LV2_URID bandHigh;
    LV2_URID lowest;
    LV2_URID blockCount;
    LV2_URID sampleRate;
    LV2_URID bands;
    LV2_URID shown;
};

inline ScopeUris mapScopeUris(LV2_URID_Map* map)
{
    auto id = [map](const char* uri) { return map->map(map->handle, uri); };
    return {id(ZW_LV2__Block),       id(ZW_LV2__side),     id(ZW_LV2__mid),
            id(ZW_LV2__correlation), id(ZW_LV2__rangeMin), id(ZW_LV2__rangeMax),
            id(ZW_LV2__ResetRange),  id(ZW_LV2__bandLow),  id(ZW_LV2__bandMid),
            id(ZW_LV2__bandHigh),    id(ZW_LV2__lowest),   id(ZW_LV2__blockCount),
            id(ZW_LV2__sampleRate),  id(ZW_LV2__Bands),    id(ZW_LV2__shown)};
}

constexpr uint32_t kScopePoints = 512;
constexpr uint32_t kLatencyFrames = 512;
// The notify port's rsz:minimumSize; one Block message takes about 4.4 KB.
constexpr uint32_t kNotifyBufferBytes = 8192;
