// zwpanel: the scope's panel as it shows after a file played through the
// meter, drawn by the portable renderer into a PNG picture.
//
//   zwpanel [--scale 100|150|200] [--mono] [--bands] [--seconds T] FILE OUT.png

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/WaveReader.h"
#include "plugin/CorrelationHistory.h"
#include "plugin/ScopeRunner.h"
#include "render/PanelArt.h"
#include "render/PanelGeometry.h"
#include "report/RgbImage.h"
#include "report/StdFile.h"

namespace
{
constexpr int kUsageError = 2;
constexpr int kFailed = 1;
constexpr int32_t kChunkFrames = 4096;

const char kUsage[] =
    "usage: zwpanel [--scale 100|150|200] [--mono] [--bands] [--seconds T] FILE OUT.png\n"
    "Draws the scope's panel as it shows after T seconds of the WAV file FILE\n"
    "(the whole file when not given) played through the meter: the last\n"
    "finished block's dots, the pointer, the range bar since the start, and\n"
    "MONO on with --mono (the meter then plays the mono sum). --bands adds\n"
    "\"Bands and history\" below: the low, mid and high bands' correlation and\n"
    "the last ten seconds of the meter, newest at the right.\n";

struct Options
{
    int32_t zoom = kPanelSizes[0];
    bool mono = false;
    bool bands = false;
    double seconds = -1.0; // the whole file
    std::string input;
    std::string output;
};

bool parse(int argc, char** argv, Options& options, std::string& error)
{
    std::vector<std::string> names;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        const bool valued = arg == "--scale" || arg == "--seconds";
        if (valued && i + 1 >= argc)
        {
            error = arg + " needs a value";
            return false;
        }
        if (arg == "--mono")
            options.mono = true;
        else if (arg == "--bands")
            options.bands = true;
        else if (valued)
        {
            const char* text = argv[++i];
            char* end = nullptr;
            errno = 0;
            const double value = std::strtod(text, &end);
            if (end == text || *end || errno || !std::isfinite(value) || value < 0.0)
            {
                error = arg + " takes a number of 0 or more, not '" + text + "'";
                return false;
            }
            if (arg == "--seconds")
                options.seconds = value;
            else if (value != std::floor(value) || !isPanelSize(static_cast<int32_t>(value)))
            {
                error = std::string("--scale is 100, 150 or 200, not '") + text + "'";
                return false;
            }
            else
                options.zoom = static_cast<int32_t>(value);
        }
        else if (arg.size() > 1 && arg[0] == '-')
        {
            error = "unknown option " + arg;
            return false;
        }
        else
            names.push_back(arg);
    }
    if (names.size() != 2)
    {
        error = "give one FILE and one OUT.png";
        return false;
    }
    options.input = names[0];
    options.output = names[1];
    return true;
}

// Plays the first seconds of the file through the meter into the renderer.
bool play(const Options& options, CPanelRenderer& panel, std::string& error)
{
    CStdFile file;
    if (!file.open(std::filesystem::u8path(options.input), error))
        return false;
    CWaveReader reader;
    if (reader.open(&file, kChunkFrames) != kWaveOpened)
    {
        error = "not a WAV file the meter can read";
        return false;
    }
    const int32_t channels = reader.getChannels();
    if (channels != 1 && channels != 2)
    {
        error = std::to_string(channels) + " channels: only mono and stereo files are shown";
        return false;
    }
    int64_t frames = reader.getLength();
    if (options.seconds >= 0.0)
        frames = std::min<int64_t>(
            frames, static_cast<int64_t>(std::floor(options.seconds * reader.getSampleRate())));

    CScopeRunner meter;
    meter.setMono(options.mono);
    meter.setSampleRate(static_cast<float>(reader.getSampleRate()));
    meter.setBands(options.bands);
    CCorrelationHistory history(static_cast<float>(reader.getSampleRate()));
    // The history takes every block's value, so with it a block at a time.
    const int32_t step = options.bands ? kBlockLength : kChunkFrames;
    std::vector<float> left(kChunkFrames), right(kChunkFrames);
    std::vector<float> outLeft(kChunkFrames), outRight(kChunkFrames);
    float* const inputs[2] = {left.data(), channels == 2 ? right.data() : left.data()};
    float* const outputs[2] = {outLeft.data(), outRight.data()};
    float* const reads[2] = {left.data(), right.data()};
    for (int64_t done = 0; done < frames;)
    {
        const int32_t n = static_cast<int32_t>(std::min<int64_t>(step, frames - done));
        reader.read(reads, 0, n);
        meter.run(inputs, outputs, static_cast<uint32_t>(n));
        if (options.bands && meter.takeFinishedBlocks() > 0)
            history.push(meter.takeLowest());
        done += n;
    }
    // Until a block is finished the panel stays as it opens.
    if (meter.getBlockCount() > 0)
    {
        panel.setPoints(meter.sidePoints(), meter.midPoints());
        panel.setPointer(meter.meterValue());
        panel.setRange(meter.getRange());
        const float bands[kBandCount] = {meter.bandCorrelation(kBandLow),
                                         meter.bandCorrelation(kBandMid),
                                         meter.bandCorrelation(kBandHigh)};
        panel.setBands(bands);
        panel.setHistory(history);
    }
    panel.setMono(options.mono);
    return true;
}

bool writePicture(const CPanelRenderer& panel, const std::string& path)
{
    CRgbImage image(panel.getWidth(), panel.getHeight(), {0, 0, 0});
    const uint32_t* pixels = panel.getPixels();
    for (int32_t y = 0; y < panel.getHeight(); ++y)
        for (int32_t x = 0; x < panel.getWidth(); ++x)
        {
            const uint32_t p = pixels[y * panel.getWidth() + x];
            image.setPixel(x, y,
                           {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8),
                            static_cast<uint8_t>(p)});
        }
    return image.writePng(std::filesystem::u8path(path));
}
} // namespace

int main(int argc, char** argv)
{
    Options options;
    std::string error;
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h"))
    {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!parse(argc, argv, options, error))
    {
        std::fprintf(stderr, "zwpanel: %s\n%s", error.c_str(), kUsage);
        return kUsageError;
    }
    PanelArt art;
    if (!loadPanelArt(options.zoom, art))
    {
        std::fprintf(stderr, "zwpanel: the pictures for %d %% do not load\n",
                     static_cast<int>(options.zoom));
        return kFailed;
    }
    CPanelRenderer panel(art, options.bands);
    if (!play(options, panel, error))
    {
        std::fprintf(stderr, "zwpanel: %s: %s\n", options.input.c_str(), error.c_str());
        return kFailed;
    }
    panel.compose();
    if (!writePicture(panel, options.output))
    {
        std::fprintf(stderr, "zwpanel: %s cannot be written\n", options.output.c_str());
        return kFailed;
    }
    return 0;
}
