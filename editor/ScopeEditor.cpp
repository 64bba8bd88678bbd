#include "editor/ScopeEditor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <new>

#include "Version.h"
#include "editor/BandsView.h"
#include "editor/CorrelationPointerView.h"
#include "editor/CorrelationRangeView.h"
#include "editor/EditorLayout.h"
#include "editor/ScopeView.h"
#include "editor/SkinBitmapSet.h"
#include "editor/ZoomSetting.h"
#include "gui/CaptionedPopupPicture.h"
#include "gui/SwitchButton.h"
#include "gui/WidgetFrame.h"
#include "plugin/PluginBase.h"
#include "plugin/ScopeParams.h"

namespace
{
const char kVersionLine[] = "Version " ZW_VERSION_SHORT;
const int32_t kCaptionPixels = 10;
} // namespace

CScopeEditor::CScopeEditor(CPluginBase* owner)
    : CCaptionEditor(owner), store(std::make_unique<CScopeParams>()), captionPopup(nullptr),
      bitmaps(), zoom(0), zoomKnown(false), unsavedZoom(0), bands(false), unsavedBands(-1),
      bandsBitmap(), monoButton(nullptr), scopeView(nullptr), pointerView(nullptr),
      rangeView(nullptr), bandsView(nullptr), monoShown(0.0f), monoHandedOver(0.0f),
      monoArrived(false), resetArrived(false), xPoints(CScopeParams::kNumPoints),
      yPoints(CScopeParams::kNumPoints), history(), bandsRequest(0), lastRequest(0), recentSeen(0),
      recent(std::make_unique<RecentBlocks>()), lastIdleRun(0), idleClock(&std::clock)
{
    // No registry here: hosts create effects on any thread.
    useZoom(CZoomSetting::kDefault);
}

void CScopeEditor::useZoom(int32_t percent)
{
    if (!bitmaps || percent != zoom)
    {
        bitmaps = std::make_unique<CSkinBitmapSet>(CZoomSetting::pictureId(kFirstBitmapId, percent),
                                                   kBitmapCount);
        bandsBitmap =
            std::make_unique<CSkinBitmapSet>(CZoomSetting::pictureId(kBandsId, percent), 1);
        zoom = percent;
    }
    const int32_t background = CZoomSetting::pictureId(kBackgroundId, zoom);
    const int32_t strip =
        bands ? bandsBitmap->heightOf(CZoomSetting::pictureId(kBandsId, zoom)) : 0;
    size.top = 0;
    size.left = 0;
    size.bottom = static_cast<int16_t>(bitmaps->heightOf(background) + strip);
    size.right = static_cast<int16_t>(bitmaps->widthOf(background));
}

void CScopeEditor::settleZoom(void* window)
{
    if (zoomKnown)
        return;
    bands = unsavedBands >= 0 ? unsavedBands != 0 : CZoomSetting::bandsRemembered();
    useZoom(unsavedZoom ? unsavedZoom : CZoomSetting::current(static_cast<HWND>(window)));
    zoomKnown = true;
}

int32_t CScopeEditor::getRect(ERect** rect)
{
    if (!frame)
        settleZoom(nullptr);
    return CWidgetEditor::getRect(rect);
}

CScopeDisplay* CScopeEditor::make(CPluginBase* effect)
{
    return new (std::nothrow) CScopeEditor(effect);
}

CScopeEditor::~CScopeEditor()
{
    // The frame's widgets report to this editor and draw the set's pictures.
    close();
}

template <typename Widget> Widget* CScopeEditor::adopt(std::unique_ptr<Widget> widget)
{
    if (!frame->appendChild(widget.get()))
        return nullptr;
    return widget.release();
}

