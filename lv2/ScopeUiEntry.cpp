// The UI's binary: the panel as an X11 UI, whose descriptor hosts find
// through lv2ui_descriptor, the one symbol it exports.

#include <cstring>

#include <lv2/ui/ui.h>

#include "lv2/ScopePorts.h"
#include "lv2/ScopeUi.h"

namespace
{
CScopeUi* ui(LV2UI_Handle handle)
{
    return static_cast<CScopeUi*>(handle);
}

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char* /*bundle*/,
                         LV2UI_Write_Function write, LV2UI_Controller controller,
                         LV2UI_Widget* widget, const LV2_Feature* const* features)
{
    if (!pluginUri || std::strcmp(pluginUri, ZW_LV2_URI) != 0 || !write || !widget)
        return nullptr;
    CScopeUi* created = CScopeUi::create(write, controller, features);
    if (created)
        *widget = reinterpret_cast<LV2UI_Widget>(static_cast<uintptr_t>(created->getWindow()));
    return created;
}

void cleanup(LV2UI_Handle handle)
{
    delete ui(handle);
}

void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format,
               const void* buffer)
{
    ui(handle)->portEvent(port, size, format, buffer);
}

int idle(LV2UI_Handle handle)
{
    return ui(handle)->idle();
}

int show(LV2UI_Handle handle)
{
    return ui(handle)->show();
}

int hide(LV2UI_Handle handle)
{
    return ui(handle)->hide();
}

const LV2UI_Idle_Interface kIdle = {idle};
const LV2UI_Show_Interface kShow = {show, hide};

const void* extensionData(const char* uri)
{
    if (std::strcmp(uri, LV2_UI__idleInterface) == 0)
        return &kIdle;
    if (std::strcmp(uri, LV2_UI__showInterface) == 0)
        return &kShow;
    return nullptr;
}

const LV2UI_Descriptor kDescriptor = {ZW_LV2_UI_URI, instantiate, cleanup, portEvent,
                                      extensionData};
} // namespace

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}
