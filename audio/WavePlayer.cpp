#include "audio/WavePlayer.h"

#include <commdlg.h>

#include <cstring>
#include <new>

#include "audio/WaveFile.h"
#include "audio/WaveOutDevice.h"
#include "host/PlugWnd.h"

namespace
{
const int32_t kReaderCapacityFrames = 1584000;
const int32_t kMaxBlockFrames = 3840;
const int32_t kChannelBuffers = 4;
const DWORD kStartupSleepMs = 3000;
const DWORD kFirstStartSleepMs = 2000;
const DWORD kIdleSleepMs = 10;
// Playback repeats at most the first 15 seconds of a file (plus one block).
const int32_t kLoopSeconds = 15;

const char kDefaultCaption[] = "ERROR";
const char kDialogFilter[] = "Wave-Datei (*.wav)\0*.wav\0";
const char kDialogFolder[] = ".\\Audio\\Quillomara";

// The open dialog keeps the last chosen path and starts from it next time.
char dialogFileName[CWavePlayer::kPathBytes];

void tell(const char* text)
{
    MessageBoxA(nullptr, text, kDefaultCaption, MB_OK);
}

int32_t blockFramesFor(int32_t sampleRate)
{
    return sampleRate / 100 * 4;
}
} // namespace

CWavePlayer::CWavePlayer(HINSTANCE /*instance*/, CPlugWnd* plugWnd_)
    : feederThread(nullptr), handshakeEvent(nullptr), feederThreadId(0), pathBuffer(nullptr),
      reader(nullptr), device(nullptr), plugWnd(plugWnd_), streaming(0), alive(0), startRequest(0),
      idleAck(0), ready(0), playing(0), sampleRate(0), channels(0), lengthSeconds(0), firstStart(1)
{
    InitializeCriticalSection(&feedLock);
    InterlockedExchange(&alive, 1);
    InterlockedExchange(&streaming, 0);
    InterlockedExchange(&startRequest, 0);
    InterlockedExchange(&idleAck, 1);

    handshakeEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!handshakeEvent)
        return;
    feederThread = CreateThread(nullptr, 0, feederMain, this, 0, &feederThreadId);
    if (!feederThread)
        return;
    WaitForSingleObject(handshakeEvent, INFINITE);
    if (ResetEvent(handshakeEvent))
    {
        SetThreadPriority(feederThread, THREAD_PRIORITY_TIME_CRITICAL);
        ready = 1;
    }
}

CWavePlayer::~CWavePlayer()
{
    Shutdown();
    DeleteCriticalSection(&feedLock);
    delete[] pathBuffer;
}

DWORD WINAPI CWavePlayer::feederMain(LPVOID self)
{
    static_cast<CWavePlayer*>(self)->feed();
    return 0;
}

void CWavePlayer::feed()
{
    float* memory = new (std::nothrow) float[kChannelBuffers * kMaxBlockFrames];
    SetEvent(handshakeEvent);
    if (!memory)
        return;
    float* input[2] = {memory, memory + kMaxBlockFrames};
    float* output[2] = {memory + 2 * kMaxBlockFrames, memory + 3 * kMaxBlockFrames};
    Sleep(kStartupSleepMs);

    int32_t blockFrames = 0;
    int64_t blockIndex = 0;
    while (alive)
    {
        if (startRequest)
        {
            if (firstStart)
            {
                Sleep(kFirstStartSleepMs);
                firstStart = 0;
            }
            EnterCriticalSection(&feedLock);
            // A stop or another load during the sleeps withdraws the request.
            if (InterlockedExchange(&startRequest, 0))
            {
                blockFrames = blockFramesFor(sampleRate);
                if (device)
                {
                    if (device->Open())
                        InterlockedExchange(&streaming, 1);
                    else
                        InterlockedExchange(&playing, 0);
                }
            }
            LeaveCriticalSection(&feedLock);
        }

        if (streaming)
        {
            EnterCriticalSection(&feedLock);
            if (streaming && reader && device)
            {
                reader->seekAndRead(static_cast<int64_t>(blockFrames) * blockIndex, input, 0,
                                    blockFrames);
                ++blockIndex;
                // A mono file plays as two equal channels.
                if (channels == 1)
                    std::memcpy(input[1], input[0], blockFrames * sizeof(float));
                plugWnd->Process(input, output, blockFrames);
                device->Write(output);

                const int64_t blocksPerSecond = sampleRate / blockFrames;
                if (blockIndex > kLoopSeconds * blocksPerSecond ||
                    blockIndex > blocksPerSecond * (lengthSeconds + 1))
                {
                    blockIndex = 0;
                    reader->seek(0);
                }
            }
            LeaveCriticalSection(&feedLock);
        }
        else
        {
            if (!idleAck)
            {
                SetEvent(handshakeEvent);
                InterlockedExchange(&idleAck, 1);
            }
            Sleep(kIdleSleepMs);
            blockIndex = 0;
        }
    }
    SetEvent(handshakeEvent);
    delete[] memory;
}

