// The plug-in DLL against a strict host, in both bitnesses. Each case runs in
// a process of its own (this executable again), so that a crash fails that
// case and the others still run.

#include "editor/EditorLayout.h"
#include "tests/dll/DllHost.h"
#include "tests/support/GuiTestSupport.h"

#include <xmmintrin.h>

#include <algorithm>
#include <atomic>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <thread>

namespace
{
const char kCaseVariable[] = "ZW_STRICT_HOST_CASE";
// A case's bound: the longest takes one or two minutes under qemu on a busy
// machine, and all must fit the entry's fifteen.
const DWORD kCaseBound = 6 * 60 * 1000;
std::atomic<int> gAutomations{0}, gDepth{0}, gDeepest{0};

// Waits for another thread's progress, within half a case's bound.
template <typename Ready> bool progressed(Ready ready)
{
    const ULONGLONG end = GetTickCount64() + kCaseBound / 2;
    while (!ready() && GetTickCount64() < end)
        std::this_thread::yield();
    return ready();
}

// Answers an automation at once by calling back in, as some hosts do.
VstIntPtr ZW_VSTCALL host(AEffect* e, int32_t opcode, int32_t index, VstIntPtr, void*, float opt)
{
    if (opcode == audioMasterAutomate && e)
    {
        ++gAutomations;
        gDeepest = std::max(gDeepest.load(), ++gDepth);
        e->setParameter(e, index, opt);
        call(e, effEditIdle);
        --gDepth;
    }
    return opcode == audioMasterVersion ? 2400 : 0;
}

struct Instance
{
    Instance() : module(LoadLibraryA(ZW_PLUGIN_DLL))
    {
        PluginEntryProc entry = module ? entryOf(module, "VSTPluginMain") : nullptr;
        e = entry ? entry(&host) : nullptr;
    }
    ~Instance()
    {
        if (e)
            call(e, effClose);
        FreeLibrary(module);
    }
    HMODULE module;
    AEffect* e;
    CTestWindow window{560, 470, 220, 270};
};

std::vector<float> chunkValues(AEffect* e, bool preset)
{
    void* data = nullptr;
    const VstIntPtr size = call(e, effGetChunk, preset, 0, &data);
    return std::vector<float>(static_cast<float*>(data), static_cast<float*>(data) + size / 4);
}

// The GUI thread changes everything a host may change, without a suspend,
// while the audio thread processes and sets the parameter every block.
void changesWhileProcessing()
{
    Instance plug;
    AEffect* e = plug.e;
    call(e, effEditOpen, 0, 0, plug.window.handle);
    std::atomic<bool> stop{false};
    std::atomic<long> blocks{0};
    std::thread audio(
        [&]
        {
            std::vector<float> l = noise(4096, 1), r = noise(4096, 2), outL(4096), outR(4096);
            float* in[] = {l.data(), r.data()};
            float* out[] = {outL.data(), outR.data()};
            for (int n = 0; !stop; ++n, ++blocks)
            {
                e->setParameter(e, 0, static_cast<float>(n % 2));
                (n % 2 ? e->process : e->processReplacing)(e, in, out, 1 + (n * 397) % 4096);
            }
        });
    float bank[] = {1.0f, 0.0f, 1.0f, 0.0f};
    const float rates[] = {44100.0f, 8000.0f, 384000.0f, 48000.0f};
    for (int i = 0; i < 2400; ++i)
    {
        const long seen = blocks;
        if (!progressed([&] { return blocks != seen; }))
        {
            ADD_FAILURE() << "the audio thread stopped in block " << seen;
            break;
        }
        const int k = i / 6;
        switch (i % 6)
        {
        case 0:
            call(e, effSetSampleRate, 0, 0, nullptr, rates[k % 4]);
            break;
        case 1:
            call(e, effSetBlockSize, 0, k % 2 ? 32768 : 1);
            break;
        case 2:
            call(e, k % 2 ? effSetProgram : effSetChunk, 0, k % 2 ? k % 4 : 16, bank);
            break;
        case 3:
            call(e, effMainsChanged, 0, k % 2);
            break;
        default:
            call(e, k % 2 ? effEditClose : effEditOpen, 0, 0, plug.window.handle);
            pumpMessages();
        }
    }
    stop = true;
    audio.join();

    // Since the last rate change: the input exactly 512 frames later.
    e->setParameter(e, 0, 0.0f);
    call(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    std::vector<float> l = noise(2000, 5), r = noise(2000, 6), outL(2000), outR(2000);
    float* in[] = {l.data(), r.data()};
    float* out[] = {outL.data(), outR.data()};
    e->processReplacing(e, in, out, 2000);
    for (int n = 0; n < 2000; ++n)
        ASSERT_EQ(n < 512 ? 0.0f : l[n - 512], outL[n]) << n;
}

// Chunks and values from project files: a refused chunk answers 0 and
// changes nothing; what is taken, and every parameter, lies in [0, 1].
void untrustedStateAndValues()
{
    Instance plug;
    AEffect* e = plug.e;
    e->setParameter(e, 0, 1.0f);
    call(e, effSetProgram, 0, 1);
    std::vector<uint8_t> bank(16);
    std::memcpy(bank.data(), chunkValues(e, false).data(), 16);
    auto load = [&](std::vector<uint8_t> bytes, bool preset)
    {
        const std::vector<float> before = chunkValues(e, false);
        const float value = e->getParameter(e, 0);
        if (call(e, effSetChunk, preset, static_cast<VstIntPtr>(bytes.size()), bytes.data()))
        {
            std::vector<float> given(bytes.size() / 4);
            std::memcpy(given.data(), bytes.data(), bytes.size());
            EXPECT_EQ(given, chunkValues(e, preset));
        }
        else
            EXPECT_TRUE(before == chunkValues(e, false) && value == e->getParameter(e, 0))
                << bytes.size() << " bytes";
        EXPECT_EQ(1, call(e, effGetProgram));
    };
    uint32_t seed = 7;
    for (int round = 0; round < 200; ++round)
    {
        std::vector<uint8_t> garbage(round % 2 ? 4 : (round % 3 ? 16 : round % 21));
        for (uint8_t& byte : garbage)
            byte = static_cast<uint8_t>(nextRandom(seed) >> 16);
        load(garbage, round % 2);
    }
    for (size_t size = 0; size <= 20; ++size)
    {
        std::vector<uint8_t> cut = bank;
        cut.resize(size);
        load(cut, false);
    }
    for (size_t bit = 0; bit < 128; ++bit)
    {
        std::vector<uint8_t> flipped = bank;
        flipped[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
        load(flipped, false);
    }
    EXPECT_EQ(1, call(e, effSetChunk, 0, 16, bank.data())) << "its own bank loads";

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float values[][2] = {{0.5f, 0.5f}, {-1.0f, 0.0f}, {2.0f, 1.0f}, {0.25f, 0.25f},
                               {nan, 0.25f}, {inf, 1.0f},   {-inf, 0.0f}, {1e38f, 1.0f}};
    for (const auto& v : values)
    {
        e->setParameter(e, 0, v[0]);
        EXPECT_EQ(v[1], e->getParameter(e, 0)) << v[0];
    }
    for (int32_t index : {-1, 1, 3, 1000})
    {
        e->setParameter(e, index, 7.0f);
        const float other = e->getParameter(e, index);
        EXPECT_TRUE(other >= 0.0f && other <= 1.0f) << index;
    }
}

void inputsAreReadOnly()
{
    const std::vector<float> left = noise(8192, 3), right = noise(8192, 4);
    for (bool replacing : {true, false})
        for (int block : {1, 511, 4096})
        {
            Instance plug;
            AEffect* e = plug.e;
            std::vector<float> inL = left, inR = right, outL(8192, 0.25f), outR(8192, 0.25f);
            for (int at = 0; at < 8192; at += block)
            {
                float* in[] = {&inL[at], &inR[at]};
                float* out[] = {&outL[at], &outR[at]};
                (replacing ? e->processReplacing : e->process)(e, in, out,
                                                               std::min(block, 8192 - at));
            }
            EXPECT_TRUE(inL == left && inR == right) << replacing << " " << block;
            // The accumulating call adds to what the outputs held.
            for (int n = 512; n < 8192; ++n)
                ASSERT_EQ((replacing ? 0.0f : 0.25f) + left[n - 512], outL[n]) << block;
        }
}

// Every text into a buffer of exactly the host's size, right before a page
// the process may not touch: one byte more is an access violation.
void textsFitTheHostsBuffers()
{
    Instance plug;
    AEffect* e = plug.e;
    char* page = static_cast<char*>(VirtualAlloc(nullptr, 8192, MEM_COMMIT, PAGE_READWRITE));
    DWORD old;
    VirtualProtect(page + 4096, 4096, PAGE_NOACCESS, &old);
    auto guarded = [&](size_t bytes, char fill)
    { return static_cast<char*>(std::memset(page + 4096 - bytes, fill, bytes)); };
    // The host's 24 bytes of name, unterminated.
    call(e, effSetProgramName, 0, 0, guarded(24, 'u'));
    const int32_t texts[][3] = {{effGetParamName, 0, 9},     {effGetParamLabel, -1, 9},
                                {effGetParamDisplay, 0, 9},  {effGetParamDisplay, 99, 9},
                                {effGetProgramName, 0, 24},  {effGetEffectName, 0, 32},
                                {effGetVendorString, 0, 64}, {effGetProductString, 0, 64}};
    for (float value : {1.0f, 0.123456f})
    {
        e->setParameter(e, 0, value);
        for (const auto& t : texts)
        {
            char* text = guarded(t[2], '#');
            call(e, t[0], t[1], 0, text);
            EXPECT_NE(nullptr, std::memchr(text, 0, t[2])) << t[0];
        }
    }
    char* name = guarded(24, '#');
    call(e, effGetProgramName, 0, 0, name);
    EXPECT_EQ(std::string(23, 'u'), name);
    VirtualFree(page, 0, MEM_RELEASE);
}

void automationCallsBackIn()
{
    Instance plug;
    AEffect* e = plug.e;
    call(e, effEditOpen, 0, 0, plug.window.handle);
    pumpMessages(100);
    for (int click = 1; click <= 2; ++click)
    {
        clickAt(frameIn(plug.window.handle), kMonoButtonArea.left + 10, kMonoButtonArea.top + 5);
        pumpMessages(200);
        EXPECT_EQ(click, gAutomations.load()) << "one round per click";
        EXPECT_EQ(click == 1 ? 1.0f : 0.0f, e->getParameter(e, 0));
    }
    EXPECT_EQ(1, gDeepest.load()) << "nothing recursed";
}

// What a stricter host than LMMS sends: blocks of subnormal numbers (reverb
// and fade tails), null pointers among the channels, and state calls from
// two threads at once.
struct StrictCall
{
    const char* name;
    void (*check)(AEffect* e, const StrictCall& row);
    bool mono;
    float input;                     // every sample; 0 for noise
    int missingInput, missingOutput; // a null channel, or -1
};

// One call of 1024 frames through each entry on a restarted engine, with the
// MXCSR a host starts with: that comes back; the input comes out 512 frames
// later, a missing input as silence, and a subnormal number as 0 wherever
// the effect reckons with it (all but the plain copy).
void checkBlock(AEffect* e, const StrictCall& row)
{
    const int frames = 1024;
    std::vector<float> in[] = {row.input ? std::vector<float>(frames, row.input) : noise(frames, 1),
                               row.input ? std::vector<float>(frames, row.input)
                                         : noise(frames, 2)};
    for (bool replacing : {true, false})
    {
        call(e, effSetSampleRate, 0, 0, nullptr, 44100.0f);
        e->setParameter(e, 0, row.mono);
        std::vector<float> out[] = {std::vector<float>(frames), std::vector<float>(frames)};
        float* inputs[] = {in[0].data(), in[1].data()};
        float* outputs[] = {out[0].data(), out[1].data()};
        if (row.missingInput >= 0)
            inputs[row.missingInput] = nullptr;
        if (row.missingOutput >= 0)
            outputs[row.missingOutput] = nullptr;
        _mm_setcsr(0x1F80);
        (replacing ? e->processReplacing : e->process)(e, inputs, outputs, frames);
        EXPECT_EQ(0x1F80u, _mm_getcsr()) << replacing;
        for (int ch = 0; ch < 2; ++ch)
            for (int n = 512; ch != row.missingOutput && n < frames; ++n)
            {
                const float l = inputs[0] ? in[0][n - 512] : 0.0f;
                const float r = inputs[1] ? in[1][n - 512] : 0.0f;
                const float v = row.mono ? (l + r) * 0.5f : (ch ? r : l);
                ASSERT_EQ(std::fabs(v) < FLT_MIN && (row.mono || !replacing) ? 0.0f : v, out[ch][n])
                    << replacing << " channel " << ch << " frame " << n;
            }
    }
}

// One thread sets banks, programs and names while another reads them,
// holding each chunk it was handed through a whole write: every read is one
// earlier state (a bank of four equal values, a name of one letter), and the
// last write stays.
void checkState(AEffect* e, const StrictCall&)
{
    const int writes = 4000;
    float silent[4] = {};
    call(e, effSetChunk, 0, sizeof(silent), silent);
    std::atomic<int> holding{-1}, written{0};
    std::thread writer(
        [&]
        {
            for (int i = 1; i <= writes; ++i)
            {
                // Every other write comes while the reader holds a chunk,
                // the rest meet its calls.
                progressed([&] { return i % 2 == 0 || holding >= i / 2; });
                float v = static_cast<float>(i) / writes, bank[] = {v, v, v, v};
                std::string name(23, static_cast<char>('a' + i % 26));
                call(e, effSetChunk, 0, sizeof(bank), bank);
                call(e, effSetProgram, 0, i % 4);
                call(e, effSetProgramName, 0, 0, &name[0]);
                ++written;
            }
        });
    int mixed = 0;
    for (int round = 0; round < writes / 2; ++round)
    {
        float* bank = nullptr;
        char name[25] = {};
        call(e, effGetChunk, 0, 0, &bank);
        call(e, effGetProgramName, 0, 0, name);
        const float first = bank[0];
        holding = round;
        progressed([&] { return written > 2 * round; });
        mixed += !(bank[1] == first && bank[2] == first && bank[3] == first) ||
                 (std::string(name) != "Init" && std::string(name) != std::string(23, name[0]));
    }
    writer.join();
    EXPECT_EQ(0, mixed);
    EXPECT_EQ(1.0f, e->getParameter(e, 0)) << "the last write stays";
}

const StrictCall kStrictCalls[] = {{"subnormal block, MONO on", checkBlock, true, 1e-40f, -1, -1},
                                   {"subnormal block, MONO off", checkBlock, false, 1e-40f, -1, -1},
                                   {"noise, MONO on", checkBlock, true, 0.0f, -1, -1},
                                   {"left input missing, MONO on", checkBlock, true, 0.0f, 0, -1},
                                   {"right input missing", checkBlock, false, 0.0f, 1, -1},
                                   {"left output missing", checkBlock, false, 0.0f, -1, 0},
                                   {"right output missing, MONO on", checkBlock, true, 0.0f, -1, 1},
                                   {"state from two threads", checkState, false, 0.0f, -1, -1}};

void stricterHostCalls()
{
    Instance plug;
    for (const StrictCall& row : kStrictCalls)
    {
        std::printf("row: %s\n", row.name); // so that a crash names its row
        std::fflush(stdout);
        SCOPED_TRACE(row.name);
        row.check(plug.e, row);
    }
}

const struct Case
{
    const char* name;
    void (*run)();
} kCases[] = {{"ChangesWhileProcessing", changesWhileProcessing},
              {"UntrustedStateAndValues", untrustedStateAndValues},
              {"InputsAreReadOnly", inputsAreReadOnly},
              {"TextsFitTheHostsBuffers", textsFitTheHostsBuffers},
              {"AutomationCallsBackIn", automationCallsBackIn},
              {"StricterHostCalls", stricterHostCalls}};

// A crash ends the child at once with its code, without Wine's debugger.
LONG WINAPI endOnCrash(EXCEPTION_POINTERS* crash)
{
    TerminateProcess(GetCurrentProcess(), crash->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

class StrictHost : public testing::TestWithParam<const Case*>
{
};
} // namespace

// The child's side: runs the case the parent named.
TEST(DISABLED_StrictHostCase, Runs)
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(endOnCrash);
    const char* name = std::getenv(kCaseVariable);
    ASSERT_NE(nullptr, name) << "runs as a child of StrictHost's cases only";
    for (const Case& c : kCases)
        if (!std::strcmp(c.name, name))
            return c.run();
    FAIL() << "no case named " << name;
}

TEST_P(StrictHost, SurvivesInAProcessOfItsOwn)
{
    SetEnvironmentVariableA(kCaseVariable, GetParam()->name);
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string command = std::string("\"") + path +
                          "\" --gtest_also_run_disabled_tests --gtest_catch_exceptions=0"
                          " --gtest_filter=DISABLED_StrictHostCase.Runs";
    STARTUPINFOA start = {};
    start.cb = sizeof(start);
    PROCESS_INFORMATION child = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                               &start, &child));
    // A hang fails too.
    const DWORD waited = WaitForSingleObject(child.hProcess, kCaseBound);
    if (waited != WAIT_OBJECT_0)
        TerminateProcess(child.hProcess, 1);
    DWORD code = 1;
    GetExitCodeProcess(child.hProcess, &code);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    EXPECT_EQ(WAIT_OBJECT_0, waited) << "hung";
    EXPECT_EQ(0u, code) << std::hex << "exit code 0x" << code;
}

INSTANTIATE_TEST_SUITE_P(Cases, StrictHost,
                         testing::Values(&kCases[0], &kCases[1], &kCases[2], &kCases[3], &kCases[4],
                                         &kCases[5]),
                         [](const testing::TestParamInfo<const Case*>& info)
                         { return std::string(info.param->name); });
