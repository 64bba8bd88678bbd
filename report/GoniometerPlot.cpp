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

CGoniometerPlot::CGoniometerPlot() : counts(static_cast<size_t>(kWidth) * kHeight + 1, 0) {}

void CGoniometerPlot::addPoints(const float* side, const float* mid, int32_t count)
{
    // The cells first, in a loop without branches that vectorises; a point
    // outside the picture goes to the spare cell at the end.
    const int32_t spare = kWidth * kHeight;
    int32_t cells[kPointsPerPass];
    for (int32_t first = 0; first < count; first += kPointsPerPass)
    {
        const int32_t n = count - first < kPointsPerPass ? count - first : kPointsPerPass;
        for (int32_t i = 0; i < n; ++i)
        {
            // Upside down, as on the meter: larger mid values higher up.
            // Held to just outside the picture (a NaN too) before the
            // conversion to int, which could not take every float.
            float x = (side[first + i] + kRange) * kColumnsPerUnit;
            float y = (kRange - mid[first + i]) * kRowsPerUnit;
            x = x > -1.0f ? (x < kWidth ? x : kWidth) : -1.0f;
            y = y > -1.0f ? (y < kHeight ? y : kHeight) : -1.0f;
            const bool inside = x >= 0.0f && y >= 0.0f && x < kWidth && y < kHeight;
            const int32_t cell = static_cast<int32_t>(y) * kWidth + static_cast<int32_t>(x);
            cells[i] = inside ? cell : spare;
        }
        for (int32_t i = 0; i < n; ++i)
            ++counts[cells[i]];
    }
}

CRgbImage CGoniometerPlot::render() const
{
    CRgbImage image =
        CRgbImage::fromBitmap(kScopeBackground, kScopeBackgroundSize, kWidth, kHeight);
    if (image.width() != kWidth)
        image = CRgbImage(kWidth, kHeight, {0, 0, 0});
    const uint64_t most = *std::max_element(counts.begin(), counts.end() - 1);
    if (most == 0)
        return image;
    // Densities span orders of magnitude (silence piles every dot of a block
    // on the centre), so they are shown on a logarithmic scale.
    const float top = std::log(static_cast<float>(most) + 1.0f);
    for (int32_t y = 0; y < kHeight; ++y)
    {
        for (int32_t x = 0; x < kWidth; ++x)
        {
            const uint64_t n = countAt(x, y);
            if (n == 0)
                continue;
            const float amount =
                kFaintest + (1.0f - kFaintest) * std::log(static_cast<float>(n) + 1.0f) / top;
            image.setPixel(x, y, mixColors(image.pixel(x, y), kDots, amount));
        }
    }
    return image;
}