int CWavePlayer::stopStream()
{
    if (!streaming)
        return 1;
    InterlockedExchange(&streaming, 0);
    InterlockedExchange(&idleAck, 0);
    WaitForSingleObject(handshakeEvent, INFINITE);
    return ResetEvent(handshakeEvent) ? 1 : 0;
}

void CWavePlayer::destroyReaderAndDevice()
{
    // Called with feedLock held: the feeder is between blocks and will find
    // neither a request nor a stream to go on with.
    InterlockedExchange(&startRequest, 0);
    InterlockedExchange(&streaming, 0);
    delete device;
    device = nullptr;
    delete reader;
    reader = nullptr;
}

void CWavePlayer::allocatePath()
{
    if (!pathBuffer)
    {
        pathBuffer = new (std::nothrow) char[kPathBytes];
        if (pathBuffer)
            pathBuffer[0] = 0;
    }
}

int CWavePlayer::acceptFile(bool resume)
{
    EnterCriticalSection(&feedLock);
    destroyReaderAndDevice();
    int result = 0;

    reader = new (std::nothrow) CWaveFile(pathBuffer, kReaderCapacityFrames);
    if (reader && !reader->isOpen())
    {
        // Whatever there was to tell, the reader has told.
        delete reader;
        reader = nullptr;
    }
    if (reader)
    {
        const int32_t fileChannels = reader->getChannels();
        const int32_t bits = reader->getBitsPerSample();
        const double rate = reader->getSampleRate();
        const char* refusal = nullptr;
        if (fileChannels != 1 && fileChannels != 2)
            refusal = "No Mono or Stereo File";
        else if (reader->hasFloatSamples() ? bits != 32 && bits != 64 : bits < 8 || bits > 32)
            refusal = "No 8 to 24 Bit Wavefile";
        else if (rate != 44100.0 && rate != 48000.0)
            refusal = "No 44.1 kHz or 48 kHz Wavefile";

        if (refusal)
        {
            delete reader;
            reader = nullptr;
            tell(refusal);
        }
        else
        {
            channels = fileChannels;
            sampleRate = rate == 44100.0 ? 44100 : 48000;
            // Output is always 16-bit stereo, whatever the file holds.
            device =
                new (std::nothrow) CWaveOutDevice(0, 2, 16, sampleRate, blockFramesFor(sampleRate));
            lengthSeconds = static_cast<int32_t>(reader->getLength() / sampleRate);
            if (device)
            {
                AEffect* effect = plugWnd ? plugWnd->GetEffect() : nullptr;
                if (effect)
                    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr,
                                       static_cast<float>(sampleRate));
                if (resume && plugWnd)
                    plugWnd->Resume();
                InterlockedExchange(&startRequest, 1);
                InterlockedExchange(&playing, 1);
                result = 1;
            }
        }
    }
    LeaveCriticalSection(&feedLock);
    return result;
}

int CWavePlayer::LoadFile(const char* path)
{
    // A path that does not fit is refused rather than cut into another name.
    if (!ready || !path || std::strlen(path) >= kPathBytes)
        return 0;
    allocatePath();
    if (!pathBuffer || !stopStream())
        return 0;
    std::strcpy(pathBuffer, path);
    return acceptFile(false);
}

int CWavePlayer::OpenFromDialog()
{
    if (!ready)
        return 0;
    allocatePath();
    if (!pathBuffer)
        return 0;

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
    if (!GetOpenFileNameA(&dialog))
        return 0;
    // The dialog refuses names longer than its buffer, so the copy fits.
    dialogFileName[kPathBytes - 1] = 0;
    if (!stopStream())
        return 0;
    std::strcpy(pathBuffer, dialogFileName);
    return acceptFile(false);
}

int CWavePlayer::Play()
{
    if (playing)
        return 0;
    if (!stopStream())
        return 0;
    if (!pathBuffer)
    {
        tell("No open Wavefile");
        return 0;
    }
    return acceptFile(true);
}

int CWavePlayer::Stop()
{
    if (!playing)
        return 0;
    // The suspend may overlap the block the feeder is working on.
    if (plugWnd)
        plugWnd->Suspend();
    if (!stopStream())
        return 0;
    EnterCriticalSection(&feedLock);
    destroyReaderAndDevice();
    LeaveCriticalSection(&feedLock);
    InterlockedExchange(&playing, 0);
    return 1;
}

void CWavePlayer::Shutdown()
{
    Stop();
    if (feederThread)
    {
        InterlockedExchange(&streaming, 0);
        InterlockedExchange(&alive, 0);
        WaitForSingleObject(handshakeEvent, INFINITE);
        WaitForSingleObject(feederThread, INFINITE);
        CloseHandle(feederThread);
        feederThread = nullptr;
    }
    if (handshakeEvent)
    {
        CloseHandle(handshakeEvent);
        handshakeEvent = nullptr;
    }
    EnterCriticalSection(&feedLock);
    destroyReaderAndDevice();
    LeaveCriticalSection(&feedLock);
    ready = 0;
}
