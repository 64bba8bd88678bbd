#pragma once

#include <cstdint>
#include <memory>

#include "editor/PaintView.h"
#include "plugin/CorrelationRange.h"

class CValueScale;

// The range of correlation values seen since the last reset, as a band from
// the minimum to the maximum: yellow, red below -0.2 and green above +0.2.
// A left click on it starts over. The view keeps its picture and redraws
// only when the band's ends or colours would change on screen.
class CCorrelationRangeView : public CPaintView
{
  public:
    static constexpr float kNegativeThreshold = ::kNegativeThreshold;
    static constexpr float kPositiveThreshold = ::kPositiveThreshold;

    // The picture stays the caller's, who keeps it alive. Starts waiting.
    CCorrelationRangeView(const PortRect& rect, CSkinBitmap* background);
    ~CCorrelationRangeView() override;

    // Follows the held button, then redraws when a setCorrelation or
    // resetRange changed what the bar shows.
    void refresh(CPaintPort& port) override;
    // Also while the left button that went down on the bar is held.
    bool hasNews() const override { return changed != 0 || held != 0; }
    // Keeps the range reset for as long as the left button alone is held
    // with the pointer over the bar.
    void onMouseDown(CPaintPort& port, PortPoint where) override;

    // While waiting, 0 is no news; any other value starts the range.
    void setCorrelation(float value);
    void resetRange();

    bool isWaiting() const { return range.isWaiting(); }
    // Both 0 while waiting.
    float getMinimum() const { return range.getMinimum(); }
    float getMaximum() const { return range.getMaximum(); }

  private:
    void compose(COffscreenPort& picture, bool fresh) override;
    // What the bar would show now, and whether that is news.
    void reckon();

    // Resets while the left button alone is down with the pointer over the
    // bar; notices its release.
    void followButton(CPaintPort& port);

    std::unique_ptr<CValueScale> scale;
    CCorrelationRange range;
    // The left button went down on the bar and is not known to be up yet.
    int32_t held;
    RangeParts parts;
    RangeParts shown;
};
