#pragma once

#include <windows.h>

#include <mmsystem.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "audio/Refusal.h"

// Streams blocks of float audio as 16-bit stereo PCM to the first wave-out
// device through a ring of eight buffers. The feeder thread opens the device
// and writes; a thread of the device's own takes the buffer-done
// notifications and counts the buffers back into the ring.
//
// Driver calls may never return. Whatever a thread that may hang in one
// touches, it co-owns, and whoever waits for it waits with a bound and then
// lets go: the notification thread co-owns the count it keeps, and a device
// whose reset may hang is destroyed through dispose(), on a thread that owns
// it. What the driver may still read or write is never freed under it: a
// device that the driver would not close leaves its buffers behind.
class CWaveOutDevice
{
  public:
    static constexpr uint16_t kBufferCount = 8;
    // A device that has given no buffer back for this long is taken for
    // stuck: the write that waits for it fails.
    static constexpr DWORD kStallMs = 2000;

    // rate frames per second, framesPerBuffer frames in each buffer.
    CWaveOutDevice(int32_t rate, int32_t framesPerBuffer);
    ~CWaveOutDevice();

    CWaveOutDevice(const CWaveOutDevice&) = delete;
    CWaveOutDevice& operator=(const CWaveOutDevice&) = delete;

    // Returns 1, or 0 when the device cannot be opened (busy() says so).
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
    // Buffers queued and not given back yet.
    int32_t Queued() const;

    // What the user is told of a device that cannot be opened or stopped
    // answering: an owner-less, topmost box.
    static Refusal busy();
    // Destroys a device on a thread of its own and waits at most waitMs for
    // it; a device whose driver does not come back is left to that thread.
    // Without such a thread, an open device is left as it is.
    static void dispose(std::unique_ptr<CWaveOutDevice> device, DWORD waitMs);

  protected:
    // The returned buffers as the notification thread counts them.
    struct Returns;

    static DWORD WINAPI threadMain(LPVOID returns);
    static DWORD WINAPI disposeMain(LPVOID device);
    // Hands a buffer the device is done with back to the writer's side. The
    // notification thread never calls the driver; the writer does this.
    void unprepare(WAVEHDR& header);

    int32_t rate;
    int32_t framesPerBuffer;
    // The driver reads each buffer and header through the pointers it is
    // given; they live as long as the device, or longer if its close fails.
    struct Ring
    {
        std::array<std::unique_ptr<uint8_t[]>, kBufferCount> buffers;
        std::array<WAVEHDR, kBufferCount> headers;
    };
    std::unique_ptr<Ring> ring;
    std::shared_ptr<Returns> returns;
    HANDLE deviceThread;
    DWORD deviceThreadId;
    bool threadReady;
    HWAVEOUT waveOut;
    // The buffer the next write fills; the writer's alone.
    int32_t writeIndex;
    // Set by Interrupt; stays set.
    HANDLE interrupted;
};
