// The playback controller with the real scope effect and the real wave-out
// device: what it plays is captured by the test run's sound configuration
// and compared frame by frame with the file it was given.

#include "audio/WavePlayer.h"
#include "host/PlugWnd.h"
#include "tests/audio/WaveBuilder.h"
#include "tests/support/AllocationCount.h"
#include "tests/support/CapturedSound.h"
#include "tests/support/DialogWatcher.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>


namespace
{
const int kDelay = 512;        // the effect's latency in frames
const int kBlockFrames = 1764; // 40 ms at 44.1 kHz
// The program's feeder starts about five seconds after its controller is
// made; here one and a half will do.
const CWavePlayer::StartDelays kDelays = {1000, 500};
const DWORD kStartupMs = kDelays.startupMs + kDelays.firstStartMs;

std::string writeFile(const char* name, const Bytes& bytes)
{
    FILE* file = std::fopen(name, "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return name;
}

// Distinct, deterministic 16-bit stereo frames that survive the float round
// trip exactly (the most negative value would saturate).
std::vector<int16_t> noise(int frames, uint32_t seed)
{
    std::vector<int16_t> samples(frames * 2);
    for (int16_t& s : samples)
    {
        seed = seed * 1664525u + 1013904223u;
        s = static_cast<int16_t>(static_cast<int>(seed >> 16) % 30000 - 15000);
    }
    return samples;
}

Bytes asBytes(const std::vector<int16_t>& samples)
{
    Bytes data;
    for (int16_t s : samples)
        putLe(data, static_cast<uint16_t>(s), 2);
    return data;
}

class WavePlayerTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        plug = new CPlugWnd(GetModuleHandleA(nullptr));
        ASSERT_EQ(1, plug->LoadPlugin());
        player = new CWavePlayer(GetModuleHandleA(nullptr), plug, nullptr, kDelays);
        ASSERT_EQ(1, player->IsReady());
    }
    void TearDown() override
    {
        player->Shutdown();
        delete player;
    }

    CPlugWnd* plug = nullptr;
    CWavePlayer* player = nullptr;
};
} // namespace

TEST_F(WavePlayerTest, PlaysTheFileDelayedByOneBlockAndLoopsAfterBlock100)
{
    const int fileFrames = 3 * 44100;
    std::vector<int16_t> input = noise(fileFrames, 7);
    std::string path = writeFile("player-3s.wav", pcmWave(2, 44100, 16, asBytes(input)));

    ASSERT_EQ(1, player->LoadFile(path.c_str()));
    EXPECT_EQ(1, player->IsPlaying());
    EXPECT_EQ(0, player->Play()) << "play while playing";
    // Blocks 0..100 (4.04 s) and the start of the repeat.
    Sleep(kStartupMs + 5500);
    EXPECT_EQ(1, player->Stop());
    EXPECT_EQ(0, player->Stop()) << "stop while stopped";

    // What the device should have played: 512 frames of silence, then blocks
    // 0 to 100 of the file (silent past its end), then the file again.
    const int loopFrames = 101 * kBlockFrames;
    std::vector<int16_t> expected(2 * kDelay, 0);
    for (int pass = 0; pass < 2; ++pass)
        for (int frame = 0; frame < loopFrames; ++frame)
            for (int c = 0; c < 2; ++c)
                expected.push_back(frame < fileFrames ? input[2 * frame + c] : 0);

    CapturedSound sound = readCapturedSound();
    ASSERT_TRUE(sound.valid);
    ASSERT_EQ(2, sound.channels);
    ASSERT_EQ(44100, sound.sampleRate);
    std::vector<int16_t> head(expected.begin() + 2 * kDelay, expected.begin() + 2 * (kDelay + 100));
    long start = sound.find(head);
    ASSERT_GE(start, kDelay) << "the file's first frames are not in the capture";
    start -= kDelay;
    // Everything before the first output frame is silence.
    for (long i = 0; i < 2 * start; ++i)
        ASSERT_EQ(0, sound.samples[i]) << "sample " << i;
    const SoundComparison compared =
        compareSound(sound, start, static_cast<long>(expected.size() / 2),
                     [&](long j, const int16_t* frame)
                     { return frame[0] == expected[2 * j] && frame[1] == expected[2 * j + 1]; });
    EXPECT_EQ(-1, compared.firstDifference);
    EXPECT_GT(compared.matched, kDelay + loopFrames + 2000) << "the repeat was not reached";
}

