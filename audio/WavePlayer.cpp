#include "audio/WavePlayer.h"

#include <atomic>
#include <cstring>
#include <new>
#include <utility>

#include "audio/Deadline.h"
#include "audio/EffectBinding.h"
#include "audio/PlaybackBlocks.h"
#include "audio/WaveFile.h"
#include "audio/WaveOutDevice.h"

namespace
{
const int32_t kReaderCapacityFrames = 1584000;
// Each of the feeder's four channel buffers has room for twice the longest
// block (40 ms at 48 kHz); a pass uses one block of it.
constexpr int32_t kMaxBlockFrames = 2 * blockFramesFor(48000);
const int32_t kChannelBuffers = 4;
// The feeder sleeps until it is woken; this only bounds each sleep.
const DWORD kIdleWaitMs = 1000;
// Bounds of the GUI thread's waits. A write waiting for the device is
// interrupted at once, so the feeder goes idle within a block's work.
const DWORD kFeederStartWaitMs = 2000;
const DWORD kStopWaitMs = 1000;
const DWORD kShutdownWaitMs = 1000;
// A device whose driver does not come back from the reset is left behind.
const DWORD kDeviceDisposeWaitMs = 500;

// What the controller has against an open file, or null.
const char* refusalFor(CWaveFile& file)
{
    const int32_t channels = file.getChannels();
    const int32_t bits = file.getBitsPerSample();
    const double rate = file.getSampleRate();
    if (channels != 1 && channels != 2)
        return "No Mono or Stereo File";
    if (file.hasFloatSamples() ? bits != 32 && bits != 64 : bits < 8 || bits > 32)
        return "No 8 to 24 Bit Wavefile";
    if (rate != 44100.0 && rate != 48000.0)
        return "No 44.1 kHz or 48 kHz Wavefile";
    return nullptr;
}

class CLock
{
  public:
    explicit CLock(CRITICAL_SECTION& section) : section(section) { EnterCriticalSection(&section); }
    ~CLock() { LeaveCriticalSection(&section); }
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;

  private:
    CRITICAL_SECTION& section;
};
} // namespace

// What the GUI thread and the feeder share: the state, the stream and the
// effect. Each transition below holds the lock; nothing holds it across a
// device, file or effect call.
struct CWavePlayer::Feed
{
    // The file and the device being played, and the file's facts.
    struct Stream
    {
        std::unique_ptr<CWaveFile> reader;
        std::unique_ptr<CWaveOutDevice> device;
        int32_t rate = 0;
        int32_t channels = 0;
        int64_t lengthSeconds = 0;
    };

