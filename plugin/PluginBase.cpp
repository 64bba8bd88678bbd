#include "plugin/PluginBase.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "plugin/EditorBase.h"

namespace
{
constexpr int32_t kTextBudget = 8;
const char kHugeText[] = " Huge!  ";
const char kMinusInfinityText[] = "  -oo   ";

CPluginBase* objectOf(AEffect* effect)
{
    return effect ? static_cast<CPluginBase*>(effect->object) : nullptr;
}

// A 64-bit host's value may not fit the operation's 32-bit argument; it is
// held at the nearest end rather than wrapped into another number.
int32_t narrowed(VstIntPtr value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}
} // namespace

int32_t copyHostText(char* text, const char* source, int32_t maxChars)
{
    if (!text)
        return 0;
    const size_t length = source ? strnlen(source, static_cast<size_t>(maxChars)) : 0;
    if (length > 0)
        std::memcpy(text, source, length);
    text[length] = 0;
    return 1;
}

CPluginBase::CPluginBase(HostCallbackProc callback, int32_t programs, int32_t params)
    : sampleRate(44100.0f), editor(), hostCallback(callback), numPrograms(programs),
      numParams(params), currentProgram(0), blockSize(1024)
{
    std::memset(&record, 0, sizeof(record));
    record.magic = kEffectMagic;
    record.dispatcher = &CPluginBase::dispatcherEntry;
    record.process = &CPluginBase::processEntry;
    record.setParameter = &CPluginBase::setParameterEntry;
    record.getParameter = &CPluginBase::getParameterEntry;
    record.numPrograms = programs;
    record.numParams = params;
    record.numInputs = 1;
    record.numOutputs = 2;
    record.ioRatio = 1.0f;
    record.object = this;
    record.uniqueID = kNoEffectId;
    record.version = 1;
    record.processReplacing = &CPluginBase::processReplacingEntry;
}

CPluginBase::~CPluginBase() = default;

void CPluginBase::registerEditor(CEditorBase* newEditor)
{
    // An editor may announce itself more than once while it is built.
    if (editor.get() != newEditor)
        editor.reset(newEditor);
    setFlag(kFlagHasEditor, true);
}

void CPluginBase::setParameter(int32_t /*index*/, float /*value*/) {}

float CPluginBase::getParameter(int32_t /*index*/)
{
    return 0.0f;
}

void CPluginBase::setParameterAndNotify(int32_t index, float value)
{
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, value);
}

void CPluginBase::processReplacing(float** /*inputs*/, float** /*outputs*/,
                                   int32_t /*sampleFrames*/)
{
}

