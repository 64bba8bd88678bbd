#include "plugin/ScopeEffect.h"

#include <cstring>
#include <new>

#include "plugin/ScopeDisplay.h"
#include "plugin/ScopeEngine.h"
#include "plugin/ScopeParams.h"
#include "plugin/SubnormalsAsZero.h"

namespace
{
const char kInitialProgramName[] = "Init";
const char kEffectName[] = "Zanderwick Scope";
const char kVendorName[] = "Zanderwick";
const char kProductName[] = "Zanderwick Scope";
constexpr float kInitialSampleRate = 44100.0f;

// A parameter value as the host may store it: a finite number in [0, 1].
bool isStorable(float value)
{
    return value >= 0.0f && value <= 1.0f;
}

using StateLock = std::lock_guard<std::mutex>;

} // namespace

CScopeEffect::CScopeEffect(HostCallbackProc callback, EditorFactory editorFactory)
    : CPluginBase(callback, kNumPrograms, 1), chunkSize(0), programBlock(), programs(nullptr),
      stateLock(), chunkReaders(), chunkCopies(), chunkRequests(0), params(), engine(),
      display(nullptr), makeEditor(editorFactory)
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

bool CScopeEffect::initialize()
{
    createEditor();
    params = std::make_unique<CScopeParams>();
    params->markAllChanged();
    setUniqueId(kScopeEffectId);
    setNumInputs(2);
    setNumOutputs(2);
    setFlagMono(true);
    setFlagReplacing(true);
    // One engine for the effect's life, sized for any block a host sends: a
    // rate change only restarts it, so a host that changes the rate while
    // its audio thread processes pulls nothing from under that thread.
    createEngine(record.numInputs, static_cast<int32_t>(kInitialSampleRate), record.numOutputs);
    if (!engine)
        return false;
    record.initialDelay = engine->blockLength();
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
    return true;
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
    chunkCopies.reset(new uint8_t[kChunkReaders * dataBytes]());
}

uint8_t* CScopeEffect::chunkCopyOf(std::thread::id reader)
{
    int32_t slot = 0;
    for (int32_t i = 0; i < kChunkReaders; ++i)
    {
        if (chunkReaders[i].thread == reader)
        {
            slot = i;
            break;
        }
        if (chunkReaders[i].lastAsked < chunkReaders[slot].lastAsked)
            slot = i;
    }
    chunkReaders[slot] = {reader, ++chunkRequests};
    return chunkCopies.get() + slot * kNumPrograms * static_cast<size_t>(chunkSize);
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
        return copyHostText(text, kEffectName, kMaxEffectNameChars);
    case effGetVendorString:
        return copyHostText(text, kVendorName, kMaxVendorTextChars);
    case effGetProductString:
        return copyHostText(text, kProductName, kMaxVendorTextChars);
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
    // Any thread may call this, the audio thread too: it stores the value,
    // and the editor shows it from its own thread. NaN is ignored, anything
    // else held to [0, 1].
    if (!isParameter(index) || value != value)
        return;
    value = value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
    params->setNormalized(index, value);
    if (display)
        display->setParameter(index, value);
}

float CScopeEffect::getParameter(int32_t index)
{
    if (!isParameter(index))
        return 0.0f;
    const float value = params->getNormalized(index, false);
    return isStorable(value) ? value : 0.0f;
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
    SubnormalsAsZero subnormalsAsZero;
    engine->takeMono(params.get());
    if (display)
        engine->takeBandsRequest(display->displayStore());
    engine->runStream(inputs, outputs, sampleFrames, accumulate);
    if (display)
        engine->publishResults(display->displayStore());
}

void CScopeEffect::onClose() {}

int32_t CScopeEffect::getProgram()
{
    const StateLock hold(stateLock);
    return currentProgram;
}

void CScopeEffect::setProgram(int32_t program)
{
    if (!isProgram(program))
        return;
    const StateLock hold(stateLock);
    saveProgram(currentProgram);
    loadProgram(program);
    currentProgram = program;
}

