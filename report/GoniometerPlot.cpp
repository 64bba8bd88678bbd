#include "report/GoniometerPlot.h"

#include <algorithm>
#include <cmath>

#include "report/ScopeBackground.h"

namespace
{
// The scope view's input range: the 32-bit float 0x3FCE3463.
constexpr float kRange = 1.6109737f;
constexpr float kColumnsPerUnit = (CGoniometerPlot::kWidth - 1) / (2.0f * kRange);
constexpr float kRowsPerUnit = (CGoniometerPlot::kHeight - 1) / (2.0f * kRange);
// The meter's dot colour.
constexpr RgbColor kDots = {255, 255, 0};
// A pixel with a single dot still shows.
constexpr float kFaintest = 0.3f;
} // namespace

CGoniometerPlot::CGoniometerPlot() : counts(static_cast<size_t>(kWidth) * kHeight, 0) {}

void CGoniometerPlot::addPoints(const float* side, const float* mid, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
    {
        // Upside down, as on the meter: larger mid values higher up.
        const float x = (side[i] + kRange) * kColumnsPerUnit;
        const float y = (kRange - mid[i]) * kRowsPerUnit;
        if (x >= 0.0f && y >= 0.0f && x < kWidth && y < kHeight)
            ++counts[static_cast<size_t>(y) * kWidth + static_cast<size_t>(x)];
    }
}

CRgbImage CGoniometerPlot::render() const
{
    CRgbImage image =
        CRgbImage::fromBitmap(kScopeBackground, kScopeBackgroundSize, kWidth, kHeight);
    if (image.width() != kWidth)
        image = CRgbImage(kWidth, kHeight, {0, 0, 0});
    const uint32_t most = *std::max_element(counts.begin(), counts.end());
    if (most == 0)
        return image;
    // Densities span orders of magnitude (silence piles every dot of a block
    // on the centre), so they are shown on a logarithmic scale.
    const float top = std::log(static_cast<float>(most) + 1.0f);
    for (int32_t y = 0; y < kHeight; ++y)
    {
        for (int32_t x = 0; x < kWidth; ++x)
        {
            const uint32_t n = countAt(x, y);
            if (n == 0)
                continue;
            const float amount =
                kFaintest + (1.0f - kFaintest) * std::log(static_cast<float>(n) + 1.0f) / top;
            image.setPixel(x, y, mixColors(image.pixel(x, y), kDots, amount));
        }
    }
    return image;
}