int32_t CScopeEditor::open(void* parentWindow)
{
    // A second open without a close would leave the first tree behind.
    dropTree();
    CWidgetEditor::open(parentWindow);
    settleZoom(parentWindow);

    // Every place is the 100 % layout's, scaled; every picture the one drawn
    // for the size.
    const int32_t z = zoom;
    auto picture = [&](int32_t id) { return bitmaps->bitmapFor(CZoomSetting::pictureId(id, z)); };
    auto widthOf = [&](int32_t id) { return bitmaps->widthOf(CZoomSetting::pictureId(id, z)); };
    auto heightOf = [&](int32_t id) { return bitmaps->heightOf(CZoomSetting::pictureId(id, z)); };
    auto place = [&](const PortRect& rect) { return CZoomSetting::scaled(rect, z); };

    frame = std::make_unique<CWidgetFrame>(PortRect{0, 0, size.right, size.bottom},
                                           static_cast<HWND>(parentWindow), this);
    frame->setBackdrop(picture(kBackgroundId));
    CZoomSetting::tag(frame->getWindow(), z);

    const PortRect creditsArea = {0, 0, widthOf(kCreditsId), heightOf(kCreditsId)};
    captionPopup = adopt(std::make_unique<CCaptionedPopupPicture>(place(kCreditsClickArea), this,
                                                                  kCreditsTag, picture(kCreditsId),
                                                                  creditsArea, PortPoint{0, 0}));
    setCaptionTexts("", "", kVersionLine);
    if (captionPopup)
    {
        captionPopup->setCaptions(captions[0], captions[1], captions[2], place(kFirstCaptionArea),
                                  place(kSecondCaptionArea), place(kVersionLineArea));
        captionPopup->setCaptionSize(CZoomSetting::scaled(kCaptionPixels, z));
    }

    // The button's picture holds its two states one above the other.
    const PortRect monoArea = monoButtonArea(z, widthOf(kMonoButtonId), heightOf(kMonoButtonId));
    monoButton =
        adopt(std::make_unique<CSwitchButton>(monoArea, this, kMonoTag, picture(kMonoButtonId)));
    if (monoButton)
        monoButton->setValue(getControlValue(monoButton));

    scopeView = adopt(std::make_unique<CScopeView>(place(kScopeArea), CScopeParams::kNumPoints,
                                                   picture(kScopeId), scopeDotSize(z)));
    pointerView = adopt(std::make_unique<CCorrelationPointerView>(
        place(kPointerArea), picture(kPointerStripId), pointerHalfBase(z)));
    rangeView =
        adopt(std::make_unique<CCorrelationRangeView>(place(kRangeArea), picture(kRangeBarId)));
    askForBands(bands);
    if (bands)
    {
        bandsView = adopt(std::make_unique<CBandsView>(
            z, bandsBitmap->bitmapFor(CZoomSetting::pictureId(kBandsId, z))));
        if (bandsView)
            bandsView->setHistory(history);
    }

    // A fresh tree starts with MONO as the control's default; only changes
    // that arrive from now on move it.
    monoArrived = false;
    store->markAllChanged();
    requestRedraw();
    return 1;
}

void CScopeEditor::dropTree()
{
    if (frame)
        CZoomSetting::tag(frame->getWindow(), 0);
    frame.reset();
    captionPopup = nullptr;
    monoButton = nullptr;
    scopeView = nullptr;
    pointerView = nullptr;
    rangeView = nullptr;
    bandsView = nullptr;
}

void CScopeEditor::close()
{
    dropTree();
    askForBands(false);
    // The next open reads the size again: another instance may have chosen.
    // What played while closed was not kept, so the history starts over.
    zoomKnown = false;
}

void CScopeEditor::askForBands(bool wanted)
{
    // A rebuilt panel that showed them goes on with the same history.
    if (wanted && bandsRequest)
        return;
    if (wanted)
    {
        lastRequest = lastRequest % CScopeParams::kMostRequests + 1;
        history.clear();
        recentSeen = 0;
    }
    bandsRequest = wanted ? lastRequest : 0;
    store->setValue(CScopeParams::kBandsShown, static_cast<float>(bandsRequest));
}

