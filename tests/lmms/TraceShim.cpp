// A stand-in plug-in for the host test: it loads the real Zanderwick Scope DLL
// (ZW_TRACED_PLUGIN), hands its record to the host and writes down, into
// ZW_OPCODE_LOG, every dispatcher call the host makes and every change of the
// processing call's block size or thread. The product itself logs nothing.

#include <windows.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "plugin/AEffect.h"

namespace
{
FILE* gLog = nullptr;
AEffect* gRecord = nullptr;
DispatcherProc gDispatcher = nullptr;
ProcessProc gProcessReplacing = nullptr;
ProcessProc gProcess = nullptr;
HostCallbackProc gHostCallback = nullptr;
DWORD gFirstThread = 0;
DWORD gLastThread = 0;
int32_t gLastFrames = -1;
long gCalls = 0;

const char* threadName(DWORD thread)
{
    return thread == gFirstThread ? "entry thread" : "another thread";
}

void noteProcess(const char* entry, int32_t frames)
{
    ++gCalls;
    const DWORD thread = GetCurrentThreadId();
    if (frames == gLastFrames && thread == gLastThread)
        return;
    gLastFrames = frames;
    gLastThread = thread;
    std::fprintf(gLog, "%s %" PRId32 " frames on the %s (call %ld)\n", entry, frames,
                 threadName(thread), gCalls);
    std::fflush(gLog);
}

VstIntPtr ZW_VSTCALL tracedDispatcher(AEffect* effect, int32_t opcode, int32_t index,
                                      VstIntPtr value, void* ptr, float opt)
{
    char asked[64] = "";
    if (opcode == effCanDo && ptr)
        std::snprintf(asked, sizeof(asked), " \"%s\"", static_cast<const char*>(ptr));
    const DWORD thread = GetCurrentThreadId();
    const long calls = gCalls;
    const VstIntPtr result = gDispatcher(effect, opcode, index, value, ptr, opt);
    std::fprintf(gLog,
                 "opcode %" PRId32 " index %" PRId32 " value %lld opt %g%s -> %lld on the %s"
                 " after %ld process calls\n",
                 opcode, index, static_cast<long long>(value), static_cast<double>(opt), asked,
                 static_cast<long long>(result), threadName(thread), calls);
    std::fflush(gLog);
    return result;
}

void ZW_VSTCALL tracedProcessReplacing(AEffect* effect, float** inputs, float** outputs,
                                       int32_t frames)
{
    noteProcess("processReplacing", frames);
    gProcessReplacing(effect, inputs, outputs, frames);
}

void ZW_VSTCALL tracedProcess(AEffect* effect, float** inputs, float** outputs, int32_t frames)
{
    noteProcess("process (accumulating)", frames);
    gProcess(effect, inputs, outputs, frames);
}

VstIntPtr ZW_VSTCALL tracedHostCallback(AEffect* effect, int32_t opcode, int32_t index,
                                        VstIntPtr value, void* ptr, float opt)
{
    const VstIntPtr answer = gHostCallback(effect, opcode, index, value, ptr, opt);
    std::fprintf(gLog, "host callback %" PRId32 " -> %lld\n", opcode,
                 static_cast<long long>(answer));
    std::fflush(gLog);
    return answer;
}
} // namespace

extern "C" AEffect* ZW_VSTCALL VSTPluginMain(HostCallbackProc hostCallback)
{
    const char* logPath = std::getenv("ZW_OPCODE_LOG");
    const char* pluginPath = std::getenv("ZW_TRACED_PLUGIN");
    if (gRecord || !logPath || !pluginPath || !hostCallback)
        return nullptr;
    gLog = std::fopen(logPath, "w");
    HMODULE plugin = LoadLibraryA(pluginPath);
    auto entry = plugin ? reinterpret_cast<PluginEntryProc>(
                              reinterpret_cast<void*>(GetProcAddress(plugin, "VSTPluginMain")))
                        : nullptr;
    if (!gLog || !entry)
        return nullptr;
    gFirstThread = GetCurrentThreadId();
    gHostCallback = hostCallback;
    gRecord = entry(&tracedHostCallback);
    if (!gRecord)
        return nullptr;
    gDispatcher = gRecord->dispatcher;
    gProcessReplacing = gRecord->processReplacing;
    gProcess = gRecord->process;
    gRecord->dispatcher = &tracedDispatcher;
    gRecord->processReplacing = &tracedProcessReplacing;
    gRecord->process = &tracedProcess;
    return gRecord;
}
