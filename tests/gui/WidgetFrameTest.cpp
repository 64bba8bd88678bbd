#include "gui/WidgetFrame.h"

#include "gui/ModuleInstance.h"
#include "gui/PaintPort.h"
#include "gui/SkinBitmap.h"
#include "tests/gui/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <new>
#include <string>
#include <vector>

namespace
{
bool gRefuseArrays = false;

// Records every call the frame makes and paints itself in its own colour.
class CProbe : public CWidget
{
  public:
    CProbe(const char* name, const PortRect& rect, PortColor color, std::vector<std::string>& log)
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
    void onMouseDown(CPaintPort&, PortPoint where) override
    {
        log.push_back(name + " click " + std::to_string(where.x) + "," + std::to_string(where.y));
    }
    void refresh(CPaintPort&) override { log.push_back(name + " refresh"); }

  private:
    std::string name;
    PortColor color;
    std::vector<std::string>& log;
};

int countEntries(const std::vector<std::string>& log, const std::string& entry)
{
    int count = 0;
    for (const std::string& line : log)
        count += line == entry;
    return count;
}
} // namespace

// Lets a test make the child list's growth fail.
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return gRefuseArrays ? nullptr : ::operator new(size, std::nothrow);
}

TEST(WidgetFrame, OwnsAChildWindowOfASharedClass)
{
    char expected[32];
    std::snprintf(expected, sizeof(expected), "Plugin%08x",
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(moduleInstance())));
    CTestWindow parent(0, 0, 100, 100);
    CWidgetFrame* first = new CWidgetFrame({0, 0, 60, 50}, parent.handle, nullptr);
    CWidgetFrame* second = new CWidgetFrame({60, 0, 100, 50}, parent.handle, nullptr);

    char name[64] = "";
    GetClassNameA(first->getWindow(), name, sizeof(name));
    EXPECT_STREQ(expected, name);
    GetWindowTextA(first->getWindow(), name, sizeof(name));
    EXPECT_STREQ("Window", name);
    EXPECT_EQ(parent.handle, GetParent(second->getWindow()));
    RECT placed;
    GetWindowRect(second->getWindow(), &placed);
    EXPECT_EQ(60, placed.left);
    EXPECT_EQ(40, placed.right - placed.left);

    WNDCLASSA registered;
    delete first;
    EXPECT_TRUE(GetClassInfoA(moduleInstance(), expected, &registered));
    delete second;
    EXPECT_FALSE(GetClassInfoA(moduleInstance(), expected, &registered));
}

TEST(WidgetFrame, PaintsBackdropThenChildrenAndRefreshesOnlyAfterwards)
{
    std::vector<std::string> log;
    CTestWindow parent(0, 0, 240, 280, false);
    CWidgetFrame frame({0, 0, 240, 280}, parent.handle, nullptr);
    CSkinBitmap* backdrop = new CSkinBitmap(101);
    frame.setBackdrop(backdrop);
    frame.setBackdrop(backdrop);
    EXPECT_EQ(2, backdrop->getReferenceCount()) << "setting the same picture again keeps one";
    frame.appendChild(new CProbe("A", {10, 10, 60, 60}, kColorRed, log));
    frame.appendChild(new CProbe("B", {40, 40, 90, 90}, kColorBlue, log));

    frame.onTimer();
    pumpMessages(120);
    EXPECT_TRUE(log.empty()) << "nothing happens before the first paint";
    EXPECT_TRUE(frame.isFirstPaintPending());

    parent.show();
    EXPECT_EQ((std::vector<std::string>{"A paint", "B paint"}), log);
    const Pixels shown = readWindow(frame.getWindow());
    const Pixels picture = readPicture(*backdrop);
    EXPECT_EQ(RGB(255, 0, 0), shown.at(20, 20));
    EXPECT_EQ(RGB(0, 0, 255), shown.at(50, 50)) << "the later child draws over the earlier";
    EXPECT_EQ(picture.at(5, 5), shown.at(5, 5));
    EXPECT_EQ(picture.at(219, 269), shown.at(219, 269));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), shown.at(230, 10)) << "the picture ends at 220";

    pumpMessages(150);
    EXPECT_GE(countEntries(log, "A refresh"), 1) << "the 50 ms timer refreshes";
    EXPECT_EQ(countEntries(log, "A refresh"), countEntries(log, "B refresh"));
    backdrop->release();
}

