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

// The capture compared, frame by frame from its start, with the sound the
// program should have played, from its first frame on. When the program falls
// behind (on a loaded machine, or after its last block), Wine's driver plays
// silence in whole periods of 10 ms, and only where one of the program's
// periods ends. Such silence is passed over and counted; any other silence
// that does not match is a difference. So the program's own silence is
// exact wherever sound surrounds it: the effect's latency, a block too many.
// Before the first sound, where the device starts, the driver's silence must
// also stay under a block (40 ms). Inside the program's own silence the two
// cannot be told apart.
struct SoundComparison
{
    long matched = 0;          // expected frames found, in order
    long insertedSilence = 0;  // the driver's silent frames passed over
    long firstDifference = -1; // the expected frame that was not there, or -1
};

// `matches`(j, frame) tells whether a captured frame (its interleaved
// samples) is the program's frame j; comparing ends after `expectedFrames`.
SoundComparison compareSound(const CapturedSound& sound, long expectedFrames,
                             const std::function<bool(long, const int16_t*)>& matches);

// Waits until the capture holds the program's first `frames` frames, or
// differs from them; how it compares then.
SoundComparison hearsAs(long frames, const std::function<bool(long, const int16_t*)>& matches,
                        unsigned long timeoutMs);

// The program's sample j (channel 0 or 1) when it plays a stereo file
// (interleaved samples) from its start: the effect's 512 frames of latency
// in silence, then the file, silent past its end, again every loopFrames.
int16_t playedSample(const std::vector<int16_t>& file, long loopFrames, long j, int channel);
// A `matches` for that sound.
std::function<bool(long, const int16_t*)> playsFile(const std::vector<int16_t>& file,
                                                    long loopFrames);