    Feed(CEffectBinding* effect, HWND window, StartDelays delays)
        : state(State::Idle), deviceFailed(false),
          wake(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
          idle(CreateEventA(nullptr, TRUE, FALSE, nullptr)), idleWakeUps(0), effect(effect),
          window(window), delays(delays)
    {
        InitializeCriticalSection(&lock);
    }
    ~Feed()
    {
        release();
        for (HANDLE event : {wake, idle})
            if (event)
                CloseHandle(event);
        DeleteCriticalSection(&lock);
    }
    Feed(const Feed&) = delete;
    Feed& operator=(const Feed&) = delete;

    State current()
    {
        CLock hold(lock);
        return state;
    }

    // GUI thread, while the feeder is idle: the next stream, to be started.
    void requestStart(Stream next)
    {
        release();
        stream = std::move(next);
        {
            CLock hold(lock);
            state = State::StartPending;
        }
        SetEvent(wake);
    }
    // GUI thread: withdraws a pending start, or asks a running stream to
    // end. The state it found.
    State requestStop()
    {
        CLock hold(lock);
        const State found = state;
        if (state == State::StartPending)
            state = State::Idle;
        else if (state == State::Streaming)
            state = State::Stopping;
        return found;
    }
    // GUI thread: the feeder is to leave its loop.
    void end()
    {
        {
            CLock hold(lock);
            state = State::Ended;
        }
        SetEvent(wake);
    }
    // GUI thread, while the feeder is idle, or the last owner.
    void release()
    {
        stream.reader.reset();
        CWaveOutDevice::dispose(std::move(stream.device), kDeviceDisposeWaitMs);
    }

    // The feeder's side.
    void run();
    // Sleeps, unless the controller ends meanwhile.
    void pause(DWORD milliseconds)
    {
        waitWithin(wake, milliseconds, [this] { return current() == State::Ended; });
    }
    bool take()
    {
        CLock hold(lock);
        if (state != State::StartPending)
            return false;
        state = State::Streaming;
        ResetEvent(idle);
        return true;
    }
    // Plays the stream until it is asked to end; false when the device failed.
    bool play(float** input, float** output);
    void finish(bool failed)
    {
        {
            CLock hold(lock);
            if (state != State::Ended)
                state = State::Idle;
            deviceFailed = deviceFailed || failed;
            SetEvent(idle);
        }
        if (failed && window)
            PostMessageA(window, kDeviceFailedMessage, 0, 0);
    }

    CRITICAL_SECTION lock;
    State state;
    // Replaced by the GUI thread only while the feeder is idle; used by the
    // feeder only while it streams.
    Stream stream;
    bool deviceFailed;
    // Wakes the feeder for a start request or the end (auto-reset).
    HANDLE wake;
    // Set while the feeder runs and streams nothing.
    HANDLE idle;
    std::atomic<int32_t> idleWakeUps;
    CEffectBinding* const effect;
    const HWND window;
    const StartDelays delays;
};

void CWavePlayer::Feed::run()
{
    std::unique_ptr<float[]> memory(new (std::nothrow) float[kChannelBuffers * kMaxBlockFrames]);
    if (!memory)
        return;
    float* input[2] = {&memory[0], &memory[kMaxBlockFrames]};
    float* output[2] = {&memory[2 * kMaxBlockFrames], &memory[3 * kMaxBlockFrames]};
    SetEvent(idle);
    pause(delays.startupMs);

    bool firstStart = true;
    for (State now; (now = current()) != State::Ended;)
    {
        if (now != State::StartPending)
        {
            WaitForSingleObject(wake, kIdleWaitMs);
            ++idleWakeUps;
        }
        else if (firstStart)
        {
            // A command during the sleep may withdraw the request or make
            // another one for a new stream: asked again after it.
            pause(delays.firstStartMs);
            firstStart = false;
        }
        else if (take())
            finish(!play(input, output));
    }
}

bool CWavePlayer::Feed::play(float** input, float** output)
{
    if (!stream.device->Open())
        return current() != State::Streaming;
    const int32_t blockFrames = blockFramesFor(stream.rate);
    const int64_t lastBlock = lastBlockBeforeRepeat(stream.rate, stream.lengthSeconds);
    for (int64_t block = 0; current() == State::Streaming;
         block = block < lastBlock ? block + 1 : 0)
    {
        stream.reader->seekAndRead(blockFrames * block, input, 0, blockFrames);
        // A mono file plays as two equal channels.
        if (stream.channels == 1)
            std::memcpy(input[1], input[0], blockFrames * sizeof(float));
        effect->Process(input, output, blockFrames);
        // Interrupted by a stop, or the device failed or stalled.
        if (!stream.device->Write(output))
            return current() != State::Streaming;
    }
    return true;
}

CWavePlayer::CWavePlayer(HINSTANCE /*instance*/, CEffectBinding* effect, HWND window,
                         StartDelays startDelays)
    : feed(std::make_shared<Feed>(effect, window, startDelays)), feederThread(nullptr),
      pathBuffer(), ready(0), effectResumed(true)
{
    if (!feed->wake || !feed->idle)
        return;
    auto* held = new (std::nothrow) std::shared_ptr<Feed>(feed);
    feederThread = held ? CreateThread(nullptr, 0, feederMain, held, 0, nullptr) : nullptr;
    if (!feederThread)
    {
        delete held;
        return;
    }
    // The feeder is idle once it has its buffers.
    if (WaitForSingleObject(feed->idle, kFeederStartWaitMs) == WAIT_OBJECT_0)
    {
        SetThreadPriority(feederThread, THREAD_PRIORITY_TIME_CRITICAL);
        ready = 1;
    }
}

CWavePlayer::~CWavePlayer()
{
    Shutdown();
    if (feederThread)
        CloseHandle(feederThread);
}

DWORD WINAPI CWavePlayer::feederMain(LPVOID parameter)
{
    const std::unique_ptr<std::shared_ptr<Feed>> held(
        static_cast<std::shared_ptr<Feed>*>(parameter));
    (*held)->run();
    return 0;
}

int CWavePlayer::IsPlaying() const
{
    const State now = feed->current();
    return now == State::StartPending || now == State::Streaming;
}

int32_t CWavePlayer::IdleWakeUps() const
{
    return feed->idleWakeUps;
}

bool CWavePlayer::TakeDeviceFailure()
{
    CLock hold(feed->lock);
    return std::exchange(feed->deviceFailed, false);
}

int CWavePlayer::stopStream()
{
    switch (feed->requestStop())
    {
    case State::Idle:
    case State::StartPending:
        return 1;
    case State::Streaming:
        feed->stream.device->Interrupt();
        break;
    default:
        break;
    }
    return WaitForSingleObject(feed->idle, kStopWaitMs) == WAIT_OBJECT_0 ? 1 : 0;
}

void CWavePlayer::resumeEffect()
{
    if (feed->effect && !effectResumed)
        feed->effect->Resume();
    effectResumed = true;
}

void CWavePlayer::suspendEffect()
{
    if (feed->effect && effectResumed)
        feed->effect->Suspend();
    effectResumed = false;
}

int CWavePlayer::acceptFile(const char* path, Refusal& refusal)
{
    // Kept as a full path: the open dialog moves the current folder, and a
    // later play must still find a file that was given relative to it.
    char fullPath[kPathBytes];
    const DWORD fullLength = GetFullPathNameA(path, sizeof fullPath, fullPath, nullptr);
    if (fullLength == 0 || fullLength >= sizeof fullPath)
        std::strcpy(fullPath, path);
    std::unique_ptr<CWaveFile> candidate(new (std::nothrow) CWaveFile(path, kReaderCapacityFrames));
    if (!candidate || !candidate->isOpen())
    {
        if (candidate)
            refusal = candidate->getRefusal();
        return 0;
    }
    if (const char* why = refusalFor(*candidate))
    {
        refusal.say(0, "%s", why);
        return 0;
    }
    Feed::Stream next;
    next.rate = candidate->getSampleRate() == 44100.0 ? 44100 : 48000;
    next.channels = candidate->getChannels();
    next.lengthSeconds = candidate->getLength() / next.rate;
    // Output is always 16-bit stereo, whatever the file holds.
    next.device.reset(new (std::nothrow) CWaveOutDevice(next.rate, blockFramesFor(next.rate)));
    if (!next.device || !stopStream())
    {
        CWaveOutDevice::dispose(std::move(next.device), kDeviceDisposeWaitMs);
        return 0;
    }

    // Only an accepted file replaces the current one.
    next.reader = std::move(candidate);
    std::strcpy(pathBuffer, fullPath);
    // The feeder is idle: the effect may take the rate, and a stopped one
    // is resumed before its first block.
    if (feed->effect)
        feed->effect->SetSampleRate(static_cast<float>(next.rate));
    resumeEffect();
    feed->requestStart(std::move(next));
    return 1;
}

int CWavePlayer::LoadFile(const char* path, Refusal& refusal)
{
    // A path that does not fit is refused rather than cut into another name.
    if (!ready || !path || std::strlen(path) >= kPathBytes)
        return 0;
    return acceptFile(path, refusal);
}

int CWavePlayer::Play(Refusal& refusal)
{
    if (!ready || IsPlaying())
        return 0;
    if (!pathBuffer[0])
    {
        refusal.say(0, "No open Wavefile");
        return 0;
    }
    return acceptFile(pathBuffer, refusal);
}

int CWavePlayer::Stop()
{
    if (!ready || !IsPlaying())
        return 0;
    if (!stopStream())
        return 0;
    suspendEffect();
    feed->release();
    return 1;
}

int CWavePlayer::Shutdown()
{
    if (!feederThread)
        return 1;
    if (feed->current() == State::Ended)
        return WaitForSingleObject(feederThread, 0) == WAIT_OBJECT_0 ? 1 : 0;
    ready = 0;
    const bool idle = stopStream() != 0;
    if (idle)
        suspendEffect();
    feed->end();
    if (!idle || WaitForSingleObject(feederThread, kShutdownWaitMs) != WAIT_OBJECT_0)
        return 0;
    feed->release();
    return 1;
}
