#include "report/AudioSource.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "audio/WaveReader.h"
#include "report/StdFile.h"
#ifdef ZW_HAVE_SNDFILE
#include "report/SndfileSource.h"
#endif

namespace fs = std::filesystem;

namespace
{
std::string lowerExtension(const std::string& path)
{
    std::string extension = fs::u8path(path).extension().u8string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

// What libsndfile reads, as the Linux build's help and reasons name it.
constexpr char kSndfileFormats[] =
    "WAV, RF64, W64, AIFF, AIFC, FLAC, Ogg Vorbis, Opus, MP3 and CAF";

bool isWaveExtension(const std::string& extension)
{
    return extension == ".wav" || extension == ".wave";
}

// The player's reader: the same floats the meter got while the file played,
// and the fastest path for the most common files.
class CWaveSource : public CAudioSource
{
  public:
    int32_t read(float* const* channels, int32_t count) override
    {
        return reader.read(channels, 0, count);
    }

    CStdFile file;
    CWaveReader reader;
};

std::string waveRefusal(WaveOpenResult result, const CWaveReader& reader)
{
    switch (result)
    {
    case kWaveNotWave:
        return "not a WAVE file";
    case kWaveReadError:
        return "the file ends inside its format, or has no data chunk after it";
    case kWaveUnknownFormat:
        return "unknown data format (" + std::to_string(reader.getFormatTag()) + ")";
    default:
        return "not enough memory to read it";
    }
}

// Sample widths the player's reader converts; others are refused.
std::string waveWidthRefusal(const CWaveReader& reader)
{
    const int32_t bits = reader.getBitsPerSample();
    if (reader.hasFloatSamples() && bits != 32 && bits != 64)
        return std::to_string(bits) + "-bit float samples are not supported";
    if (!reader.hasFloatSamples() && bits > 32)
        return std::to_string(bits) + "-bit integer samples are not supported";
    return std::string();
}

// How far the player's reader came with a file it did not take.
enum WaveRefusal
{
    kNoFile,     // the file cannot be opened at all
    kNotWave,    // it is no RIFF/WAVE file
    kRefusedWave // a WAVE file whose format or contents the reader refuses
};

// Opens a WAV file with the player's reader; nullptr with the reason and how
// far it came when it refuses the file.
std::unique_ptr<CAudioSource> openWave(FileReport& report, int32_t chunkFrames, std::string& reason,
                                       WaveRefusal& refusal)
{
    auto source = std::make_unique<CWaveSource>();
    std::string error;
    refusal = kNoFile;
    if (!source->file.open(fs::u8path(report.path), error))
    {
        reason = "cannot be opened: " + error;
        return nullptr;
    }
    const CWaveReader& reader = source->reader;
    const WaveOpenResult opened = source->reader.open(&source->file, chunkFrames);
    refusal = opened == kWaveNotWave ? kNotWave : kRefusedWave;
    reason = opened == kWaveOpened ? waveWidthRefusal(reader) : waveRefusal(opened, reader);
    if (!reason.empty())
        return nullptr;
    report.format = "WAV " + std::to_string(reader.getBitsPerSample()) +
                    (reader.hasFloatSamples() ? "-bit float" : "-bit PCM");
    report.channels = reader.getChannels();
    report.sampleRate = reader.getSampleRate();
    report.frames = reader.getLength();
    return source;
}
} // namespace

bool isAudioName(const std::string& path)
{
    static const char* const kExtensions[] = {".wav",  ".wave", ".rf64", ".w64", ".aif",
                                              ".aiff", ".aifc", ".flac", ".ogg", ".oga",
                                              ".opus", ".mp3",  ".caf"};
    const std::string extension = lowerExtension(path);
    for (const char* known : kExtensions)
        if (extension == known)
            return true;
    return false;
}

const char* readableFormats()
{
#ifdef ZW_HAVE_SNDFILE
    return kSndfileFormats;
#else
    return "WAV files (the Linux build reads RF64, W64, AIFF, AIFC, FLAC,\n"
           "  Ogg Vorbis, Opus, MP3 and CAF as well)";
#endif
}

std::unique_ptr<CAudioSource> openAudioSource(FileReport& report, int32_t chunkFrames)
{
    std::string reason;
    WaveRefusal refusal = kNoFile;
    std::unique_ptr<CAudioSource> source = openWave(report, chunkFrames, reason, refusal);
#ifdef ZW_HAVE_SNDFILE
    // libsndfile takes what the player's reader refuses: other containers,
    // and compressed WAV. Where it cannot read the file either, the refusal
    // that speaks to what the file claims to be is kept.
    if (!source && refusal != kNoFile)
    {
        std::string sndfileReason;
        source = openSndfile(report, chunkFrames, sndfileReason);
        if (!source && refusal == kNotWave && !isWaveExtension(lowerExtension(report.path)))
            reason = sndfileReason;
    }
#else
    if (!source && refusal == kNotWave && isAudioName(report.path) &&
        !isWaveExtension(lowerExtension(report.path)))
        reason = std::string("this build reads WAV files only; the Linux build reads ") +
                 kSndfileFormats;
#endif
    if (!source)
    {
        report.reason = reason;
        return nullptr;
    }
    if (report.channels != 1 && report.channels != 2)
        report.reason =
            std::to_string(report.channels) + " channels: only mono and stereo files are measured";
    else if (!(report.sampleRate > 0.0))
        report.reason = "the sample rate is 0";
    else
        return source;
    return nullptr;
}
