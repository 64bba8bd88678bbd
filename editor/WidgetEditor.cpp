#include "editor/WidgetEditor.h"

#include "gui/WidgetFrame.h"
#include "plugin/PluginBase.h"

CWidgetEditor::CWidgetEditor(CPluginBase* owner)
    : CEditorBase(owner), size(), frame(), controlIdle(0)
{
}

CWidgetEditor::~CWidgetEditor() = default;

int32_t CWidgetEditor::getRect(ERect** rect)
{
    if (!rect)
        return 0;
    *rect = &size;
    return 1;
}

int32_t CWidgetEditor::open(void* parent)
{
    requestRedraw();
    CEditorBase::open(parent);
    return 0;
}

void CWidgetEditor::idle()
{
    CEditorBase::idle();
    // The frame's timer is starved while a control holds the message loop.
    if (controlIdle && frame)
        frame->onTimer();
}

void CWidgetEditor::setParameter(int32_t /*index*/, float /*value*/)
{
    requestRedraw();
}

void CWidgetEditor::doIdle()
{
    controlIdle = 1;
    idle();
    if (effect)
        effect->callHostIdle();
    controlIdle = 0;
}

void CWidgetEditor::onFrameTimer()
{
    idle();
}
