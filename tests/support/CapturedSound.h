#pragma once
// Test utility: reads what the test run's ALSA configuration captured from
// the sound device (a WAV file named by ZW_CAPTURE_WAV, see tools/asoundrc).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct CapturedSound
{
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    std::vector<int16_t> samples; // interleaved 16-bit samples
    bool valid = false;

    size_t frames() const { return channels ? samples.size() / channels : 0; }

    // Index of the first frame from which `needle` (interleaved samples)
    // follows in the capture, or -1.
    long find(const std::vector<int16_t>& needle, size_t fromFrame = 0) const;
};

// Polls the condition every 20 ms; false if it did not come true in time.
bool waitUntil(const std::function<bool()>& condition, unsigned long timeoutMs);

// The capture file of this test executable, as a path Windows can open.
std::string captureFilePath();

// Reads a captured WAV file; `valid` is false when it is missing or broken.
// A capture's data size may lag behind what was written (the driver fixes it
// up now and then while the file grows), so all of it is read; another
// tool's finished file is read as far as its data chunk says.
CapturedSound readCapturedSound(const std::string& path = captureFilePath(), bool capture = true);

// The capture compared, frame by frame from `fromFrame` on, with the sound a
// program should have played. Wine's driver plays silence whenever the
// program's buffers run dry (on a loaded machine, or after the last block),
// so a silent captured frame that does not match is passed over and counted
// rather than taken for a difference.
struct SoundComparison
{
    long matched = 0;          // expected frames found, in order
    long insertedSilence = 0;  // silent frames passed over
    long firstDifference = -1; // the expected frame that was not there, or -1
};

// `matches`(j, frame) tells whether a captured frame (its interleaved
// samples) is expected frame j; comparing ends after `expectedFrames`.
SoundComparison compareSound(const CapturedSound& sound, size_t fromFrame, long expectedFrames,
                             const std::function<bool(long, const int16_t*)>& matches);
