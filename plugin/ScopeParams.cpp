#include "plugin/ScopeParams.h"

CScopeParams::CScopeParams() : CParamStore(kNumEntries)
{
    define(kMono, 0.0f, 0.0f, 1.0f, "", "Mono", 1, 4);
    define(kCorrelation, 0.0f, -1.0f, 1.0f, "", "Corr", 1, 4);
    define(kSidePoints, 0.0f, -1.0f, 1.0f, "", "", 1, kPointBlockBytes);
    define(kMidPoints, 0.0f, -1.0f, 1.0f, "", "", 1, kPointBlockBytes);
    define(kBandsShown, 0.0f, 0.0f, static_cast<float>(kMostRequests), "", "Bands", 0, 4);
    define(kLowBand, 0.0f, -1.0f, 1.0f, "", "Low", 1, 4);
    define(kMidBand, 0.0f, -1.0f, 1.0f, "", "Mid", 1, 4);
    define(kHighBand, 0.0f, -1.0f, 1.0f, "", "High", 1, 4);
    define(kRecentValues, 0.0f, -1.0f, 1.0f, "", "", 0, kRecentBytes);

    // Start with a centred scope rather than whatever the allocation held.
    static const uint8_t kZeros[kPointBlockBytes] = {};
    writeBlock(kSidePoints, kZeros, kPointBlockBytes, 0);
    writeBlock(kMidPoints, kZeros, kPointBlockBytes, 0);
    const RecentBlocks none = {};
    writeBlock(kRecentValues, &none, kRecentBytes, 0);
}