TEST(WidgetFrame, SendsClicksToTheTopmostChildUnlessOneIsExclusive)
{
    std::vector<std::string> log;
    CTestWindow parent(0, 0, 100, 100);
    CWidgetFrame frame({0, 0, 100, 100}, parent.handle, nullptr);
    CSkinBitmap* backdrop = new CSkinBitmap(101);
    frame.setBackdrop(backdrop);
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
    EXPECT_EQ((std::vector<std::string>{"B click 25,25", "A click 30,15", "B click 40,40",
                                        "A click 15,30"}),
              log);

    EXPECT_TRUE(frame.setExclusiveChild(a));
    EXPECT_FALSE(frame.setExclusiveChild(b));
    EXPECT_EQ(a, frame.getExclusiveChild());
    log.clear();
    clickAt(frame.getWindow(), 35, 35);
    clickAt(frame.getWindow(), 25, 25);
    frame.onTimer();
    InvalidateRect(frame.getWindow(), nullptr, TRUE);
    UpdateWindow(frame.getWindow());
    EXPECT_EQ((std::vector<std::string>{"A click 25,25", "A refresh", "A paint"}), log);
    const Pixels shown = readWindow(frame.getWindow());
    EXPECT_EQ(RGB(255, 0, 0), shown.at(25, 25));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), shown.at(60, 60))
        << "no backdrop under an exclusive child";

    EXPECT_TRUE(frame.setExclusiveChild(nullptr));
    EXPECT_TRUE(frame.setExclusiveChild(nullptr));
    EXPECT_EQ(nullptr, frame.getExclusiveChild());
    backdrop->release();
}

TEST(WidgetFrame, GrowsItsChildListByTenAndKeepsItWhenGrowthFails)
{
    std::vector<std::string> log;
    CTestWindow parent(0, 0, 50, 50, false);
    CWidgetFrame* frame = new CWidgetFrame({0, 0, 50, 50}, parent.handle, nullptr);
    std::vector<CProbe*> probes;
    for (int i = 0; i < 20; ++i)
    {
        probes.push_back(new CProbe(std::to_string(i).c_str(), {0, 0, 1, 1}, kColorRed, log));
        ASSERT_TRUE(frame->appendChild(probes.back()));
        EXPECT_EQ(i < 10 ? 10 : 20, frame->getChildCapacity());
    }
    EXPECT_EQ(frame, probes[3]->getParent());
    EXPECT_FALSE(frame->appendChild(nullptr));

    CProbe stranger("stranger", {0, 0, 1, 1}, kColorRed, log);
    gRefuseArrays = true;
    EXPECT_FALSE(frame->appendChild(&stranger));
    gRefuseArrays = false;
    EXPECT_EQ(20, frame->getChildCount());
    EXPECT_EQ(20, frame->getChildCapacity());
    EXPECT_EQ(probes[19], frame->getChild(19));
    EXPECT_EQ(nullptr, stranger.getParent());

    EXPECT_TRUE(frame->removeChild(&stranger));
    EXPECT_EQ(20, frame->getChildCount());
    EXPECT_TRUE(frame->removeChild(probes[3]));
    EXPECT_EQ(19, frame->getChildCount());
    EXPECT_EQ(probes[2], frame->getChild(2));
    EXPECT_EQ(probes[4], frame->getChild(3));
    EXPECT_EQ(probes[19], frame->getChild(18));
    EXPECT_TRUE(log.empty()) << "a removed child is not destroyed";

    delete frame;
    EXPECT_EQ(19u, log.size());
    EXPECT_EQ("0 destroy", log.front());
    delete probes[3];
}
