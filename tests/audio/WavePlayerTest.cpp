// The playback controller with the real scope effect and the real wave-out
// device: what it plays is captured by the test run's sound configuration
// and compared frame by frame with the file it was given.

#include "audio/WavePlayer.h"
#include "host/PlugWnd.h"
#include "tests/support/AllocationCount.h"
#include "tests/support/CapturedSound.h"
#include "tests/support/DialogWatcher.h"
#include "tests/support/TestSignals.h"
#include "tests/support/ThreadCount.h"
#include "tests/support/WaveBuilder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace
{
const int kDelay = 512;        // the effect's latency in frames
const int kBlockFrames = 1764; // 40 ms at 44.1 kHz
// The program's feeder starts about five seconds after its controller is
// made; here one and a half will do.
const CWavePlayer::StartDelays kDelays = {1000, 500};
const DWORD kStartupMs = kDelays.startupMs + kDelays.firstStartMs;
// A last resort for waits on sound, which a busy machine delays.
const DWORD kSoundBound = 60000;

// Waits until the capture holds this many frames.
bool hears(size_t frames)
{
    return waitUntil([&] { return readCapturedSound().frames() >= frames; }, kSoundBound);
}

// The file written where the test runs; its name, to load it by.
std::string written(const char* name, const Bytes& bytes)
{
    EXPECT_TRUE(writeFile(name, bytes)) << name;
    return name;
}

// A binding that watches the player's calls: blocks only while the effect is
// resumed, nothing else during a block. It notes the first frame of each
// block and passes every call on to the host's binding, if it has one; it
// can hold the feeder inside a block, as a stuck driver call would.
struct CWatchedEffect : CEffectBinding
{
    explicit CWatchedEffect(CEffectBinding* host = nullptr) : host(host) {}
    void SetSampleRate(float rate) override
    {
        expect(!inside, "a rate during a block");
        if (host)
            host->SetSampleRate(rate);
    }
    void Resume() override
    {
        expect(!inside, "a resume during a block");
        resumed = true;
        if (host)
            host->Resume();
    }
    void Suspend() override
    {
        expect(!inside, "a suspend during a block");
        resumed = false;
        if (host)
            host->Suspend();
    }
    int Process(float** inputs, float** outputs, int32_t frames) override
    {
        expect(resumed, "a block while suspended");
        inside = true;
        firstFrames.push_back({inputs[0][0], inputs[1][0]});
        if (holding)
        {
            held = true;
            WaitForSingleObject(release, kSoundBound);
        }
        if (host)
            host->Process(inputs, outputs, frames);
        inside = false;
        ++blocks;
        return 1;
    }
    void expect(bool ok, const char* fault)
    {
        std::lock_guard<std::mutex> hold(lock);
        if (!ok)
            faults += std::string(fault) + "; ";
    }
    bool blocksAfter(int count)
    {
        return waitUntil([&] { return blocks > count; }, kSoundBound);
    }

    CEffectBinding* const host;
    // The host resumes the effect when it binds it.
    std::atomic<bool> resumed{true}, inside{false}, holding{false}, held{false};
    std::atomic<int> blocks{0};
    // The feeder's; read once it has stopped.
    std::vector<std::pair<float, float>> firstFrames;
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::mutex lock;
    std::string faults;
};

class WavePlayerTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        // Each stream's sound starts a capture of its own; none is left over.
        DeleteFileA(captureFilePath().c_str());
        plug = new CPlugWnd(GetModuleHandleA(nullptr));
        ASSERT_EQ(1, plug->LoadPlugin());
        effect = std::make_unique<CWatchedEffect>(plug);
        player = new CWavePlayer(GetModuleHandleA(nullptr), effect.get(), nullptr, kDelays);
        ASSERT_EQ(1, player->IsReady());
    }
    void TearDown() override
    {
        player->Shutdown();
        delete player;
        EXPECT_EQ("", effect ? effect->faults : "");
    }
    int load(const std::string& path) { return player->LoadFile(path.c_str(), refusal); }

    CPlugWnd* plug = nullptr;
    std::unique_ptr<CWatchedEffect> effect;
    CWavePlayer* player = nullptr;
    Refusal refusal;
};
} // namespace

