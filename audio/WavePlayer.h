#pragma once
// The playback controller: a feeder thread reads the current WAV file in
// 40 ms blocks, runs each block through the plug-in and hands it to the
// wave-out device. The GUI thread drives it with load, open, play and stop.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>

class CEffectBinding;
class CWaveFile;
class CWaveOutDevice;

class CWavePlayer
{
  public:
    static constexpr int32_t kPathBytes = 256;
    // Posted to the news window when the feeder stopped a stream on its own
    // (the device could not be opened or stopped answering): the GUI thread
    // then shows the true state and calls TellNews.
    static constexpr UINT kNewsMessage = WM_USER;

    // How long the feeder waits before it takes its first start request:
    // once it was made, and again before that first start.
    struct StartDelays
    {
        DWORD startupMs;
        DWORD firstStartMs;
    };
    static constexpr StartDelays kStartDelays = {3000, 2000};

    CWavePlayer(HINSTANCE instance, CEffectBinding* effect, HWND newsWindow = nullptr,
                StartDelays startDelays = kStartDelays);
    // Shuts down first. Delete a controller only once Shutdown answered 1.
    ~CWavePlayer();

    CWavePlayer(const CWavePlayer&) = delete;
    CWavePlayer& operator=(const CWavePlayer&) = delete;

    // The commands of the GUI thread. A file is checked completely before
    // anything else changes: a refused file leaves the current one playing.
    // A command that arrives while another one still runs (a message box or
    // the open dialog is up) is refused with 0.
    int LoadFile(const char* path);
    int OpenFromDialog();
    int Play();
    int Stop();
    // Stops and ends the feeder within a few seconds whatever the device
    // does. 1 when the feeder ended; 0 when it is stuck in a driver call and
    // may still use this object, which must then outlive the process.
    int Shutdown();
    // Tells the user, once, what the feeder had to give up on. GUI thread.
    void TellNews();

    // A file is accepted and its stream is starting or running.
    int IsPlaying() const { return playing; }
    int IsReady() const { return ready; }
    // A command is running (its message box or dialog may be up).
    int IsBusy() const { return busy; }
    // How often the feeder woke up while it had no stream: it sleeps until
    // there is work, so this stays near zero.
    int32_t IdleWakeUps() const { return idleWakeUps; }

  private:
    // What the feeder streams: taken with a start request, left alone by
    // the GUI thread until the feeder has gone idle again.
    struct Stream
    {
        CWaveFile* reader;
        CWaveOutDevice* device;
        int32_t sampleRate;
        int32_t channels;
        int32_t lengthSeconds;
    };

    static DWORD WINAPI feederMain(LPVOID self);
    void feed();
    // Sleeps, unless the controller shuts down meanwhile.
    void pause(DWORD milliseconds);
    bool takeStartRequest(Stream& stream);
    void playStream(const Stream& stream, float** input, float** output);
    // The feeder gave up on its stream: the GUI hears of it through a post.
    void giveUp();
    void goIdle();

    // Withdraws a pending start and waits until the feeder is idle.
    int stopStream();
    // Checks the file at path and only then replaces the current stream.
    int acceptFile(const char* path, bool resume);
    void releaseStream();

    HANDLE feederThread;
    // Set while the feeder is idle; the GUI thread waits for it.
    HANDLE handshakeEvent;
    // Wakes the feeder for a start request or the shutdown.
    HANDLE wakeEvent;
    DWORD feederThreadId;
    HWND newsWindow;
    // The last accepted path; empty until a file was accepted.
    char pathBuffer[kPathBytes];
    std::unique_ptr<CWaveFile> reader;
    std::unique_ptr<CWaveOutDevice> device;
    CEffectBinding* effect;
    // Held only for the hand-over of a start request and of the feeder's
    // state, never across a device, file or message-box call.
    CRITICAL_SECTION stateLock;
    std::atomic<int32_t> streaming;
    std::atomic<int32_t> stopRequest;
    std::atomic<int32_t> alive;
    std::atomic<int32_t> startRequest;
    std::atomic<int32_t> playing;
    std::atomic<int32_t> news;
    std::atomic<int32_t> idleWakeUps;
    int ready;
    int busy;
    int shutDown;
    int feederEnded;
    int32_t sampleRate;
    int32_t channels;
    int32_t lengthSeconds;
    int firstStart;
    const StartDelays startDelays;
};
