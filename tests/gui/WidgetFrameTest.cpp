#include "gui/WidgetFrame.h"

#include "gui/ModuleInstance.h"
#include "gui/PaintPort.h"
#include "gui/SkinBitmap.h"
#include "tests/support/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

using Log = std::vector<std::string>;

namespace
{
bool gRefuseArrays = false;

// Notes every call the frame makes, and paints itself in its own colour.
struct CProbe : public CWidget
{
    CProbe(const char* name, const PortRect& rect, PortColor color, Log& log)
        : CWidget(rect), name(name), color(color), log(log)
    {
    }
    ~CProbe() override { log.push_back(name + " destroy"); }
    void paint(CPaintPort& port) override
    {
        log.push_back(name + " paint");
        port.setBrushColor(color);
        port.paintRect(rect);
    }
    void onMouseDown(CPaintPort&, PortPoint at) override
    {
        log.push_back(name + " " + std::to_string(at.x) + "," + std::to_string(at.y));
    }
    void refresh(CPaintPort&) override { log.push_back(name + " refresh"); }

    std::string name;
    PortColor color;
    Log& log;
};
} // namespace

// Lets a test make the growth of the child list fail.
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return gRefuseArrays ? nullptr : ::operator new(size, std::nothrow);
}

TEST(WidgetFrame, OwnsAChildWindowOfAClassSharedByLiveFrames)
{
    char expected[32];
    std::snprintf(expected, sizeof(expected), "Plugin%08x",
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(moduleInstance())));
    CTestWindow parent(0, 0, 100, 100);
    CWidgetFrame* first = new CWidgetFrame({0, 0, 60, 50}, parent.handle, nullptr);
    CWidgetFrame* second = new CWidgetFrame({60, 0, 100, 50}, parent.handle, nullptr);
    char text[64] = "";
    GetClassNameA(second->getWindow(), text, sizeof(text));
    EXPECT_STREQ(expected, text);
    GetWindowTextA(first->getWindow(), text, sizeof(text));
    EXPECT_STREQ("Window", text);

    WNDCLASSA registered;
    delete first;
    EXPECT_TRUE(GetClassInfoA(moduleInstance(), expected, &registered));
    delete second;
    EXPECT_FALSE(GetClassInfoA(moduleInstance(), expected, &registered));
}

TEST(WidgetFrame, PaintsBackdropThenChildrenAndRefreshesOnlyAfterwards)
{
    Log log;
    CTestWindow parent(0, 0, 240, 280, false);
    CWidgetFrame frame({0, 0, 240, 280}, parent.handle, nullptr);
    CSkinBitmap* backdrop = new CSkinBitmap(101);
    frame.setBackdrop(backdrop);
    frame.setBackdrop(backdrop);
    EXPECT_EQ(2, backdrop->getReferenceCount()) << "the frame holds one reference";
    frame.appendChild(new CProbe("A", {10, 10, 60, 60}, kColorRed, log));
    frame.appendChild(new CProbe("B", {40, 40, 90, 90}, kColorBlue, log));

    frame.onTimer();
    pumpMessages(120);
    EXPECT_TRUE(log.empty()) << "no refresh before the first paint";

    parent.show();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ((Log{"A paint", "B paint"}), Log(log.begin(), log.begin() + 2));
    const Pixels shown = readWindow(frame.getWindow());
    const Pixels picture = readPicture(*backdrop);
    EXPECT_EQ(RGB(255, 0, 0), shown.at(20, 20));
    EXPECT_EQ(RGB(0, 0, 255), shown.at(50, 50));
    EXPECT_EQ(0, shown.countDifferences(picture, {100, 0, 220, 270}));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), shown.at(230, 10)) << "the picture ends at 220";

    pumpMessages(150);
    const auto refreshes = std::count(log.begin(), log.end(), "A refresh");
    EXPECT_GE(refreshes, 1) << "the 50 ms timer refreshes";
    EXPECT_EQ(refreshes, std::count(log.begin(), log.end(), "B refresh"));
    backdrop->release();
}

TEST(WidgetFrame, SendsClicksToTheTopmostChildUnlessOneIsExclusive)
{
    Log log;
    CTestWindow parent(0, 0, 100, 100);
    CWidgetFrame frame({0, 0, 100, 100}, parent.handle, nullptr);
    CSkinBitmap* backdrop = new CSkinBitmap(101);
    frame.setBackdrop(backdrop);
    backdrop->release();
    CProbe* a = new CProbe("A", {10, 10, 30, 30}, kColorRed, log);
    CProbe* b = new CProbe("B", {20, 20, 40, 40}, kColorBlue, log);
    frame.appendChild(a);
    frame.appendChild(b);
    pumpMessages();

    log.clear();
    clickAt(frame.getWindow(), 25, 25);
    clickAt(frame.getWindow(), 30, 15);
    clickAt(frame.getWindow(), 40, 40);
    clickAt(frame.getWindow(), 15, 30, WM_RBUTTONDOWN);
    clickAt(frame.getWindow(), 5, 5);
    EXPECT_EQ((Log{"B 25,25", "A 30,15", "B 40,40", "A 15,30"}), log);

    EXPECT_TRUE(frame.setExclusiveChild(a));
    EXPECT_FALSE(frame.setExclusiveChild(b));
    log.clear();
    clickAt(frame.getWindow(), 35, 35);
    clickAt(frame.getWindow(), 25, 25);
    frame.onTimer();
    InvalidateRect(frame.getWindow(), nullptr, TRUE);
    UpdateWindow(frame.getWindow());
    EXPECT_EQ((Log{"A 25,25", "A refresh", "A paint"}), log);
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), readWindow(frame.getWindow()).at(60, 60))
        << "no backdrop under an exclusive child";
    EXPECT_TRUE(frame.setExclusiveChild(nullptr));
}

TEST(WidgetFrame, GrowsItsChildListByTenAndKeepsItWhenGrowthFails)
{
    Log log;
    CWidgetFrame* frame = new CWidgetFrame({0, 0, 50, 50}, nullptr, nullptr);
    std::vector<CProbe*> probes;
    for (int i = 0; i < 20; ++i)
    {
        probes.push_back(new CProbe(std::to_string(i).c_str(), {0, 0, 1, 1}, kColorRed, log));
        ASSERT_TRUE(frame->appendChild(probes.back()));
        EXPECT_EQ(i < 10 ? 10 : 20, frame->getChildCapacity());
    }
    EXPECT_EQ(frame, probes[3]->getParent());

    CProbe stranger("stranger", {0, 0, 1, 1}, kColorRed, log);
    gRefuseArrays = true;
    EXPECT_FALSE(frame->appendChild(&stranger));
    gRefuseArrays = false;
    EXPECT_EQ(20, frame->getChildCount());
    EXPECT_EQ(20, frame->getChildCapacity());

    EXPECT_TRUE(frame->removeChild(&stranger));
    EXPECT_EQ(20, frame->getChildCount());
    EXPECT_TRUE(frame->removeChild(probes[3]));
    EXPECT_EQ(probes[4], frame->getChild(3));
    EXPECT_EQ(probes[19], frame->getChild(18));
    EXPECT_TRUE(log.empty()) << "a removed child is not destroyed";

    delete frame;
    EXPECT_EQ(19u, log.size());
    delete probes[3];
}