TEST_F(WavePlayerTest, PlaysTheFileDelayedByOneBlockAndLoopsAfterBlock100)
{
    const int fileFrames = 3 * 44100;
    std::vector<int16_t> input = stereoNoise(fileFrames, 7);
    std::string path = written("player-3s.wav", stereoWave(input));

    ASSERT_EQ(1, load(path));
    EXPECT_EQ(1, player->IsPlaying());
    EXPECT_EQ(0, player->Play(refusal)) << "play while playing";
    // What the device should play: 512 frames of silence, then blocks 0 to
    // 100 (4.04 s) of the file, silent past its end, then the file again.
    const int loopFrames = 101 * kBlockFrames;
    const SoundComparison compared =
        hearsAs(kDelay + loopFrames + 3000, playsFile(input, loopFrames), kSoundBound);
    EXPECT_EQ(1, player->Stop());
    EXPECT_EQ(0, player->Stop()) << "stop while stopped";
    CapturedSound sound = readCapturedSound();
    EXPECT_EQ(2, sound.channels);
    EXPECT_EQ(44100, sound.sampleRate);
    EXPECT_EQ(-1, compared.firstDifference);
    EXPECT_EQ(kDelay + loopFrames + 3000, compared.matched) << "the repeat was not reached";
    // The capture cannot tell silence the driver added from silence the
    // feeder read past the end: block 0 comes back every 101 blocks, and at
    // no other time.
    const auto& firsts = effect->firstFrames;
    ASSERT_GT(firsts.size(), 102u);
    for (size_t b = 0; b < firsts.size(); ++b)
        ASSERT_EQ(b % 101 == 0, firsts[b] == firsts[0]) << "block " << b;
}

TEST_F(WavePlayerTest, MonoFilesPlayOnBothChannels)
{
    Bytes data;
    for (int i = 0; i < 44100; ++i)
        data.push_back(static_cast<uint8_t>(128 + (i * 37) % 100 - 50));
    std::string path = written("player-mono8.wav", pcmWave(1, 44100, 8, data));
    ASSERT_EQ(1, load(path));
    ASSERT_TRUE(hears(30000));
    ASSERT_EQ(1, player->Stop());

    CapturedSound sound = readCapturedSound();
    ASSERT_TRUE(sound.valid);
    size_t loud = 0;
    for (size_t frame = 0; frame < sound.frames(); ++frame)
    {
        ASSERT_EQ(sound.samples[2 * frame], sound.samples[2 * frame + 1]) << "frame " << frame;
        loud += sound.samples[2 * frame] != 0;
    }
    EXPECT_GT(loud, 10000u);
}

TEST_F(WavePlayerTest, SaysWhyItRefusesFilesItCannotPlay)
{
    const Bytes tiny(400, 0);
    struct
    {
        const char* name;
        Bytes file;
        const char* message;
    } cases[] = {
        {"player-22k.wav", pcmWave(2, 22050, 16, tiny), "No 44.1 kHz or 48 kHz Wavefile"},
        {"player-96k.wav", pcmWave(2, 96000, 16, tiny), "No 44.1 kHz or 48 kHz Wavefile"},
        {"player-64bit.wav", pcmWave(2, 44100, 64, tiny), "No 8 to 24 Bit Wavefile"},
        {"player-float16.wav",
         riff("WAVE", concat({formatChunk(3, 2, 44100, 16), chunk("data", tiny)})),
         "No 8 to 24 Bit Wavefile"},
        {"player-6ch.wav", pcmWave(6, 44100, 16, Bytes(1200, 0)), "No Mono or Stereo File"},
        {"player-broken.wav", Bytes(64, 'x'), "ist keine WAVE-Datei"},
    };
    CDialogWatcher watcher;
    for (const auto& c : cases)
    {
        refusal = Refusal();
        EXPECT_EQ(0, load(written(c.name, c.file))) << c.name;
        EXPECT_NE(nullptr, std::strstr(refusal.text, c.message)) << refusal.text;
        // The controller's own messages are plain; the reader's carry its icon.
        EXPECT_EQ(c.file.size() == 64 ? static_cast<UINT>(MB_ICONERROR) : 0u, refusal.style);
    }
    EXPECT_EQ(0, player->IsPlaying());

    // A missing file is refused without a word; a path too long for the
    // controller is refused before anything changes.
    for (const std::string& path :
         {std::string("Audio\\Zanderwick\\NotThere.wav"), std::string(300, 'a')})
    {
        refusal = Refusal();
        EXPECT_EQ(0, load(path));
        EXPECT_FALSE(refusal.said());
    }
    EXPECT_EQ(0u, watcher.count()) << "nothing in the controller shows a window";
}

