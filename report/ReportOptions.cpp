#include "report/ReportOptions.h"

#include "report/AudioSource.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace
{
// A whole argument as a finite number, or false.
bool readNumber(const std::string& text, double& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && *end == '\0' && std::isfinite(value);
}

bool takesValue(const std::string& name)
{
    for (const char* option : {"--out", "--fail-below", "--angle", "--for", "--ignore-shorter-than",
                               "--gate", "--json", "--jobs"})
        if (name == option)
            return true;
    return false;
}

// More threads than this only wait for the disk.
constexpr int32_t kMaxJobs = 256;
} // namespace

std::string usageText()
{
    std::string text =
        "Usage: zwreport [--out DIR] [--fail-below C | --angle DEG] [--for SECONDS]\n"
        "                [--ignore-shorter-than SECONDS] [--gate DBFS] [--json FILE|-]\n"
        "                [--jobs N] [--recursive] FILE|FOLDER ...\n"
        "\n"
        "Tells for every audio file whether it survives being played in mono, and\n"
        "where it does not. Each file runs through the Zanderwick Scope's\n"
        "phase-correlation meter: the same 512-frame blocks and the same smoothed\n"
        "correlation the meter shows while the file plays.\n"
        "\n"
        "This build reads\n"
        "  @FORMATS@.\n"
        "WAV: integer PCM of 1 to 32 bits and IEEE float of 32 or 64 bits, plain\n"
        "or extensible. Mono or stereo, at any sample rate: the report does not\n"
        "play the files, so the player's 44.1 kHz and 48 kHz rule does not apply.\n"
        "Folders are searched for *.wav, *.wave, *.rf64, *.w64, *.aif, *.aiff,\n"
        "*.aifc, *.flac, *.ogg, *.oga, *.opus, *.mp3 and *.caf; a file no reader\n"
        "takes is listed as unreadable, with the reason.\n"
        "\n"
        "  --out DIR         where the report goes (default ./zwreport): index.html,\n"
        "                    report.json, summary.csv, and per file NAME.csv,\n"
        "                    NAME.correlation.png and NAME.goniometer.png\n"
        "  --fail-below C    a passage is a run below this correlation (default -0.2)\n"
        "  --angle DEG       or beyond this phase angle, 90 to 180 degrees: the\n"
        "                    correlation cos(DEG), as ffmpeg's aphasemeter states it\n"
        "  --for SECONDS     that lasts at least this long (default 1.0)\n"
        "  --ignore-shorter-than SECONDS\n"
        "                    rises above the threshold shorter than this do not end\n"
        "                    a passage (default 0)\n"
        "  --gate DBFS       blocks quieter than this (the louder channel's RMS)\n"
        "                    neither start nor extend a passage and do not count in\n"
        "                    the shares below 0 and -0.2 (default -50)\n"
        "  --json FILE|-     report.json also to FILE; - writes it to standard output\n"
        "  --jobs N          files analysed at once (default: one per core)\n"
        "  --recursive       search folders and their subfolders\n"
        "  --help            this text\n"
        "  --version         the version\n"
        "\n"
        "Channel faults, found over the whole file whatever the gate: a silent\n"
        "channel (fail), inverted polarity (fail: inverting one channel mends it),\n"
        "identical channels, a stereo file that carries mono (warn).\n"
        "\n"
        "Verdicts: ok; warn when the correlation goes below 0 at any time above\n"
        "the gate, or the channels are identical; fail when a passage is found, or\n"
        "a channel is silent or inverted.\n"
        "\n"
        "Exit codes: 0 every file ok or warn, 1 a file failed, 2 a file could not\n"
        "be read (2 wins over 1), 3 usage error, 4 the report could not be written.\n";
    const size_t at = text.find("@FORMATS@");
    return text.replace(at, 9, readableFormats());
}

OptionsResult parseOptions(const std::vector<std::string>& args, ReportOptions& options,
                           std::string& message)
{
    bool optionsEnded = false;
    std::string threshold; // the option that set it
    for (size_t i = 0; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "-h")
            return kOptionsHelp;
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0)
        {
            options.inputs.push_back(arg);
            continue;
        }
        if (arg == "--")
        {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help")
            return kOptionsHelp;
        if (arg == "--version")
            return kOptionsVersion;
        if (arg == "--recursive")
        {
            options.recursive = true;
            continue;
        }
        // The others take a value: "--name value" or "--name=value".
        std::string name = arg;
        std::string value;
        const size_t equals = arg.find('=');
        if (equals != std::string::npos)
        {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
        }
        else if (!takesValue(name))
        {
            message = "unknown option " + name;
            return kOptionsUsageError;
        }
        else
        {
            if (i + 1 == args.size())
            {
                message = name + " needs a value";
                return kOptionsUsageError;
            }
            value = args[++i];
        }
        // A number from low to high, or the message that says what it takes.
        double number = 0.0;
        const auto numberIn =
            [&](double low, double high, const std::string& takes, bool whole = false)
        {
            if (readNumber(value, number) && number >= low && number <= high &&
                (!whole || number == std::floor(number)))
                return true;
            message = name + " takes " + takes + ", not '" + value + "'";
            return false;
        };
        constexpr double kAny = 1e300;
        if (name == "--out" || name == "--json")
        {
            if (value.empty())
            {
                message = name + (name == "--out" ? " needs a folder" : " needs a file, or -");
                return kOptionsUsageError;
            }
            (name == "--out" ? options.outDir : options.json) = value;
        }
        else if (name == "--fail-below" || name == "--angle")
        {
            if (!threshold.empty() && threshold != name)
            {
                message = "--fail-below and --angle both set the threshold: give one";
                return kOptionsUsageError;
            }
            threshold = name;
            if (name == "--angle" ? !numberIn(90.0, 180.0, "degrees from 90 to 180")
                                  : !numberIn(-1.0, 1.0, "a correlation from -1 to 1"))
                return kOptionsUsageError;
            options.settings.failBelow = static_cast<float>(
                name == "--angle" ? std::cos(number * 3.14159265358979323846 / 180.0) : number);
        }
        else if (name == "--for" || name == "--ignore-shorter-than")
        {
            if (!numberIn(0.0, kAny, "seconds, 0 or more"))
                return kOptionsUsageError;
            (name == "--for" ? options.settings.minSeconds : options.settings.bridgeSeconds) =
                number;
        }
        else if (name == "--gate")
        {
            if (!numberIn(-200.0, 0.0, "dBFS from -200 to 0"))
                return kOptionsUsageError;
            options.settings.gateDbfs = number;
        }
        else if (name == "--jobs")
        {
            if (!numberIn(1.0, kMaxJobs, "a whole number from 1 to " + std::to_string(kMaxJobs),
                          true))
                return kOptionsUsageError;
            options.jobs = static_cast<int32_t>(number);
        }
        else
        {
            message = "unknown option " + name;
            return kOptionsUsageError;
        }
    }
    if (options.inputs.empty())
    {
        message = "no audio file or folder given";
        return kOptionsUsageError;
    }
    return kOptionsRun;
}
