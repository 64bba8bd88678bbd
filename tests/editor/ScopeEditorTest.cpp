// The scope editor with the real effect in a real plug-in window: what the
// host's opcodes, the processed audio and the user's clicks put on screen.

#include "editor/ScopeEditor.h"

#include "editor/CorrelationPointerView.h"
#include "editor/CorrelationRangeView.h"
#include "editor/ScopeView.h"
#include "gui/SwitchButton.h"
#include "plugin/ScopeParams.h"
#include "tests/editor/PluginWindowBench.h"
#include "tests/support/GdiCount.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <set>
#include <string>

namespace
{
const RECT kTop = {0, 0, 220, 56};
const Marks kCentre = {{65, 64}};
const int kFrames = 512;

// Two sines, the right one weaker and behind by a phase, and what the display
// of a fresh effect makes of them, worked out here in single precision.
struct Block
{
    Block(float rightGain, float phase)
    {
        for (int i = 0; i < kFrames; ++i)
        {
            const float angle = 6.2831853f * static_cast<float>(i) / 128.0f + 0.1f;
            left[i] = 0.8f * std::sin(angle);
            right[i] = rightGain * std::sin(angle - phase);
        }
    }
    // Sign agreement; these sines have no zero samples.
    float correlation() const
    {
        int agree = 0;
        for (int i = 0; i < kFrames; ++i)
            agree += (left[i] > 0) == (right[i] > 0);
        return static_cast<float>(agree) / kFrames * 2.0f - 1.0f;
    }
    // Scaled to the louder peak, turned by 45 degrees, mapped onto 131 x 129.
    Marks dots() const
    {
        float peak = 0.0f;
        for (int i = 0; i < kFrames; ++i)
            peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
        const float scale = 1.0f / peak, range = 1.6109737f;
        const float columns = static_cast<float>(130.0 / (2.0 * range));
        const float rows = static_cast<float>(-128.0 / (2.0 * range));
        Marks dots;
        for (int i = 0; i < kFrames; ++i)
        {
            const float l = left[i] * scale, r = right[i] * scale;
            dots.push_back({static_cast<int>(((r - l) * 0.70710677f + range) * columns),
                            static_cast<int>(((r + l) * 0.70710677f + range) * rows + 128.0f)});
        }
        std::sort(dots.begin(), dots.end());
        dots.erase(std::unique(dots.begin(), dots.end()), dots.end());
        return dots;
    }
    float left[kFrames];
    float right[kFrames];
};

int pointerColumn(float correlation)
{
    const float bound = 59.0f / 57.0f;
    return static_cast<int>((correlation + bound) * static_cast<float>(176.0 / (2.0 * bound)));
}

} // namespace

TEST(ScopeEditor, OpensItsPanelInTheListedOrderAndPaintsIt)
{
    PluginWindowBench bench;
    EXPECT_EQ(std::vector<int>({0, 0, 270, 220}), bench.sizeBeforeOpen);
    // On the 1024 x 768 screen, under the toolbar of the centred demo window.
    RECT child, demo;
    GetWindowRect(bench.plug.GetHwnd(), &child);
    GetWindowRect(bench.demo.handle, &demo);
    EXPECT_EQ(std::vector<LONG>({392, 185, 622, 515, 0, 31, 220, 270}),
              std::vector<LONG>({demo.left, demo.top, demo.right, demo.bottom,
                                 child.left - demo.left, child.top - demo.top,
                                 child.right - child.left, child.bottom - child.top}));
    CWidgetFrame* frame = bench.editor->getFrame();
    ASSERT_EQ(5, frame->getChildCount());
    EXPECT_EQ(frame->getChild(1), bench.editor->getMonoButton());
    EXPECT_EQ(frame->getChild(2), bench.editor->getScopeView());
    EXPECT_EQ(frame->getChild(4), bench.editor->getRangeView());
    const std::string fits(62, 'f'), tooLong(63, 'x');
    bench.editor->setCaptionTexts(tooLong.c_str(), fits.c_str(), nullptr);
    EXPECT_EQ("|" + fits + "|Version 1.0", std::string(bench.editor->getCaption(0)) + "|" +
                                               bench.editor->getCaption(1) + "|" +
                                               bench.editor->getCaption(2));

    // The first WM_PAINT: background, the button off, the views at rest.
    const Pixels shown = bench.shown();
    EXPECT_EQ(0, shown.countDifferences(bench.background, kTop));
    EXPECT_EQ(0, shown.countDifferences(bench.background, {0, 250, 220, 270}));
    EXPECT_EQ(0, shown.countDifferences(bench.button, kMono, -88, -231));
    EXPECT_TRUE(bench.band().empty());
    EXPECT_EQ(kCentre, bench.dots());
    EXPECT_EQ(std::make_pair(88, kYellow), bench.pointer());
}