TEST_F(WavePlayerTest, MonoFilesPlayOnBothChannels)
{
    Bytes data;
    for (int i = 0; i < 44100; ++i)
        data.push_back(static_cast<uint8_t>(128 + (i * 37) % 100 - 50));
    std::string path = writeFile("player-mono8.wav", pcmWave(1, 44100, 8, data));
    ASSERT_EQ(1, player->LoadFile(path.c_str()));
    Sleep(kStartupMs + 800);
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

TEST_F(WavePlayerTest, RefusesFilesItCannotPlayWithTheirMessages)
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
    };
    const size_t count = sizeof cases / sizeof cases[0];
    CDialogWatcher watcher;
    for (const auto& c : cases)
    {
        std::string path = writeFile(c.name, c.file);
        EXPECT_EQ(0, player->LoadFile(path.c_str())) << c.name;
    }
    std::vector<SeenDialog> seen = watcher.seen();
    ASSERT_EQ(count, seen.size());
    for (size_t i = 0; i < count; ++i)
    {
        EXPECT_EQ(cases[i].message, seen[i].text);
        EXPECT_EQ("ERROR", seen[i].caption);
    }
    EXPECT_EQ(0, player->IsPlaying());

    // A missing file is refused without a word; a path too long for the
    // controller is refused before anything changes.
    EXPECT_EQ(0, player->LoadFile("Audio\\Zanderwick\\NotThere.wav"));
    EXPECT_EQ(0, player->LoadFile(std::string(300, 'a').c_str()));
    EXPECT_EQ(count, watcher.count());
}

TEST_F(WavePlayerTest, PlayWithoutAFileSaysSoAndTheIdleFeederSleeps)
{
    CDialogWatcher watcher;
    EXPECT_EQ(0, player->Play());
    ASSERT_TRUE(watcher.waitFor(1));
    EXPECT_EQ("No open Wavefile", watcher.seen()[0].text);
    // Past its start-up sleep, a feeder with nothing to do wakes up (next to)
    // never: a second's worth of polling would be dozens.
    Sleep(kDelays.startupMs + 500);
    const int32_t before = player->IdleWakeUps();
    Sleep(1000);
    EXPECT_LT(player->IdleWakeUps() - before, 5);
}

TEST_F(WavePlayerTest, StopDuringTheStartDelaysNeverTouchesTheOldDevice)
{
    std::vector<int16_t> input = noise(44100, 3);
    std::string path = writeFile("player-early.wav", pcmWave(2, 44100, 16, asBytes(input)));
    // The feeder is still in its start-up sleep: the request stays pending
    // while the reader and the device are replaced and destroyed.
    for (int i = 0; i < 3; ++i)
    {
        ASSERT_EQ(1, player->LoadFile(path.c_str()));
        ASSERT_EQ(1, player->Stop());
    }
    ASSERT_EQ(1, player->Play());
    ASSERT_EQ(1, player->Stop());
    Sleep(kStartupMs + 300);
    EXPECT_EQ(0, player->IsPlaying());
    // Play again after the delays: it starts from frame 0 with a fresh
    // engine, after the first start's own delay.
    ASSERT_EQ(1, player->Play());
    Sleep(kDelays.firstStartMs + 1500);
    ASSERT_EQ(1, player->Stop());
    CapturedSound sound = readCapturedSound();
    ASSERT_TRUE(sound.valid);
    std::vector<int16_t> head(input.begin(), input.begin() + 200);
    long start = sound.find(head);
    ASSERT_GE(start, kDelay);
    for (long i = 2 * (start - kDelay); i < 2 * start; ++i)
        ASSERT_EQ(0, sound.samples[i]) << "a fresh engine starts with 512 silent frames";
}