bool CScopeEditor::onContextClick(PortPoint where)
{
    if (!frame || (monoButton && monoButton->contains(where)) ||
        (rangeView && rangeView->contains(where)))
        return false;
    HMENU menu = CreatePopupMenu();
    if (!menu)
        return false;
    for (int32_t percent : CZoomSetting::kSizes)
    {
        char label[16];
        std::snprintf(label, sizeof(label), "%d %%", static_cast<int>(percent));
        AppendMenuA(menu, MF_STRING | (percent == zoom ? MF_CHECKED : MF_UNCHECKED),
                    static_cast<UINT_PTR>(percent), label);
    }
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING | (bands ? MF_CHECKED : MF_UNCHECKED), kBandsCommand,
                "Bands and history");
    HWND window = frame->getWindow();
    POINT at = {where.x, where.y};
    ClientToScreen(window, &at);
    const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x,
                                      at.y, 0, window, nullptr);
    DestroyMenu(menu);
    if (chosen == kBandsCommand)
        chooseBands(!bands);
    else if (chosen)
        chooseZoom(chosen);
    return true;
}

void CScopeEditor::chooseZoom(int32_t percent)
{
    if (!CZoomSetting::isSize(percent))
        return;
    unsavedZoom = CZoomSetting::remember(percent) ? 0 : percent;
    if (!frame)
    {
        zoomKnown = false;
        return;
    }
    resizeTo(percent, bands);
}

void CScopeEditor::chooseBands(bool shown)
{
    unsavedBands = CZoomSetting::rememberBands(shown) ? -1 : (shown ? 1 : 0);
    if (!frame)
    {
        zoomKnown = false;
        return;
    }
    resizeTo(zoom, shown);
}

void CScopeEditor::onDpiChanged(int32_t dpi)
{
    // A size the user chose stays whatever screen the window moves to.
    if (frame && dpi > 0 && !unsavedZoom && !CZoomSetting::remembered())
        resizeTo(CZoomSetting::forDpi(dpi), bands);
}

void CScopeEditor::resizeTo(int32_t percent, bool withBands)
{
    if (percent == zoom && withBands == bands)
        return;
    const PortRect panel = panelArea(percent, withBands);
    // The host draws around the panel at the size its window carries, so
    // while it is asked the window carries the new one. A host that cannot
    // fit its window keeps this panel until the next open, which reads the
    // size again.
    HWND window = frame->getWindow();
    CZoomSetting::tag(window, percent);
    if (!effect || !effect->askHostToResize(panel.right, panel.bottom))
    {
        CZoomSetting::tag(window, zoom);
        return;
    }
    // The new panel shows what the old one did: the switch's state and the
    // last analysis.
    const float mono = monoButton ? monoButton->getValue() : 0.0f;
    void* parent = parentWindow;
    if (!withBands)
        askForBands(false);
    bands = withBands;
    useZoom(percent);
    open(parent);
    if (monoButton)
        monoButton->setValue(mono);
}

