#pragma once

#include <cstdint>
#include <memory>

#include "editor/PaintView.h"

class CValueScale;

// The range of correlation values seen since the last reset, as a band from
// the minimum to the maximum: yellow, red below -0.2 and green above +0.2.
// A left click on it starts over. The view keeps its picture and redraws
// only when the band's ends or colours would change on screen.
class CCorrelationRangeView : public CPaintView
{
  public:
    static constexpr float kNegativeThreshold = -0.2f;
    static constexpr float kPositiveThreshold = 0.2f;

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

    bool isWaiting() const { return waiting != 0; }
    float getMinimum() const { return minimum; }
    float getMaximum() const { return maximum; }
    const PortRect& getBand() const { return band; }

  private:
    // The three coloured parts as they land inside the bar; a part that
    // is not drawn, or lies off the bar, is empty.
    struct Shown
    {
        PortRect parts[3];
        bool operator==(const Shown& other) const;
    };
    Shown wouldShow() const;
    void compose(COffscreenPort& picture, bool fresh) override;

    // Resets while the left button alone is down with the pointer over the
    // bar; notices its release.
    void followButton(CPaintPort& port);

    PortRect lowEnd;
    PortRect band;
    PortRect highEnd;
    PortColor negativeColor;
    PortColor neutralColor;
    PortColor positiveColor;
    std::unique_ptr<CValueScale> scale;
    float minimum;
    float maximum;
    int32_t waiting;
    // The left button went down on the bar and is not known to be up yet.
    int32_t held;
    Shown shown;
};