namespace
{
// Answers the open-file dialog with a file name, or cancels it.
CDialogWatcher::Action chooseFile(const std::string& path)
{
    return [path](HWND dialog)
    {
        const int kFileNameCombo = 0x47C;
        SetDlgItemTextA(dialog, kFileNameCombo, path.c_str());
        CDialogWatcher::pressOk(dialog);
    };
}

void cancel(HWND dialog)
{
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

std::string fullPath(const std::string& name)
{
    char path[MAX_PATH] = {};
    GetFullPathNameA(name.c_str(), MAX_PATH, path, nullptr);
    return path;
}
} // namespace

TEST_F(WavePlayerTest, TheOpenDialogPlaysTheChosenFile)
{
    std::vector<int16_t> first = noise(44100, 11);
    std::vector<int16_t> chosen = noise(44100, 12);
    std::string firstPath = writeFile("player-first.wav", pcmWave(2, 44100, 16, asBytes(first)));
    std::string chosenPath =
        fullPath(writeFile("player-chosen.wav", pcmWave(2, 44100, 16, asBytes(chosen))));
    std::string refusedPath =
        fullPath(writeFile("player-refused.wav", pcmWave(2, 22050, 16, Bytes(400, 0))));
    ASSERT_EQ(1, player->LoadFile(firstPath.c_str()));
    {
        CDialogWatcher watcher("#32770", "Open", cancel);
        EXPECT_EQ(0, player->OpenFromDialog());
        EXPECT_EQ(1u, watcher.count());
        EXPECT_EQ(1, player->IsPlaying()) << "cancel leaves playback alone";
    }
    {
        CDialogWatcher watcher("#32770", "Open", chooseFile(chosenPath));
        EXPECT_EQ(1, player->OpenFromDialog());
        EXPECT_EQ(1u, watcher.count());
    }
    Sleep(kStartupMs + 800);
    {
        // A refused choice changes nothing: the chosen file plays on.
        CDialogWatcher messages;
        CDialogWatcher watcher("#32770", "Open", chooseFile(refusedPath));
        EXPECT_EQ(0, player->OpenFromDialog());
        ASSERT_TRUE(messages.waitFor(1));
        EXPECT_EQ("No 44.1 kHz or 48 kHz Wavefile", messages.seen()[0].text);
        EXPECT_EQ(1, player->IsPlaying());
    }
    const size_t heard = readCapturedSound().frames();
    Sleep(500);
    CapturedSound sound = readCapturedSound();
    EXPECT_GT(sound.frames(), heard) << "the refused choice stopped the sound";
    const std::vector<int16_t> chosenHead(chosen.begin(), chosen.begin() + 200);
    EXPECT_GE(sound.find(chosenHead), kDelay);
    EXPECT_LT(sound.find(std::vector<int16_t>(first.begin(), first.begin() + 200)), 0);
    EXPECT_EQ(1, player->Stop());
    // Play takes up the last accepted file, not the refused one.
    EXPECT_EQ(1, player->Play());
    Sleep(800);
    EXPECT_GE(readCapturedSound().find(chosenHead), kDelay);
    EXPECT_EQ(1, player->Stop());
}

namespace
{
// A window of the test's thread that runs a call when it gets WM_APP: a
// toolbar click reaching the controller while one of its messages is up.
std::function<void()> gClick;
LRESULT CALLBACK clickWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP && gClick)
        gClick();
    return DefWindowProcA(window, message, wParam, lParam);
}

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

