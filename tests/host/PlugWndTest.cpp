// Binding the plug-in: the host callback's answers, the four refusals, the
// opcodes sent on success, and the calls the playback controller makes.

#include "host/PlugWnd.h"
#include "gui/ModuleInstance.h"
#include "tests/support/MessagePump.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
struct Sent
{
    int32_t opcode;
    int32_t value;
};

// A fake plug-in whose record can be bent into every refusal.
struct FakePlugin
{
    AEffect record = {};
    std::vector<Sent> sent;
    int32_t identifyAnswer = kIdentifyAnswer;
    HostCallbackProc callbackSeen = nullptr;
    HINSTANCE instanceSeen = nullptr;
    ERect* rect = nullptr;
    void* openedIn = nullptr;
    float** inputsSeen = nullptr;
    float** outputsSeen = nullptr;
    int32_t framesSeen = 0;
} fake;

int32_t ZW_VSTCALL fakeDispatcher(AEffect*, int32_t opcode, int32_t, int32_t value, void* ptr,
                                  float)
{
    fake.sent.push_back({opcode, value});
    if (opcode == effEditGetRect && fake.rect)
        *static_cast<ERect**>(ptr) = fake.rect;
    if (opcode == effEditOpen)
        fake.openedIn = ptr;
    return opcode == effIdentify ? fake.identifyAnswer : 0;
}

void ZW_VSTCALL fakeProcess(AEffect*, float** inputs, float** outputs, int32_t frames)
{
    fake.inputsSeen = inputs;
    fake.outputsSeen = outputs;
    fake.framesSeen = frames;
}

AEffect* ZW_VSTCALL fakeEntry(HostCallbackProc callback)
{
    fake.callbackSeen = callback;
    fake.instanceSeen = moduleInstance();
    return &fake.record;
}

AEffect* ZW_VSTCALL nullEntry(HostCallbackProc)
{
    return nullptr;
}

void resetFake()
{
    fake = FakePlugin();
    fake.record.magic = kEffectMagic;
    fake.record.dispatcher = fakeDispatcher;
    fake.record.processReplacing = fakeProcess;
}

HINSTANCE programInstance()
{
    return GetModuleHandleA(nullptr);
}

// Where a window sits in its parent's client area: left, top, width, height.
std::vector<LONG> placeOf(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// The demo window's stand-in: a plain top-level window, never activated.
HWND makeDemoWindow()
{
    return CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           programInstance(), nullptr);
}

// Destroying the plug-in window posts quit; the next test must not see it.
void destroyDemoWindow(HWND demo)
{
    DestroyWindow(demo);
    pumpMessages();
}
} // namespace

TEST(HostCallback, AnswersAsAHostOfVersionTwo)
{
    EXPECT_EQ(0, HostCallback(nullptr, audioMasterAutomate, 0, 0, nullptr, 0.5f));
    EXPECT_EQ(2, HostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f));
    EXPECT_EQ(0x54455354, HostCallback(nullptr, audioMasterCurrentId, 0, 0, nullptr, 0.0f));
    for (int32_t value : {0, 1, 7})
    {
        EXPECT_EQ(0, HostCallback(nullptr, audioMasterPinConnected, 0, value, nullptr, 0.0f));
        EXPECT_EQ(0, HostCallback(nullptr, audioMasterPinConnected, 1, value, nullptr, 0.0f));
        EXPECT_EQ(1, HostCallback(nullptr, audioMasterPinConnected, 2, value, nullptr, 0.0f));
    }
    EXPECT_EQ(0, HostCallback(nullptr, 6, 0, 0, nullptr, 0.0f));
    EXPECT_EQ(0, HostCallback(nullptr, -1, 0, 0, nullptr, 0.0f));

    const DWORD start = GetTickCount();
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(0, HostCallback(nullptr, audioMasterIdle, 0, 0, nullptr, 0.0f));
    EXPECT_GE(GetTickCount() - start, 40u) << "audioMasterIdle sleeps about 5 ms";
}