TEST(ScopeEditor, ShowsTheAnalysisOfAProcessedBlockOncePerIdleInterval)
{
    PluginWindowBench bench;
    // Idle's clock, here the test's: every idle below runs at a stated time.
    static std::clock_t now = 1000;
    bench.editor->setIdleClock([] { return now; });
    Block block(0.5f, 0.8f), second(0.7f, 2.2f);
    bench.process(block.left, block.right, kFrames);
    bench.send(effEditIdle);
    bench.tick();
    const float correlation = block.correlation();
    EXPECT_NEAR(0.47f, correlation, 0.01f);
    EXPECT_EQ(block.dots(), bench.dots());
    EXPECT_EQ(std::make_pair(pointerColumn(correlation), kGreen), bench.pointer());
    EXPECT_TRUE(bench.band().empty()) << "a range of one value";

    // A new block, and an idle one interval after the pass: too soon, the
    // block waits.
    bench.process(second.left, second.right, kFrames);
    now += CScopeEditor::kIdleIntervalTicks;
    bench.send(effEditIdle);
    EXPECT_TRUE(bench.editor->displayStore()->isChanged(CScopeParams::kSidePoints));
    // One tick later a control holding the message loop runs idle and the
    // refresh together.
    now += 1;
    bench.editor->doIdle();
    EXPECT_EQ(second.dots(), bench.dots());
    EXPECT_EQ(pointerColumn(correlation - 2 * 0.0512f), bench.pointer().first) << "slew-limited";
    EXPECT_FALSE(bench.band().empty());
    saveSnapshot(bench.shown(), "editor_two_sines");
}

TEST(ScopeEditor, MonoPinsThePointerAndSuspendClearsTheDisplay)
{
    PluginWindowBench bench;
    Block block(0.5f, 0.8f), opposed(0.5f, 2.6f);
    bench.process(block.left, block.right, kFrames);
    bench.idleAndTick();
    bench.process(opposed.left, opposed.right, kFrames);
    bench.idleAndTick();
    ASSERT_FALSE(bench.band().empty());

    bench.click(100, 240);
    EXPECT_EQ(1.0f, bench.effect->getParameter(bench.effect, 0));
    EXPECT_EQ(0, bench.shown().countDifferences(bench.button, kMono, -88, -231 + 19));
    for (int i = 0; i < 2; ++i)
    {
        bench.process(opposed.left, opposed.right, kFrames);
        bench.idleAndTick();
        EXPECT_EQ(std::make_pair(173, kGreen), bench.pointer());
        EXPECT_TRUE(bench.band().empty());
    }
    bench.click(100, 240);
    EXPECT_EQ(0.0f, bench.effect->getParameter(bench.effect, 0));
    bench.process(opposed.left, opposed.right, kFrames);
    bench.idleAndTick();
    const float correlation =
        bench.editor->displayStore()->getValue(CScopeParams::kCorrelation, false);
    EXPECT_LT(correlation, 0.9f);
    EXPECT_EQ(pointerColumn(correlation), bench.pointer().first) << "follows again";
    // A change from the host moves the button on the next idle, not the meter.
    bench.effect->setParameter(bench.effect, 0, 1.0f);
    EXPECT_EQ(0.0f, bench.editor->getMonoButton()->getValue()) << "the caller's thread stores only";
    bench.idleAndTick();
    EXPECT_EQ(1.0f, bench.editor->getMonoButton()->getValue());
    EXPECT_EQ(0.0f, bench.editor->getMonoShown());

    bench.process(block.left, block.right, kFrames);
    bench.idleAndTick();
    ASSERT_FALSE(bench.band().empty());
    // The suspending thread touches no view: all of it waits for idle.
    bench.plug.Suspend();
    bench.tick();
    EXPECT_FALSE(bench.band().empty());
    EXPECT_NE(kCentre, bench.dots());
    bench.idleAndTick();
    EXPECT_TRUE(bench.band().empty());
    EXPECT_EQ(kCentre, bench.dots());
    EXPECT_EQ(std::make_pair(88, kYellow), bench.pointer());
}

