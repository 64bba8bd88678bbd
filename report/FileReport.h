#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What makes a file fail: a run of the meter below failBelow that lasts at
// least minSeconds, counting only blocks at or above the gate.
struct ReportSettings
{
    float failBelow = -0.2f;
    double minSeconds = 1.0;
    // Rises above the threshold shorter than this do not end a passage.
    double bridgeSeconds = 0.0;
    // Blocks whose louder channel is quieter than this (RMS, dBFS) are not
    // heard: they neither start nor extend a passage.
    double gateDbfs = -50.0;
};

// In the order the report lists them: worst first.
enum Verdict : int32_t
{
    kVerdictUnreadable = 0,
    kVerdictFail = 1,
    kVerdictWarn = 2,
    kVerdictOk = 3
};

// A fault of one channel as a whole, found over the whole file.
enum ChannelFault : int32_t
{
    kFaultSilentChannel,    // fail
    kFaultInvertedPolarity, // fail; inverting one channel mends it
    kFaultIdenticalChannels // warn: the stereo file carries mono
};

// Where a passage lies: in the whole sound, or in one band (plugin/
// BandSplitter.h: low, mid, high).
constexpr int32_t kBroadband = -1;

// A stretch where the sound would cancel in mono. Times in frames of the
// file and in seconds.
struct Passage
{
    int32_t band = kBroadband;
    int64_t startFrame;
    int64_t endFrame; // one past the last
    double start;
    double end;
    float lowest;
    double lowestAt;
};

// A file's figures in one band, as in the whole sound; the same rules, the
// band's own level standing for the gate.
struct BandFigures
{
    double meanCorrelation = 0.0;
    float lowest = 1.0f;
    double shareInRed = 0.0; // of the blocks where the band is heard
    // The mono sum's energy against the channels' mean energy over the file,
    // in dB; NaN where the band holds no sound, kMonoLossCap where it
    // cancels entirely (or by more).
    double monoLossDb = 0.0;
    int64_t passageCount = 0;
    std::vector<Passage> passages; // the worst ones, worst first
};
constexpr int32_t kReportBands = 3;
constexpr double kMonoLossCap = 100.0;

// Everything the report says about one file.
struct FileReport
{
    std::string path; // as given or found, UTF-8
    std::string name; // what its outputs are called: NAME.csv, NAME.*.png
    Verdict verdict = kVerdictUnreadable;
    std::string reason; // why it could not be read, or why it fails or warns

    std::string format; // container and samples: "WAV 24-bit PCM", "MP3"
    int32_t channels = 0;
    double sampleRate = 0.0;
    int64_t frames = 0;

    // The meter's figures, one value per 512-frame block.
    int64_t blocks = 0;
    float peaks[2] = {0.0f, 0.0f}; // largest magnitude per channel, 1.0 = full scale
    double meanCorrelation = 0.0;
    // Shares of the blocks at or above the gate.
    double shareBelowZero = 0.0;
    double shareInRed = 0.0; // below -0.2, the meter's red zone
    float lowest = 1.0f;
    double lowestAt = 0.0;
    int64_t passageCount = 0;
    std::vector<Passage> passages; // the worst ones, worst first
    BandFigures bands[kReportBands];

    std::vector<ChannelFault> channelFaults; // in the order of the enum
    int32_t silentChannel = -1;              // 0 left, 1 right, with kFaultSilentChannel

    double duration() const { return sampleRate > 0.0 ? frames / sampleRate : 0.0; }
    bool hasFault(ChannelFault fault) const
    {
        for (const ChannelFault f : channelFaults)
            if (f == fault)
                return true;
        return false;
    }
};
