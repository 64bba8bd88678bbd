#pragma once

#include <windows.h>

#include <mmsystem.h>

#include <cstdint>

// Streams blocks of float audio to a wave-out device as 16-bit PCM through a
// ring of eight buffers. The feeder thread opens the device and writes; a
// thread of the device's own takes the buffer-done notifications and gives
// the buffers back to the ring.
class CWaveOutDevice
{
  public:
    static constexpr uint16_t kBufferCount = 8;

    CWaveOutDevice(int32_t deviceId, uint16_t channelCount, uint16_t bitsPerSample, int32_t rate,
                   int32_t framesPerBuffer);
    ~CWaveOutDevice();

    CWaveOutDevice(const CWaveOutDevice&) = delete;
    CWaveOutDevice& operator=(const CWaveOutDevice&) = delete;

    // Returns 1, or 0 after telling the user that the device is busy.
    int32_t Open();
    // Converts framesPerBuffer frames of each channel into the next free
    // buffer and queues it; waits while all buffers are queued. Returns 1,
    // or 0 when the block could not be queued (it is lost).
    int32_t Write(const float* const* channelPointers);
    // Returns every queued buffer and closes the device. 1, or 0 on failure.
    int32_t Close();
    // Runs on the notification thread for each buffer the device is done with.
    int32_t OnBufferDone(WAVEHDR* header);

  protected:
    static DWORD WINAPI threadMain(LPVOID self);

    int32_t deviceId;
    uint16_t channelCount;
    uint16_t bitsPerSample;
    int32_t rate;
    int32_t framesPerBuffer;
    uint16_t bytesPerSample;
    uint16_t bufferCount;
    uint8_t** buffers;
    WAVEHDR** headers;
    HANDLE deviceThread;
    HANDLE threadEvent;
    DWORD deviceThreadId;
    HWAVEOUT waveOut;
    volatile LONG queuedCount;
    volatile LONG writeIndex;
};
