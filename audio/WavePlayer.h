#pragma once
// The playback controller: a feeder thread reads the current WAV file in
// 40 ms blocks, runs each block through the plug-in and hands it to the
// wave-out device. The GUI thread drives it with load, play and stop; each
// command returns at once with its result, and when it was refused, with
// what the user is to be told.
//
// The life of a stream, in the feeder's states:
//
//   Idle          The feeder sleeps until it is woken. Only now does the GUI
//                 thread replace the stream (the reader and the device).
//   StartPending  A command accepted a file and asked for a start. The
//                 feeder takes it once its start-up delays are over, unless a
//                 stop or the next file withdraws it first (back to Idle).
//   Streaming     The feeder opens the device and plays: read a block,
//                 process it, write it; after the first 15 seconds (or the
//                 whole file and a second more) it starts over. A stop asks
//                 it to end (Stopping) and interrupts the device's write.
//   Stopping      The feeder ends the stream and goes Idle.
//   Ended         The controller is going: the feeder leaves its loop.
//
// When the device cannot be opened or stalls, the feeder gives the stream
// up (Streaming -> Idle) and posts kDeviceFailedMessage to the window, which
// shows the true state and tells the user what TakeDeviceFailure says.
//
// The effect processes only between a resume and a suspend: a command ends
// the stream and waits until the feeder is idle, and only then suspends the
// effect, sets the next file's rate or resumes it. A feeder that does not
// come back in time may still be inside the effect, so it is left alone.
//
// Every change of state is one transition below, made under one lock. The
// feeder co-owns everything it touches (the Feed), so a controller can be
// dropped at any time: a feeder stuck in a driver call frees the Feed when
// it comes back.

#include <windows.h>

#include <cstdint>
#include <memory>

#include "audio/Refusal.h"

class CEffectBinding;

class CWavePlayer
{
  public:
    static constexpr int32_t kPathBytes = 256;
    // Posted to the window when the feeder gave its stream up because the
    // device could not be opened or stopped answering.
    static constexpr UINT kDeviceFailedMessage = WM_USER;

    // How long the feeder waits before it takes its first start request:
    // once it was made, and again before that first start.
    struct StartDelays
    {
        DWORD startupMs;
        DWORD firstStartMs;
    };
    static constexpr StartDelays kStartDelays = {3000, 2000};

    CWavePlayer(HINSTANCE instance, CEffectBinding* effect, HWND window = nullptr,
                StartDelays startDelays = kStartDelays);
    // Stops and lets the feeder go; never waits for it for long.
    ~CWavePlayer();

    CWavePlayer(const CWavePlayer&) = delete;
    CWavePlayer& operator=(const CWavePlayer&) = delete;

    // A file is checked completely before anything else changes: a refused
    // file leaves the current one playing, and says why in `refusal`.
    int LoadFile(const char* path, Refusal& refusal);
    // Plays the last accepted file again from its start.
    int Play(Refusal& refusal);
    int Stop();
    // Stops and ends the feeder within a few seconds whatever the device
    // does. 1 when the feeder ended; 0 when it is stuck in a driver call (it
    // then frees what it uses when it comes back).
    int Shutdown();
    // Whether the feeder gave a stream up since the last call, once.
    bool TakeDeviceFailure();

    // A file is accepted and its stream is starting or running.
    int IsPlaying() const;
    int IsReady() const { return ready; }
    // How often the feeder woke up while it had no stream: it sleeps until
    // there is work, so this stays near zero.
    int32_t IdleWakeUps() const;

  private:
    enum class State
    {
        Idle,
        StartPending,
        Streaming,
        Stopping,
        Ended,
    };
    struct Feed;

    static DWORD WINAPI feederMain(LPVOID feed);

    // Checks the file at path and only then replaces the current stream.
    int acceptFile(const char* path, Refusal& refusal);
    // Withdraws a pending start, or ends the stream and waits (bounded)
    // until the feeder is idle; 0 when it is not.
    int stopStream();
    // Resume and suspend, each sent only when it changes the effect's state.
    void resumeEffect();
    void suspendEffect();

    // The GUI thread's; the Feed is shared with the feeder.
    std::shared_ptr<Feed> feed;
    HANDLE feederThread;
    // The last accepted path; empty until a file was accepted.
    char pathBuffer[kPathBytes];
    int ready;
    // Whether the effect was last resumed; the host resumes it when it binds it.
    bool effectResumed;
};
