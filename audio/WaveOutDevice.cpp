#include "audio/WaveOutDevice.h"

#include <cstring>
#include <initializer_list>
#include <new>

#include "audio/ErrorBox.h"
#include "audio/SampleConverter.h"

namespace
{
// How long a close waits for the reset buffers to come back.
constexpr DWORD kCloseWaitMs = 500;
// How long construction waits for the notification thread's message queue.
constexpr DWORD kThreadStartWaitMs = 2000;
} // namespace

CWaveOutDevice::CWaveOutDevice(int32_t id, uint16_t channels, uint16_t bits, int32_t sampleRate,
                               int32_t frames)
    : deviceId(id), channelCount(channels), bitsPerSample(bits), rate(sampleRate),
      framesPerBuffer(frames), bytesPerSample(static_cast<uint16_t>((bits + 7) / 8)),
      bufferCount(kBufferCount), buffers(), headers(), deviceThread(nullptr), threadEvent(nullptr),
      deviceThreadId(0), threadReady(false), waveOut(nullptr), queuedCount(0), writeIndex(0),
      bufferReturned(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      interrupted(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    // Everything a block needs is allocated here; a failure stops
    // construction, and the device then refuses to open or write.
    if (!bufferReturned || !interrupted)
        return;
    const size_t bufferBytes = static_cast<size_t>(channelCount) * bytesPerSample * frames;
    for (auto& buffer : buffers)
    {
        buffer.reset(new (std::nothrow) uint8_t[bufferBytes]());
        if (!buffer)
            return;
    }
    threadEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!threadEvent)
        return;
    deviceThread = CreateThread(nullptr, 0, threadMain, this, 0, &deviceThreadId);
    if (!deviceThread)
        return;
    // Notifications may only be posted once the thread has a message queue.
    threadReady = WaitForSingleObject(threadEvent, kThreadStartWaitMs) == WAIT_OBJECT_0;
    ResetEvent(threadEvent);
}

CWaveOutDevice::~CWaveOutDevice()
{
    Close();
    if (deviceThread)
    {
        PostThreadMessageA(deviceThreadId, WM_QUIT, 0, 0);
        // The event is set just before the thread returns; join it too.
        WaitForSingleObject(threadEvent, INFINITE);
        WaitForSingleObject(deviceThread, INFINITE);
        CloseHandle(deviceThread);
    }
    for (HANDLE event : {threadEvent, bufferReturned, interrupted})
        if (event)
            CloseHandle(event);
}

DWORD WINAPI CWaveOutDevice::threadMain(LPVOID self)
{
    auto* device = static_cast<CWaveOutDevice*>(self);
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE);
    SetEvent(device->threadEvent);
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
    {
        if (msg.message == MM_WOM_DONE)
        {
            device->OnBufferDone(reinterpret_cast<WAVEHDR*>(msg.lParam));
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    SetEvent(device->threadEvent);
    return static_cast<DWORD>(msg.wParam);
}

int32_t CWaveOutDevice::OnBufferDone(WAVEHDR* header)
{
    if (waveOutUnprepareHeader(waveOut, header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
        return 0;
    int32_t queued = queuedCount.load();
    while (queued != 0 && !queuedCount.compare_exchange_weak(queued, queued - 1))
    {
    }
    SetEvent(bufferReturned);
    return 1;
}

int32_t CWaveOutDevice::Open()
{
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = channelCount;
    format.nSamplesPerSec = static_cast<DWORD>(rate);
    format.nAvgBytesPerSec = static_cast<DWORD>(bytesPerSample * channelCount * rate);
    format.nBlockAlign = static_cast<WORD>(bytesPerSample * channelCount);
    format.wBitsPerSample = bitsPerSample;
    format.cbSize = 0;
    if (!threadReady || waveOutOpen(&waveOut, static_cast<UINT>(deviceId), &format, deviceThreadId,
                                    0, CALLBACK_THREAD) != MMSYSERR_NOERROR)
    {
        waveOut = nullptr;
        return 0;
    }
    queuedCount = 0;
    writeIndex = 0;
    SetThreadPriority(deviceThread, THREAD_PRIORITY_TIME_CRITICAL);
    return 1;
}

void CWaveOutDevice::tellBusy()
{
    showErrorBox(MB_TOPMOST, "Output-Device busy");
}

int32_t CWaveOutDevice::Write(const float* const* channelPointers)
{
    // Only 16-bit output is ever asked for; other widths are not converted.
    if (!waveOut || bitsPerSample != 16 || WaitForSingleObject(interrupted, 0) == WAIT_OBJECT_0)
        return 0;
    // Buffers come back in the order they were written, so the one at
    // writeIndex is free as soon as fewer than all are queued.
    const HANDLE wakers[] = {bufferReturned, interrupted};
    while (queuedCount == bufferCount)
    {
        if (WaitForMultipleObjects(2, wakers, FALSE, kStallMs) != WAIT_OBJECT_0)
            return 0;
    }
    const int32_t index = writeIndex;
    convertToPcm16(channelPointers, channelCount, framesPerBuffer, buffers[index].get());
    WAVEHDR* header = &headers[index];
    std::memset(header, 0, sizeof(WAVEHDR));
    header->lpData = reinterpret_cast<LPSTR>(buffers[index].get());
    header->dwBufferLength = static_cast<DWORD>(bytesPerSample * channelCount * framesPerBuffer);
    if (waveOutPrepareHeader(waveOut, header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
        return 0;
    // Counted before it is queued: the device may be done with it before
    // waveOutWrite returns, and that notification must find it counted.
    ++queuedCount;
    if (waveOutWrite(waveOut, header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
    {
        --queuedCount;
        waveOutUnprepareHeader(waveOut, header, sizeof(WAVEHDR));
        return 0;
    }
    writeIndex = (index + 1) % bufferCount;
    return 1;
}

void CWaveOutDevice::Interrupt()
{
    if (interrupted)
        SetEvent(interrupted);
}

int32_t CWaveOutDevice::Close()
{
    if (!waveOut)
        return 1;
    if (waveOutReset(waveOut) != MMSYSERR_NOERROR)
        return 0;
    // The reset hands every queued buffer to the notification thread; let it
    // unprepare them while the handle is still valid (but never hang here).
    const DWORD start = GetTickCount();
    for (DWORD waited = 0; queuedCount != 0 && waited < kCloseWaitMs;
         waited = GetTickCount() - start)
        WaitForSingleObject(bufferReturned, kCloseWaitMs - waited);
    if (waveOutClose(waveOut) != MMSYSERR_NOERROR)
        return 0;
    waveOut = nullptr;
    SetThreadPriority(deviceThread, THREAD_PRIORITY_BELOW_NORMAL);
    return 1;
}

DWORD WINAPI CWaveOutDevice::disposeMain(LPVOID device)
{
    delete static_cast<CWaveOutDevice*>(device);
    return 0;
}

void CWaveOutDevice::dispose(std::unique_ptr<CWaveOutDevice> device, DWORD waitMs)
{
    if (!device)
        return;
    HANDLE thread = CreateThread(nullptr, 0, disposeMain, device.get(), 0, nullptr);
    if (!thread)
        return;
    // The thread has it now.
    device.release();
    WaitForSingleObject(thread, waitMs);
    CloseHandle(thread);
}