void CScopeEffect::setProgramName(const char* name)
{
    // The name area holds more, but a name must fit the host's 24-byte
    // buffer when it comes back; the host's text is read no further.
    if (!name)
        return;
    const StateLock hold(stateLock);
    copyHostText(programs[currentProgram]->name, name, kMaxProgramNameChars);
}

void CScopeEffect::getProgramName(char* text)
{
    const StateLock hold(stateLock);
    copyHostText(text, programs[currentProgram]->name, kMaxProgramNameChars);
}

void CScopeEffect::getParameterLabel(int32_t index, char* text)
{
    char label[CParamStore::kTextSize] = "";
    if (isParameter(index))
        params->getLabel(index, label);
    copyHostText(text, label, kMaxParamTextChars);
}

void CScopeEffect::getParameterDisplay(int32_t index, char* text)
{
    if (!text)
        return;
    if (!isParameter(index))
    {
        text[0] = 0;
        return;
    }
    // A look only: clearing the changed mark here would hide a new Mono
    // value from the engine's next block.
    formatFloat(params->getValue(index, false), text);
}

void CScopeEffect::getParameterName(int32_t index, char* text)
{
    char name[CParamStore::kTextSize] = "";
    if (isParameter(index))
        params->getName(index, name);
    copyHostText(text, name, kMaxParamTextChars);
}

int32_t CScopeEffect::getChunk(void** data, bool isPreset)
{
    if (!data)
        return 0;
    const StateLock hold(stateLock);
    saveProgram(currentProgram);
    const int32_t size = isPreset ? chunkSize : kNumPrograms * chunkSize;
    uint8_t* copy = chunkCopyOf(std::this_thread::get_id());
    std::memcpy(copy, isPreset ? programs[currentProgram]->data : programs[0]->data,
                static_cast<size_t>(size));
    *data = copy;
    return size;
}

int32_t CScopeEffect::setChunk(void* data, int32_t byteSize, bool isPreset)
{
    // Chunks come from project files, and those come from anywhere: only a
    // chunk such as getChunk writes is taken, whole, or nothing changes.
    if (!isValidChunk(data, byteSize, isPreset))
        return 0;
    const StateLock hold(stateLock);
    uint8_t* target = isPreset ? programs[currentProgram]->data : programs[0]->data;
    std::memcpy(target, data, static_cast<size_t>(byteSize));
    loadProgram(currentProgram);
    return 1;
}

bool CScopeEffect::isValidChunk(const void* data, int32_t byteSize, bool isPreset)
{
    const int32_t values = isPreset ? 1 : kNumPrograms;
    if (!data || byteSize != values * kChunkValueBytes)
        return false;
    for (int32_t i = 0; i < values; ++i)
    {
        float value;
        std::memcpy(&value, static_cast<const uint8_t*>(data) + i * kChunkValueBytes,
                    sizeof(value));
        if (!isStorable(value))
            return false;
    }
    return true;
}

void CScopeEffect::setSampleRate(float rate)
{
    sampleRate = rate;
    engine->setSampleRate(rate);
    params->markAllChanged();
    engine->takeMono(params.get());
}

void CScopeEffect::suspend()
{
    // The editor learns of it through its store and a flag, whatever thread
    // this is; the cleared results go first, so that an idle between the two
    // cannot put the last correlation back into the cleared range.
    if (engine)
    {
        engine->clearDisplay();
        if (display)
            engine->publishResults(display->displayStore());
    }
    if (display)
        display->resetDisplay();
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

void CScopeEffect::createEditor()
{
    // The editor registers itself as the effect's editor; without one every
    // call to it is skipped.
    if (makeEditor)
        attachDisplay(makeEditor(this));
}

AEffect* CreatePluginInstance(HostCallbackProc hostCallback, EditorFactory makeEditor)
{
    // Without a callback there is no host to answer the version question.
    if (!hostCallback || hostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    CScopeEffect* effect = new (std::nothrow) CScopeEffect(hostCallback, makeEditor);
    if (!effect)
        return nullptr;
    if (!effect->initialize())
    {
        delete effect;
        return nullptr;
    }
    return effect->getRecord();
}
