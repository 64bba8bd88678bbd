#include "plugin/ScopeEffect.h"

#include <cstring>
#include <new>

#include "plugin/ScopeDisplay.h"
#include "plugin/ScopeEngine.h"
#include "plugin/ScopeParams.h"

namespace
{
const char kInitialProgramName[] = "Init";
// Hosts give these texts 32 bytes at least; all stay well within.
const char kEffectName[] = "Zanderwick Scope";
const char kVendorName[] = "Zanderwick";
const char kProductName[] = "Zanderwick Scope";
constexpr float kInitialSampleRate = 44100.0f;

// The name and its terminator, nothing more.
int32_t copyName(char* text, const char* name)
{
    if (!text)
        return 0;
    std::strcpy(text, name);
    return 1;
}

// The engine is told the rate as a whole number; a rate outside the int
// range (or NaN) must not reach the conversion.
int32_t wholeRate(float rate)
{
    if (!(rate > -2147483648.0f && rate < 2147483648.0f))
        return 0;
    return static_cast<int32_t>(rate);
}
} // namespace

CScopeEffect::CScopeEffect(HostCallbackProc callback)
    : CPluginBase(callback, kNumPrograms, 1), chunkSize(0), programBlock(), programs(nullptr),
      params(), engine(), display(nullptr)
{
    currentProgram = 0;
    setFlagChunks(true);
}

CScopeEffect::~CScopeEffect()
{
    programBlock.reset();
    params.reset();
    engine.reset();
    // The base class deletes the editor; nothing may reach it through here.
    display = nullptr;
}

void CScopeEffect::initialize()
{
    createEditor();
    params = std::make_unique<CScopeParams>();
    params->markAllChanged();
    engine.reset();
    setUniqueId(kScopeEffectId);
    setNumInputs(2);
    setNumOutputs(2);
    setFlagMono(true);
    setFlagReplacing(true);
    setSampleRate(kInitialSampleRate);

    chunkSize = params->getSize(CScopeParams::kMono);
    layOutPrograms();
    for (int32_t program = 0; program < kNumPrograms; ++program)
    {
        saveProgram(program);
        std::memcpy(programs[program]->name, kInitialProgramName, sizeof(kInitialProgramName));
    }
    if (display)
        loadProgram(0);
}

void CScopeEffect::layOutPrograms()
{
    // One allocation: the program table, the slots, the four data areas in a
    // row (the bank chunk) and the four names.
    const size_t tableBytes = kNumPrograms * sizeof(ProgramSlot*);
    const size_t slotBytes = kNumPrograms * sizeof(ProgramSlot);
    const size_t dataBytes = kNumPrograms * static_cast<size_t>(chunkSize);
    const size_t nameBytes = kNumPrograms * kProgramNameSize;
    programBlock.reset(new uint8_t[tableBytes + slotBytes + dataBytes + nameBytes]());

    uint8_t* table = programBlock.get();
    uint8_t* slots = table + tableBytes;
    uint8_t* data = slots + slotBytes;
    char* names = reinterpret_cast<char*>(data + dataBytes);
    programs = reinterpret_cast<ProgramSlot**>(table);
    for (int32_t program = 0; program < kNumPrograms; ++program)
    {
        ProgramSlot* slot = new (slots + program * sizeof(ProgramSlot))
            ProgramSlot{data + program * chunkSize, names + program * kProgramNameSize};
        new (&programs[program]) ProgramSlot*(slot);
    }
}

VstIntPtr CScopeEffect::dispatch(int32_t opcode, int32_t index, VstIntPtr value, void* ptr,
                                 float opt)
{
    char* text = static_cast<char*>(ptr);
    switch (opcode)
    {
    case effGetPlugCategory:
        return kPlugCategoryAnalysis;
    case effGetEffectName:
        return copyName(text, kEffectName);
    case effGetVendorString:
        return copyName(text, kVendorName);
    case effGetProductString:
        return copyName(text, kProductName);
    case effGetVendorVersion:
        return kVendorVersion;
    case effCanDo:
        if (!text)
            return 0;
        // An insert or a send, never an instrument.
        if (!std::strcmp(text, "plugAsChannelInsert") || !std::strcmp(text, "plugAsSend"))
            return 1;
        if (!std::strcmp(text, "receiveVstEvents") || !std::strcmp(text, "receiveVstMidiEvent"))
            return -1;
        return 0;
    case effGetTailSize:
        // The last block comes out this long after the input ends.
        return record.initialDelay;
    case effGetVstVersion:
        return kVstVersion;
    default:
        return CPluginBase::dispatch(opcode, index, value, ptr, opt);
    }
}

void CScopeEffect::setParameter(int32_t index, float value)
{
    params->setNormalized(index, value);
    if (display)
        display->setParameter(index, value);
}

float CScopeEffect::getParameter(int32_t index)
{
    return params->getNormalized(index, false);
}

void CScopeEffect::processAccumulating(float** inputs, float** outputs, int32_t sampleFrames)
{
    blockStep(inputs, outputs, sampleFrames, 1);
}

