#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>
#include <memory>
#include <vector>

#include "editor/CaptionEditor.h"
#include "gui/ValueListener.h"
#include "plugin/CorrelationHistory.h"
#include "plugin/ScopeDisplay.h"
#include "plugin/ScopeParams.h"
#include "resources/ResourceIds.h"

class CBandsView;
class CCaptionedPopupPicture;
class CCorrelationPointerView;
class CCorrelationRangeView;
class CScopeParams;
class CScopeView;
class CSkinBitmapSet;
class CSwitchButton;

// The scope effect's panel: goniometer, correlation pointer and range bar,
// the MONO switch and the credits behind the logo; when chosen, the band
// meters and the correlation history below. The engine publishes its
// results into the editor's own store; idle hands them to the views, which
// draw on the frame's next timer tick.
class CScopeEditor : public CCaptionEditor, public CValueListener, public CScopeDisplay
{
  public:
    // Ids of the editor's pictures, loaded once for the editor's lifetime.
    static constexpr int32_t kBackgroundId = IDB_EDITOR_BACKGROUND;
    static constexpr int32_t kCreditsId = IDB_CREDITS;
    static constexpr int32_t kMonoButtonId = IDB_MONO_BUTTON;
    static constexpr int32_t kScopeId = IDB_SCOPE_BACKGROUND;
    static constexpr int32_t kPointerStripId = IDB_POINTER_STRIP;
    static constexpr int32_t kRangeBarId = IDB_RANGE_BAR;
    static constexpr int32_t kBandsId = IDB_BANDS_BACKGROUND;
    // The menu's line for the bands; the sizes' lines carry their percent.
    static constexpr int32_t kBandsCommand = 1;
    // The editor loads the run from its background to the play button.
    static constexpr int32_t kFirstBitmapId = IDB_EDITOR_BACKGROUND;
    static constexpr int32_t kBitmapCount = IDB_BUTTON_PLAY - IDB_EDITOR_BACKGROUND + 1;

    static constexpr int32_t kCreditsTag = 0;
    static constexpr int32_t kMonoTag = 1;
    // Idle does at most one pass in this many clock ticks plus one.
    static constexpr long kIdleIntervalTicks = 16;
    // What idle reads the time from: std::clock, or a test's own.
    using IdleClock = std::clock_t (*)();

    explicit CScopeEditor(CPluginBase* owner);
    ~CScopeEditor() override;

    // The factory the program and the DLL hand the effect: a new editor,
    // registered with the effect, or null.
    static CScopeDisplay* make(CPluginBase* effect);

    // The size the editor opens at: the remembered choice, else the
    // screen's DPI; read when the editor is closed.
    int32_t getRect(ERect** rect) override;
    int32_t open(void* parentWindow) override;
    void close() override;
    void idle() override;
    void setParameter(int32_t index, float value) override;
    float getControlValue(CValueWidget* control) override;
    virtual float getParameterNormalized(int32_t index);
    void writeParameterBlock(int32_t index, const void* source, int32_t length,
                             int32_t offset) override;
    // From any thread, as setParameter: the next idle clears the range bar.
    void resetDisplay() override;

    void onValueChanged(CPaintPort& port, CValueWidget* control) override;
    CParamStore* displayStore() override;
    // Outside the MONO switch and the range bar, the menu of sizes and of
    // the bands.
    bool onContextClick(PortPoint where) override;
    // Remembers the size and, while open, asks the host to fit it and
    // rebuilds the panel at it; a host that refuses sees it on the next open.
    void chooseZoom(int32_t percent);
    // The same for showing the bands and the history, or not.
    void chooseBands(bool shown);
    // The window went to a screen of that DPI: unless a size was chosen, the
    // panel follows it as a choice would, without remembering it.
    void onDpiChanged(int32_t dpi) override;
    int32_t getZoom() const { return zoom; }
    bool showsBands() const { return bands; }
    // The pace starts afresh on the new clock.
    void setIdleClock(IdleClock clock)
    {
        idleClock = clock;
        lastIdleRun = 0;
    }

    CCaptionedPopupPicture* getCaptionPopup() const { return captionPopup; }
    CSwitchButton* getMonoButton() const { return monoButton; }
    CScopeView* getScopeView() const { return scopeView; }
    CCorrelationPointerView* getPointerView() const { return pointerView; }
    CCorrelationRangeView* getRangeView() const { return rangeView; }
    CBandsView* getBandsView() const { return bandsView; }
    const CCorrelationHistory& getHistory() const { return history; }
    float getMonoShown() const { return monoShown; }

  private:
    // The frame owns what it holds; a widget it cannot take is dropped.
    template <typename Widget> Widget* adopt(std::unique_ptr<Widget> widget);
    // Reads the size once per open; the window's DPI counts when there is one.
    void settleZoom(void* window);
    // Loads the pictures drawn for that size and reports it.
    void useZoom(int32_t percent);
    // Asks the host to fit the panel at that size, with the bands or
    // without, and rebuilds it so.
    void resizeTo(int32_t percent, bool withBands);
    void dropTree();
    // Tells the engine, through the store, whether to read the bands; a
    // history that starts afresh asks anew.
    void askForBands(bool wanted);
    // Moves the blocks the engine left since the last look into the history.
    void takeRecent();

    std::unique_ptr<CScopeParams> store;
    CCaptionedPopupPicture* captionPopup;
    std::unique_ptr<CSkinBitmapSet> bitmaps;
    // The size the pictures are loaded for, whether it was read since the
    // last close, and a choice that could not be stored.
    int32_t zoom;
    bool zoomKnown;
    int32_t unsavedZoom;
    // Whether the strip of bands and history is shown, and a choice of it
    // that could not be stored (-1: none).
    bool bands;
    int32_t unsavedBands;
    std::unique_ptr<CSkinBitmapSet> bandsBitmap;
    CSwitchButton* monoButton;
    CScopeView* scopeView;
    CCorrelationPointerView* pointerView;
    CCorrelationRangeView* rangeView;
    CBandsView* bandsView;
    float monoShown;
    // The MONO value the views were last given data for.
    float monoHandedOver;
    // Set by setParameter and resetDisplay on the caller's thread, taken by
    // idle.
    std::atomic<bool> monoArrived;
    std::atomic<bool> resetArrived;
    std::vector<float> xPoints;
    std::vector<float> yPoints;
    // The history shown, fed from the engine's latest blocks: the request
    // they answer (0 while none is made), the count of them seen last, and
    // the copy idle reads them into.
    CCorrelationHistory history;
    uint32_t bandsRequest;
    uint32_t lastRequest;
    uint32_t recentSeen;
    std::unique_ptr<RecentBlocks> recent;
    // Each editor keeps its own pace: several may run in one host.
    std::clock_t lastIdleRun;
    IdleClock idleClock;
};
