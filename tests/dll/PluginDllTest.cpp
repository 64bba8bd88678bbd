// The plug-in DLL as another host meets it: loaded with LoadLibrary, entered
// through VSTPluginMain and reached through the record only. Built and run in
// both bitnesses.

#include "editor/EditorLayout.h"
#include "gui/WidgetFrame.h"
#include "plugin/AEffect.h"
#include "tests/dll/DllHost.h"
#include "tests/support/GuiTestSupport.h"
#include "tests/support/RegistryValue.h"
#include "tests/support/ThreadCount.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace
{
const int kDelay = 512;
const COLORREF kDot = RGB(255, 255, 0);
const RECT kScope = {kScopeArea.left, kScopeArea.top, kScopeArea.right, kScopeArea.bottom};

// The DLL built beside the tests, or the copy that ZW_PLUGIN_DLL names (the
// one unpacked from the release archive, say).
const char* pluginDll()
{
    const char* path = std::getenv("ZW_PLUGIN_DLL");
    return path && *path ? path : ZW_PLUGIN_DLL;
}

VstIntPtr ZW_VSTCALL host(AEffect*, int32_t opcode, int32_t, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

// The sizes the resizing host was asked for, and its answer.
std::vector<std::pair<int, int>> sizeRequests;
VstIntPtr sizeAnswer = 1;

VstIntPtr ZW_VSTCALL resizingHost(AEffect*, int32_t opcode, int32_t index, VstIntPtr value, void*,
                                  float)
{
    if (opcode == audioMasterSizeWindow)
    {
        sizeRequests.push_back({index, static_cast<int>(value)});
        return sizeAnswer;
    }
    return opcode == audioMasterVersion ? 2400 : 0;
}

SIZE clientSize(HWND window)
{
    RECT client = {};
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

void process(AEffect* e, std::vector<float>& left, std::vector<float>& right,
             std::vector<float>& outLeft, std::vector<float>& outRight, int at, int frames)
{
    float* inputs[] = {&left[at], &right[at]};
    float* outputs[] = {&outLeft[at], &outRight[at]};
    e->processReplacing(e, inputs, outputs, frames);
}

// The columns and the rows that hold the scope's dots, and how many dots.
struct Dots
{
    std::set<int> columns, rows;
    int count = 0;
};

Dots dotsIn(HWND parent)
{
    Dots dots;
    const Pixels shown = frameIn(parent) ? readWindow(frameIn(parent)) : Pixels();
    for (int y = kScope.top; y < kScope.bottom && shown.height >= kScope.bottom; ++y)
        for (int x = kScope.left; x < kScope.right && shown.width >= kScope.right; ++x)
            if (shown.at(x, y) == kDot)
                dots.columns.insert(x), dots.rows.insert(y), ++dots.count;
    return dots;
}

class PluginDll : public testing::Test
{
  protected:
    void SetUp() override
    {
        module = LoadLibraryA(pluginDll());
        ASSERT_NE(nullptr, module) << pluginDll();
        entry = entryOf(module, "VSTPluginMain");
        ASSERT_NE(nullptr, entry);
    }
    void TearDown() override
    {
        for (AEffect* e : made)
            call(e, effClose);
        if (module)
            FreeLibrary(module);
    }
    AEffect* make()
    {
        AEffect* e = entry(&host);
        if (e)
            made.push_back(e);
        return e;
    }

    HMODULE module = nullptr;
    PluginEntryProc entry = nullptr;
    std::vector<AEffect*> made;
};
} // namespace

TEST_F(PluginDll, NamesItselfAndAnswersWhatHostsAsk)
{
    EXPECT_EQ(entry, entryOf(module, "main"));
    AEffect* e = make();
    ASSERT_NE(nullptr, e);
    EXPECT_EQ(kEffectMagic, e->magic);
    EXPECT_EQ(kIdentifyAnswer, call(e, effIdentify));
    EXPECT_EQ(kScopeEffectId, e->uniqueID);
    EXPECT_EQ((std::vector<int32_t>{2, 2, 1, 4, 0x39, kDelay, 1}),
              (std::vector<int32_t>{e->numInputs, e->numOutputs, e->numParams, e->numPrograms,
                                    e->flags, e->initialDelay, e->version}));
    EXPECT_EQ((std::vector<VstIntPtr>{3, 1000, kDelay, 2400}),
              (std::vector<VstIntPtr>{call(e, effGetPlugCategory), call(e, effGetVendorVersion),
                                      call(e, effGetTailSize), call(e, effGetVstVersion)}));

    // The text and its terminator, not a byte more.
    const struct
    {
        int32_t opcode;
        const char* text;
    } texts[] = {{effGetEffectName, "Zanderwick Scope"},    {effGetVendorString, "Zanderwick"},
                 {effGetProductString, "Zanderwick Scope"}, {effGetParamName, "Mono"},
                 {effGetParamDisplay, "0.000000"},          {effGetProgramName, "Init"}};
    for (const auto& t : texts)
    {
        char buffer[64];
        std::memset(buffer, '#', sizeof(buffer));
        call(e, t.opcode, 0, 0, buffer);
        EXPECT_EQ(t.text, std::string(buffer)) << t.opcode;
        EXPECT_EQ('#', buffer[std::strlen(t.text) + 1]) << t.opcode;
    }

    const struct
    {
        const char* asked;
        VstIntPtr answer;
    } abilities[] = {{"plugAsChannelInsert", 1},  {"plugAsSend", 1},    {"receiveVstEvents", -1},
                     {"receiveVstMidiEvent", -1}, {"sendVstEvents", 0}, {"bypass", 0}};
    for (const auto& a : abilities)
        EXPECT_EQ(a.answer, call(e, effCanDo, 0, 0, const_cast<char*>(a.asked))) << a.asked;
    EXPECT_EQ(0, call(e, effCanDo));

    // Whatever else a host asks is answered with 0 and leaves its buffer alone.
    for (int32_t opcode : {25, 33, 34, 44, 46, 50, 53, 56, 59, 70, -7})
    {
        char buffer[64];
        std::memset(buffer, '#', sizeof(buffer));
        EXPECT_EQ(0, call(e, opcode, 0, 0, buffer)) << opcode;
        EXPECT_EQ(std::string(64, '#'), std::string(buffer, 64)) << opcode;
    }
    // A 64-bit value is not cut down to a program number that happens to fit.
    if (sizeof(VstIntPtr) > sizeof(int32_t))
    {
        call(e, effSetProgram, 0, static_cast<VstIntPtr>(static_cast<int64_t>(1) << 32) + 1);
        EXPECT_EQ(0, call(e, effGetProgram));
    }
}

TEST_F(PluginDll, DelaysByExactly512FramesAtAnyBlockSizeWhileTheHostCallsIn)
{
    const int total = 4 * 4096 + 300;
    std::vector<float> left = noise(total, 1), right = noise(total, 2);
    CTestWindow window(560, 470, 220, 270);
    for (int block : {1, 256, 4096})
    {
        AEffect* e = make();
        ASSERT_NE(nullptr, e);
        call(e, effOpen);
        call(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
        call(e, effSetBlockSize, 0, block);
        call(e, effMainsChanged, 0, 1);
        call(e, effEditOpen, 0, 0, window.handle);

        // The host's audio thread processes while its GUI thread asks and idles.
        std::vector<float> outLeft(total, 9.0f), outRight(total, 9.0f);
        std::atomic<bool> done{false};
        std::thread audio(
            [&]
            {
                for (int at = 0; at < total; at += block)
                    process(e, left, right, outLeft, outRight, at, std::min(block, total - at));
                done = true;
            });
        char text[32];
        while (!done)
        {
            call(e, effEditIdle);
            call(e, effGetParamDisplay, 0, 0, text);
            call(e, effGetProgramName, 0, 0, text);
            e->getParameter(e, 0);
            pumpMessages();
        }
        audio.join();
        call(e, effEditClose);

        int wrong = 0;
        for (int n = 0; n < total; ++n)
        {
            const float l = n < kDelay ? 0.0f : left[n - kDelay];
            const float r = n < kDelay ? 0.0f : right[n - kDelay];
            wrong += outLeft[n] != l || outRight[n] != r;
        }
        EXPECT_EQ(0, wrong) << "block size " << block;
    }
}

TEST_F(PluginDll, MonoPlaysTheMonoSumAndChunksCarryItOver)
{
    AEffect* e = make();
    ASSERT_NE(nullptr, e);
    e->setParameter(e, 0, 1.0f);
    const int total = 3 * kDelay;
    std::vector<float> left = noise(total, 3), right = noise(total, 4);
    std::vector<float> outLeft(total), outRight(total);
    process(e, left, right, outLeft, outRight, 0, total);
    int wrong = 0;
    for (int n = kDelay; n < total; ++n)
    {
        const float sum = (left[n - kDelay] + right[n - kDelay]) * 0.5f;
        wrong += outLeft[n] != sum || outRight[n] != sum;
    }
    EXPECT_EQ(0, wrong);

    // The bank carries Mono on to another instance; a program chunk back again.
    void* data = nullptr;
    ASSERT_EQ(16, call(e, effGetChunk, 0, 0, &data));
    const std::vector<char> bank(static_cast<char*>(data), static_cast<char*>(data) + 16);
    AEffect* other = make();
    ASSERT_NE(nullptr, other);
    EXPECT_EQ(0.0f, other->getParameter(other, 0));
    call(other, effSetChunk, 0, 16, const_cast<char*>(bank.data()));
    EXPECT_EQ(1.0f, other->getParameter(other, 0));
    const float off = 0.0f;
    call(e, effSetChunk, 1, sizeof(off), const_cast<float*>(&off));
    EXPECT_EQ(0.0f, e->getParameter(e, 0));
    ASSERT_EQ(4, call(e, effGetChunk, 1, 0, &data));
    EXPECT_EQ(0, std::memcmp(data, &off, sizeof(off)));
}

// Mono on one, anti-phase on the other: a vertical and a horizontal line,
// drawn by each frame's own timer with no effEditIdle from the host.
TEST_F(PluginDll, TwoInstancesShowTheirOwnSignalsWithoutHostIdleAndReopen)
{
    CTestWindow first(560, 470, 220, 270), second(790, 470, 220, 270);
    AEffect* a = make();
    AEffect* b = make();
    ASSERT_TRUE(a && b);
    ERect* rect = nullptr;
    ASSERT_EQ(1, call(a, effEditGetRect, 0, 0, &rect));
    EXPECT_EQ((std::vector<int>{0, 0, 270, 220}),
              (std::vector<int>{rect->top, rect->left, rect->bottom, rect->right}));
    const HWND focus = GetFocus();

    std::vector<float> sine(2 * kDelay), inverted(2 * kDelay), outLeft(2 * kDelay),
        outRight(2 * kDelay);
    for (int n = 0; n < 2 * kDelay; ++n)
        sine[n] = 0.5f * std::sin(0.05f * n), inverted[n] = -sine[n];
    for (int round = 0; round < 2; ++round)
    {
        ASSERT_EQ(1, call(a, effEditOpen, 0, 0, first.handle));
        ASSERT_EQ(1, call(b, effEditOpen, 0, 0, second.handle));
        EXPECT_EQ(CWidgetFrame::windowClassNameOf(module),
                  [&]
                  {
                      char name[32] = "";
                      GetClassNameA(frameIn(first.handle), name, sizeof(name));
                      return std::string(name);
                  }());
        process(a, sine, sine, outLeft, outRight, 0, 2 * kDelay);
        process(b, sine, inverted, outLeft, outRight, 0, 2 * kDelay);

        Dots mono, opposed;
        for (int wait = 0; wait < 60 && (mono.count < 20 || opposed.count < 20); ++wait)
        {
            pumpMessages(20);
            mono = dotsIn(first.handle);
            opposed = dotsIn(second.handle);
        }
        EXPECT_GE(mono.count, 20) << "round " << round;
        EXPECT_EQ(1u, mono.columns.size()) << "round " << round;
        EXPECT_GE(opposed.count, 20) << "round " << round;
        EXPECT_EQ(1u, opposed.rows.size()) << "round " << round;
        EXPECT_EQ(focus, GetFocus());

        call(a, effEditClose);
        call(b, effEditClose);
        EXPECT_EQ(nullptr, frameIn(first.handle));
        EXPECT_EQ(nullptr, frameIn(second.handle));
    }
    MSG quit;
    EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(PluginDll, AsksTheHostToFitAChosenSizeAndShowsItOnTheNextOpenWhenRefused)
{
    CRegistryValue remembered(kZoomKey, "Zoom");
    remembered.remove();
    CTestWindow window(300, 100, 220, 270);
    AEffect* e = entry(&resizingHost);
    ASSERT_NE(nullptr, e);
    made.push_back(e);
    sizeRequests.clear();
    sizeAnswer = 1;
    ASSERT_EQ(1, call(e, effEditOpen, 0, 0, window.handle));
    chooseFromZoomMenu(frameIn(window.handle), 3);
    pumpMessages(200);
    ASSERT_EQ((std::vector<std::pair<int, int>>{{440, 540}}), sizeRequests);
    EXPECT_EQ(200u, remembered.get());
    SIZE shown = clientSize(frameIn(window.handle));
    EXPECT_EQ(std::make_pair(440L, 540L), std::make_pair(shown.cx, shown.cy));

    // Below the sizes, the bands: on and off again, each remembered and fitted.
    CRegistryValue bands(kZoomKey, "Bands");
    bands.remove();
    for (DWORD on : {1, 0})
    {
        chooseFromZoomMenu(frameIn(window.handle), 4);
        pumpMessages(200);
        EXPECT_EQ(std::make_pair(440, on ? 636 : 540), sizeRequests.back());
        EXPECT_EQ(on, bands.get());
        shown = clientSize(frameIn(window.handle));
        EXPECT_EQ(std::make_pair(440L, on ? 636L : 540L), std::make_pair(shown.cx, shown.cy));
    }
    sizeRequests.erase(sizeRequests.begin() + 1, sizeRequests.end());

    // A host that cannot resize keeps a working panel of the old size.
    sizeAnswer = 0;
    chooseFromZoomMenu(frameIn(window.handle), 2);
    pumpMessages(200);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{440, 540}, {330, 405}}), sizeRequests);
    shown = clientSize(frameIn(window.handle));
    EXPECT_EQ(std::make_pair(440L, 540L), std::make_pair(shown.cx, shown.cy));
    call(e, effEditClose);
    ERect* rect = nullptr;
    ASSERT_EQ(1, call(e, effEditGetRect, 0, 0, &rect));
    EXPECT_EQ((std::vector<int>{0, 0, 405, 330}),
              (std::vector<int>{rect->top, rect->left, rect->bottom, rect->right}));
    ASSERT_EQ(1, call(e, effEditOpen, 0, 0, window.handle));
    shown = clientSize(frameIn(window.handle));
    EXPECT_EQ(std::make_pair(330L, 405L), std::make_pair(shown.cx, shown.cy));
    call(e, effEditClose);
}

TEST(PluginDllUnload, LeavesNoWindowClassAndNoThreadBehind)
{
    CTestWindow window(560, 470, 220, 270);
    const int threadsBefore = threadsOfThisProcess();
    HMODULE module = LoadLibraryA(pluginDll());
    ASSERT_NE(nullptr, module);
    const std::string frameClass = CWidgetFrame::windowClassNameOf(module);
    PluginEntryProc entry = entryOf(module, "VSTPluginMain");
    ASSERT_NE(nullptr, entry);
    AEffect* a = entry(&host);
    AEffect* b = entry(&host);
    ASSERT_TRUE(a && b);
    call(a, effEditOpen, 0, 0, window.handle);
    call(b, effEditOpen, 0, 0, window.handle);
    pumpMessages(100);
    WNDCLASSA info;
    EXPECT_TRUE(GetClassInfoA(module, frameClass.c_str(), &info)) << frameClass;
    call(a, effEditClose);
    call(b, effEditClose);
    call(a, effClose);
    call(b, effClose);
    FreeLibrary(module);

    EXPECT_EQ(nullptr, GetModuleHandleA("ZanderwickScope.dll"));
    EXPECT_FALSE(GetClassInfoA(module, frameClass.c_str(), &info)) << frameClass;
    EXPECT_EQ(threadsBefore, threadsOfThisProcess());
}
