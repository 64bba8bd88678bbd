#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What makes a file fail: a run of the meter below failBelow that lasts at
// least minSeconds.
struct ReportSettings
{
    float failBelow = -0.2f;
    double minSeconds = 1.0;
};

// In the order the report lists them: worst first.
enum Verdict : int32_t
{
    kVerdictUnreadable = 0,
    kVerdictFail = 1,
    kVerdictWarn = 2,
    kVerdictOk = 3
};

// A stretch where the sound would cancel in mono. Times in seconds.
struct Passage
{
    double start;
    double end;
    float lowest;
    double lowestAt;
};

// Everything the report says about one file.
struct FileReport
{
    std::string path; // as given or found, UTF-8
    std::string name; // what its outputs are called: NAME.csv, NAME.*.png
    Verdict verdict = kVerdictUnreadable;
    std::string reason; // why it could not be read

    int32_t formatTag = 0; // 1 integer PCM, 3 IEEE float
    int32_t bitsPerSample = 0;
    int32_t channels = 0;
    double sampleRate = 0.0;
    int64_t frames = 0;

    // The meter's figures, one value per 512-frame block.
    int64_t blocks = 0;
    float peaks[2] = {0.0f, 0.0f}; // largest magnitude per channel, 1.0 = full scale
    double meanCorrelation = 0.0;
    double shareBelowZero = 0.0;
    double shareInRed = 0.0; // below -0.2, the meter's red zone
    float lowest = 1.0f;
    double lowestAt = 0.0;
    int64_t passageCount = 0;
    std::vector<Passage> passages; // the worst ones, worst first

    double duration() const { return sampleRate > 0.0 ? frames / sampleRate : 0.0; }
};
