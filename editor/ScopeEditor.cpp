#include "editor/ScopeEditor.h"

#include <ctime>
#include <mutex>
#include <new>

#include "Version.h"
#include "editor/CorrelationPointerView.h"
#include "editor/CorrelationRangeView.h"
#include "editor/EditorLayout.h"
#include "editor/ScopeView.h"
#include "editor/SkinBitmapSet.h"
#include "gui/CaptionedPopupPicture.h"
#include "gui/SwitchButton.h"
#include "gui/WidgetFrame.h"
#include "plugin/PluginBase.h"
#include "plugin/ScopeParams.h"

namespace
{
const char kVersionLine[] = "Version " ZW_VERSION_SHORT;
} // namespace

CScopeEditor::CScopeEditor(CPluginBase* owner)
    : CCaptionEditor(owner), store(std::make_unique<CScopeParams>()), captionPopup(nullptr),
      bitmaps(std::make_unique<CSkinBitmapSet>(kFirstBitmapId, kBitmapCount)), monoButton(nullptr),
      scopeView(nullptr), pointerView(nullptr), rangeView(nullptr), monoShown(0.0f),
      monoHandedOver(0.0f), monoArrived(false), xPoints(CScopeParams::kNumPoints),
      yPoints(CScopeParams::kNumPoints), lastIdleRun(0)
{
    size.top = 0;
    size.left = 0;
    size.bottom = static_cast<int16_t>(bitmaps->heightOf(kBackgroundId));
    size.right = static_cast<int16_t>(bitmaps->widthOf(kBackgroundId));
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
    close();
    CWidgetEditor::open(parentWindow);

    const int32_t width = bitmaps->widthOf(kBackgroundId);
    const int32_t height = bitmaps->heightOf(kBackgroundId);
    frame = std::make_unique<CWidgetFrame>(PortRect{0, 0, width, height},
                                           static_cast<HWND>(parentWindow), this);
    frame->setBackdrop(bitmaps->bitmapFor(kBackgroundId));

    const PortRect creditsArea = {0, 0, bitmaps->widthOf(kCreditsId),
                                  bitmaps->heightOf(kCreditsId)};
    captionPopup = adopt(std::make_unique<CCaptionedPopupPicture>(
        kCreditsClickArea, this, kCreditsTag, bitmaps->bitmapFor(kCreditsId), creditsArea,
        PortPoint{0, 0}));
    setCaptionTexts("", "", kVersionLine);
    if (captionPopup)
        captionPopup->setCaptions(captions[0], captions[1], captions[2], kFirstCaptionArea,
                                  kSecondCaptionArea, kVersionLineArea);

    // The button's picture holds its two states one above the other.
    const PortRect monoArea = {kMonoButtonArea.left, kMonoButtonArea.top,
                               kMonoButtonArea.left + bitmaps->widthOf(kMonoButtonId),
                               kMonoButtonArea.top + bitmaps->heightOf(kMonoButtonId) / 2};
    monoButton = adopt(std::make_unique<CSwitchButton>(monoArea, this, kMonoTag,
                                                       bitmaps->bitmapFor(kMonoButtonId)));
    if (monoButton)
        monoButton->setValue(getControlValue(monoButton));

    scopeView = adopt(std::make_unique<CScopeView>(kScopeArea, CScopeParams::kNumPoints,
                                                   bitmaps->bitmapFor(kScopeId)));
    pointerView = adopt(std::make_unique<CCorrelationPointerView>(
        kPointerArea, bitmaps->bitmapFor(kPointerStripId)));
    rangeView =
        adopt(std::make_unique<CCorrelationRangeView>(kRangeArea, bitmaps->bitmapFor(kRangeBarId)));

    // A fresh tree starts with MONO as the control's default; only changes
    // that arrive from now on move it.
    monoArrived = false;
    store->markAllChanged();
    requestRedraw();
    return 1;
}

void CScopeEditor::close()
{
    frame.reset();
    captionPopup = nullptr;
    monoButton = nullptr;
    scopeView = nullptr;
    pointerView = nullptr;
    rangeView = nullptr;
}

void CScopeEditor::idle()
{
    const std::clock_t now = std::clock();
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
    // Nothing new to show (no analysis published, no suspend, MONO as it
    // was): the views are left alone, so the next tick draws nothing.
    if (!published && monoShown == monoHandedOver)
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
        if (monoShown != 0.0f)
            rangeView->resetRange();
        else
            rangeView->setCorrelation(correlation);
    }
    CWidgetEditor::idle();
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
    if (rangeView)
        rangeView->resetRange();
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