void CScopeEffect::processReplacing(float** inputs, float** outputs, int32_t sampleFrames)
{
    blockStep(inputs, outputs, sampleFrames, 0);
}

void CScopeEffect::blockStep(float** inputs, float** outputs, int32_t sampleFrames,
                             int32_t accumulate)
{
    if (!engine)
        return;
    engine->takeMono(params.get());
    engine->runStream(inputs, outputs, sampleFrames, accumulate);
    if (display)
        engine->publishResults(display->displayStore());
}

void CScopeEffect::onClose() {}

void CScopeEffect::setProgram(int32_t program)
{
    if (!isProgram(program))
        return;
    saveProgram(currentProgram);
    loadProgram(program);
    currentProgram = program;
}

void CScopeEffect::setProgramName(const char* name)
{
    if (!name)
        return;
    char* target = programs[currentProgram]->name;
    std::strncpy(target, name, kProgramNameSize - 1);
    target[kProgramNameSize - 1] = 0;
}

void CScopeEffect::getProgramName(char* text)
{
    // The name and its terminator only: hosts size the buffer for the text.
    if (text)
        std::strcpy(text, programs[currentProgram]->name);
}

void CScopeEffect::getParameterLabel(int32_t index, char* text)
{
    params->getLabel(index, text);
}

void CScopeEffect::getParameterDisplay(int32_t index, char* text)
{
    if (!text)
        return;
    // A look only: clearing the changed mark here would hide a new Mono
    // value from the engine's next block.
    formatFloat(params->getValue(index, false), text);
}

void CScopeEffect::getParameterName(int32_t index, char* text)
{
    params->getName(index, text);
}

int32_t CScopeEffect::getChunk(void** data, bool isPreset)
{
    if (!data)
        return 0;
    saveProgram(currentProgram);
    if (isPreset)
    {
        *data = programs[currentProgram]->data;
        return chunkSize;
    }
    *data = programs[0]->data;
    return kNumPrograms * chunkSize;
}

int32_t CScopeEffect::setChunk(void* data, int32_t byteSize, bool isPreset)
{
    // Never more than the program (or the bank) holds; a negative size
    // copies nothing.
    const int32_t capacity = isPreset ? chunkSize : kNumPrograms * chunkSize;
    const int32_t bytes = byteSize < 0 ? 0 : (byteSize < capacity ? byteSize : capacity);
    uint8_t* target = isPreset ? programs[currentProgram]->data : programs[0]->data;
    if (data && bytes > 0)
        std::memcpy(target, data, static_cast<size_t>(bytes));
    loadProgram(currentProgram);
    return 0;
}

void CScopeEffect::setSampleRate(float rate)
{
    sampleRate = rate;
    engine.reset();
    createEngine(record.numInputs, wholeRate(rate), record.numOutputs);
    if (engine)
        record.initialDelay = engine->blockLength();
    if (params)
    {
        params->markAllChanged();
        if (engine)
            engine->takeMono(params.get());
    }
}

void CScopeEffect::suspend()
{
    if (display)
        display->resetDisplay();
    if (engine)
    {
        engine->clearDisplay();
        if (display)
            engine->publishResults(display->displayStore());
    }
}

void CScopeEffect::resume() {}

void CScopeEffect::createEngine(int32_t inputCount, int32_t rate, int32_t outputCount)
{
    engine.reset(new (std::nothrow)
                     CScopeEngine(inputCount, static_cast<double>(rate), outputCount));
}

void CScopeEffect::writeParameterBlock(int32_t index, const void* source, int32_t length,
                                       int32_t offset)
{
    params->writeBlock(index, source, length, offset);
    if (display)
        display->writeParameterBlock(index, source, length, offset);
}

void CScopeEffect::readParameterBlock(int32_t index, void* target, int32_t length, int32_t offset)
{
    params->readBlock(index, target, length, offset);
}

void CScopeEffect::saveProgram(int32_t program)
{
    if (!isProgram(program))
        return;
    uint8_t* data = programs[program]->data;
    if (params->isBlock(CScopeParams::kMono))
    {
        params->readBlock(CScopeParams::kMono, data, chunkSize, 0);
        return;
    }
    // A look only, as in getParameterDisplay.
    const float value = params->getNormalized(CScopeParams::kMono, false);
    std::memcpy(data, &value, sizeof(value));
}

void CScopeEffect::loadProgram(int32_t program)
{
    if (!isProgram(program))
        return;
    const uint8_t* data = programs[program]->data;
    if (params->isBlock(CScopeParams::kMono))
    {
        writeParameterBlock(CScopeParams::kMono, data, chunkSize, 0);
        return;
    }
    float value;
    std::memcpy(&value, data, sizeof(value));
    params->setNormalized(CScopeParams::kMono, value);
    if (display)
        display->setParameter(CScopeParams::kMono, value);
}

AEffect* ZW_VSTCALL CreatePluginInstance(HostCallbackProc hostCallback)
{
    // Without a callback there is no host to answer the version question.
    if (!hostCallback || hostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    CScopeEffect* effect = new (std::nothrow) CScopeEffect(hostCallback);
    if (!effect)
        return nullptr;
    effect->initialize();
    return effect->getRecord();
}
