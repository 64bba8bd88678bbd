#include "plugin/PluginBase.h"
#include "tests/support/HostCalls.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "plugin/EditorBase.h"

namespace
{
constexpr int32_t kMinInt = std::numeric_limits<int32_t>::min();
constexpr int32_t kMaxInt = std::numeric_limits<int32_t>::max();

// Host calls as "opcode index value opt"; each must carry the expected
// record and no pointer.
std::vector<std::string> gHostCalls;
AEffect* gExpectedRecord = nullptr;
int32_t gHostAnswer = 0;

VstIntPtr ZW_VSTCALL recordingHost(AEffect* e, int32_t op, int32_t i, VstIntPtr v, void* p, float f)
{
    EXPECT_EQ(e, gExpectedRecord);
    EXPECT_EQ(p, nullptr);
    std::ostringstream s;
    s << op << ' ' << i << ' ' << v << ' ' << f;
    gHostCalls.push_back(s.str());
    return gHostAnswer;
}

// Logs every operation the record can reach as "name index value" and keeps
// the pointer arguments of the last one.
class CRecordingEffect : public CPluginBase
{
  public:
    explicit CRecordingEffect(HostCallbackProc cb, std::vector<std::string>* trail = nullptr)
        : CPluginBase(cb, 4, 2), trail(trail)
    {
    }
    ~CRecordingEffect() override { note("destroyed"); }

    void setParameter(int32_t i, float v) override { note("setParameter", i, v); }
    float getParameter(int32_t i) override { return note("getParameter", i), 0.25f * i; }
    void processAccumulating(float** in, float** out, int32_t n) override
    {
        note("processAccumulating", n, 0, in, out);
    }
    void processReplacing(float** in, float** out, int32_t n) override
    {
        note("processReplacing", n, 0, in, out);
    }
    void onOpen() override { note("onOpen"); }
    void onClose() override { note("onClose"); }
    int32_t getProgram() override { return note("getProgram"), 3; }
    void setProgram(int32_t p) override { note("setProgram", p); }
    void setProgramName(const char* t) override { note("setProgramName", 0, 0, t); }
    void getProgramName(char* t) override { note("getProgramName", 0, 0, t); }
    void getParameterLabel(int32_t i, char* t) override { note("getParameterLabel", i, 0, t); }
    void getParameterDisplay(int32_t i, char* t) override { note("getParameterDisplay", i, 0, t); }
    void getParameterName(int32_t i, char* t) override { note("getParameterName", i, 0, t); }
    float getVuLevel() override { return note("getVuLevel"), vuLevel; }
    int32_t getChunk(void** d, bool preset) override { return note("getChunk", preset, 0, d), 16; }
    int32_t setChunk(void* d, int32_t n, bool preset) override
    {
        return note("setChunk", preset, n, d), 5;
    }
    void setSampleRate(float r) override { note("setSampleRate", 0, r); }
    void setBlockSize(int32_t n) override { note("setBlockSize", n); }
    void suspend() override { note("suspend"); }
    void resume() override { note("resume"); }

    std::vector<std::string> log;
    const void* lastPtr = nullptr;
    const void* lastOut = nullptr;
    float vuLevel = 0.5f;

  private:
    void note(const char* op, int32_t i = 0, float v = 0.0f, const void* p = nullptr,
              const void* out = nullptr)
    {
        std::ostringstream s;
        s << op << ' ' << i << ' ' << v;
        log.push_back(s.str());
        lastPtr = p;
        lastOut = out;
        if (trail)
            trail->push_back(op);
    }
    std::vector<std::string>* trail;
};

class CBareEffect : public CPluginBase
{
  public:
    CBareEffect(HostCallbackProc cb, int32_t programs, int32_t params)
        : CPluginBase(cb, programs, params)
    {
    }
    void processAccumulating(float**, float**, int32_t) override {}
};

class CRecordingEditor : public CEditorBase
{
  public:
    CRecordingEditor(CPluginBase* effect, std::vector<std::string>* trail = nullptr)
        : CEditorBase(effect), trail(trail)
    {
    }
    ~CRecordingEditor() override
    {
        if (trail)
            trail->push_back("editor destroyed");
    }
    int32_t getRect(ERect** out) override { return log.push_back("getRect"), *out = &rect, 1; }
    int32_t open(void* parent) override
    {
        return log.push_back("open"), CEditorBase::open(parent), 2;
    }
    void close() override { log.push_back("close"); }
    void idle() override { log.push_back("idle"); }