VstIntPtr CPluginBase::dispatch(int32_t opcode, int32_t index, VstIntPtr value, void* ptr,
                                float opt)
{
    switch (opcode)
    {
    case effOpen:
        onOpen();
        return 0;
    case effClose:
        onClose();
        return 0;
    case effSetProgram:
        // Negative numbers name no program either.
        if (value >= 0 && value < numPrograms)
            setProgram(static_cast<int32_t>(value));
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        setProgramName(static_cast<const char*>(ptr));
        return 0;
    case effGetProgramName:
        getProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetParamLabel:
        getParameterLabel(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamDisplay:
        getParameterDisplay(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamName:
        getParameterName(index, static_cast<char*>(ptr));
        return 0;
    case effGetVu:
    {
        const double level = getVuLevel() * 32767.0;
        // A derived level far out of range must not overflow the conversion.
        if (!(level > -2147483648.0))
            return level < 0.0 ? INT32_MIN : 0;
        if (level >= 2147483647.0)
            return INT32_MAX;
        return static_cast<int32_t>(level);
    }
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(narrowed(value));
        return 0;
    case effMainsChanged:
        if (value == 0)
            suspend();
        else
            resume();
        return 0;
    case effEditGetRect:
        return editor ? editor->getRect(static_cast<ERect**>(ptr)) : 0;
    case effEditOpen:
        return editor ? editor->open(ptr) : 0;
    case effEditClose:
        if (editor)
            editor->close();
        return 0;
    case effEditIdle:
        if (editor)
            editor->idle();
        return 0;
    case effIdentify:
        return kIdentifyAnswer;
    case effGetChunk:
        return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
        return setChunk(ptr, narrowed(value), index != 0);
    default:
        // effEditDraw, effEditMouse, effEditKey, effEditTop, effEditSleep and
        // anything we do not know.
        return 0;
    }
}

void CPluginBase::onOpen() {}

void CPluginBase::onClose() {}

int32_t CPluginBase::getProgram()
{
    return currentProgram;
}

void CPluginBase::setProgram(int32_t program)
{
    currentProgram = program;
}

void CPluginBase::setProgramName(const char* name)
{
    // The base class keeps no names; it only clears what it was given.
    if (name)
        *const_cast<char*>(name) = 0;
}

void CPluginBase::getProgramName(char* text)
{
    if (text)
        text[0] = 0;
}

void CPluginBase::getParameterLabel(int32_t /*index*/, char* text)
{
    if (text)
        text[0] = 0;
}

void CPluginBase::getParameterDisplay(int32_t /*index*/, char* text)
{
    if (text)
        text[0] = 0;
}

void CPluginBase::getParameterName(int32_t /*index*/, char* text)
{
    if (text)
        text[0] = 0;
}

float CPluginBase::getVuLevel()
{
    return 0.0f;
}

int32_t CPluginBase::getChunk(void** /*data*/, bool /*isPreset*/)
{
    return 0;
}

int32_t CPluginBase::setChunk(void* /*data*/, int32_t /*byteSize*/, bool /*isPreset*/)
{
    return 0;
}

void CPluginBase::setSampleRate(float rate)
{
    sampleRate = rate;
}

void CPluginBase::setBlockSize(int32_t size)
{
    blockSize = size;
}

void CPluginBase::suspend() {}

void CPluginBase::resume() {}

void CPluginBase::setUniqueId(int32_t id)
{
    record.uniqueID = id;
}

void CPluginBase::setNumInputs(int32_t n)
{
    record.numInputs = n;
}

void CPluginBase::setNumOutputs(int32_t n)
{
    record.numOutputs = n;
}

void CPluginBase::setFlagVu(bool on)
{
    setFlag(kFlagHasVu, on);
}

void CPluginBase::setFlagClip(bool on)
{
    setFlag(kFlagHasClip, on);
}

void CPluginBase::setFlagMono(bool on)
{
    setFlag(kFlagCanMono, on);
}

void CPluginBase::setFlagReplacing(bool on)
{
    setFlag(kFlagCanReplacing, on);
}

void CPluginBase::setFlagChunks(bool on)
{
    setFlag(kFlagProgramChunks, on);
}

void CPluginBase::setRealQualities(int32_t qualities)
{
    record.realQualities = qualities;
}

void CPluginBase::setOffQualities(int32_t qualities)
{
    record.offQualities = qualities;
}

void CPluginBase::setInitialDelay(int32_t delay)
{
    record.initialDelay = delay;
}

float CPluginBase::getSampleRate()
{
    return sampleRate;
}

int32_t CPluginBase::getBlockSize()
{
    return blockSize;
}

int32_t CPluginBase::queryHostVersion()
{
    // Hosts that predate the version query answer 0; they speak version 1.
    const int32_t version = narrowed(callHost(audioMasterVersion, 0, 0, 0.0f));
    return version ? version : 1;
}

int32_t CPluginBase::queryHostCurrentId()
{
    return narrowed(callHost(audioMasterCurrentId, 0, 0, 0.0f));
}

bool CPluginBase::askHostToResize(int32_t width, int32_t height)
{
    return callHost(audioMasterSizeWindow, width, height, 0.0f) != 0;
}

int32_t CPluginBase::callHostIdle()
{
    return narrowed(callHost(audioMasterIdle, 0, 0, 0.0f));
}

bool CPluginBase::isInputConnected(int32_t input)
{
    // The host answers 0 for a connected pin; without a host assume it is.
    return callHost(audioMasterPinConnected, input, 0, 0.0f) == 0;
}

bool CPluginBase::isOutputConnected(int32_t output)
{
    return callHost(audioMasterPinConnected, output, 1, 0.0f) == 0;
}

void CPluginBase::formatDecibels(float gain, char* text)
{
    if (gain > 0.0f)
        formatFloat(static_cast<float>(20.0 * std::log10(static_cast<double>(gain))), text);
    else
        std::strcpy(text, kMinusInfinityText);
}

void CPluginBase::formatHertz(float samples, char* text)
{
    formatFloat(samples != 0.0f ? getSampleRate() / samples : 0.0f, text);
}

void CPluginBase::formatMilliseconds(float samples, char* text)
{
    const double ms = static_cast<double>(samples) * 1000.0 / getSampleRate();
    formatFloat(static_cast<float>(ms), text);
}

void CPluginBase::formatFloat(float value, char* text)
{
    const bool negative = value < 0.0f;
    const double a = std::fabs(static_cast<double>(value));
    // Written as "not within" so that NaN is refused along with the huge values.
    if (!(a <= (negative ? 9999999.0 : 99999999.0)))
    {
        std::strcpy(text, kHugeText);
        return;
    }

    // Integer digits, least significant first. Scaling by 0.1 without
    // flooring still yields each digit through the truncated fmod.
    char digits[kTextBudget];
    int32_t numDigits = 0;
    double i = std::floor(a);
    do
    {
        digits[numDigits++] = static_cast<char>('0' + static_cast<int>(std::fmod(i, 10.0)));
        i *= 0.1;
    } while (i >= 1.0 && numDigits < kTextBudget);

    char* out = text;
    if (negative)
        *out++ = '-';
    while (numDigits > 0)
        *out++ = digits[--numDigits];

    const int32_t used = static_cast<int32_t>(out - text);
    if (used >= kTextBudget)
    {
        // The integer part alone fills the budget: drop the point rather
        // than a digit.
        *out = 0;
        return;
    }
    *out++ = '.';

    const int32_t numFraction = kTextBudget - (used + 1);
    double f = std::fmod(a, 1.0) * std::pow(10.0, numFraction);
    // Truncated, not rounded: build from the right.
    for (int32_t k = numFraction - 1; k >= 0; --k)
    {
        if (f <= 0.0)
        {
            out[k] = '0';
            continue;
        }
        out[k] = static_cast<char>('0' + static_cast<int>(std::fmod(f, 10.0)));
        f *= 0.1;
    }
    out[numFraction] = 0;
}

void CPluginBase::formatInteger(int32_t value, char* text)
{
    if (value >= 100000000)
    {
        std::strcpy(text, kHugeText);
        return;
    }
    char scratch[16];
    std::snprintf(scratch, sizeof(scratch), "%7d", static_cast<int>(value));
    // The text and its terminator, nothing more: hosts pass small buffers.
    const size_t length = strnlen(scratch, kTextBudget);
    std::memcpy(text, scratch, length);
    text[length] = 0;
}

void CPluginBase::setFlag(int32_t bit, bool on)
{
    if (on)
        record.flags |= bit;
    else
        record.flags &= ~bit;
}

VstIntPtr CPluginBase::callHost(int32_t opcode, int32_t index, VstIntPtr value, float opt)
{
    return hostCallback ? hostCallback(&record, opcode, index, value, nullptr, opt) : 0;
}

VstIntPtr ZW_VSTCALL CPluginBase::dispatcherEntry(AEffect* effect, int32_t opcode, int32_t index,
                                                  VstIntPtr value, void* ptr, float opt)
{
    CPluginBase* object = objectOf(effect);
    if (!object)
        return 0;
    const VstIntPtr result = object->dispatch(opcode, index, value, ptr, opt);
    if (opcode != effClose)
        return result;
    // The host gives the instance up with effClose; the record dies with it.
    delete object;
    return 1;
}

void ZW_VSTCALL CPluginBase::processEntry(AEffect* effect, float** inputs, float** outputs,
                                          int32_t sampleFrames)
{
    if (CPluginBase* object = objectOf(effect))
        object->processAccumulating(inputs, outputs, sampleFrames);
}

void ZW_VSTCALL CPluginBase::setParameterEntry(AEffect* effect, int32_t index, float value)
{
    if (CPluginBase* object = objectOf(effect))
        object->setParameter(index, value);
}

float ZW_VSTCALL CPluginBase::getParameterEntry(AEffect* effect, int32_t index)
{
    CPluginBase* object = objectOf(effect);
    return object ? object->getParameter(index) : 0.0f;
}

void ZW_VSTCALL CPluginBase::processReplacingEntry(AEffect* effect, float** inputs, float** outputs,
                                                   int32_t sampleFrames)
{
    if (CPluginBase* object = objectOf(effect))
        object->processReplacing(inputs, outputs, sampleFrames);
}
