#include "render/PanelRenderer.h"

#include <algorithm>

#include "editor/ValueScale.h"
#include "render/PanelGeometry.h"

namespace
{
bool samePoints(const std::vector<PortPoint>& a, const std::vector<PortPoint>& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](const PortPoint& p, const PortPoint& q)
                                              { return p.x == q.x && p.y == q.y; });
}

PortRect unite(const PortRect& a, const PortRect& b)
{
    if (a.left >= a.right || a.top >= a.bottom)
        return b;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}
} // namespace

CPanelRenderer::CPanelRenderer(const PanelArt& art, bool withBands)
    : art(art), withBands(withBands && art.bands.height > 0),
      panel(art.background.width, art.background.height + (this->withBands ? art.bands.height : 0),
            0),
      drawn(false), monoArea(monoButtonArea(art.zoom, art.monoButton.width, art.monoButton.height)),
      rangeArea(zoomed(kRangeArea, art.zoom)), scope(), dotSize(scopeDotSize(art.zoom)),
      xScale(std::make_unique<CValueScale>(0)), yScale(std::make_unique<CValueScale>(0)),
      points(kPointCount), drawnPoints(), pointer(), pointerScale(std::make_unique<CValueScale>(0)),
      pointerShape(), pointerAt(0), pointerPixel(0), drawnPointerAt(0), drawnPointerPixel(0),
      range(), rangeScale(std::make_unique<CValueScale>(0)), rangeShown(), rangeDrawn(),
      mono(false), drawnMono(false), bands(art.zoom)
{
    makePart(scope, zoomed(kScopeArea, art.zoom), art.scope);
    makePart(pointer, zoomed(kPointerArea, art.zoom), art.pointerStrip);
    makePart(range, rangeArea, art.rangeBar);
    const int32_t scopeWidth = scope.background.width, scopeHeight = scope.background.height;
    mapScope(*xScale, *yScale, scopeWidth, scopeHeight, -kScopeRange, kScopeRange, -kScopeRange,
             kScopeRange);
    const float zero = 0.0f;
    std::fill(points.begin(), points.end(), scopePixel(*xScale, *yScale, zero, zero));
    mapPointer(*pointerScale, pointer.background.width);
    pointerShape = ::pointerShape(pointerHalfBase(art.zoom), pointer.background.height - 1);
    setPointer(0.0f);
    mapRange(*rangeScale, range.background.width);
}

CPanelRenderer::~CPanelRenderer() = default;

void CPanelRenderer::makePart(Part& part, const PortRect& place, const PixelPicture& picture)
{
    part.place = place;
    part.background =
        PixelPicture(place.right - place.left, place.bottom - place.top, pixelOf(kColorBlack));
    PixelPicture& own = part.background;
    copyPixels(own.area(), {0, 0}, picture, {0, 0}, own.width, own.height);
}

PixelArea CPanelRenderer::restore(Part& part)
{
    const PixelArea area = panel.area(part.place);
    copyPixels(area, {0, 0}, part.background, {0, 0}, part.background.width,
               part.background.height);
    return area;
}

void CPanelRenderer::setPoints(const float* side, const float* mid)
{
    for (int32_t i = 0; i < kPointCount; ++i)
        points[i] = scopePixel(*xScale, *yScale, side[i], mid[i]);
}

void CPanelRenderer::setPointer(float value)
{
    pointerAt = pointerColumn(*pointerScale, value);
    pointerPixel = pixelOf(correlationColor(value));
}

void CPanelRenderer::setRange(const CCorrelationRange& value)
{
    rangeShown = rangeParts(*rangeScale, value, range.background.width, range.background.height);
}

void CPanelRenderer::setMono(bool on)
{
    mono = on;
}

PortRect CPanelRenderer::compose()
{
    PortRect changed = {0, 0, 0, 0};
    if (!drawn)
    {
        // Into the same pixels: their place stays the same for the
        // renderer's life. The strip lies right below the panel.
        std::copy(art.background.pixels.begin(), art.background.pixels.end(), panel.pixels.begin());
        if (withBands)
            std::copy(art.bands.pixels.begin(), art.bands.pixels.end(),
                      panel.pixels.begin() + art.background.pixels.size());
        changed = {0, 0, panel.width, panel.height};
    }

    if (!drawn || mono != drawnMono)
    {
        // The switch's picture holds its off state above its on state.
        const PixelArea area = panel.area(monoArea);
        copyPixels(area, {0, 0}, art.monoButton, {0, mono ? art.monoButton.height / 2 : 0},
                   area.width, area.height);
        drawnMono = mono;
        changed = unite(changed, monoArea);
    }

    if (!drawn || !samePoints(points, drawnPoints))
    {
        plotDots(restore(scope), points.data(), kPointCount, dotSize, pixelOf(kColorScopeDots),
                 nullptr);
        drawnPoints = points;
        changed = unite(changed, scope.place);
    }

    // A pointer off the strip shows nothing wherever it is.
    const int32_t halfBase = pointerHalfBase(art.zoom), width = pointer.background.width;
    auto onStrip = [&](int32_t at) { return at >= -halfBase && at - halfBase < width; };
    const bool pointerMoved =
        onStrip(pointerAt) != onStrip(drawnPointerAt) ||
        (onStrip(pointerAt) && (pointerAt != drawnPointerAt || pointerPixel != drawnPointerPixel));
    if (!drawn || pointerMoved)
    {
        drawPointer(restore(pointer), pointerShape, pointerAt, pointerPixel);
        drawnPointerAt = pointerAt;
        drawnPointerPixel = pointerPixel;
        changed = unite(changed, pointer.place);
    }

    if (!drawn || !(rangeShown == rangeDrawn))
    {
        drawRange(restore(range), rangeShown);
        rangeDrawn = rangeShown;
        changed = unite(changed, range.place);
    }
    if (withBands && (!drawn || bands.isChanged()))
    {
        const PortRect& place = bands.getPlace();
        const PixelArea area = panel.area(place);
        copyPixels(area, {0, 0}, art.bands, {0, 0}, area.width, area.height);
        bands.draw(area);
        changed = unite(changed, place);
    }
    drawn = true;
    return changed;
}