TEST_F(WavePlayerTest, PlayWithoutAFileSaysSoAndTheIdleFeederSleeps)
{
    EXPECT_EQ(0, player->Play(refusal));
    EXPECT_EQ(std::string("No open Wavefile"), refusal.text);
    EXPECT_EQ(0u, refusal.style);
    // Past its start-up sleep, a feeder with nothing to do wakes up (next to)
    // never: a second's worth of polling would be dozens.
    Sleep(kDelays.startupMs + 500);
    const int32_t before = player->IdleWakeUps();
    Sleep(1000);
    EXPECT_LT(player->IdleWakeUps() - before, 5);
}

TEST_F(WavePlayerTest, StopDuringTheStartDelaysNeverTouchesTheOldDevice)
{
    std::vector<int16_t> input = stereoNoise(44100, 3);
    std::string path = written("player-early.wav", stereoWave(input));
    // The feeder is still in its start-up sleep: the request stays pending
    // while the reader and the device are replaced and destroyed.
    for (int i = 0; i < 3; ++i)
    {
        ASSERT_EQ(1, load(path));
        ASSERT_EQ(1, player->Stop());
    }
    ASSERT_EQ(1, player->Play(refusal));
    ASSERT_EQ(1, player->Stop());
    Sleep(kStartupMs + 300);
    EXPECT_EQ(0, player->IsPlaying());
    // Play again after the delays: it starts from frame 0 with a fresh
    // engine, after the first start's own delay.
    ASSERT_EQ(1, player->Play(refusal));
    const SoundComparison compared =
        hearsAs(kDelay + 20000, playsFile(input, 51 * kBlockFrames), kSoundBound);
    ASSERT_EQ(1, player->Stop());
    EXPECT_EQ(-1, compared.firstDifference) << "a fresh engine starts with 512 silent frames";
    EXPECT_EQ(kDelay + 20000, compared.matched);
}

namespace
{
// CPU time of the whole test process, in milliseconds.
double processCpuMs()
{
    FILETIME created, ended, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    auto ms = [](FILETIME t)
    { return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e4; };
    return ms(kernel) + ms(user);
}
} // namespace

