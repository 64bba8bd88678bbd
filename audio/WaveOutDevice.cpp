#include "audio/WaveOutDevice.h"

#include <initializer_list>
#include <new>

#include "audio/Deadline.h"
#include "audio/SampleConverter.h"

namespace
{
constexpr uint16_t kChannels = 2;
constexpr uint16_t kBytesPerSample = 2;
// The first wave-out device.
constexpr UINT kDeviceId = 0;
// How long a close waits for the reset buffers to come back.
constexpr DWORD kCloseWaitMs = 500;
// How long construction waits for the notification thread's message queue,
// and destruction for the thread's end.
constexpr DWORD kThreadStartWaitMs = 2000;
constexpr DWORD kThreadEndWaitMs = 2000;
} // namespace

struct CWaveOutDevice::Returns
{
    Returns()
        : queued(0), returned(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
          started(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          quit(CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
    }
    ~Returns()
    {
        for (HANDLE event : {returned, started, quit})
            if (event)
                CloseHandle(event);
    }
    bool ready() const { return returned && started && quit; }

    // Buffers queued and not yet returned: the writer counts up, this thread down.
    std::atomic<int32_t> queued;
    // Set (auto-reset) whenever a buffer comes back.
    HANDLE returned;
    // Set once the thread has a message queue, so the driver may post to it.
    HANDLE started;
    // Ends the thread, whether or not it ever got a message queue.
    HANDLE quit;
};

CWaveOutDevice::CWaveOutDevice(int32_t sampleRate, int32_t frames)
    : rate(sampleRate), framesPerBuffer(frames), ring(new (std::nothrow) Ring()),
      returns(std::make_shared<Returns>()), deviceThread(nullptr), deviceThreadId(0),
      threadReady(false), waveOut(nullptr), writeIndex(0),
      interrupted(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    // Everything a block needs is allocated here; a failure stops
    // construction, and the device then refuses to open or write.
    if (!ring || !returns->ready() || !interrupted)
        return;
    const size_t bufferBytes = static_cast<size_t>(kChannels) * kBytesPerSample * frames;
    for (auto& buffer : ring->buffers)
    {
        buffer.reset(new (std::nothrow) uint8_t[bufferBytes]());
        if (!buffer)
            return;
    }
    auto* held = new (std::nothrow) std::shared_ptr<Returns>(returns);
    deviceThread = held ? CreateThread(nullptr, 0, threadMain, held, 0, &deviceThreadId) : nullptr;
    if (!deviceThread)
    {
        delete held;
        return;
    }
    threadReady = WaitForSingleObject(returns->started, kThreadStartWaitMs) == WAIT_OBJECT_0;
}

CWaveOutDevice::~CWaveOutDevice()
{
    // A driver that would not close may still hold the buffers: they are
    // left to it rather than freed under it.
    if (!Close())
        static_cast<void>(ring.release());
    if (deviceThread)
    {
        // The thread only waits and counts, on what it co-owns: should it
        // end late, nothing it touches is gone.
        SetEvent(returns->quit);
        WaitForSingleObject(deviceThread, kThreadEndWaitMs);
        CloseHandle(deviceThread);
    }
    if (interrupted)
        CloseHandle(interrupted);
}

DWORD WINAPI CWaveOutDevice::threadMain(LPVOID parameter)
{
    const std::unique_ptr<std::shared_ptr<Returns>> held(
        static_cast<std::shared_ptr<Returns>*>(parameter));
    Returns& count = **held;
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    SetEvent(count.started);
    for (;;)
    {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (msg.message != MM_WOM_DONE)
            {
                DispatchMessageA(&msg);
                continue;
            }
            int32_t queued = count.queued.load();
            while (queued != 0 && !count.queued.compare_exchange_weak(queued, queued - 1))
            {
            }
            SetEvent(count.returned);
        }
        if (MsgWaitForMultipleObjects(1, &count.quit, FALSE, INFINITE, QS_ALLINPUT) ==
            WAIT_OBJECT_0)
            return 0;
    }
}

int32_t CWaveOutDevice::Open()
{
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = kChannels;
    format.nSamplesPerSec = static_cast<DWORD>(rate);
    format.nAvgBytesPerSec = static_cast<DWORD>(kBytesPerSample * kChannels * rate);
    format.nBlockAlign = static_cast<WORD>(kBytesPerSample * kChannels);
    format.wBitsPerSample = 8 * kBytesPerSample;
    format.cbSize = 0;
    if (!threadReady || waveOutOpen(&waveOut, kDeviceId, &format, deviceThreadId, 0,
                                    CALLBACK_THREAD) != MMSYSERR_NOERROR)
    {
        waveOut = nullptr;
        return 0;
    }
    returns->queued = 0;
    writeIndex = 0;
    SetThreadPriority(deviceThread, THREAD_PRIORITY_TIME_CRITICAL);
    return 1;
}

Refusal CWaveOutDevice::busy()
{
    Refusal refusal;
    refusal.say(MB_TOPMOST, "Output-Device busy");
    return refusal;
}

void CWaveOutDevice::unprepare(WAVEHDR& header)
{
    if (header.dwFlags & WHDR_PREPARED)
        waveOutUnprepareHeader(waveOut, &header, sizeof(WAVEHDR));
}

int32_t CWaveOutDevice::Write(const float* const* channelPointers)
{
    if (!waveOut || WaitForSingleObject(interrupted, 0) == WAIT_OBJECT_0)
        return 0;
    // Buffers come back in the order they were written, so the one at
    // writeIndex is free as soon as fewer than all are queued.
    const HANDLE wakers[] = {returns->returned, interrupted};
    while (returns->queued == kBufferCount)
    {
        if (WaitForMultipleObjects(2, wakers, FALSE, kStallMs) != WAIT_OBJECT_0)
            return 0;
    }
    WAVEHDR& header = ring->headers[writeIndex];
    uint8_t* buffer = ring->buffers[writeIndex].get();
    unprepare(header);
    convertToPcm16(channelPointers, kChannels, framesPerBuffer, buffer);
    header = WAVEHDR();
    header.lpData = reinterpret_cast<LPSTR>(buffer);
    header.dwBufferLength = static_cast<DWORD>(kBytesPerSample * kChannels * framesPerBuffer);
    if (waveOutPrepareHeader(waveOut, &header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
        return 0;
    // Counted before it is queued: the device may be done with it before
    // waveOutWrite returns, and that notification must find it counted.
    ++returns->queued;
    if (waveOutWrite(waveOut, &header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
    {
        --returns->queued;
        unprepare(header);
        return 0;
    }
    writeIndex = (writeIndex + 1) % kBufferCount;
    return 1;
}

int32_t CWaveOutDevice::Queued() const
{
    return returns->queued;
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
    // The reset hands every queued buffer back; their notices follow, but a
    // close never waits long for them.
    waitWithin(returns->returned, kCloseWaitMs, [this] { return returns->queued == 0; });
    for (WAVEHDR& header : ring->headers)
        unprepare(header);
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
    if (thread)
    {
        // The thread has it now.
        static_cast<void>(device.release());
        WaitForSingleObject(thread, waitMs);
        CloseHandle(thread);
    }
    // Here, only a device the driver does not hold is destroyed: that waits
    // for nothing but its own thread. A reset of an open one might not
    // return, so it is left as it is.
    else if (device->waveOut)
        static_cast<void>(device.release());
}
