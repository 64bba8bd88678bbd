#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "Version.h"
#include "plugin/AEffect.h"
#include "plugin/PluginBase.h"
#include "plugin/PluginEntry.h"

class CScopeDisplay;
class CScopeEngine;
class CScopeParams;

// One program: pointers into the effect's program block.
struct ProgramSlot
{
    uint8_t* data;
    char* name;
};

// The stereo scope: two inputs, two outputs, one parameter (Mono) and four
// programs whose data is the parameter data (programs are chunks). It owns
// its parameter store, its processing engine (restarted on every sample-rate
// change) and, once there is one, its editor.
//
// The editor reaches the effect as a CEditorBase (registered in `editor`)
// and as a CScopeDisplay (`display`); createEditor makes it with the factory
// the effect was given, which sets both. Every call to the editor is skipped
// while `display` is null.
//
// Hosts call the state operations (chunks, programs, program names) from
// any thread, several at once; each holds the state lock for its copies, so
// that a read returns one whole state. The audio thread never takes it.
class CScopeEffect : public CPluginBase
{
  public:
    static constexpr int32_t kNumPrograms = 4;
    static constexpr int32_t kProgramNameSize = 32;
    // A chunk holds one little-endian float per program.
    static constexpr int32_t kChunkValueBytes = 4;
    static constexpr int32_t kVendorVersion = ZW_VENDOR_VERSION;
    static constexpr int32_t kVstVersion = 2400;

    explicit CScopeEffect(HostCallbackProc hostCallback, EditorFactory makeEditor = nullptr);
    ~CScopeEffect() override;

    // The second construction step; CreatePluginInstance runs it once. False
    // when the processing could not be built.
    bool initialize();

    // Whether setChunk takes these bytes: the size getChunk writes for a
    // program (isPreset) or the bank, and every value finite and in [0, 1].
    static bool isValidChunk(const void* data, int32_t byteSize, bool isPreset);

    // What other hosts ask beyond the opcodes the base class knows: identity,
    // category, abilities and tail. Everything else goes to the base class.
    VstIntPtr dispatch(int32_t opcode, int32_t index, VstIntPtr value, void* ptr,
                       float opt) override;
    void setParameter(int32_t index, float value) override;
    float getParameter(int32_t index) override;
    void processAccumulating(float** inputs, float** outputs, int32_t sampleFrames) override;
    void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) override;
    void onClose() override;
    int32_t getProgram() override;
    void setProgram(int32_t program) override;
    void setProgramName(const char* name) override;
    void getProgramName(char* text) override;
    void getParameterLabel(int32_t index, char* text) override;
    void getParameterDisplay(int32_t index, char* text) override;
    void getParameterName(int32_t index, char* text) override;
    int32_t getChunk(void** data, bool isPreset) override;
    int32_t setChunk(void* data, int32_t byteSize, bool isPreset) override;
    void setSampleRate(float rate) override;
    void suspend() override;
    void resume() override;

    virtual void createEditor();
    virtual void createEngine(int32_t inputCount, int32_t rate, int32_t outputCount);
    virtual void writeParameterBlock(int32_t index, const void* source, int32_t length,
                                     int32_t offset);
    virtual void readParameterBlock(int32_t index, void* target, int32_t length, int32_t offset);
    virtual void saveProgram(int32_t program);
    virtual void loadProgram(int32_t program);

    CScopeEngine* getEngine() const { return engine.get(); }
    CScopeDisplay* getDisplay() const { return display; }

  protected:
    // For createEditor: the editor just made, which has registered itself.
    void attachDisplay(CScopeDisplay* newDisplay) { display = newDisplay; }

  private:
    bool isProgram(int32_t program) const { return program >= 0 && program < kNumPrograms; }
    bool isParameter(int32_t index) const { return index >= 0 && index < numParams; }
    void blockStep(float** inputs, float** outputs, int32_t sampleFrames, int32_t accumulate);
    void layOutPrograms();
    // The calling thread's chunk copy; a thread beyond kChunkReaders takes
    // the one used longest ago.
    uint8_t* chunkCopyOf(std::thread::id reader);

    int32_t chunkSize;
    std::unique_ptr<uint8_t[]> programBlock;
    ProgramSlot** programs;
    std::mutex stateLock;
    // What getChunk hands each thread: a copy that no later write touches,
    // whole until that thread asks again.
    static constexpr int32_t kChunkReaders = 4;
    struct ChunkReader
    {
        std::thread::id thread;
        uint32_t lastAsked;
    };
    ChunkReader chunkReaders[kChunkReaders];
    std::unique_ptr<uint8_t[]> chunkCopies;
    uint32_t chunkRequests;
    std::unique_ptr<CScopeParams> params;
    std::unique_ptr<CScopeEngine> engine;
    CScopeDisplay* display;
    EditorFactory makeEditor;
};
