#pragma once

#include <cstdint>

#include "plugin/ParamStore.h"

// What the engine leaves for an editor that shows the history: the request
// it answers (CScopeParams::kBandsShown), the meter's value after each of
// the latest blocks, block n (counted since the request arrived, wrapping)
// at n % kRecentBlocks, and the rate they were taken at.
struct RecentBlocks
{
    static constexpr int32_t kRecentBlocks = 256;
    uint32_t request;
    uint32_t count;
    float sampleRate;
    float values[kRecentBlocks];
};

// The store of the scope effect and of its editor: the Mono switch, the
// correlation and the two blocks of scope points; in an editor's store also
// whether it shows the bands and the history, and, while it does, the three
// bands' correlations and the latest blocks' values. Final, since the
// store's destructor is not virtual.
class CScopeParams final : public CParamStore
{
  public:
    static constexpr int32_t kMono = 0;
    static constexpr int32_t kCorrelation = 1;
    static constexpr int32_t kSidePoints = 2;
    static constexpr int32_t kMidPoints = 3;
    // Written by the editor while its bands and history are shown: a
    // number of its own for each time it starts showing them, else 0.
    static constexpr int32_t kBandsShown = 4;
    // Request numbers stay exact as floats.
    static constexpr uint32_t kMostRequests = 1u << 23;
    static constexpr int32_t kLowBand = 5;
    static constexpr int32_t kMidBand = 6;
    static constexpr int32_t kHighBand = 7;
    static constexpr int32_t kRecentValues = 8;
    static constexpr int32_t kNumEntries = 9;

    static constexpr int32_t kNumPoints = 512;
    static constexpr int32_t kPointBlockBytes = kNumPoints * static_cast<int32_t>(sizeof(float));
    static constexpr int32_t kRecentBytes = static_cast<int32_t>(sizeof(RecentBlocks));

    CScopeParams();
};
