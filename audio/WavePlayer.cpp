#include "audio/WavePlayer.h"

#include <commdlg.h>

#include <cstring>
#include <initializer_list>
#include <new>
#include <utility>

#include "audio/EffectBinding.h"
#include "audio/ErrorBox.h"
#include "audio/WaveFile.h"
#include "audio/WaveOutDevice.h"

namespace
{
const int32_t kReaderCapacityFrames = 1584000;
const int32_t kMaxBlockFrames = 3840;
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
// Playback repeats at most the first 15 seconds of a file (plus one block).
const int32_t kLoopSeconds = 15;

const char kDialogFilter[] = "Wave-Datei (*.wav)\0*.wav\0";
const char kDialogFolder[] = ".\\Audio\\Quillomara";

// The open dialog keeps the last chosen path and starts from it next time.
char dialogFileName[CWavePlayer::kPathBytes];

int32_t blockFramesFor(int32_t sampleRate)
{
    return sampleRate / 100 * 4;
}

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

// Marks a command as running for as long as it is in scope.
class CBusy
{
  public:
    explicit CBusy(int& flag) : flag(flag) { flag = 1; }
    ~CBusy() { flag = 0; }
    CBusy(const CBusy&) = delete;
    CBusy& operator=(const CBusy&) = delete;

  private:
    int& flag;
};
} // namespace

CWavePlayer::CWavePlayer(HINSTANCE /*instance*/, CEffectBinding* effect_, HWND newsWindow_,
                         StartDelays startDelays_)
    : feederThread(nullptr), handshakeEvent(nullptr), wakeEvent(nullptr), feederThreadId(0),
      newsWindow(newsWindow_), pathBuffer(), reader(), device(), effect(effect_), streaming(0),
      stopRequest(0), alive(1), startRequest(0), playing(0), news(0), idleWakeUps(0), ready(0),
      busy(0), shutDown(0), feederEnded(0), sampleRate(0), channels(0), lengthSeconds(0),
      firstStart(1), startDelays(startDelays_)

{
    InitializeCriticalSection(&stateLock);
    handshakeEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    wakeEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!handshakeEvent || !wakeEvent)
        return;
    feederThread = CreateThread(nullptr, 0, feederMain, this, 0, &feederThreadId);
    if (!feederThread)
        return;
    // The feeder signals once it has its buffers; it is idle from then on.
    if (WaitForSingleObject(handshakeEvent, kFeederStartWaitMs) == WAIT_OBJECT_0)
    {
        SetThreadPriority(feederThread, THREAD_PRIORITY_TIME_CRITICAL);
        ready = 1;
    }
}

CWavePlayer::~CWavePlayer()
{
    Shutdown();
    for (HANDLE event : {handshakeEvent, wakeEvent})
        if (event)
            CloseHandle(event);
    DeleteCriticalSection(&stateLock);
}

DWORD WINAPI CWavePlayer::feederMain(LPVOID self)
{
    static_cast<CWavePlayer*>(self)->feed();
    return 0;
}

void CWavePlayer::feed()
{
    std::unique_ptr<float[]> memory(new (std::nothrow) float[kChannelBuffers * kMaxBlockFrames]);
    if (!memory)
        return;
    SetEvent(handshakeEvent);
    float* input[2] = {&memory[0], &memory[kMaxBlockFrames]};
    float* output[2] = {&memory[2 * kMaxBlockFrames], &memory[3 * kMaxBlockFrames]};
    pause(startDelays.startupMs);

    while (alive)
    {
        Stream taken;
        if (takeStartRequest(taken))
        {
            playStream(taken, input, output);
            goIdle();
        }
        else
        {
            WaitForSingleObject(wakeEvent, kIdleWaitMs);
            ++idleWakeUps;
        }
    }
}

