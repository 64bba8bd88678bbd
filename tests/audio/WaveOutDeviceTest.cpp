// The wave-out device on Wine's real driver; what it plays is captured by
// the ALSA file plugin of the test run.

#include "audio/WaveOutDevice.h"
#include "tests/support/AllocationCount.h"
#include "tests/support/CapturedSound.h"
#include "tests/support/DialogWatcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <thread>
#include <vector>

namespace
{
constexpr int kFrames = 441;

// A stereo block of whole multiples of 1/32767, unlike any other block.
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
    void appendExpected(std::vector<int16_t>& frames) const
    {
        for (int j = 0; j < kFrames; ++j)
        {
            frames.push_back(static_cast<int16_t>(std::lrint(left[j] * 32767.0f)));
            frames.push_back(static_cast<int16_t>(std::lrint(right[j] * 32767.0f)));
        }
    }
    std::vector<float> left, right;
    const float* pointers[2] = {left.data(), right.data()};
};
class CTestDevice : public CWaveOutDevice
{
  public:
    CTestDevice() : CWaveOutDevice(44100, kFrames) {}
    HWAVEOUT handle() const { return waveOut; }
    HANDLE thread() const { return deviceThread; }
    bool drained() const
    {
        for (int waited = 0; Queued() != 0 && waited < 10000; waited += 5)
            Sleep(5);
        return Queued() == 0;
    }
    // All buffers queued on a paused device, which gives none back.
    void fillPaused(const Block& block)
    {
        ASSERT_EQ(1, Open());
        ASSERT_EQ(MMSYSERR_NOERROR, waveOutPause(waveOut));
        for (int i = 0; i < kBufferCount; ++i)
            ASSERT_EQ(1, Write(block.pointers)) << i;
        EXPECT_EQ(8, Queued());
    }
    // Starts the next write on a thread of its own and returns once it waits
    // for a buffer: it has started and has not come back. `result` stays -1
    // until it does.
    std::thread waitingWrite(const Block& block, std::atomic<int>& result)
    {
        std::atomic<bool> started{false};
        std::thread writer(
            [&, this]
            {
                started = true;
                result = Write(block.pointers);
            });
        EXPECT_TRUE(waitUntil([&] { return started.load(); }, 10000));
        Sleep(300);
        EXPECT_EQ(-1, result.load()) << "the write did not wait";
        return writer;
    }
};

} // namespace

TEST(WaveOutDevice, PlaysExactlyTheConvertedFrames)
{
    Block first(1), second(2);
    std::vector<int16_t> frames;
    first.appendExpected(frames);
    second.appendExpected(frames);
    const float inf = std::numeric_limits<float>::infinity();
    const float special[] = {1.0f, -1.0f, 2.0f, -2.0f, inf, -inf, std::nanf(""), 0.5f, -0.5f};
    const int16_t expected[] = {32767, -32767, 32767, -32767, 32767, -32767, 0, 16384, -16384};
    for (int j = 0; j < 9; ++j)
    {
        first.left[j] = special[j];
        frames[2 * j] = expected[j];
    }
    {
        CTestDevice device;
        ASSERT_EQ(1, device.Open());
        EXPECT_EQ(1, device.Write(first.pointers));
        EXPECT_EQ(1, device.Write(second.pointers));
        // Destroying resets the device: let it play everything first.
        ASSERT_TRUE(device.drained()) << device.Queued();
    }
    const CapturedSound sound = readCapturedSound();
    ASSERT_TRUE(sound.valid) << captureFilePath();
    EXPECT_EQ(2, sound.channels);
    EXPECT_EQ(44100, sound.sampleRate);
    EXPECT_GE(sound.find(frames), 0) << "the two blocks are not in the capture, back to back";
}

TEST(WaveOutDevice, NinthWriteWaitsForAReturnedBuffer)
{
    CTestDevice device;
    Block block(4);
    device.fillPaused(block);
    std::atomic<int> ninth{-1};
    std::thread writer = device.waitingWrite(block, ninth);
    ASSERT_EQ(MMSYSERR_NOERROR, waveOutRestart(device.handle()));
    writer.join();
    EXPECT_EQ(1, ninth.load());
    EXPECT_TRUE(device.drained());
}

// The bounds of a write that waits: a stop ends it at once, and a device
// that gives nothing back ends it after kStallMs. Either way the write fails
// and so does every later one, until the device is made anew.
TEST(WaveOutDevice, AWaitingWriteEndsAtAStopOrAtTheStallBound)
{
    for (bool stopped : {true, false})
    {
        CTestDevice device;
        Block block(6);
        device.fillPaused(block);
        const DWORD start = GetTickCount();
        std::atomic<int> ninth{-1};
        std::thread writer = device.waitingWrite(block, ninth);
        const DWORD waiting = GetTickCount();
        if (stopped)
            device.Interrupt();
        writer.join();
        const DWORD took = GetTickCount() - (stopped ? waiting : start);
        EXPECT_EQ(0, ninth.load()) << stopped;
        if (stopped)
        {
            EXPECT_LT(took, CWaveOutDevice::kStallMs / 2) << "the stop did not end the write";
            EXPECT_EQ(0, device.Write(block.pointers)) << "after the stop";
        }
        else
            EXPECT_GE(took + 20, CWaveOutDevice::kStallMs) << "the stall bound";
    }
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
    delete device;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 0));
    CloseHandle(thread);
}

// A device whose close fails may still be read by the driver: its buffers
// stay when it goes. Here the close fails because its handle was closed
// behind its back.
TEST(WaveOutDevice, ADeviceThatCannotCloseLeavesItsBuffersToTheDriver)
{
    const long liveBefore = allocationsLive();
    auto* device = new CTestDevice;
    ASSERT_EQ(1, device->Open());
    ASSERT_EQ(MMSYSERR_NOERROR, waveOutClose(device->handle()));
    EXPECT_EQ(0, device->Close());
    delete device;
    EXPECT_EQ(liveBefore + 1 + CWaveOutDevice::kBufferCount, allocationsLive())
        << "the buffers and their headers were freed";
}

// ALSA takes its configuration from the unix environment, which under Wine
// a process cannot hand to a child it starts; so this case runs only in a
// CTest entry of its own whose ALSA configuration has no usable device.
TEST(WaveOutDevice, SaysWhenNoDeviceCanBeOpened)
{
    ASSERT_NE(nullptr, std::getenv("ZW_EXPECT_NO_DEVICE")) << "runs as audio_tests_no_device";
    CDialogWatcher watcher;
    CTestDevice device;
    EXPECT_EQ(0, device.Open());
    EXPECT_EQ(nullptr, device.handle());
    EXPECT_EQ(0u, watcher.count()) << "the device shows nothing; its caller tells";
    EXPECT_EQ(std::string("Output-Device busy"), CWaveOutDevice::busy().text);
    EXPECT_EQ(static_cast<UINT>(MB_TOPMOST), CWaveOutDevice::busy().style);
}