TEST(ScopeEditor, CreditsCoverThePanelAndReopeningBuildsAFreshTreeWithMonoOff)
{
    PluginWindowBench bench;
    const Pixels credits = pictureOf(102);
    bench.click(170, 240);
    const Pixels shown = bench.shown();
    EXPECT_TRUE(showsTextLine(shown, credits, {52, 42, 202, 54}, RGB(239, 239, 231)))
        << "the version line";
    saveSnapshot(shown, "editor_credits");
    Block block(0.5f, 0.8f);
    bench.process(block.left, block.right, kFrames);
    bench.idleAndTick();
    EXPECT_EQ(0, bench.shown().countDifferences(credits, {0, 54, 220, 249})) << "still covered";
    bench.click(10, 10);
    EXPECT_EQ(0, bench.shown().countDifferences(bench.background, kTop));
    EXPECT_EQ(block.dots(), bench.dots());

    bench.click(100, 240);
    bench.send(effEditClose);
    EXPECT_EQ(nullptr, bench.editor->getFrame());
    EXPECT_EQ(nullptr, FindWindowExA(bench.plug.GetHwnd(), nullptr, nullptr, "Window"));
    EXPECT_EQ(1, bench.send(effEditOpen, bench.plug.GetHwnd()));
    ASSERT_EQ(5, bench.editor->getFrame()->getChildCount());
    EXPECT_EQ(1.0f, bench.effect->getParameter(bench.effect, 0));
    EXPECT_EQ(0.0f, bench.editor->getMonoButton()->getValue()) << "whatever the effect's Mono";
    // Painted, but before a tick of its timer could hand it the last analysis.
    UpdateWindow(bench.editor->getFrame()->getWindow());
    EXPECT_EQ(0, bench.shown().countDifferences(bench.button, kMono, -88, -231));
    EXPECT_EQ(kCentre, bench.dots()) << "a fresh view";
}

TEST(ScopeEditor, IdleTicksWithNothingNewDrawNothingAndEachPublicationIsDrawnOnce)
{
    PluginWindowBench bench;
    Block block(0.5f, 0.8f);
    bench.process(block.left, block.right, kFrames);
    bench.idleAndTick();
    bench.plug.Suspend();
    bench.idleAndTick();
    ASSERT_EQ(kCentre, bench.dots()) << "the suspend is shown";

    // Paint over the views: a redraw, needed or not, would show.
    auto smearViews = [&]
    {
        for (const RECT& view : {kScope, kPointer, kRange})
            bench.smear(view);
        return bench.shown();
    };
    const RECT whole = {0, 0, 220, 270};
    Pixels smeared = smearViews();
    for (int i = 0; i < 20; ++i)
    {
        Sleep(30);
        bench.idleAndTick();
    }
    EXPECT_EQ(0, bench.shown().countDifferences(smeared, whole)) << "a second of idle ticks drew";

    bench.process(block.left, block.right, kFrames);
    bench.idleAndTick();
    EXPECT_EQ(block.dots(), bench.dots()) << "a new analysis is drawn";
    smeared = smearViews();
    bench.idleAndTick();
    EXPECT_EQ(0, bench.shown().countDifferences(smeared, whole)) << "and only once";
}

TEST(ScopeEditor, DrawsTheSamePixelsAsEver)
{
    PluginWindowBench bench;
    Block block(0.5f, 0.8f);
    bench.process(block.left, block.right, kFrames);
    bench.idleAndTick();
    // The bar in all three colours and a red pointer, set on the views.
    for (float value : {-0.5f, 0.5f})
        bench.editor->getRangeView()->setCorrelation(value);
    bench.editor->getPointerView()->setCorrelation(-0.6f);
    bench.tick();
    EXPECT_TRUE(matchesReference(bench.shown(), "editor_meters"));

    bench.click(100, 240);
    bench.process(block.left, block.right, kFrames);
    bench.idleAndTick();
    EXPECT_TRUE(matchesReference(bench.shown(), "editor_mono"));
}

TEST(ScopeEditor, FramesCreateNoGdiObjectAndIdleTicksTakeNoContext)
{
    PluginWindowBench bench;
    Block block(0.5f, 0.8f), opposed(0.5f, 2.6f);
    bench.process(block.left, block.right, kFrames);
    bench.idleAndTick();

    // A second of the real timers with nothing new.
    const GdiCount before = gdiCount();
    pumpMessages(1000);
    const GdiCount idle = gdiCount();
    EXPECT_EQ(0, idle.objectsCreated - before.objectsCreated);
    EXPECT_EQ(0, idle.contextsTaken - before.contextsTaken);

    // Frames with new dots, a moving pointer and a growing range.
    long created = 0;
    for (int i = 0; i < 10; ++i)
    {
        Block& next = i % 2 ? block : opposed;
        bench.process(next.left, next.right, kFrames);
        const long made = gdiCount().objectsCreated;
        bench.idleAndTick();
        created += gdiCount().objectsCreated - made;
        EXPECT_EQ(next.dots(), bench.dots());
    }
    EXPECT_FALSE(bench.band().empty());
    EXPECT_EQ(0, created) << "per frame";
}

