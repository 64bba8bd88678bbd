#pragma once

#include <cstdint>
#include <memory>

#include "plugin/AEffect.h"

class CEditorBase;

// Copies at most maxChars characters of source and a terminator into a
// host's buffer; reads no more of source than it copies. 0 without a buffer.
int32_t copyHostText(char* text, const char* source, int32_t maxChars);

// Generic VST 2 effect: owns the record the host talks to, turns dispatcher
// opcodes into virtual calls and wraps the calls back to the host. The order
// of the virtual operations is part of the interface; append, never insert.
class CPluginBase
{
  public:
    CPluginBase(HostCallbackProc hostCallback, int32_t numPrograms, int32_t numParams);
    virtual ~CPluginBase();

    CPluginBase(const CPluginBase&) = delete;
    CPluginBase& operator=(const CPluginBase&) = delete;

    virtual void setParameter(int32_t index, float value);
    virtual float getParameter(int32_t index);
    virtual void setParameterAndNotify(int32_t index, float value);
    virtual void processAccumulating(float** inputs, float** outputs, int32_t sampleFrames) = 0;
    virtual void processReplacing(float** inputs, float** outputs, int32_t sampleFrames);
    virtual VstIntPtr dispatch(int32_t opcode, int32_t index, VstIntPtr value, void* ptr,
                               float opt);
    virtual void onOpen();
    virtual void onClose();
    virtual int32_t getProgram();
    virtual void setProgram(int32_t program);
    virtual void setProgramName(const char* name);
    virtual void getProgramName(char* text);
    virtual void getParameterLabel(int32_t index, char* text);
    virtual void getParameterDisplay(int32_t index, char* text);
    virtual void getParameterName(int32_t index, char* text);
    virtual float getVuLevel();
    virtual int32_t getChunk(void** data, bool isPreset);
    virtual int32_t setChunk(void* data, int32_t byteSize, bool isPreset);
    virtual void setSampleRate(float rate);
    virtual void setBlockSize(int32_t size);
    virtual void suspend();
    virtual void resume();
    virtual void setUniqueId(int32_t id);
    virtual void setNumInputs(int32_t n);
    virtual void setNumOutputs(int32_t n);
    virtual void setFlagVu(bool on);
    virtual void setFlagClip(bool on);
    virtual void setFlagMono(bool on);
    virtual void setFlagReplacing(bool on);
    virtual void setFlagChunks(bool on);
    virtual void setRealQualities(int32_t qualities);
    virtual void setOffQualities(int32_t qualities);
    virtual void setInitialDelay(int32_t delay);
    virtual float getSampleRate();
    virtual int32_t getBlockSize();
    virtual int32_t queryHostVersion();
    virtual int32_t queryHostCurrentId();
    virtual int32_t callHostIdle();
    // Asks the host to fit its window to an editor of the new size; false
    // when it did not.
    bool askHostToResize(int32_t width, int32_t height);
    virtual bool isInputConnected(int32_t input);
    virtual bool isOutputConnected(int32_t output);
    // Parameter display helpers: at most 8 characters plus the terminator,
    // so text must hold 9 bytes.
    virtual void formatDecibels(float gain, char* text);
    virtual void formatHertz(float samples, char* text);
    virtual void formatMilliseconds(float samples, char* text);
    virtual void formatFloat(float value, char* text);
    virtual void formatInteger(int32_t value, char* text);

    AEffect* getRecord() { return &record; }
    CEditorBase* getEditor() const { return editor.get(); }

    // The editor announces itself here; the effect owns it from then on.
    void registerEditor(CEditorBase* newEditor);

    // The entries stored in the record.
    static VstIntPtr ZW_VSTCALL dispatcherEntry(AEffect* effect, int32_t opcode, int32_t index,
                                                VstIntPtr value, void* ptr, float opt);
    static void ZW_VSTCALL processEntry(AEffect* effect, float** inputs, float** outputs,
                                        int32_t sampleFrames);
    static void ZW_VSTCALL setParameterEntry(AEffect* effect, int32_t index, float value);
    static float ZW_VSTCALL getParameterEntry(AEffect* effect, int32_t index);
    static void ZW_VSTCALL processReplacingEntry(AEffect* effect, float** inputs, float** outputs,
                                                 int32_t sampleFrames);

  protected:
    float sampleRate;
    std::unique_ptr<CEditorBase> editor;
    HostCallbackProc hostCallback;
    int32_t numPrograms;
    int32_t numParams;
    int32_t currentProgram;
    int32_t blockSize;
    AEffect record;

  private:
    void setFlag(int32_t bit, bool on);
    VstIntPtr callHost(int32_t opcode, int32_t index, VstIntPtr value, float opt);
};