    std::vector<std::string> log;
    ERect rect{0, 0, 270, 220};

  private:
    std::vector<std::string>* trail;
};

class PluginBaseTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        gHostCalls.clear();
        gHostAnswer = 0;
        gExpectedRecord = record;
    }
    CRecordingEffect effect{&recordingHost};
    AEffect* record = effect.getRecord();
};
} // namespace

TEST_F(PluginBaseTest, BareEffectFillsTheRecordAndKeepsDefaults)
{
    CBareEffect bare(nullptr, 3, 5);
    AEffect* r = bare.getRecord();
    EXPECT_EQ(r->magic, 0x56737450);
    EXPECT_EQ(r->dispatcher, &CPluginBase::dispatcherEntry);
    EXPECT_EQ(r->process, &CPluginBase::processEntry);
    EXPECT_EQ(r->setParameter, &CPluginBase::setParameterEntry);
    EXPECT_EQ(r->getParameter, &CPluginBase::getParameterEntry);
    EXPECT_EQ(r->processReplacing, &CPluginBase::processReplacingEntry);
    EXPECT_EQ(r->numPrograms, 3);
    EXPECT_EQ(r->numParams, 5);
    EXPECT_EQ(r->numInputs, 1);
    EXPECT_EQ(r->numOutputs, 2);
    EXPECT_EQ(
        r->flags | r->resvd1 | r->resvd2 | r->initialDelay | r->realQualities | r->offQualities, 0);
    EXPECT_EQ(r->ioRatio, 1.0f);
    EXPECT_EQ(r->object, static_cast<CPluginBase*>(&bare));
    EXPECT_EQ(r->user, nullptr);
    EXPECT_EQ(r->uniqueID, 0x4E6F4566);
    EXPECT_EQ(r->version, 1);
    EXPECT_EQ(std::string(r->future, sizeof(r->future)), std::string(60, '\0'));
    EXPECT_EQ(bare.getSampleRate(), 44100.0f);
    EXPECT_EQ(bare.getBlockSize(), 1024);

    // The base only keeps program, rate and block size; names are cleared.
    char text[8] = "junk";
    call(r, effSetProgramName, 0, 0, text);
    EXPECT_STREQ(text, "");
    call(r, effSetProgram, 0, 2);
    call(r, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    call(r, effSetBlockSize, 0, 256);
    EXPECT_EQ(call(r, effGetProgram), 2);
    EXPECT_EQ(bare.getSampleRate(), 48000.0f);
    EXPECT_EQ(bare.getBlockSize(), 256);
    EXPECT_EQ(call(r, effGetVu), 0);
}

TEST_F(PluginBaseTest, SettersChangeOnlyTheirPartOfTheRecord)
{
    const struct
    {
        void (CPluginBase::*set)(bool);
        int32_t bit;
    } flags[] = {{&CPluginBase::setFlagClip, 0x02},
                 {&CPluginBase::setFlagVu, 0x04},
                 {&CPluginBase::setFlagMono, 0x08},
                 {&CPluginBase::setFlagReplacing, 0x10},
                 {&CPluginBase::setFlagChunks, 0x20}};
    for (const auto& f : flags)
    {
        record->flags = 0x41;
        (effect.*f.set)(true);
        EXPECT_EQ(record->flags, 0x41 | f.bit);
        record->flags = 0x7F;
        (effect.*f.set)(false);
        EXPECT_EQ(record->flags, 0x7F & ~f.bit);
    }
    // The scope effect's order: chunks, its editor registering, mono, replacing.
    record->flags = 0;
    effect.setFlagChunks(true);
    new CRecordingEditor(&effect);
    effect.setFlagMono(true);
    effect.setFlagReplacing(true);
    EXPECT_EQ(record->flags, 0x39);

    effect.setUniqueId(kScopeEffectId);
    effect.setNumInputs(2);
    effect.setNumOutputs(6);
    effect.setRealQualities(7);
    effect.setOffQualities(8);
    effect.setInitialDelay(512);
    EXPECT_EQ(record->uniqueID, 0x4578706C);
    EXPECT_EQ(record->numInputs + record->numOutputs * 10, 62);
    EXPECT_EQ(record->realQualities + record->offQualities * 10, 87);
    EXPECT_EQ(record->initialDelay, 512);
}

TEST_F(PluginBaseTest, EveryOpcodeReachesItsOperation)
{
    char text[32];
    void* data = nullptr;
    const struct
    {
        int32_t opcode, index, value;
        void* ptr;
        float opt;
        const char* call; // null: nothing may be called
        int32_t result;
    } cases[] = {
        {effOpen, 0, 0, nullptr, 0.0f, "onOpen 0 0", 0},
        {effSetProgram, 0, 3, nullptr, 0.0f, "setProgram 3 0", 0},
        {effGetProgram, 0, 0, nullptr, 0.0f, "getProgram 0 0", 3},
        {effSetProgramName, 0, 0, text, 0.0f, "setProgramName 0 0", 0},
        {effGetProgramName, 0, 0, text, 0.0f, "getProgramName 0 0", 0},
        {effGetParamLabel, 1, 0, text, 0.0f, "getParameterLabel 1 0", 0},
        {effGetParamDisplay, 1, 0, text, 0.0f, "getParameterDisplay 1 0", 0},
        {effGetParamName, 1, 0, text, 0.0f, "getParameterName 1 0", 0},
        {effGetVu, 0, 0, nullptr, 0.0f, "getVuLevel 0 0", 16383},
        {effSetSampleRate, 0, 0, nullptr, 48000.0f, "setSampleRate 0 48000", 0},
        {effSetBlockSize, 0, 512, nullptr, 0.0f, "setBlockSize 512 0", 0},
        {effMainsChanged, 0, 0, nullptr, 0.0f, "suspend 0 0", 0},
        {effMainsChanged, 0, 2, nullptr, 0.0f, "resume 0 0", 0},
        {effMainsChanged, 0, -1, nullptr, 0.0f, "resume 0 0", 0},
        {effGetChunk, 1, 0, &data, 0.0f, "getChunk 1 0", 16},
        {effGetChunk, 7, 0, &data, 0.0f, "getChunk 1 0", 16},
        {effGetChunk, 0, 0, &data, 0.0f, "getChunk 0 0", 16},
        {effSetChunk, 0, 16, text, 0.0f, "setChunk 0 16", 5},
        {effSetChunk, -1, 4, text, 0.0f, "setChunk 1 4", 5},
        {effIdentify, -5, 77, text, 3.0f, nullptr, 0x4E764566},
        // Program numbers that name no program, negative ones included.
        {effSetProgram, 0, 4, nullptr, 0.0f, nullptr, 0},
        {effSetProgram, 0, kMaxInt, nullptr, 0.0f, nullptr, 0},
        {effSetProgram, 0, -1, nullptr, 0.0f, nullptr, 0},
        {effSetProgram, 0, kMinInt, nullptr, 0.0f, nullptr, 0},
        {25, 1, 1, text, 1.0f, nullptr, 0},
        {kMaxInt, 1, 1, text, 1.0f, nullptr, 0},
        {-1, 1, 1, text, 1.0f, nullptr, 0},
        {kMinInt, 1, 1, text, 1.0f, nullptr, 0},
    };
    for (const auto& c : cases)
    {
        effect.log.clear();
        effect.lastPtr = nullptr;
        EXPECT_EQ(call(record, c.opcode, c.index, c.value, c.ptr, c.opt), c.result) << c.opcode;
        if (!c.call)
        {
            EXPECT_TRUE(effect.log.empty()) << c.opcode;
            continue;
        }
        EXPECT_EQ(effect.log, std::vector<std::string>{c.call}) << c.opcode;
        EXPECT_EQ(effect.lastPtr, c.ptr) << c.opcode;
    }
    EXPECT_TRUE(gHostCalls.empty());

    // The level is scaled to 16 bits, truncated toward zero and kept in range.
    const struct
    {
        float level;
        int32_t expected;
    } levels[] = {{1.0f, 32767},
                  {-0.5f, -16383},
                  {1.0e9f, kMaxInt},
                  {-1.0e9f, kMinInt},
                  {std::numeric_limits<float>::quiet_NaN(), 0}};
    for (const auto& l : levels)
    {
        effect.vuLevel = l.level;
        EXPECT_EQ(call(record, effGetVu), l.expected) << l.level;
    }
}

TEST_F(PluginBaseTest, EditorOpcodesGoToTheRegisteredEditorOnly)
{
    ERect* rect = nullptr;
    int parent = 0;
    for (int32_t opcode : {effEditGetRect, effEditOpen, effEditClose, effEditIdle})
        EXPECT_EQ(call(record, opcode, 0, 0, &rect), 0) << opcode;
    EXPECT_EQ(rect, nullptr);

    auto* editor = new CRecordingEditor(&effect);
    EXPECT_EQ(effect.getEditor(), editor);
    EXPECT_EQ(record->flags, kFlagHasEditor);
    EXPECT_EQ(call(record, effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect, &editor->rect);
    EXPECT_EQ(call(record, effEditOpen, 0, 0, &parent), 2);
    EXPECT_EQ(editor->getParentWindow(), &parent);
    EXPECT_EQ(call(record, effEditIdle, 0, 0, &parent), 0);
    EXPECT_EQ(call(record, effEditClose, 0, 0, &parent), 0);
    const int32_t ignored[] = {effEditDraw,  effEditMouse, effEditKey, effEditTop,
                               effEditSleep, 25,           -1};
    for (int32_t opcode : ignored)
        EXPECT_EQ(call(record, opcode, 1, 1, &parent, 1.0f), 0) << opcode;
    EXPECT_EQ(editor->log, (std::vector<std::string>{"getRect", "open", "idle", "close"}));
    EXPECT_TRUE(effect.log.empty());
}

TEST_F(PluginBaseTest, CloseRunsOnCloseThenDeletesEffectAndEditor)
{
    std::vector<std::string> trail;
    auto* doomed = new CRecordingEffect(&recordingHost, &trail);
    new CRecordingEditor(doomed, &trail);
    AEffect* r = doomed->getRecord();
    EXPECT_EQ(r->dispatcher(r, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(trail, (std::vector<std::string>{"onClose", "destroyed", "editor destroyed"}));

    // dispatch itself only runs onClose; deleting is the static entry's job.
    EXPECT_EQ(effect.dispatch(effClose, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(effect.log, std::vector<std::string>{"onClose 0 0"});
}

TEST_F(PluginBaseTest, RecordEntriesReachTheObject)
{
    float samples[4] = {};
    float* inputs[2] = {samples, samples + 1};
    float* outputs[2] = {samples + 2, samples + 3};
    record->process(record, inputs, outputs, 2);
    EXPECT_EQ(effect.lastPtr, inputs);
    EXPECT_EQ(effect.lastOut, outputs);
    record->processReplacing(record, outputs, inputs, 3);
    EXPECT_EQ(effect.lastPtr, outputs);
    EXPECT_EQ(effect.lastOut, inputs);
    record->setParameter(record, 1, 0.75f);
    EXPECT_EQ(record->getParameter(record, 3), 0.75f);
    EXPECT_EQ(effect.log,
              (std::vector<std::string>{"processAccumulating 2 0", "processReplacing 3 0",
                                        "setParameter 1 0.75", "getParameter 3 0"}));
    EXPECT_TRUE(gHostCalls.empty());
}

TEST_F(PluginBaseTest, HostCallsPassTheRecordAndTheirArguments)
{
    effect.setParameterAndNotify(1, 0.75f);
    EXPECT_EQ(effect.log, std::vector<std::string>{"setParameter 1 0.75"});
    gHostAnswer = 2;
    EXPECT_EQ(effect.queryHostVersion(), 2);
    gHostAnswer = 0;
    EXPECT_EQ(effect.queryHostVersion(), 1) << "an old host answers 0";
    gHostAnswer = kHostCurrentId;
    EXPECT_EQ(effect.queryHostCurrentId(), kHostCurrentId);
    gHostAnswer = 7;
    EXPECT_EQ(effect.callHostIdle(), 7);
    EXPECT_FALSE(effect.isInputConnected(3));
    gHostAnswer = 0;
    EXPECT_TRUE(effect.isOutputConnected(1));

    // automate, version twice, current id, idle, input pin 3, output pin 1
    EXPECT_EQ(gHostCalls, (std::vector<std::string>{"0 1 0 0.75", "1 0 0 0", "1 0 0 0", "2 0 0 0",
                                                    "3 0 0 0", "4 3 0 0", "4 1 1 0"}));

    // Without a callback every call is skipped and answers the defaults.
    CRecordingEffect lonely(nullptr);
    lonely.setParameterAndNotify(0, 1.0f);
    EXPECT_EQ(lonely.log, std::vector<std::string>{"setParameter 0 1"});
    EXPECT_EQ(lonely.queryHostVersion(), 1);
    EXPECT_EQ(lonely.queryHostCurrentId() + lonely.callHostIdle(), 0);
    EXPECT_TRUE(lonely.isInputConnected(0));
    EXPECT_TRUE(lonely.isOutputConnected(5));
    EXPECT_EQ(gHostCalls.size(), 7u);
}