TEST_F(WavePlayerTest, ACommandWhileAMessageIsUpIsRefusedAndLeavesNothingBehind)
{
    std::vector<int16_t> good = noise(44100, 31);
    std::string goodPath =
        fullPath(writeFile("player-good.wav", pcmWave(2, 44100, 16, asBytes(good))));
    std::string brokenPath = fullPath(writeFile("player-broken.wav", Bytes(64, 'x')));
    ASSERT_EQ(1, player->LoadFile(goodPath.c_str()));
    Sleep(kStartupMs + 500);

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = clickWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "ZWCLICKS";
    RegisterClassA(&windowClass);
    HWND clicks = CreateWindowExA(0, "ZWCLICKS", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    int nested = -1;
    gClick = [&] { nested = player->OpenFromDialog(); };
    const long liveBefore = allocationsLive();
    {
        // The first choice is no WAV file; while its message is up, the
        // open button is clicked again and a good file would be chosen.
        int dialogs = 0;
        CDialogWatcher open("#32770", "Open",
                            [&](HWND dialog)
                            { chooseFile(++dialogs == 1 ? brokenPath : goodPath)(dialog); });
        CDialogWatcher messages("#32770", "ERROR",
                                [&](HWND box)
                                {
                                    PostMessageA(clicks, WM_APP, 0, 0);
                                    Sleep(500);
                                    CDialogWatcher::pressOk(box);
                                });
        EXPECT_EQ(0, player->OpenFromDialog());
        EXPECT_EQ(1u, messages.count());
        EXPECT_EQ(0, nested) << "the second open was let in";
        EXPECT_EQ(1u, open.count());
    }
    EXPECT_EQ(liveBefore, allocationsLive()) << "allocations left behind";
    EXPECT_EQ(1, player->IsPlaying()) << "the good file plays on";

    const double cpuBefore = processCpuMs();
    const DWORD start = GetTickCount();
    Sleep(1000);
    EXPECT_LT(processCpuMs() - cpuBefore, (GetTickCount() - start) / 2.0) << "the feeder spins";
    gClick = nullptr;
    DestroyWindow(clicks);
    EXPECT_EQ(1, player->Stop());
}

TEST_F(WavePlayerTest, Loops48kFilesAfter1504Seconds)
{
    // 17 s of 24-bit stereo at 48 kHz: playback repeats blocks 0 to 375.
    const int rate = 48000;
    const int fileFrames = 17 * rate;
    std::vector<int16_t> marks = noise(fileFrames, 5);
    Bytes data;
    data.reserve(fileFrames * 6);
    for (int16_t s : marks)
    {
        // The low byte is zero so that the 16-bit output is exact.
        data.push_back(0);
        putLe(data, static_cast<uint16_t>(s), 2);
    }
    std::string path = writeFile("player-48k.wav", pcmWave(2, rate, 24, data));
    ASSERT_EQ(1, player->LoadFile(path.c_str()));
    Sleep(kStartupMs + 16500);
    ASSERT_EQ(1, player->Stop());

    CapturedSound sound = readCapturedSound();
    ASSERT_TRUE(sound.valid);
    EXPECT_EQ(48000, sound.sampleRate);
    std::vector<int16_t> head(marks.begin(), marks.begin() + 200);
    const long first = sound.find(head);
    ASSERT_GE(first, kDelay);
    // The repeat starts at 15.04 s: blocks 0 to 375, then block 0 again.
    const long loopFrames = 376L * 1920;
    const SoundComparison compared =
        compareSound(sound, first, loopFrames + 4000,
                     [&](long j, const int16_t* frame)
                     {
                         const long at = 2 * (j % loopFrames);
                         return frame[0] == marks[at] && frame[1] == marks[at + 1];
                     });
    EXPECT_EQ(-1, compared.firstDifference);
    EXPECT_EQ(loopFrames + 4000, compared.matched) << "the repeat was not reached";
}

namespace
{
// A plug-in that records what the host sends, in order.
struct RecordingPlugin
{
    AEffect record = {};
    std::vector<std::pair<int32_t, float>> events; // opcode or -1 for a block
} recorder;

int32_t ZW_VSTCALL recordDispatcher(AEffect*, int32_t opcode, int32_t, int32_t, void*, float opt)
{
    recorder.events.push_back({opcode, opt});
    return opcode == effIdentify ? kIdentifyAnswer : 0;
}

void ZW_VSTCALL recordBlock(AEffect*, float**, float**, int32_t)
{
    if (recorder.events.empty() || recorder.events.back().first != -1)
        recorder.events.push_back({-1, 0.0f});
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
    std::string at44 = writeFile("player-rate44.wav", pcmWave(2, 44100, 16, Bytes(8000, 1)));
    std::string at48 = writeFile("player-rate48.wav", pcmWave(1, 48000, 16, Bytes(8000, 1)));
    recorder.events.clear();
    ASSERT_EQ(1, player.LoadFile(at44.c_str()));
    Sleep(kStartupMs + 400);
    ASSERT_EQ(1, player.LoadFile(at48.c_str()));
    Sleep(400);
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
