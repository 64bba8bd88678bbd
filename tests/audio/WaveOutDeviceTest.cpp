// The wave-out device on Wine's real driver; what it plays is captured by
// the ALSA file plugin of the test run.

#include "audio/WaveOutDevice.h"
#include "tests/support/CapturedSound.h"
#include "tests/support/DialogWatcher.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace
{
constexpr int kFrames = 441;

class CTestDevice : public CWaveOutDevice
{
  public:
    CTestDevice() : CWaveOutDevice(0, 2, 16, 44100, kFrames) {}
    LONG queued() const { return queuedCount; }
    HWAVEOUT handle() const { return waveOut; }
    HANDLE thread() const { return deviceThread; }
    bool waitUntilDrained(DWORD timeoutMs) const
    {
        for (DWORD start = GetTickCount(); queuedCount != 0;)
        {
            if (GetTickCount() - start > timeoutMs)
                return false;
            Sleep(5);
        }
        return true;
    }
};

// A stereo block whose frames are unlike any other block's.
struct Block
{
    explicit Block(int seed) : left(kFrames), right(kFrames)
    {
        for (int j = 0; j < kFrames; ++j)
        {
            left[j] = static_cast<float>(seed * 1000 + j) / 32767.0f;
            right[j] = -static_cast<float>(seed * 500 + j) / 32767.0f;
        }
    }
    std::vector<float> left, right;
    const float* pointers[2] = {left.data(), right.data()};
};

struct WriteJob
{
    CWaveOutDevice* device;
    const float* const* block;
};

DWORD WINAPI writeOnWorker(LPVOID param)
{
    auto* job = static_cast<WriteJob*>(param);
    return static_cast<DWORD>(job->device->Write(job->block));
}

std::string environment(const char* name)
{
    char value[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n && n < sizeof value ? value : "";
}
} // namespace

TEST(WaveOutDevice, PlaysExactlyTheConvertedFrames)
{
    const float inf = std::numeric_limits<float>::infinity();
    Block special(1), second(2), third(3);
    const float left[] = {1.0f, -1.0f, 2.0f, -2.0f, inf, -inf, std::nanf(""), 0.5f, -0.5f, 0.0f};
    const int16_t expected[] = {32767, -32767, 32767, -32767, 32767, -32767, 0, 16384, -16384, 0};
    for (int j = 0; j < 10; ++j)
        special.left[j] = left[j];

    {
        CTestDevice device;
        ASSERT_EQ(1, device.Open());
        EXPECT_EQ(1, device.Write(special.pointers));
        EXPECT_EQ(1, device.Write(second.pointers));
        EXPECT_EQ(1, device.Write(third.pointers));
        // Destroying resets the device: let it play everything first.
        ASSERT_TRUE(device.waitUntilDrained(10000)) << device.queued();
    }

    std::vector<int16_t> frames;
    for (const Block* block : {&special, &second, &third})
    {
        for (int j = 0; j < kFrames; ++j)
        {
            frames.push_back(block == &special && j < 10
                                 ? expected[j]
                                 : static_cast<int16_t>(std::lrint(block->left[j] * 32767.0f)));
            frames.push_back(static_cast<int16_t>(std::lrint(block->right[j] * 32767.0f)));
        }
    }
    const CapturedSound sound = readCapturedSound();
    ASSERT_TRUE(sound.valid) << captureFilePath();
    EXPECT_EQ(2, sound.channels);
    EXPECT_EQ(44100, sound.sampleRate);
    EXPECT_GE(sound.find(frames), 0) << "the three blocks are not in the capture, back to back";
}

TEST(WaveOutDevice, NinthWriteWaitsForAReturnedBuffer)
{
    CTestDevice device;
    ASSERT_EQ(1, device.Open());
    // Held, the device returns no buffer.
    ASSERT_EQ(MMSYSERR_NOERROR, waveOutPause(device.handle()));
    Block block(4);
    for (int i = 0; i < CWaveOutDevice::kBufferCount; ++i)
        ASSERT_EQ(1, device.Write(block.pointers)) << i;
    EXPECT_EQ(8, device.queued());

    WriteJob job{&device, block.pointers};
    HANDLE worker = CreateThread(nullptr, 0, writeOnWorker, &job, 0, nullptr);
    ASSERT_TRUE(worker);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(worker, 300));
    ASSERT_EQ(MMSYSERR_NOERROR, waveOutRestart(device.handle()));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker, 10000));
    DWORD written = 0;
    GetExitCodeThread(worker, &written);
    CloseHandle(worker);
    EXPECT_EQ(1u, written);
    EXPECT_TRUE(device.waitUntilDrained(10000));
}

TEST(WaveOutDevice, NeverOpenedDeviceEndsItsThread)
{
    auto* device = new CTestDevice;
    HANDLE thread = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), device->thread(), GetCurrentProcess(), &thread,
                                SYNCHRONIZE, FALSE, 0));
    Block block(5);
    EXPECT_EQ(0, device->Write(block.pointers));
    EXPECT_EQ(1, device->Close());
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(thread, 0));
    delete device;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 0));
    CloseHandle(thread);
}

// ALSA takes its configuration from the unix environment of the process,
// which a Windows process cannot give a child it starts under Wine; so this
// case runs in a CTest entry of its own whose ALSA configuration has no
// usable device.
TEST(WaveOutDevice, TellsTheUserWhenNoDeviceCanBeOpened)
{
    if (environment("ZW_EXPECT_NO_DEVICE").empty())
        GTEST_SKIP() << "runs as audio_tests_no_device";
    CDialogWatcher watcher;
    CTestDevice device;
    EXPECT_EQ(0, device.Open());
    EXPECT_EQ(nullptr, device.handle());
    Block block(6);
    EXPECT_EQ(0, device.Write(block.pointers));
    const std::vector<SeenDialog> seen = watcher.seen();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("Output-Device busy", seen[0].text);
    EXPECT_EQ("ERROR", seen[0].caption);
    EXPECT_FALSE(seen[0].errorIcon);
}
