#include "plugin/ScopeEffect.h"
#include "tests/support/HostCalls.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "TestScopeEditor.h"
#include "plugin/ScopeEngine.h"
#include "tests/support/AllocationCount.h"

namespace
{
int32_t gVersion = 2400;

VstIntPtr ZW_VSTCALL host(AEffect*, int32_t opcode, int32_t, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? gVersion : 0;
}

std::string text(AEffect* e, int32_t opcode)
{
    char buffer[40] = "garbage";
    call(e, opcode, 0, 0, buffer);
    return buffer;
}

// One 512-frame call, left 0.75 and right 0.25; returns the last left
// output frame, which belongs to the block before.
float processBlock(AEffect* e, bool replacing = true)
{
    std::vector<float> l(512, 0.75f), r(512, 0.25f), outL(512), outR(512);
    float* in[] = {l.data(), r.data()};
    float* out[] = {outL.data(), outR.data()};
    (replacing ? e->processReplacing : e->process)(e, in, out, 512);
    return outL[511];
}
} // namespace

TEST(ScopeEffect, EntryBuildsTheRecordAndRefusesAHostWithoutVersion)
{
    gVersion = 0;
    EXPECT_EQ(CreatePluginInstance(host), nullptr);
    EXPECT_EQ(CreatePluginInstance(nullptr), nullptr);
    gVersion = 2400;
    AEffect* e = CreatePluginInstance(host);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->magic, kEffectMagic);
    EXPECT_EQ(e->uniqueID, kScopeEffectId);
    EXPECT_EQ(e->version, 1);
    EXPECT_EQ(std::vector<int32_t>({e->numPrograms, e->numParams, e->numInputs, e->numOutputs}),
              std::vector<int32_t>({4, 1, 2, 2}));
    EXPECT_EQ(e->flags, 0x38) << "no editor without a factory for one";
    EXPECT_EQ(e->initialDelay, 512);
    EXPECT_EQ(call(e, effClose), 1);
}

TEST(ScopeEffect, MonoParameterReadsBackAndOnlyOneSwitchesTheSum)
{
    AEffect* e = CreatePluginInstance(host);
    EXPECT_EQ(e->getParameter(e, 0), 0.0f);
    EXPECT_EQ(text(e, effGetParamName) + "|" + text(e, effGetParamLabel), "Mono|");
    EXPECT_EQ(text(e, effGetParamDisplay), "0.000000");
    e->setParameter(e, 0, 0.5f);
    EXPECT_EQ(e->getParameter(e, 0), 0.5f);
    EXPECT_EQ(text(e, effGetParamDisplay), "0.500000");
    EXPECT_EQ(processBlock(e), 0.0f) << "512 frames of latency";
    EXPECT_EQ(processBlock(e), 0.75f) << "0.5 counts as off";
    e->setParameter(e, 0, 1.0f);
    EXPECT_EQ(text(e, effGetParamDisplay), "1.000000") << "a look hides nothing from the engine";
    processBlock(e);
    EXPECT_EQ(processBlock(e), 0.5f);
    call(e, effClose);
}

TEST(ScopeEffect, ProgramsAndChunksStayInsideTheirAreas)
{
    AEffect* e = CreatePluginInstance(host);
    EXPECT_EQ(text(e, effGetProgramName), "Init");
    e->setParameter(e, 0, 1.0f);
    call(e, effSetProgram, 0, 2);
    EXPECT_EQ(call(e, effGetProgram), 2);
    EXPECT_EQ(e->getParameter(e, 0), 0.0f);
    call(e, effSetProgram, 0, 0);
    EXPECT_EQ(e->getParameter(e, 0), 1.0f);
    static_cast<CScopeEffect*>(e->object)->setProgram(-1);
    static_cast<CScopeEffect*>(e->object)->setProgram(4);
    EXPECT_EQ(call(e, effGetProgram), 0) << "no program outside 0..3";

    call(e, effSetProgram, 0, 1);
    const std::string longName(40, 'x');
    call(e, effSetProgramName, 0, 0, const_cast<char*>(longName.c_str()));
    EXPECT_EQ(text(e, effGetProgramName), std::string(23, 'x')) << "what a host's buffer takes";
    call(e, effSetProgram, 0, 3);
    EXPECT_EQ(text(e, effGetProgramName), "Init");

    float* data = nullptr;
    EXPECT_EQ(call(e, effGetChunk, 1, 0, &data), 4);
    EXPECT_EQ(data[0], 0.0f);
    EXPECT_EQ(call(e, effGetChunk, 0, 0, &data), 16);
    EXPECT_EQ(std::vector<float>(data, data + 4), std::vector<float>({1.0f, 0.0f, 0.0f, 0.0f}));

    call(e, effSetProgram, 0, 0);
    float bank[16] = {0.0f, 1.0f, 0.0f, 1.0f};
    EXPECT_EQ(call(e, effSetChunk, 0, 4 * 16, bank), 0) << "a long bank is refused";
    EXPECT_EQ(e->getParameter(e, 0), 1.0f);
    EXPECT_EQ(call(e, effSetChunk, 0, 16, bank), 1);
    EXPECT_EQ(e->getParameter(e, 0), 0.0f);
    float on = 1.0f;
    EXPECT_EQ(call(e, effSetChunk, 1, 4, &on), 1);
    EXPECT_EQ(e->getParameter(e, 0), 1.0f);
    EXPECT_EQ(call(e, effSetChunk, 1, -4, bank), 0);
    EXPECT_EQ(e->getParameter(e, 0), 1.0f) << "a negative size copies nothing";
    EXPECT_EQ(text(e, effGetProgramName), "Init") << "the names behind the data are intact";
    call(e, effClose);
}

