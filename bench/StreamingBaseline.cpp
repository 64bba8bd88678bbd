// The least a program like ours needs to play: the baseline's windows and
// timers (Baseline.cpp), plus silence streamed to wave-out device 0 as the
// program streams its sound: 16-bit stereo at 44.1 kHz in a ring of eight
// 40 ms buffers, each written again as soon as the device hands it back to a
// notification thread. The program benchmark compares the playing program
// with it.

#include "bench/FloorWindows.h"

#include <mmsystem.h>

#include <vector>

namespace
{
const int kBuffers = 8;
const DWORD kFramesPerBuffer = 1764; // 40 ms at 44.1 kHz
const WORD kChannels = 2;
const DWORD kRate = 44100;

struct Stream
{
    HWAVEOUT device = nullptr;
    HANDLE ready = nullptr;
    WAVEHDR headers[kBuffers] = {};
    std::vector<short> silence = std::vector<short>(kBuffers * kFramesPerBuffer * kChannels);
};

// The device's notification thread: every buffer that comes back goes out
// again, until the device is reset.
DWORD WINAPI notificationThread(void* parameter)
{
    Stream* stream = static_cast<Stream*>(parameter);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue exists now
    SetEvent(stream->ready);
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
    {
        if (msg.message != MM_WOM_DONE)
            continue;
        WAVEHDR* header = reinterpret_cast<WAVEHDR*>(msg.lParam);
        waveOutWrite(stream->device, header, sizeof(WAVEHDR));
    }
    return 0;
}

bool startStream(Stream& stream)
{
    stream.ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD threadId = 0;
    HANDLE thread = CreateThread(nullptr, 0, notificationThread, &stream, 0, &threadId);
    if (!thread)
        return false;
    CloseHandle(thread);
    WaitForSingleObject(stream.ready, INFINITE);
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = kChannels;
    format.nSamplesPerSec = kRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = kChannels * 2;
    format.nAvgBytesPerSec = kRate * format.nBlockAlign;
    if (waveOutOpen(&stream.device, 0, &format, threadId, 0, CALLBACK_THREAD) != MMSYSERR_NOERROR)
        return false;
    for (int i = 0; i < kBuffers; ++i)
    {
        WAVEHDR& header = stream.headers[i];
        header.lpData = reinterpret_cast<LPSTR>(&stream.silence[i * kFramesPerBuffer * kChannels]);
        header.dwBufferLength = kFramesPerBuffer * format.nBlockAlign;
        waveOutPrepareHeader(stream.device, &header, sizeof(WAVEHDR));
        waveOutWrite(stream.device, &header, sizeof(WAVEHDR));
    }
    return true;
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    floor_windows::open(instance, "ZWSTREAMING");
    Stream stream;
    if (!startStream(stream))
        return 1;
    // The exit ends the notification thread and closes the device with it.
    return floor_windows::runMessageLoop();
}