void CWavePlayer::pause(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    for (DWORD waited = 0; alive && waited < milliseconds; waited = GetTickCount() - start)
    {
        WaitForSingleObject(wakeEvent, milliseconds - waited);
        ++idleWakeUps;
    }
}

bool CWavePlayer::takeStartRequest(Stream& taken)
{
    if (!startRequest)
        return false;
    if (firstStart)
    {
        pause(startDelays.firstStartMs);
        firstStart = 0;
    }
    // A command during the sleep may have withdrawn the request, or made
    // another one for a new reader and device.
    EnterCriticalSection(&stateLock);
    const bool take = startRequest.exchange(0) && alive && reader && device;
    if (take)
    {
        taken = {reader.get(), device.get(), sampleRate, channels, lengthSeconds};
        stopRequest = 0;
        streaming = 1;
        ResetEvent(handshakeEvent);
    }
    LeaveCriticalSection(&stateLock);
    return take;
}

void CWavePlayer::playStream(const Stream& taken, float** input, float** output)
{
    if (!taken.device->Open())
    {
        giveUp();
        return;
    }
    const int32_t blockFrames = blockFramesFor(taken.sampleRate);
    const int64_t blocksPerSecond = taken.sampleRate / blockFrames;
    int64_t blockIndex = 0;
    while (alive && !stopRequest)
    {
        taken.reader->seekAndRead(static_cast<int64_t>(blockFrames) * blockIndex, input, 0,
                                  blockFrames);
        ++blockIndex;
        // A mono file plays as two equal channels.
        if (taken.channels == 1)
            std::memcpy(input[1], input[0], blockFrames * sizeof(float));
        effect->Process(input, output, blockFrames);
        if (!taken.device->Write(output))
        {
            // Interrupted by a stop, or the device failed or stalled.
            if (!stopRequest)
                giveUp();
            return;
        }
        if (blockIndex > kLoopSeconds * blocksPerSecond ||
            blockIndex > blocksPerSecond * (taken.lengthSeconds + 1))
        {
            blockIndex = 0;
            taken.reader->seek(0);
        }
    }
}

void CWavePlayer::giveUp()
{
    // Before going idle: a command waiting for that sets playing only after.
    playing = 0;
    news = 1;
    if (newsWindow)
        PostMessageA(newsWindow, kNewsMessage, 0, 0);
}

void CWavePlayer::goIdle()
{
    EnterCriticalSection(&stateLock);
    streaming = 0;
    SetEvent(handshakeEvent);
    LeaveCriticalSection(&stateLock);
}

int CWavePlayer::stopStream()
{
    EnterCriticalSection(&stateLock);
    startRequest = 0;
    const bool running = streaming != 0;
    if (running)
        stopRequest = 1;
    LeaveCriticalSection(&stateLock);
    if (!running)
        return 1;
    // The stream's device is the current one: both change only while the
    // feeder is idle.
    device->Interrupt();
    return WaitForSingleObject(handshakeEvent, kStopWaitMs) == WAIT_OBJECT_0 ? 1 : 0;
}

void CWavePlayer::releaseStream()
{
    reader.reset();
    CWaveOutDevice::dispose(std::move(device), kDeviceDisposeWaitMs);
}

