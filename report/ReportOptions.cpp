#include "report/ReportOptions.h"

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

// More threads than this only wait for the disk.
constexpr int32_t kMaxJobs = 256;
} // namespace

const char* usageText()
{
    return "Usage: zwreport [--out DIR] [--fail-below C] [--for SECONDS] [--jobs N]\n"
           "                [--recursive] FILE.wav|FOLDER ...\n"
           "\n"
           "Tells for every WAV file whether it survives being played in mono, and\n"
           "where it does not. Each file runs through the Zanderwick Scope's\n"
           "phase-correlation meter: the same 512-frame blocks and the same smoothed\n"
           "correlation the meter shows while the file plays.\n"
           "\n"
           "Reads integer PCM of 1 to 32 bits and IEEE float of 32 or 64 bits, plain\n"
           "or extensible, mono or stereo, at any sample rate: the report does not\n"
           "play the files, so the player's 44.1 kHz and 48 kHz rule does not apply.\n"
           "Folders are searched for *.wav files.\n"
           "\n"
           "  --out DIR         where the report goes (default ./zwreport): index.html,\n"
           "                    summary.csv, and per file NAME.csv, NAME.correlation.png\n"
           "                    and NAME.goniometer.png\n"
           "  --fail-below C    a passage is a run below this correlation (default -0.2)\n"
           "  --for SECONDS     that lasts at least this long (default 1.0)\n"
           "  --jobs N          files analysed at once (default: one per core)\n"
           "  --recursive       search folders and their subfolders\n"
           "  --help            this text\n"
           "\n"
           "Verdicts: ok; warn when the correlation goes below 0 at any time; fail\n"
           "when a passage is found.\n"
           "\n"
           "Exit codes: 0 every file ok or warn, 1 a file failed, 2 a file could not\n"
           "be read (2 wins over 1), 3 usage error, 4 the report could not be written.\n";
}

OptionsResult parseOptions(const std::vector<std::string>& args, ReportOptions& options,
                           std::string& message)
{
    bool optionsEnded = false;
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
        else if (name == "--out" || name == "--fail-below" || name == "--for" || name == "--jobs")
        {
            if (i + 1 == args.size())
            {
                message = name + " needs a value";
                return kOptionsUsageError;
            }
            value = args[++i];
        }
        double number = 0.0;
        if (name == "--out")
        {
            if (value.empty())
            {
                message = "--out needs a folder";
                return kOptionsUsageError;
            }
            options.outDir = value;
        }
        else if (name == "--fail-below")
        {
            if (!readNumber(value, number) || number < -1.0 || number > 1.0)
            {
                message = "--fail-below takes a correlation from -1 to 1, not '" + value + "'";
                return kOptionsUsageError;
            }
            options.settings.failBelow = static_cast<float>(number);
        }
        else if (name == "--for")
        {
            if (!readNumber(value, number) || number < 0.0)
            {
                message = "--for takes seconds, 0 or more, not '" + value + "'";
                return kOptionsUsageError;
            }
            options.settings.minSeconds = number;
        }
        else if (name == "--jobs")
        {
            if (!readNumber(value, number) || number < 1.0 || number > kMaxJobs ||
                number != std::floor(number))
            {
                message = "--jobs takes a whole number from 1 to " + std::to_string(kMaxJobs) +
                          ", not '" + value + "'";
                return kOptionsUsageError;
            }
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
        message = "no WAV file or folder given";
        return kOptionsUsageError;
    }
    return kOptionsRun;
}