TEST_F(WavePlayerTest, ARefusedFileLeavesTheLastGoodOnePlayingAndNothingBehind)
{
    std::vector<int16_t> first = stereoNoise(44100, 11);
    std::vector<int16_t> chosen = stereoNoise(44100, 12);
    ASSERT_EQ(1, load(written("player-first.wav", stereoWave(first))));
    ASSERT_EQ(1, load(written("player-chosen.wav", stereoWave(chosen))));
    const std::vector<int16_t> chosenHead(chosen.begin(), chosen.begin() + 200);
    ASSERT_TRUE(
        waitUntil([&] { return readCapturedSound().find(chosenHead) >= kDelay; }, kSoundBound));

    const long liveBefore = allocationsLive();
    for (const Bytes& refused : {pcmWave(2, 22050, 16, Bytes(400, 0)), Bytes(64, 'x')})
    {
        EXPECT_EQ(0, load(written("player-refused.wav", refused)));
        EXPECT_TRUE(refusal.said());
        EXPECT_EQ(1, player->IsPlaying());
    }
    EXPECT_EQ(liveBefore, allocationsLive()) << "allocations left behind";
    const size_t heard = readCapturedSound().frames();
    EXPECT_TRUE(waitUntil([&] { return readCapturedSound().frames() > heard; }, kSoundBound))
        << "a refused file stopped the sound";
    EXPECT_LT(readCapturedSound().find(std::vector<int16_t>(first.begin(), first.begin() + 200)),
              0);

    const double cpuBefore = processCpuMs();
    const DWORD start = GetTickCount();
    Sleep(1000);
    EXPECT_LT(processCpuMs() - cpuBefore, (GetTickCount() - start) / 2.0) << "the feeder spins";

    // Play takes up the last accepted file, not the refused one.
    EXPECT_EQ(1, player->Stop());
    EXPECT_EQ(1, player->Play(refusal));
    EXPECT_TRUE(
        waitUntil([&] { return readCapturedSound().find(chosenHead) >= kDelay; }, kSoundBound));
    EXPECT_EQ(1, player->Stop());
}

TEST_F(WavePlayerTest, Plays24Bit48kFilesExactlyAndRepeatsThemInWholeBlocks)
{
    // A second of 24-bit stereo at 48 kHz: playback repeats blocks 0 to 50
    // of 1920 frames (where a long file repeats is checked natively).
    const int rate = 48000;
    std::vector<int16_t> marks = stereoNoise(rate, 5);
    Bytes data;
    for (int16_t s : marks)
    {
        // The low byte is zero so that the 16-bit output is exact.
        data.push_back(0);
        putLe(data, static_cast<uint16_t>(s), 2);
    }
    ASSERT_EQ(1, load(written("player-48k.wav", pcmWave(2, rate, 24, data))));
    const long loopFrames = 51L * 1920;
    const SoundComparison compared =
        hearsAs(kDelay + loopFrames + 4000, playsFile(marks, loopFrames), kSoundBound);
    ASSERT_EQ(1, player->Stop());
    EXPECT_EQ(48000, readCapturedSound().sampleRate);
    EXPECT_EQ(-1, compared.firstDifference);
    EXPECT_EQ(kDelay + loopFrames + 4000, compared.matched) << "the repeat was not reached";
}

TEST(WavePlayer, ProcessesOnlyBetweenAResumeAndASuspend)
{
    static CWatchedEffect effect;
    CWavePlayer player(GetModuleHandleA(nullptr), &effect, nullptr, {0, 0});
    const std::string path = written("player-order.wav", pcmWave(2, 44100, 16, Bytes(8000, 1)));
    Refusal refusal;
    ASSERT_EQ(1, player.LoadFile(path.c_str(), refusal));
    ASSERT_TRUE(effect.blocksAfter(0));

    // A stop while the feeder is inside a block suspends once it has left.
    effect.holding = true;
    ASSERT_TRUE(waitUntil([] { return effect.held.load(); }, kSoundBound));
    int stopped = -1;
    std::thread stop([&] { stopped = player.Stop(); });
    EXPECT_TRUE(waitUntil([&] { return !player.IsPlaying() || !effect.resumed; }, kSoundBound));
    effect.holding = false;
    SetEvent(effect.release);
    stop.join();
    EXPECT_EQ(1, stopped);

    // A file loaded after a stop, and a play, are played by a resumed effect.
    for (bool load : {true, false})
    {
        const int before = effect.blocks;
        ASSERT_EQ(1, load ? player.LoadFile(path.c_str(), refusal) : player.Play(refusal));
        ASSERT_TRUE(effect.blocksAfter(before)) << load;
        ASSERT_EQ(1, player.Stop());
    }
    ASSERT_EQ(1, player.LoadFile(path.c_str(), refusal));
    EXPECT_EQ(1, player.Shutdown());
    EXPECT_FALSE(effect.resumed) << "left resumed";
    EXPECT_EQ("", effect.faults);
}

