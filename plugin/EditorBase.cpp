#include "plugin/EditorBase.h"

#include "plugin/PluginBase.h"

CEditorBase::CEditorBase(CPluginBase* owner)
    : effect(owner), parentWindow(nullptr), redrawPending(0)
{
    if (effect)
        effect->registerEditor(this);
}

CEditorBase::~CEditorBase() = default;

int32_t CEditorBase::getRect(ERect** /*rect*/)
{
    return 0;
}

int32_t CEditorBase::open(void* parent)
{
    parentWindow = parent;
    return 0;
}

void CEditorBase::close() {}

void CEditorBase::idle()
{
    if (redrawPending.exchange(0))
        onRedrawRequest();
}

void CEditorBase::onRedrawRequest() {}

void CEditorBase::requestRedraw()
{
    redrawPending = 1;
}
