#include "gui/SwitchButton.h"

#include "gui/IdleOwner.h"
#include "gui/PaintPort.h"
#include "gui/SkinBitmap.h"
#include "gui/ValueListener.h"
#include "gui/WidgetFrame.h"
#include "tests/support/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
const RECT kButton = {0, 0, 46, 19};

// What the window showed each time the listener was told.
struct CCallLog : public CValueListener, public CIdleOwner
{
    std::vector<int> tags;
    Pixels shownWhenTold;
    int idles = 0;

    void onValueChanged(CPaintPort& port, CValueWidget* control) override
    {
        tags.push_back(control->getTag());
        shownWhenTold = readWindow(port.getWindow());
    }
    void doIdle() override { ++idles; }
};
} // namespace

TEST(SwitchButton, DrawsItsStateOnRefreshOnlyWhenItsValueChanged)
{
    CSkinBitmap* picture = new CSkinBitmap(103);
    const Pixels states = readPicture(*picture);
    CTestWindow window(0, 0, 46, 19);
    HDC context = GetDC(window.handle);
    CPaintPort port(context, window.handle);
    CSwitchButton button({0, 0, 46, 19}, nullptr, 1, picture);
    picture->release();

    button.refresh(port);
    EXPECT_EQ(0, readWindow(window.handle).countDifferences(states, kButton)) << "first refresh";
    button.setValue(0.5f);
    EXPECT_EQ(0, readWindow(window.handle).countDifferences(states, kButton));
    button.refresh(port);
    EXPECT_EQ(0, readWindow(window.handle).countDifferences(states, kButton, 0, 19));
    ReleaseDC(window.handle, context);
}

TEST(SwitchButton, ClickTogglesAndIsShownBeforeTheListenerHears)
{
    CCallLog log;
    CSkinBitmap* picture = new CSkinBitmap(103);
    const Pixels states = readPicture(*picture);
    CTestWindow parent(0, 0, 46, 19);
    CWidgetFrame frame({0, 0, 46, 19}, parent.handle, &log);
    CSwitchButton* button = new CSwitchButton({0, 0, 46, 19}, &log, 1, picture);
    picture->release();
    frame.appendChild(button);
    button->setValue(0.5f);
    pumpMessages();

    clickAt(frame.getWindow(), 10, 10);
    EXPECT_EQ(1.0f, button->getValue());
    EXPECT_EQ(std::vector<int>{1}, log.tags);
    EXPECT_EQ(0, log.shownWhenTold.countDifferences(states, kButton, 0, 19));
    clickAt(frame.getWindow(), 10, 10, WM_RBUTTONDOWN);
    EXPECT_EQ(0.0f, button->getValue());
    EXPECT_EQ(0, log.shownWhenTold.countDifferences(states, kButton));

    button->setClickable(0);
    clickAt(frame.getWindow(), 10, 10);
    EXPECT_EQ(0.0f, button->getValue());
    EXPECT_EQ(2u, log.tags.size());

    button->idleEditorNow();
    EXPECT_EQ(1, log.idles) << "the frame's owner runs its idle";
}
