#pragma once
// The playback controller: a feeder thread reads the current WAV file in
// 40 ms blocks, runs each block through the plug-in and hands it to the
// wave-out device. The GUI thread drives it with load, open, play and stop.

#include <windows.h>

#include <cstdint>

class CPlugWnd;
class CWaveFile;
class CWaveOutDevice;

class CWavePlayer
{
  public:
    static constexpr int32_t kPathBytes = 256;

    CWavePlayer(HINSTANCE instance, CPlugWnd* plugWnd);
    ~CWavePlayer();

    CWavePlayer(const CWavePlayer&) = delete;
    CWavePlayer& operator=(const CWavePlayer&) = delete;

    int LoadFile(const char* path);
    int OpenFromDialog();
    int Play();
    int Stop();
    void Shutdown();

    int IsPlaying() const { return playing; }
    int IsReady() const { return ready; }

  private:
    static DWORD WINAPI feederMain(LPVOID self);
    void feed();
    // Waits until the feeder has finished its current block and gone idle.
    int stopStream();
    // Replaces reader and device by new ones for the file in pathBuffer.
    int acceptFile(bool resume);
    void destroyReaderAndDevice();
    void allocatePath();

    HANDLE feederThread;
    HANDLE handshakeEvent;
    DWORD feederThreadId;
    char* pathBuffer;
    CWaveFile* reader;
    CWaveOutDevice* device;
    CPlugWnd* plugWnd;
    volatile LONG streaming;
    volatile LONG alive;
    volatile LONG startRequest;
    volatile LONG idleAck;
    int ready;
    volatile LONG playing;
    int32_t sampleRate;
    int32_t channels;
    int32_t lengthSeconds;
    int firstStart;
    // Held by the feeder while it takes a start request and while it works
    // on a block, and by a command while it replaces the reader and the
    // device: a start request that is still pending when the command runs
    // can then never reach a destroyed reader or device.
    CRITICAL_SECTION feedLock;
};
