#pragma once

// The VST 2 plug-in record and the numbers that go with it. The host only
// ever sees an AEffect; its layout is a binary interface and must not move.

#include <cstddef>
#include <cstdint>

// The VST 2 calling convention is cdecl on 32-bit Windows; elsewhere the
// platform default is the only one there is.
#if defined(_WIN32)
#define ZW_VSTCALL __cdecl
#else
#define ZW_VSTCALL
#endif

struct AEffect;

// The dispatcher's and the callback's value argument and their result are as
// wide as a pointer: 32 bits in the 32-bit build, 64 bits in the 64-bit one.
using VstIntPtr = intptr_t;

using HostCallbackProc = VstIntPtr(ZW_VSTCALL*)(AEffect* effect, int32_t opcode, int32_t index,
                                                VstIntPtr value, void* ptr, float opt);
using DispatcherProc = VstIntPtr(ZW_VSTCALL*)(AEffect* effect, int32_t opcode, int32_t index,
                                              VstIntPtr value, void* ptr, float opt);
using ProcessProc = void(ZW_VSTCALL*)(AEffect* effect, float** inputs, float** outputs,
                                      int32_t sampleFrames);
using SetParameterProc = void(ZW_VSTCALL*)(AEffect* effect, int32_t index, float value);
using GetParameterProc = float(ZW_VSTCALL*)(AEffect* effect, int32_t index);

// The plug-in's entry function: builds an instance and hands back its record.
using PluginEntryProc = AEffect*(ZW_VSTCALL*)(HostCallbackProc hostCallback);

struct AEffect
{
    int32_t magic;
    DispatcherProc dispatcher;
    ProcessProc process;
    SetParameterProc setParameter;
    GetParameterProc getParameter;
    int32_t numPrograms;
    int32_t numParams;
    int32_t numInputs;
    int32_t numOutputs;
    int32_t flags;
    // Pointer-sized, like value: a 64-bit host reads everything after them
    // at the offsets this gives.
    VstIntPtr resvd1;
    VstIntPtr resvd2;
    int32_t initialDelay;
    int32_t realQualities;
    int32_t offQualities;
    float ioRatio;
    void* object;
    void* user;
    int32_t uniqueID;
    int32_t version;
    ProcessProc processReplacing;
    char future[60];
};

// The editor's size as the host reads it after effEditGetRect.
struct ERect
{
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};

static_assert(sizeof(ERect) == 8, "ERect is four packed 16-bit values");

// Four-character codes keep their first character in the most significant byte.
constexpr int32_t fourCharCode(char a, char b, char c, char d)
{
    return static_cast<int32_t>((static_cast<uint32_t>(static_cast<unsigned char>(a)) << 24) |
                                (static_cast<uint32_t>(static_cast<unsigned char>(b)) << 16) |
                                (static_cast<uint32_t>(static_cast<unsigned char>(c)) << 8) |
                                static_cast<uint32_t>(static_cast<unsigned char>(d)));
}

constexpr int32_t kEffectMagic = fourCharCode('V', 's', 't', 'P');
constexpr int32_t kIdentifyAnswer = fourCharCode('N', 'v', 'E', 'f');
constexpr int32_t kScopeEffectId = fourCharCode('E', 'x', 'p', 'l');
constexpr int32_t kNoEffectId = fourCharCode('N', 'o', 'E', 'f');
constexpr int32_t kHostCurrentId = fourCharCode('T', 'E', 'S', 'T');

static_assert(kEffectMagic == 0x56737450, "'VstP'");
static_assert(kIdentifyAnswer == 0x4E764566, "'NvEf'");
static_assert(kScopeEffectId == 0x4578706C, "'Expl'");
static_assert(kNoEffectId == 0x4E6F4566, "'NoEf'");
static_assert(kHostCurrentId == 0x54455354, "'TEST'");

// Opcodes the host sends through the record's dispatcher.
enum DispatcherOpcode : int32_t
{
    effOpen = 0,
    effClose = 1,
    effSetProgram = 2,
    effGetProgram = 3,
    effSetProgramName = 4,
    effGetProgramName = 5,
    effGetParamLabel = 6,
    effGetParamDisplay = 7,
    effGetParamName = 8,
    effGetVu = 9,
    effSetSampleRate = 10,
    effSetBlockSize = 11,
    effMainsChanged = 12,
    effEditGetRect = 13,
    effEditOpen = 14,
    effEditClose = 15,
    effEditDraw = 16,
    effEditMouse = 17,
    effEditKey = 18,
    effEditIdle = 19,
    effEditTop = 20,
    effEditSleep = 21,
    effIdentify = 22,
    effGetChunk = 23,
    effSetChunk = 24,
    // What hosts ask a plug-in of its own.
    effGetPlugCategory = 35,
    effGetEffectName = 45,
    effGetVendorString = 47,
    effGetProductString = 48,
    effGetVendorVersion = 49,
    effCanDo = 51,
    effGetTailSize = 52,
    effGetVstVersion = 58,
};

