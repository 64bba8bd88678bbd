#pragma once

#include <cstdint>
#include <vector>

#include "report/RgbImage.h"

// Every block's scope dots accumulated into one density picture over the
// meter's scope background, twice the meter's size. The dots are placed as
// the meter places them: side across, mid upwards, over the same range.
class CGoniometerPlot
{
  public:
    static constexpr int32_t kScale = 2;
    static constexpr int32_t kWidth = 131 * kScale;
    static constexpr int32_t kHeight = 129 * kScale;

    CGoniometerPlot();

    void addPoints(const float* side, const float* mid, int32_t count);
    CRgbImage render() const;

    uint64_t countAt(int32_t x, int32_t y) const
    {
        return counts[static_cast<size_t>(y) * kWidth + x];
    }

  private:
    static constexpr int32_t kPointsPerPass = 512;

    // Dots per pixel, and a spare cell for those outside. A day of silence
    // piles more dots on the centre than 32 bits count.
    std::vector<uint64_t> counts;
};
