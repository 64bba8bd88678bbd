#include "editor/BandsView.h"

CBandsView::CBandsView(int32_t zoom, CSkinBitmap* background)
    : CPaintView(CBandsStrip::placeAt(zoom), background), strip(zoom)
{
}

void CBandsView::setBands(const float* values)
{
    strip.setBands(values);
    changed = strip.isChanged();
}

void CBandsView::setHistory(const CCorrelationHistory& history)
{
    strip.setHistory(history);
    changed = strip.isChanged();
}

void CBandsView::compose(COffscreenPort& picture, bool /*fresh*/)
{
    picture.restoreBackground();
    strip.draw(pixelArea(picture));
}
