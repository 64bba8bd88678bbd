#pragma once
// Test utility: reads what the test run's ALSA configuration captured from
// the sound device (a WAV file named by ZW_CAPTURE_WAV, see tools/asoundrc).

#include <cstdint>
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

// The capture file of this test executable, as a path Windows can open.
std::string captureFilePath();

// Reads a captured WAV file; `valid` is false when it is missing or broken.
CapturedSound readCapturedSound(const std::string& path = captureFilePath());
