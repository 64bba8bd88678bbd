#pragma once

#include <windows.h>

#include <mmsystem.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

// Streams blocks of float audio to a wave-out device as 16-bit PCM through a
// ring of eight buffers. The feeder thread opens the device and writes; a
// thread of the device's own takes the buffer-done notifications and gives
// the buffers back to the ring.
//
// Nothing here waits for the device without a bound except the reset that
// destruction makes: a stuck driver may never finish it, so a device that
// may be stuck is destroyed through dispose().
class CWaveOutDevice
{
  public:
    static constexpr uint16_t kBufferCount = 8;
    // A device that has given no buffer back for this long is taken for
    // stuck: the write that waits for it fails.
    static constexpr DWORD kStallMs = 2000;

    CWaveOutDevice(int32_t deviceId, uint16_t channelCount, uint16_t bitsPerSample, int32_t rate,
                   int32_t framesPerBuffer);
    ~CWaveOutDevice();

    CWaveOutDevice(const CWaveOutDevice&) = delete;
    CWaveOutDevice& operator=(const CWaveOutDevice&) = delete;

    // Returns 1, or 0 when the device cannot be opened (tellBusy says so).
    int32_t Open();
    // Converts framesPerBuffer frames of each channel into the next free
    // buffer and queues it; waits while all buffers are queued, until one
    // comes back. Returns 1, or 0 when the block could not be queued: the
    // device failed or stalled for kStallMs, or the write was interrupted.
    int32_t Write(const float* const* channelPointers);
    // Ends a write that waits, and fails every later one. Any thread.
    void Interrupt();
    // Returns every queued buffer and closes the device. 1, or 0 on failure.
    int32_t Close();
    // Runs on the notification thread for each buffer the device is done with.
    int32_t OnBufferDone(WAVEHDR* header);

    // The user's message for a device that cannot be opened or stopped
    // answering: an owner-less, topmost box.
    static void tellBusy();
    // Destroys a device on a thread of its own and waits at most waitMs for
    // it; a device whose driver does not come back is left to that thread.
    static void dispose(std::unique_ptr<CWaveOutDevice> device, DWORD waitMs);

  protected:
    static DWORD WINAPI threadMain(LPVOID self);
    static DWORD WINAPI disposeMain(LPVOID device);

    int32_t deviceId;
    uint16_t channelCount;
    uint16_t bitsPerSample;
    int32_t rate;
    int32_t framesPerBuffer;
    uint16_t bytesPerSample;
    uint16_t bufferCount;
    // The driver reads each buffer and header through the pointers it is
    // given; they live as long as the device.
    std::array<std::unique_ptr<uint8_t[]>, kBufferCount> buffers;
    std::array<WAVEHDR, kBufferCount> headers;
    HANDLE deviceThread;
    HANDLE threadEvent;
    DWORD deviceThreadId;
    bool threadReady;
    HWAVEOUT waveOut;
    // Changed by the feeder and the notification thread.
    std::atomic<int32_t> queuedCount;
    std::atomic<int32_t> writeIndex;
    // Set (auto-reset) whenever a buffer comes back.
    HANDLE bufferReturned;
    // Set by Interrupt; stays set.
    HANDLE interrupted;
};
