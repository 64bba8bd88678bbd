#pragma once

#include <cstdint>

#include "editor/PaintView.h"
#include "render/BandsStrip.h"

class CCorrelationHistory;

// The strip "Bands and history" adds below the panel: the band meters and
// the history, drawn by the portable strip's rules over its picture. It
// redraws only when a mark would land on other pixels.
class CBandsView : public CPaintView
{
  public:
    // The picture stays the caller's, who keeps it alive.
    CBandsView(int32_t zoom, CSkinBitmap* background);

    // Three values, low first.
    void setBands(const float* values);
    void setHistory(const CCorrelationHistory& history);

  private:
    void compose(COffscreenPort& picture, bool fresh) override;

    CBandsStrip strip;
};
