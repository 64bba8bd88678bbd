#include "gui/CaptionedPopupPicture.h"

#include "gui/PaintPort.h"
#include "gui/SkinBitmap.h"
#include "gui/SwitchButton.h"
#include "gui/ValueListener.h"
#include "gui/WidgetFrame.h"
#include "tests/support/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace
{
const RECT kWhole = {0, 0, 220, 270};
const RECT kVersionLine = {52, 42, 202, 54};

struct CTagLog : public CValueListener
{
    std::vector<int> tags;
    void onValueChanged(CPaintPort&, CValueWidget* control) override
    {
        tags.push_back(control->getTag());
    }
};

// The editor's panel: backdrop, the credits click area over the logo and the
// MONO switch, in their places.
struct CPanel
{
    CTagLog listener;
    CTestWindow parent{0, 0, 220, 270, false};
    CWidgetFrame frame{{0, 0, 220, 270}, parent.handle, nullptr};
    CSkinBitmap* backdrop = new CSkinBitmap(101);
    CSkinBitmap* credits = new CSkinBitmap(102);
    CSkinBitmap* mono = new CSkinBitmap(103);
    CCaptionedPopupPicture* popup = new CCaptionedPopupPicture({145, 231, 205, 255}, &listener, 0,
                                                               credits, {0, 0, 220, 270}, {0, 0});
    CSwitchButton* button = new CSwitchButton({88, 231, 134, 250}, &listener, 1, mono);

    CPanel()
    {
        frame.setBackdrop(backdrop);
        frame.appendChild(popup);
        frame.appendChild(button);
        parent.show();
    }
    ~CPanel()
    {
        backdrop->release();
        credits->release();
        mono->release();
    }
    Pixels shown() const { return readWindow(frame.getWindow()); }
    void click(int x, int y) { clickAt(frame.getWindow(), x, y); }
};
} // namespace

TEST(PopupPicture, OpensOverTheWholeFrameAndClosesOnAnyClickInside)
{
    CPanel panel;
    const Pixels background = readPicture(*panel.backdrop);
    const Pixels credits = readPicture(*panel.credits);
    const PortRect rects[] = {{9, 249, 159, 261}, {112, 249, 262, 261}, {52, 42, 202, 54}};
    panel.popup->setCaptions("", nullptr, "Version 1.0", rects[0], rects[1], rects[2]);
    saveSnapshot(panel.shown(), "panel_closed");

    panel.click(150, 240);
    EXPECT_EQ(panel.popup, panel.frame.getExclusiveChild());
    EXPECT_EQ(std::vector<int>{0}, panel.listener.tags);
    EXPECT_EQ(0, panel.shown().countDifferences(credits, kWhole)) << "no captions unless all set";
    panel.click(10, 10);
    EXPECT_EQ(0.0f, panel.popup->getValue());
    EXPECT_EQ(205, panel.popup->getRect().right) << "back to the click area";

    panel.popup->setCaptions("", "", "Version 1.0", rects[0], rects[1], rects[2]);
    panel.click(150, 240);
    const Pixels open = panel.shown();
    saveSnapshot(open, "panel_credits_open");
    EXPECT_TRUE(showsTextLine(open, credits, kVersionLine, RGB(239, 239, 231)));

    panel.button->setValue(1.0f);
    panel.frame.onTimer();
    EXPECT_EQ(0, panel.shown().countDifferences(credits, {88, 231, 134, 250}))
        << "only the popup refreshes while it is open";
    panel.button->setValue(0.0f);

    panel.click(100, 240);
    EXPECT_EQ(0.0f, panel.popup->getValue());
    EXPECT_EQ(0.0f, panel.button->getValue()) << "the closing click reaches nobody else";
    EXPECT_EQ(nullptr, panel.frame.getExclusiveChild());
    EXPECT_EQ(4u, panel.listener.tags.size());
    EXPECT_EQ(0, panel.shown().countDifferences(background, {0, 0, 88, 270}))
        << "the whole frame is painted again";
    panel.click(100, 240);
    EXPECT_EQ(1.0f, panel.button->getValue());

    // Without a frame to give it the window, a popup stays shut.
    CPopupPicture loose({0, 0, 10, 10}, &panel.listener, 5, nullptr, {0, 0, 50, 50}, {0, 0});
    CPaintPort port(nullptr, nullptr);
    loose.onMouseDown(port, {1, 1});
    EXPECT_EQ(0.0f, loose.getValue());
    EXPECT_EQ(5u, panel.listener.tags.size());
}
