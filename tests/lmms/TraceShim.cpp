// A stand-in plug-in for the LMMS test: it loads the real DLL named by
// ZW_TRACED_PLUGIN, hands its record to the host and writes into ZW_OPCODE_LOG
// every dispatcher call and every change of the processing call's block size
// or thread. The product itself logs nothing.

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "plugin/AEffect.h"

namespace
{
FILE* gLog = nullptr;
DispatcherProc gDispatcher = nullptr;
ProcessProc gProcessReplacing = nullptr;
HostCallbackProc gHostCallback = nullptr;
DWORD gEntryThread = 0, gLastThread = 0;
int32_t gLastFrames = -1;
long gCalls = 0;

void note(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vfprintf(gLog, format, args);
    va_end(args);
    std::fflush(gLog);
}

const char* threadName()
{
    return GetCurrentThreadId() == gEntryThread ? "entry thread" : "another thread";
}

VstIntPtr ZW_VSTCALL dispatcher(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value,
                                void* ptr, float opt)
{
    const long calls = gCalls;
    const VstIntPtr result = gDispatcher(effect, opcode, index, value, ptr, opt);
    note("opcode %d index %d value %lld opt %g%s%s -> %lld on the %s after %ld process calls\n",
         static_cast<int>(opcode), static_cast<int>(index), static_cast<long long>(value),
         static_cast<double>(opt), opcode == effCanDo && ptr ? " " : "",
         opcode == effCanDo && ptr ? static_cast<const char*>(ptr) : "",
         static_cast<long long>(result), threadName(), calls);
    return result;
}

void ZW_VSTCALL processReplacing(AEffect* effect, float** inputs, float** outputs, int32_t frames)
{
    ++gCalls;
    if (frames != gLastFrames || GetCurrentThreadId() != gLastThread)
        note("processReplacing %d frames on the %s (call %ld)\n", static_cast<int>(frames),
             threadName(), gCalls);
    gLastFrames = frames;
    gLastThread = GetCurrentThreadId();
    gProcessReplacing(effect, inputs, outputs, frames);
}

VstIntPtr ZW_VSTCALL hostCallback(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value,
                                  void* ptr, float opt)
{
    const VstIntPtr answer = gHostCallback(effect, opcode, index, value, ptr, opt);
    note("host callback %d -> %lld\n", static_cast<int>(opcode), static_cast<long long>(answer));
    return answer;
}
} // namespace

extern "C" AEffect* ZW_VSTCALL VSTPluginMain(HostCallbackProc callback)
{
    const char* logPath = std::getenv("ZW_OPCODE_LOG");
    const char* pluginPath = std::getenv("ZW_TRACED_PLUGIN");
    // One instance: the project holds one.
    if (gLog || !logPath || !pluginPath || !callback || !(gLog = std::fopen(logPath, "w")))
        return nullptr;
    // Written before the plug-in is loaded: from here on, its host process
    // has started, and whatever ends it is the test's concern.
    note("loading %s\n", pluginPath);
    HMODULE plugin = LoadLibraryA(pluginPath);
    auto entry = plugin ? reinterpret_cast<PluginEntryProc>(
                              reinterpret_cast<void*>(GetProcAddress(plugin, "VSTPluginMain")))
                        : nullptr;
    if (!entry)
        return nullptr;
    gEntryThread = GetCurrentThreadId();
    gHostCallback = callback;
    AEffect* record = entry(&hostCallback);
    if (!record)
        return nullptr;
    gDispatcher = record->dispatcher;
    gProcessReplacing = record->processReplacing;
    record->dispatcher = &dispatcher;
    record->processReplacing = &processReplacing;
    return record;
}