void CScopeEditor::idle()
{
    const std::clock_t now = idleClock();
    if (now <= lastIdleRun + kIdleIntervalTicks)
        return;
    lastIdleRun = now;

    // A Mono value set from any thread reaches the button here, on the
    // editor's own thread.
    if (monoArrived.exchange(false) && monoButton)
        monoButton->setValue(store->getNormalized(CScopeParams::kMono, false));

    float correlation;
    bool published;
    {
        // Points and correlation of one and the same publication.
        std::lock_guard<CParamStore> batch(*store);
        published = store->isChanged(CScopeParams::kSidePoints) ||
                    store->isChanged(CScopeParams::kMidPoints) ||
                    store->isChanged(CScopeParams::kCorrelation);
        if (published)
        {
            store->readBlock(CScopeParams::kSidePoints, xPoints.data(),
                             CScopeParams::kPointBlockBytes, 0);
            store->readBlock(CScopeParams::kMidPoints, yPoints.data(),
                             CScopeParams::kPointBlockBytes, 0);
        }
        correlation = store->getValue(CScopeParams::kCorrelation, true);
    }
    if (bandsView)
        takeRecent();
    const bool reset = resetArrived.exchange(false);
    // Nothing new to show (no analysis published, no suspend, MONO as it
    // was): the views are left alone, so the next tick draws nothing.
    if (!published && !reset && monoShown == monoHandedOver)
    {
        CWidgetEditor::idle();
        return;
    }
    monoHandedOver = monoShown;
    if (scopeView)
        scopeView->setPoints(xPoints.data(), yPoints.data());
    // While MONO is on, the meter shows the summed signal's correlation.
    if (pointerView)
        pointerView->setCorrelation(monoShown != 0.0f ? 1.0f : correlation);
    if (rangeView)
    {
        if (reset || monoShown != 0.0f)
            rangeView->resetRange();
        if (monoShown == 0.0f)
            rangeView->setCorrelation(correlation);
    }
    CWidgetEditor::idle();
}

void CScopeEditor::takeRecent()
{
    float values[CBandsStrip::kMeterCount];
    bool fresh;
    {
        std::lock_guard<CParamStore> batch(*store);
        fresh = store->isChanged(CScopeParams::kRecentValues);
        if (fresh)
            store->readBlock(CScopeParams::kRecentValues, recent.get(), CScopeParams::kRecentBytes,
                             0);
        values[0] = store->getValue(CScopeParams::kLowBand, true);
        values[1] = store->getValue(CScopeParams::kMidBand, true);
        values[2] = store->getValue(CScopeParams::kHighBand, true);
    }
    bandsView->setBands(values);
    const RecentBlocks& latest = *recent;
    // Blocks of an earlier request belong to another time.
    if (!fresh || latest.request != bandsRequest || !bandsRequest)
        return;
    if (latest.sampleRate > 0.0f && latest.sampleRate != history.getSampleRate())
        history.setSampleRate(latest.sampleRate);
    constexpr uint32_t kept = RecentBlocks::kRecentBlocks;
    const uint32_t arrived = latest.count - recentSeen;
    recentSeen = latest.count;
    // Blocks beyond what the engine keeps passed unseen: their time shows empty.
    if (arrived > kept)
        history.push(NAN, arrived - kept);
    for (uint32_t n = latest.count - std::min(arrived, kept); n != latest.count; ++n)
        history.push(latest.values[n % kept]);
    bandsView->setHistory(history);
}

void CScopeEditor::setParameter(int32_t index, float value)
{
    // Hosts call this from any thread, their audio thread too, so it only
    // stores: the next idle moves the button from the editor's thread.
    store->setNormalized(index, value);
    if (index == CScopeParams::kMono)
        monoArrived = true;
    requestRedraw();
}

float CScopeEditor::getControlValue(CValueWidget* control)
{
    if (control && control->getTag() == kMonoTag)
        return store->getDefaultValue(CScopeParams::kMono);
    return 0.0f;
}

float CScopeEditor::getParameterNormalized(int32_t index)
{
    return store->getNormalized(index, true);
}

void CScopeEditor::writeParameterBlock(int32_t index, const void* source, int32_t length,
                                       int32_t offset)
{
    store->writeBlock(index, source, length, offset);
}

void CScopeEditor::resetDisplay()
{
    // Hosts suspend from any thread, while the GUI thread may be painting.
    resetArrived = true;
    requestRedraw();
}

void CScopeEditor::onValueChanged(CPaintPort& port, CValueWidget* control)
{
    if (!control || !effect)
        return;
    if (control->getTag() == kMonoTag)
    {
        const float value = control->getValue();
        monoShown = value;
        // The effect mirrors the new value back through setParameter.
        effect->setParameterAndNotify(CScopeParams::kMono, value);
    }
    control->refresh(port);
}

CParamStore* CScopeEditor::displayStore()
{
    return store.get();
}