TEST(ScopeEditor, AtTwiceTheSizeDrawsEachPartWhereTheScaledLayoutPutsIt)
{
    PluginWindowBench bench(200);
    EXPECT_EQ(std::vector<int>({0, 0, 540, 440}), bench.sizeBeforeOpen);
    EXPECT_EQ(0, bench.shown().countDifferences(bench.background, bench.at(kTop)));
    // Each dot a square of two: mono on the M axis, anti-phase on the S axis.
    auto spread = [&](Block block, bool columns)
    {
        bench.process(block.left, block.right, kFrames);
        bench.idleAndTick();
        std::set<int> found;
        for (const auto& mark : bench.dots())
            found.insert(columns ? mark.first : mark.second);
        return found;
    };
    EXPECT_EQ(std::set<int>({130, 131}), spread(Block(0.8f, 0.0f), true));
    EXPECT_EQ(std::set<int>({128, 129}), spread(Block(0.8f, 3.1415927f), false));

    // The pointer's colour zones, its middle at the middle of the strip.
    const struct
    {
        float value;
        int column;
        COLORREF colour;
    } zones[] = {{-0.6f, 74, kRed}, {0.0f, 176, kYellow}, {0.6f, 278, kGreen}};
    for (const auto& zone : zones)
    {
        bench.editor->getPointerView()->setCorrelation(zone.value);
        bench.tick();
        EXPECT_EQ(std::make_pair(zone.column, zone.colour), bench.pointer()) << zone.value;
    }

    bench.click(100, 240);
    EXPECT_EQ(1.0f, bench.effect->getParameter(bench.effect, 0));
    EXPECT_EQ(0, bench.shown().countDifferences(bench.button, bench.at(kMono), -176, -462 + 38));
    bench.click(170, 240);
    EXPECT_TRUE(showsTextLine(bench.shown(), pictureOf(302), bench.at({52, 42, 202, 54}),
                              RGB(239, 239, 231)))
        << "the version line";
}

TEST(ScopeEditor, WithBandsItsHistoryMovesWhileSoundPlaysAndStopsWhenItStops)
{
    CRegistryValue choice(kZoomKey, "Bands");
    choice.set(1);
    PluginWindowBench bench;
    EXPECT_EQ(std::vector<int>({0, 0, 318, 220}), bench.sizeBeforeOpen);
    ASSERT_NE(nullptr, bench.editor->getBandsView());
    const Pixels strip = pictureOf(115);
    const RECT history = {106, 276, 208, 308};
    // The history's columns that show a mark, and the colour of the newest.
    auto drawn = [&]
    {
        const Pixels now = bench.shown();
        std::set<int> columns;
        for (int y = history.top; y < history.bottom; ++y)
            for (int x = history.left; x < history.right; ++x)
                if (now.at(x, y) != strip.at(x, y - 270))
                    columns.insert(x);
        return std::make_pair(static_cast<int>(columns.size()),
                              now.at(history.right - 1, history.top + 5));
    };
    EXPECT_EQ(0, drawn().first) << "nothing played yet";
    std::vector<int> counts;
    for (int b = 0; b < 40; ++b)
    {
        Block block(0.8f, 0.0f);
        bench.process(block.left, block.right, kFrames);
        bench.idleAndTick();
        counts.push_back(drawn().first);
    }
    EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end()));
    EXPECT_GE(counts.back(), 4) << "a column for every 8.4 blocks";
    EXPECT_EQ(kGreen, drawn().second) << "in phase";
    for (int b = 0; b < 40; ++b)
    {
        Block block(0.8f, 3.1415927f);
        bench.process(block.left, block.right, kFrames);
        bench.idleAndTick();
    }
    EXPECT_GT(drawn().first, counts.back());
    const Pixels now = bench.shown();
    EXPECT_EQ(kRed, now.at(history.right - 1, history.bottom - 3)) << "in anti-phase";
    // Silence of the host: idle passes move nothing.
    const Pixels before = bench.shown();
    for (int i = 0; i < 5; ++i)
        bench.idleAndTick();
    EXPECT_EQ(0, bench.shown().countDifferences(before, {0, 0, before.width, before.height}));
}
