#include "tests/support/CapturedSound.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "audio/PlaybackBlocks.h"

std::string captureFilePath()
{
    char buffer[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableA("ZW_CAPTURE_WAV", buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer)
        return {};
    std::string path = buffer;
    // A unix path reaches Windows through Wine's Z: drive.
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    return path;
}

namespace
{
uint32_t le32(const unsigned char* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
uint16_t le16(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
} // namespace

bool waitUntil(const std::function<bool()>& condition, unsigned long timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!condition())
    {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}

CapturedSound readCapturedSound(const std::string& path, bool capture)
{
    CapturedSound sound;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return sound;
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        return sound;
    size_t pos = 12;
    bool haveFormat = false;
    while (pos + 8 <= bytes.size())
    {
        const unsigned char* chunk = bytes.data() + pos;
        uint32_t size = le32(chunk + 4);
        size_t body = pos + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && body + 16 <= bytes.size())
        {
            sound.channels = le16(bytes.data() + body + 2);
            sound.sampleRate = static_cast<int>(le32(bytes.data() + body + 4));
            sound.bitsPerSample = le16(bytes.data() + body + 14);
            haveFormat = true;
        }
        else if (std::memcmp(chunk, "data", 4) == 0 && haveFormat)
        {
            // The capture may still be growing or its sizes unset or behind:
            // take what is there.
            size_t available = bytes.size() - body;
            size_t n = std::min<size_t>(size && !capture ? size : available, available) / 2;
            sound.samples.resize(n);
            std::memcpy(sound.samples.data(), bytes.data() + body, n * 2);
            sound.valid = sound.bitsPerSample == 16 && sound.channels > 0;
            return sound;
        }
        pos = body + size + (size & 1);
    }
    return sound;
}

long CapturedSound::find(const std::vector<int16_t>& needle, size_t fromFrame) const
{
    if (!channels || needle.empty())
        return -1;
    for (size_t frame = fromFrame; (frame * channels) + needle.size() <= samples.size(); ++frame)
    {
        if (std::equal(needle.begin(), needle.end(), samples.begin() + frame * channels))
            return static_cast<long>(frame);
    }
    return -1;
}

SoundComparison compareSound(const CapturedSound& sound, long expectedFrames,
                             const std::function<bool(long, const int16_t*)>& matches)
{
    SoundComparison result;
    const int channels = sound.channels;
    const long period = sound.sampleRate / 100;
    const long startBound = blockFramesFor(sound.sampleRate);
    // Where the program's silence before its frame `matched` began (0 before
    // its first sound), and the silent frames found there beyond it.
    long silenceFrom = 0;
    long extra = 0;
    for (size_t frame = 0; frame < sound.frames() && result.matched < expectedFrames; ++frame)
    {
        const int16_t* samples = sound.samples.data() + frame * channels;
        const bool silent =
            std::all_of(samples, samples + channels, [](int16_t s) { return s == 0; });
        if (!matches(result.matched, samples))
        {
            if (!silent)
            {
                result.firstDifference = result.matched;
                break;
            }
            ++extra;
            continue;
        }
        const bool periodEnds = result.matched / period * period >= silenceFrom;
        const bool started = silenceFrom > 0 || extra < startBound;
        if (extra && (extra % period != 0 || !periodEnds || !started))
        {
            result.firstDifference = result.matched;
            break;
        }
        result.insertedSilence += extra;
        extra = 0;
        if (!silent)
            silenceFrom = result.matched + 1;
        ++result.matched;
    }
    // The driver's silence after the last block the capture holds.
    result.insertedSilence += extra;
    return result;
}

SoundComparison hearsAs(long frames, const std::function<bool(long, const int16_t*)>& matches,
                        unsigned long timeoutMs)
{
    SoundComparison compared;
    waitUntil(
        [&]
        {
            compared = compareSound(readCapturedSound(), frames, matches);
            return compared.matched == frames || compared.firstDifference >= 0;
        },
        timeoutMs);
    return compared;
}

int16_t playedSample(const std::vector<int16_t>& file, long loopFrames, long j, int channel)
{
    const long kLatency = 512;
    if (j < kLatency)
        return 0;
    const size_t at = 2 * static_cast<size_t>((j - kLatency) % loopFrames) + channel;
    return at < file.size() ? file[at] : 0;
}

std::function<bool(long, const int16_t*)> playsFile(const std::vector<int16_t>& file,
                                                    long loopFrames)
{
    return [&file, loopFrames](long j, const int16_t* frame)
    {
        return frame[0] == playedSample(file, loopFrames, j, 0) &&
               frame[1] == playedSample(file, loopFrames, j, 1);
    };
}