TEST(ScopeEffect, TextGettersWriteTheTextAndItsTerminatorOnly)
{
    // Hosts commonly pass 8 + 1 bytes for parameter texts and 24 + 1 for
    // program names; whatever the buffer, the bytes after the terminator
    // are the host's.
    AEffect* e = CreatePluginInstance(host);
    auto written = [&](int32_t opcode)
    {
        char buffer[64];
        std::memset(buffer, 0x5A, sizeof buffer);
        call(e, opcode, 0, 0, buffer);
        const size_t length = strnlen(buffer, sizeof buffer);
        EXPECT_EQ(std::string(buffer + length + 1, buffer + sizeof buffer),
                  std::string(sizeof buffer - length - 1, 0x5A))
            << "opcode " << opcode << " wrote past its terminator";
        return std::string(buffer, length);
    };
    EXPECT_EQ(written(effGetParamName), "Mono");
    EXPECT_EQ(written(effGetParamLabel), "");
    EXPECT_EQ(written(effGetParamDisplay), "0.000000");
    EXPECT_EQ(written(effGetProgramName), "Init");
    const std::string name = "Wide stereo, vocals left";
    call(e, effSetProgramName, 0, 0, const_cast<char*>(name.c_str()));
    EXPECT_EQ(written(effGetProgramName), name.substr(0, 23));
    call(e, effClose);
}

TEST(ScopeEffect, SampleRateRestartsTheEngineAndSuspendPublishesACleanDisplay)
{
    auto* effect = new CEditedScopeEffect(host);
    AEffect* e = effect->getRecord();
    CTestScopeEditor* editor = effect->testEditor();
    EXPECT_EQ(e->flags, 0x39);
    EXPECT_EQ(editor->sets, 1) << "program 0 loaded into the editor";
    e->setParameter(e, 0, 1.0f);
    EXPECT_EQ(editor->lastSet, 1.0f) << "mirrored into the editor";
    processBlock(e, false);
    EXPECT_EQ(processBlock(e, false), 0.5f) << "accumulated onto silence";

    call(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    EXPECT_EQ(e->initialDelay, 512);
    EXPECT_EQ(effect->getSampleRate(), 48000.0f);
    EXPECT_EQ(processBlock(e), 0.0f) << "nothing buffered survives";
    EXPECT_EQ(processBlock(e), 0.5f) << "Mono carried over";

    // A block of opposite signs restarts the meter unsmoothed at -1.
    call(e, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    e->setParameter(e, 0, 0.0f);
    std::vector<float> l(512, 0.5f), r(512, -0.5f);
    float* io[] = {l.data(), r.data()};
    e->processReplacing(e, io, io, 512);
    EXPECT_EQ(editor->store.getValue(CScopeParams::kCorrelation, false), -1.0f);

    call(e, effMainsChanged, 0, 0);
    EXPECT_EQ(editor->resets, 1);
    EXPECT_EQ(editor->store.getValue(CScopeParams::kCorrelation, true), 0.0f);
    std::vector<float> points(512, 9.0f);
    EXPECT_EQ(editor->store.isChanged(CScopeParams::kMidPoints), 1);
    editor->store.readBlock(CScopeParams::kMidPoints, points.data(), 2048, 0);
    EXPECT_EQ(points, std::vector<float>(512, 0.0f));

    call(e, effSetSampleRate, 0, 0, nullptr, 1e30f);
    EXPECT_NE(effect->getEngine(), nullptr) << "a rate no integer holds still builds an engine";
    call(e, effClose);
}

TEST(ScopeEffect, ProcessingAllocatesNothingAfterConstruction)
{
    auto* effect = new CEditedScopeEffect(host);
    AEffect* e = effect->getRecord();
    std::vector<float> l(1764, 0.5f), r(1764, -0.25f), outL(1764), outR(1764);
    float* in[] = {l.data(), r.data()};
    float* out[] = {outL.data(), outR.data()};
    const long before = allocationsMade();
    for (int round = 0; round < 50; ++round)
    {
        e->setParameter(e, 0, static_cast<float>(round % 2));
        e->processReplacing(e, in, out, 1 + (64 + 37 * round) % 1764);
        e->process(e, in, out, 1764);
        if (round % 10 == 0)
            call(e, effMainsChanged, 0, 0);
    }
    EXPECT_EQ(allocationsMade() - before, 0);
    EXPECT_GT(before, 0) << "the counter is in place";
    call(e, effClose);
}
