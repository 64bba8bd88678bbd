#include "host/PlugWnd.h"

#include "gui/ModuleInstance.h"

namespace
{
const int32_t kHostVersion = 2;
const int32_t kIdleSleepMs = 5;
} // namespace

int32_t ZW_VSTCALL HostCallback(AEffect* /*effect*/, int32_t opcode, int32_t index,
                                int32_t /*value*/, void* /*ptr*/, float /*opt*/)
{
    switch (opcode)
    {
    case audioMasterVersion:
        return kHostVersion;
    case audioMasterCurrentId:
        return kHostCurrentId;
    case audioMasterIdle:
        Sleep(kIdleSleepMs);
        return 0;
    case audioMasterPinConnected:
        // 0 means connected: the host feeds exactly two inputs and two outputs.
        return index == 0 || index == 1 ? 0 : 1;
    default:
        return 0;
    }
}

CPlugWnd::CPlugWnd(HINSTANCE instance_, PluginEntryProc entry_)
    : CWindow(instance_), moduleInstance(instance_), parent(nullptr), pluginLoaded(0),
      editorRect(nullptr), effectRecord(nullptr), entry(nullptr), hostCallback(&HostCallback),
      bindEntry(entry_)
{
}

int32_t CPlugWnd::send(int32_t opcode, int32_t index, int32_t value, void* ptr, float opt)
{
    return effectRecord->dispatcher(effectRecord, opcode, index, value, ptr, opt);
}

int CPlugWnd::LoadPlugin()
{
    // The plug-in's toolkit loads its bitmaps and names its window class
    // with this handle, so it must be known before the entry runs.
    setModuleInstance(moduleInstance);
    entry = bindEntry;

    AEffect* effect = entry ? entry(hostCallback) : nullptr;
    if (!effect || !effect->dispatcher)
        return 0;
    if (effect->magic != kEffectMagic)
    {
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
        return 0;
    }
    if (effect->dispatcher(effect, effIdentify, 0, 0, nullptr, 0.0f) != kIdentifyAnswer)
        return 0;
    effect->dispatcher(effect, effSetProgram, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    effectRecord = effect;
    pluginLoaded = 1;
    return 1;
}

int CPlugWnd::Process(float** inputs, float** outputs, int32_t sampleFrames)
{
    effectRecord->processReplacing(effectRecord, inputs, outputs, sampleFrames);
    return 1;
}

void CPlugWnd::Resume()
{
    if (effectRecord && effectRecord->dispatcher)
        send(effMainsChanged, 0, 1, nullptr, 0.0f);
}

void CPlugWnd::Suspend()
{
    if (effectRecord && effectRecord->dispatcher)
        send(effMainsChanged, 0, 0, nullptr, 0.0f);
}
