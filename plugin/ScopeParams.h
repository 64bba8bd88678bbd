#pragma once

#include <cstdint>

#include "plugin/ParamStore.h"

// The store of the scope effect and of its editor: the Mono switch, the
// correlation and the two blocks of scope points. Final, since the store's
// destructor is not virtual.
class CScopeParams final : public CParamStore
{
  public:
    static constexpr int32_t kMono = 0;
    static constexpr int32_t kCorrelation = 1;
    static constexpr int32_t kSidePoints = 2;
    static constexpr int32_t kMidPoints = 3;
    static constexpr int32_t kNumEntries = 4;

    static constexpr int32_t kNumPoints = 512;
    static constexpr int32_t kPointBlockBytes = kNumPoints * static_cast<int32_t>(sizeof(float));

    CScopeParams();
};