// Answers to effGetPlugCategory.
constexpr int32_t kPlugCategoryAnalysis = 3;

// Opcodes the plug-in sends through the host callback.
enum HostOpcode : int32_t
{
    audioMasterAutomate = 0,
    audioMasterVersion = 1,
    audioMasterCurrentId = 2,
    audioMasterIdle = 3,
    audioMasterPinConnected = 4,
    // index the editor's new width, value its new height; 0 when refused.
    audioMasterSizeWindow = 15,
};

// The most characters of each text that a host's buffer takes, before the
// terminator: hosts allocate this plus one byte and nothing more.
constexpr int32_t kMaxParamTextChars = 8;
constexpr int32_t kMaxProgramNameChars = 23;
constexpr int32_t kMaxEffectNameChars = 31;
constexpr int32_t kMaxVendorTextChars = 63;

// Bits of AEffect::flags.
constexpr int32_t kFlagHasEditor = 0x01;
constexpr int32_t kFlagHasClip = 0x02;
constexpr int32_t kFlagHasVu = 0x04;
constexpr int32_t kFlagCanMono = 0x08;
constexpr int32_t kFlagCanReplacing = 0x10;
constexpr int32_t kFlagProgramChunks = 0x20;

// The layout is a binary interface in both widths: fixed offsets where
// pointers are 32 bits wide, natural alignment where they are 64.
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(AEffect, magic) == 0, "AEffect layout");
static_assert(offsetof(AEffect, dispatcher) == 4, "AEffect layout");
static_assert(offsetof(AEffect, process) == 8, "AEffect layout");
static_assert(offsetof(AEffect, setParameter) == 12, "AEffect layout");
static_assert(offsetof(AEffect, getParameter) == 16, "AEffect layout");
static_assert(offsetof(AEffect, numPrograms) == 20, "AEffect layout");
static_assert(offsetof(AEffect, numParams) == 24, "AEffect layout");
static_assert(offsetof(AEffect, numInputs) == 28, "AEffect layout");
static_assert(offsetof(AEffect, numOutputs) == 32, "AEffect layout");
static_assert(offsetof(AEffect, flags) == 36, "AEffect layout");
static_assert(offsetof(AEffect, resvd1) == 40, "AEffect layout");
static_assert(offsetof(AEffect, resvd2) == 44, "AEffect layout");
static_assert(offsetof(AEffect, initialDelay) == 48, "AEffect layout");
static_assert(offsetof(AEffect, realQualities) == 52, "AEffect layout");
static_assert(offsetof(AEffect, offQualities) == 56, "AEffect layout");
static_assert(offsetof(AEffect, ioRatio) == 60, "AEffect layout");
static_assert(offsetof(AEffect, object) == 64, "AEffect layout");
static_assert(offsetof(AEffect, user) == 68, "AEffect layout");
static_assert(offsetof(AEffect, uniqueID) == 72, "AEffect layout");
static_assert(offsetof(AEffect, version) == 76, "AEffect layout");
static_assert(offsetof(AEffect, processReplacing) == 80, "AEffect layout");
static_assert(offsetof(AEffect, future) == 84, "AEffect layout");
static_assert(sizeof(AEffect) == 144, "AEffect layout");
#elif UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
static_assert(offsetof(AEffect, magic) == 0, "AEffect layout");
static_assert(offsetof(AEffect, dispatcher) == 8, "AEffect layout");
static_assert(offsetof(AEffect, process) == 16, "AEffect layout");
static_assert(offsetof(AEffect, setParameter) == 24, "AEffect layout");
static_assert(offsetof(AEffect, getParameter) == 32, "AEffect layout");
static_assert(offsetof(AEffect, numPrograms) == 40, "AEffect layout");
static_assert(offsetof(AEffect, numParams) == 44, "AEffect layout");
static_assert(offsetof(AEffect, numInputs) == 48, "AEffect layout");
static_assert(offsetof(AEffect, numOutputs) == 52, "AEffect layout");
static_assert(offsetof(AEffect, flags) == 56, "AEffect layout");
static_assert(offsetof(AEffect, resvd1) == 64, "AEffect layout");
static_assert(offsetof(AEffect, resvd2) == 72, "AEffect layout");
static_assert(offsetof(AEffect, initialDelay) == 80, "AEffect layout");
static_assert(offsetof(AEffect, realQualities) == 84, "AEffect layout");
static_assert(offsetof(AEffect, offQualities) == 88, "AEffect layout");
static_assert(offsetof(AEffect, ioRatio) == 92, "AEffect layout");
static_assert(offsetof(AEffect, object) == 96, "AEffect layout");
static_assert(offsetof(AEffect, user) == 104, "AEffect layout");
static_assert(offsetof(AEffect, uniqueID) == 112, "AEffect layout");
static_assert(offsetof(AEffect, version) == 116, "AEffect layout");
static_assert(offsetof(AEffect, processReplacing) == 120, "AEffect layout");
static_assert(offsetof(AEffect, future) == 128, "AEffect layout");
static_assert(sizeof(AEffect) == 192, "AEffect layout");
#endif
