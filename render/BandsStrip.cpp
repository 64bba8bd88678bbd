#include "render/BandsStrip.h"

#include <algorithm>
#include <cmath>

#include "editor/PixelPosition.h"
#include "editor/ValueScale.h"
#include "plugin/BandSplitter.h"
#include "plugin/CorrelationHistory.h"
#include "render/PanelGeometry.h"

static_assert(CBandsStrip::kMeterCount == kBandCount, "a meter for every band");

namespace
{
bool sameRect(const PortRect& a, const PortRect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// A rectangle of the panel at a size, relative to the strip's top left.
PortRect inside(const PortRect& rect, const PortRect& strip, int32_t zoom)
{
    const PortRect at = zoomed(rect, zoom);
    return {at.left - strip.left, at.top - strip.top, at.right - strip.left, at.bottom - strip.top};
}

// From the pixel of 0 to the value's, both included, along one axis of
// length pixels, kept inside it.
void spanOf(CValueScale& scale, float value, int32_t length, int32_t& from, int32_t& to)
{
    float zero = 0.0f;
    const int32_t a = toPixel(scale.toOutput(&zero));
    const int32_t b = toPixel(scale.toOutput(&value));
    from = std::clamp(std::min(a, b), 0, length);
    to = std::clamp(std::max(a, b) + 1, from, length);
}

const PortRect kNothing = {0, 0, 0, 0};
} // namespace

bool CBandsStrip::Marks::operator==(const Marks& other) const
{
    for (int32_t i = 0; i < kMeterCount; ++i)
        if (!sameRect(bars[i], other.bars[i]) || barPixels[i] != other.barPixels[i])
            return false;
    return spanPixels == other.spanPixels &&
           std::equal(spans.begin(), spans.end(), other.spans.begin(), other.spans.end(), sameRect);
}

PortRect CBandsStrip::placeAt(int32_t zoom)
{
    return isPanelSize(zoom) ? zoomed(kBandsPanelArea, zoom) : kNothing;
}

CBandsStrip::CBandsStrip(int32_t zoom)
    : place(placeAt(zoom)), meters(), history(), meterScale(std::make_unique<CValueScale>(0)),
      historyScale(std::make_unique<CValueScale>(0)), columns(), marks(), drawnMarks(), drawn(false)
{
    const PortRect areas[kMeterCount] = {kLowBandArea, kMidBandArea, kHighBandArea};
    for (int32_t i = 0; i < kMeterCount; ++i)
        meters[i] = inside(areas[i], place, zoom);
    history = inside(kHistoryArea, place, zoom);
    // The meters all have the same width: -1 at their left column, +1 at
    // their right; the history +1 on its top row, -1 on its bottom row.
    meterScale->setRanges(-1.0f, 1.0f, 0.0f,
                          static_cast<float>(meters[0].right - meters[0].left - 1));
    historyScale->setRanges(-1.0f, 1.0f, static_cast<float>(history.bottom - history.top - 1),
                            0.0f);
    const int32_t width = std::max(history.right - history.left, 0);
    columns.assign(static_cast<size_t>(width), NAN);
    marks.spans.assign(columns.size(), kNothing);
    marks.spanPixels.assign(columns.size(), 0);
    const float none[kMeterCount] = {NAN, NAN, NAN};
    setBands(none);
}

CBandsStrip::~CBandsStrip() = default;

void CBandsStrip::setBands(const float* values)
{
    for (int32_t i = 0; i < kMeterCount; ++i)
    {
        const float value = values[i];
        marks.bars[i] = kNothing;
        marks.barPixels[i] = 0;
        if (std::isnan(value))
            continue;
        const PortRect& meter = meters[i];
        int32_t from = 0, to = 0;
        spanOf(*meterScale, value, meter.right - meter.left, from, to);
        marks.bars[i] = {meter.left + from, meter.top, meter.left + to, meter.bottom};
        marks.barPixels[i] = pixelOf(correlationColor(value));
    }
}

void CBandsStrip::setHistory(const CCorrelationHistory& source)
{
    const int32_t width = static_cast<int32_t>(columns.size());
    source.readColumns(columns.data(), width);
    const int32_t height = history.bottom - history.top;
    for (int32_t x = 0; x < width; ++x)
    {
        const float value = columns[x];
        marks.spans[x] = kNothing;
        marks.spanPixels[x] = 0;
        if (std::isnan(value))
            continue;
        int32_t from = 0, to = 0;
        spanOf(*historyScale, value, height, from, to);
        marks.spans[x] = {history.left + x, history.top + from, history.left + x + 1,
                          history.top + to};
        marks.spanPixels[x] = pixelOf(correlationColor(value));
    }
}

void CBandsStrip::draw(const PixelArea& strip)
{
    for (int32_t i = 0; i < kMeterCount; ++i)
        fillPixels(strip, marks.bars[i], marks.barPixels[i]);
    for (size_t x = 0; x < marks.spans.size(); ++x)
        fillPixels(strip, marks.spans[x], marks.spanPixels[x]);
    drawnMarks = marks;
    drawn = true;
}