TEST(WavePlayer, AControllerWhoseFeederHangsIsDroppedAtOnceAndTheFeederEndsLater)
{
    static CWatchedEffect stuck;
    stuck.holding = true;
    const int threadsBefore = threadsOfThisProcess();
    auto* player = new CWavePlayer(GetModuleHandleA(nullptr), &stuck, nullptr, {0, 0});
    Refusal refusal;
    ASSERT_EQ(1, player->LoadFile(
                     written("player-stuck.wav", pcmWave(2, 44100, 16, Bytes(8000, 1))).c_str(),
                     refusal));
    ASSERT_TRUE(waitUntil([] { return stuck.held.load(); }, kSoundBound));
    const DWORD start = GetTickCount();
    EXPECT_EQ(0, player->Shutdown()) << "the feeder is stuck";
    delete player;
    EXPECT_LT(GetTickCount() - start, 5000u) << "dropping waits for the feeder";
    EXPECT_EQ("", stuck.faults) << "the stuck effect was called";
    // Back from its hang, the feeder frees what it co-owns and ends.
    SetEvent(stuck.release);
    EXPECT_TRUE(waitUntil([&] { return threadsOfThisProcess() == threadsBefore; }, 10000));
}

namespace
{
// A plug-in that records what the host sends, in order.
struct RecordingPlugin
{
    AEffect record = {};
    std::vector<std::pair<int32_t, float>> events; // opcode or -1 for a block
    std::atomic<int> blocks{0};
} recorder;

int32_t ZW_VSTCALL recordDispatcher(AEffect*, int32_t opcode, int32_t, int32_t, void*, float opt)
{
    recorder.events.push_back({opcode, opt});
    return opcode == effIdentify ? kIdentifyAnswer : 0;
}

void ZW_VSTCALL recordBlock(AEffect*, float**, float**, int32_t)
{
    if (recorder.events.empty() || recorder.events.back().first != -1)
    {
        recorder.events.push_back({-1, 0.0f});
        ++recorder.blocks;
    }
}

AEffect* ZW_VSTCALL recordingEntry(HostCallbackProc)
{
    recorder.record.magic = kEffectMagic;
    recorder.record.dispatcher = recordDispatcher;
    recorder.record.processReplacing = recordBlock;
    return &recorder.record;
}
} // namespace

TEST(WavePlayer, TellsThePluginTheSampleRateBeforeTheFirstBlockOfEachFile)
{
    CPlugWnd plug(GetModuleHandleA(nullptr), recordingEntry);
    ASSERT_EQ(1, plug.LoadPlugin());
    CWavePlayer player(GetModuleHandleA(nullptr), &plug, nullptr, kDelays);
    std::string at44 = written("player-rate44.wav", pcmWave(2, 44100, 16, Bytes(8000, 1)));
    std::string at48 = written("player-rate48.wav", pcmWave(1, 48000, 16, Bytes(8000, 1)));
    recorder.events.clear();
    Refusal refusal;
    // A block after the rate, then the next file's rate and a block after it.
    auto blocks = [] { return recorder.blocks.load(); };
    ASSERT_EQ(1, player.LoadFile(at44.c_str(), refusal));
    ASSERT_TRUE(waitUntil([&] { return blocks() >= 1; }, kSoundBound));
    ASSERT_EQ(1, player.LoadFile(at48.c_str(), refusal));
    ASSERT_TRUE(waitUntil([&] { return blocks() >= 2; }, kSoundBound));
    player.Shutdown();

    std::vector<float> rates;
    for (size_t i = 0; i < recorder.events.size(); ++i)
        if (recorder.events[i].first == effSetSampleRate)
        {
            rates.push_back(recorder.events[i].second);
            ASSERT_LT(i + 1, recorder.events.size());
            EXPECT_EQ(-1, recorder.events[i + 1].first) << "a block follows the rate";
        }
    ASSERT_EQ(2u, rates.size());
    EXPECT_EQ(44100.0f, rates[0]);
    EXPECT_EQ(48000.0f, rates[1]);
}