int CWavePlayer::acceptFile(const char* path, bool resume)
{
    // Kept as a full path: the open dialog moves the current folder, and a
    // later play must still find a file that was given relative to it.
    char fullPath[kPathBytes];
    const DWORD fullLength = GetFullPathNameA(path, sizeof fullPath, fullPath, nullptr);
    if (fullLength == 0 || fullLength >= sizeof fullPath)
        std::strcpy(fullPath, path);
    // The candidate tells the user what is wrong with the file itself.
    std::unique_ptr<CWaveFile> candidate(new (std::nothrow) CWaveFile(path, kReaderCapacityFrames));
    if (!candidate || !candidate->isOpen())
        return 0;
    if (const char* refusal = refusalFor(*candidate))
    {
        candidate.reset();
        showErrorBox(0, "%s", refusal);
        return 0;
    }
    // The window may have been closed while a message was up.
    if (shutDown)
        return 0;
    const int32_t rate = candidate->getSampleRate() == 44100.0 ? 44100 : 48000;
    // Output is always 16-bit stereo, whatever the file holds.
    std::unique_ptr<CWaveOutDevice> candidateDevice(
        new (std::nothrow) CWaveOutDevice(0, 2, 16, rate, blockFramesFor(rate)));
    if (!candidateDevice || !stopStream())
    {
        CWaveOutDevice::dispose(std::move(candidateDevice), kDeviceDisposeWaitMs);
        return 0;
    }

    // Only an accepted file replaces the current one.
    releaseStream();
    channels = candidate->getChannels();
    sampleRate = rate;
    lengthSeconds = static_cast<int32_t>(candidate->getLength() / rate);
    reader = std::move(candidate);
    device = std::move(candidateDevice);
    std::strcpy(pathBuffer, fullPath);
    if (effect)
        effect->SetSampleRate(static_cast<float>(rate));
    if (resume && effect)
        effect->Resume();
    EnterCriticalSection(&stateLock);
    startRequest = 1;
    playing = 1;
    LeaveCriticalSection(&stateLock);
    SetEvent(wakeEvent);
    return 1;
}

int CWavePlayer::LoadFile(const char* path)
{
    // A path that does not fit is refused rather than cut into another name.
    if (!ready || busy || !path || std::strlen(path) >= kPathBytes)
        return 0;
    CBusy running(busy);
    return acceptFile(path, false);
}

int CWavePlayer::OpenFromDialog()
{
    if (!ready || busy)
        return 0;
    CBusy running(busy);

    char fileTitle[kPathBytes] = {};
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = nullptr;
    dialog.lpstrFilter = kDialogFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = dialogFileName;
    dialog.nMaxFile = sizeof(dialogFileName);
    dialog.lpstrFileTitle = fileTitle;
    dialog.nMaxFileTitle = sizeof(fileTitle) - 1;
    dialog.lpstrInitialDir = kDialogFolder;
    dialog.Flags =
        OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_SHAREAWARE | OFN_LONGNAMES;
    if (!GetOpenFileNameA(&dialog) || shutDown)
        return 0;
    // The dialog refuses names longer than its buffer, so the path fits.
    dialogFileName[kPathBytes - 1] = 0;
    return acceptFile(dialogFileName, false);
}

int CWavePlayer::Play()
{
    if (!ready || busy || playing)
        return 0;
    CBusy running(busy);
    if (!pathBuffer[0])
    {
        showErrorBox(0, "No open Wavefile");
        return 0;
    }
    return acceptFile(pathBuffer, true);
}

int CWavePlayer::Stop()
{
    if (!ready || busy || !playing)
        return 0;
    // The suspend may overlap the block the feeder is working on.
    if (effect)
        effect->Suspend();
    if (!stopStream())
        return 0;
    releaseStream();
    playing = 0;
    return 1;
}

int CWavePlayer::Shutdown()
{
    if (shutDown)
        return feederEnded;
    shutDown = 1;
    ready = 0;
    if (playing && effect)
        effect->Suspend();
    const bool idle = stopStream() != 0;
    playing = 0;
    alive = 0;
    feederEnded = 1;
    if (feederThread)
    {
        SetEvent(wakeEvent);
        feederEnded = idle && WaitForSingleObject(feederThread, kShutdownWaitMs) == WAIT_OBJECT_0;
        if (!feederEnded)
            return 0;
        CloseHandle(feederThread);
        feederThread = nullptr;
    }
    releaseStream();
    return 1;
}

void CWavePlayer::TellNews()
{
    // While a command runs, the news waits until it has ended.
    if (busy || !news.exchange(0))
        return;
    CBusy running(busy);
    CWaveOutDevice::tellBusy();
}