TEST(PlugWnd, RefusesRecordsThatAreNotOurPlugin)
{
    {
        CPlugWnd window(programInstance(), nullEntry);
        EXPECT_EQ(0, window.LoadPlugin());
        EXPECT_EQ(0, window.IsLoaded());
        EXPECT_EQ(nullptr, window.GetEffect());
    }
    {
        resetFake();
        fake.record.dispatcher = nullptr;
        CPlugWnd window(programInstance(), fakeEntry);
        EXPECT_EQ(0, window.LoadPlugin());
        EXPECT_EQ(0, window.IsLoaded());
    }
    {
        resetFake();
        fake.record.magic = 0x12345678;
        CPlugWnd window(programInstance(), fakeEntry);
        EXPECT_EQ(0, window.LoadPlugin());
        ASSERT_EQ(1u, fake.sent.size()) << "a foreign record is closed, nothing else";
        EXPECT_EQ(effClose, fake.sent[0].opcode);
        EXPECT_EQ(nullptr, window.GetEffect());
    }
    {
        resetFake();
        fake.identifyAnswer = 0x4E6F4566;
        CPlugWnd window(programInstance(), fakeEntry);
        EXPECT_EQ(0, window.LoadPlugin());
        ASSERT_EQ(1u, fake.sent.size()) << "after a wrong identity nothing else is sent";
        EXPECT_EQ(effIdentify, fake.sent[0].opcode);
        // Unbound: resume and suspend send nothing.
        window.Resume();
        window.Suspend();
        EXPECT_EQ(1u, fake.sent.size());
    }
}

TEST(PlugWnd, BindsSelectsProgramZeroAndResumes)
{
    resetFake();
    CPlugWnd window(programInstance(), fakeEntry);
    ASSERT_EQ(1, window.LoadPlugin());
    EXPECT_EQ(1, window.IsLoaded());
    EXPECT_EQ(&fake.record, window.GetEffect());
    EXPECT_EQ(programInstance(), fake.instanceSeen) << "the toolkit's module is the program's";
    EXPECT_EQ(&HostCallback, fake.callbackSeen);

    ASSERT_EQ(3u, fake.sent.size());
    EXPECT_EQ(effIdentify, fake.sent[0].opcode);
    EXPECT_EQ(effSetProgram, fake.sent[1].opcode);
    EXPECT_EQ(0, fake.sent[1].value);
    EXPECT_EQ(effMainsChanged, fake.sent[2].opcode);
    EXPECT_EQ(1, fake.sent[2].value);

    fake.sent.clear();
    window.Suspend();
    window.Resume();
    ASSERT_EQ(2u, fake.sent.size());
    EXPECT_EQ(effMainsChanged, fake.sent[0].opcode);
    EXPECT_EQ(0, fake.sent[0].value);
    EXPECT_EQ(1, fake.sent[1].value);

    float left[4] = {}, right[4] = {};
    float* inputs[2] = {left, right};
    float* outputs[2] = {right, left};
    EXPECT_EQ(1, window.Process(inputs, outputs, 4));
    EXPECT_EQ(inputs, fake.inputsSeen);
    EXPECT_EQ(outputs, fake.outputsSeen);
    EXPECT_EQ(4, fake.framesSeen);
}

TEST(PlugWnd, BindsTheCompiledInScopeEffect)
{
    CPlugWnd window(programInstance());
    ASSERT_EQ(1, window.LoadPlugin());
    AEffect* effect = window.GetEffect();
    ASSERT_NE(nullptr, effect);
    EXPECT_EQ(0x4578706C, effect->uniqueID);
    EXPECT_EQ(2, effect->numInputs);
    EXPECT_EQ(2, effect->numOutputs);
    EXPECT_EQ(512, effect->initialDelay);
}

TEST(PlugWnd, OpensTheEditorSizedByItsRightAndBottomAndSendsIdleEvery50ms)
{
    resetFake();
    ERect rect = {5, 7, 100, 150};
    fake.rect = &rect;
    CPlugWnd plug(programInstance(), fakeEntry);
    ASSERT_EQ(1, plug.LoadPlugin());
    fake.sent.clear();
    HWND demo = makeDemoWindow();
    ASSERT_EQ(1, plug.Create(demo));
    char name[32] = "";
    GetClassNameA(plug.GetHwnd(), name, sizeof(name));
    EXPECT_STREQ("CPLUGWND", name);
    EXPECT_EQ(0x46000000, GetWindowLongA(plug.GetHwnd(), GWL_STYLE) & ~WS_VISIBLE);
    ASSERT_EQ(3u, fake.sent.size());
    EXPECT_EQ(effEditGetRect, fake.sent[0].opcode);
    EXPECT_EQ(effEditOpen, fake.sent[1].opcode);
    EXPECT_EQ(effEditTop, fake.sent[2].opcode);
    EXPECT_EQ(plug.GetHwnd(), fake.openedIn);
    EXPECT_EQ(std::vector<LONG>({0, 31, 150, 100}), placeOf(plug.GetHwnd()));
    EXPECT_EQ(std::vector<LONG>({427, 270, 160, 160}), placeOf(demo));

    // About 20 ticks a second; the emulated machine may lag.
    fake.sent.clear();
    pumpMessages(1000);
    EXPECT_GE(fake.sent.size(), 12u);
    EXPECT_LE(fake.sent.size(), 22u);
    for (const Sent& sent : fake.sent)
        EXPECT_EQ(effEditIdle, sent.opcode);
    destroyDemoWindow(demo);
}
