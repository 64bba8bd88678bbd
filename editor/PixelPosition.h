#pragma once

#include <cstdint>

// Mapped values become pixel coordinates by truncation toward zero. Whatever
// an int cannot hold (NaN, infinities, huge values) lands far outside every
// view instead, with room left for the few pixels a shape reaches around its
// anchor, so no conversion is undefined and no coordinate arithmetic wraps.
constexpr int32_t kFarOutside = 1 << 24;

inline int32_t toPixel(double mapped)
{
    if (mapped > -kFarOutside && mapped < kFarOutside)
        return static_cast<int32_t>(mapped);
    return mapped < 0.0 ? -kFarOutside : kFarOutside;
}
