// Proves the test harness itself: sound played on the real wave-out device
// arrives in the capture file, and modal message boxes are answered.

#include "tests/support/CapturedSound.h"
#include "tests/support/DialogWatcher.h"

#include <gtest/gtest.h>
#include <mmsystem.h>

#include <vector>

namespace
{
std::vector<int16_t> pattern(int frames, int seed)
{
    std::vector<int16_t> samples(frames * 2);
    for (int i = 0; i < frames; ++i)
    {
        samples[2 * i] = static_cast<int16_t>(seed + i * 7);
        samples[2 * i + 1] = static_cast<int16_t>(-seed - i * 3);
    }
    return samples;
}

DWORD WINAPI showBoxOnWorker(LPVOID)
{
    return MessageBoxA(nullptr, "from a worker", "ERROR", MB_OK);
}
} // namespace

TEST(Harness, WaveOutPlaysIntoTheCaptureFile)
{
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 44100;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = 44100 * 4;

    HWAVEOUT device = nullptr;
    ASSERT_EQ(MMSYSERR_NOERROR, waveOutOpen(&device, 0, &format, 0, 0, CALLBACK_NULL));

    std::vector<int16_t> first = pattern(1764, 1000);
    std::vector<int16_t> second = pattern(1764, -20000);
    WAVEHDR headers[2] = {};
    std::vector<int16_t>* buffers[2] = {&first, &second};
    for (int b = 0; b < 2; ++b)
    {
        headers[b].lpData = reinterpret_cast<LPSTR>(buffers[b]->data());
        headers[b].dwBufferLength = static_cast<DWORD>(buffers[b]->size() * 2);
        ASSERT_EQ(MMSYSERR_NOERROR, waveOutPrepareHeader(device, &headers[b], sizeof(WAVEHDR)));
        ASSERT_EQ(MMSYSERR_NOERROR, waveOutWrite(device, &headers[b], sizeof(WAVEHDR)));
    }
    const DWORD start = GetTickCount();
    while (!(headers[1].dwFlags & WHDR_DONE) && GetTickCount() - start < 10000)
        Sleep(10);
    EXPECT_TRUE(headers[1].dwFlags & WHDR_DONE);
    for (WAVEHDR& header : headers)
        waveOutUnprepareHeader(device, &header, sizeof(WAVEHDR));
    ASSERT_EQ(MMSYSERR_NOERROR, waveOutClose(device));

    CapturedSound sound = readCapturedSound();
    ASSERT_TRUE(sound.valid) << captureFilePath();
    EXPECT_EQ(2, sound.channels);
    EXPECT_EQ(44100, sound.sampleRate);
    std::vector<int16_t> both = first;
    both.insert(both.end(), second.begin(), second.end());
    EXPECT_GE(sound.find(both), 0) << "the two buffers are not in the capture, back to back";
}

TEST(Harness, WatcherAnswersARealMessageBox)
{
    CDialogWatcher watcher;
    int answer = MessageBoxA(nullptr, "Datei fehlt", "ERROR", MB_OK | MB_ICONERROR);
    EXPECT_EQ(IDOK, answer);
    std::vector<SeenDialog> seen = watcher.seen();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("ERROR", seen[0].caption);
    EXPECT_EQ("Datei fehlt", seen[0].text);
    EXPECT_TRUE(seen[0].errorIcon);

    answer = MessageBoxA(nullptr, "Output-Device busy", "ERROR", MB_OK | MB_TOPMOST);
    EXPECT_EQ(IDOK, answer);
    seen = watcher.seen();
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ("Output-Device busy", seen[1].text);
    EXPECT_FALSE(seen[1].errorIcon);
    // Wine does not raise MB_TOPMOST boxes above other windows, so their
    // extended style cannot tell them apart here.
}

TEST(Harness, WatcherAnswersBoxesShownOnOtherThreads)
{
    CDialogWatcher watcher;
    HANDLE thread = CreateThread(nullptr, 0, showBoxOnWorker, nullptr, 0, nullptr);
    ASSERT_TRUE(watcher.waitFor(1));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    EXPECT_EQ(static_cast<DWORD>(IDOK), code);
    EXPECT_EQ("from a worker", watcher.seen()[0].text);
}
