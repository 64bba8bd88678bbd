#include "report/ReportText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "plugin/BandSplitter.h"

const char* verdictName(Verdict verdict)
{
    switch (verdict)
    {
    case kVerdictFail:
        return "fail";
    case kVerdictWarn:
        return "warn";
    case kVerdictOk:
        return "ok";
    default:
        return "unreadable";
    }
}

std::string formatClock(double seconds, int decimals)
{
    const double scale = decimals > 0 ? 10.0 : 1.0;
    // Rounded once, so that 59.96 s becomes 1:00.0 and never 0:60.0.
    const long long units = std::llround((seconds > 0.0 ? seconds : 0.0) * scale);
    const long long whole = units / static_cast<long long>(scale);
    char text[32];
    if (decimals > 0)
        std::snprintf(text, sizeof text, "%lld:%02lld.%lld", whole / 60, whole % 60,
                      units % static_cast<long long>(scale));
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}

std::string formatDecibels(float magnitude)
{
    if (!(magnitude > 0.0f))
        return "-inf";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", 20.0 * std::log10(static_cast<double>(magnitude)));
    return text;
}

std::string formatTimestamp(double seconds)
{
    const long long ms = std::llround((seconds > 0.0 ? seconds : 0.0) * 1000.0);
    char text[40];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%03lld", ms / 3600000, ms / 60000 % 60,
                  ms / 1000 % 60, ms % 1000);
    return text;
}

const char* channelFaultName(ChannelFault fault)
{
    switch (fault)
    {
    case kFaultSilentChannel:
        return "silent_channel";
    case kFaultInvertedPolarity:
        return "inverted_polarity";
    default:
        return "identical_channels";
    }
}

std::string channelFaultText(const FileReport& report, ChannelFault fault)
{
    switch (fault)
    {
    case kFaultSilentChannel:
        return std::string("the ") + (report.silentChannel == 0 ? "left" : "right") +
               " channel is silent";
    case kFaultInvertedPolarity:
        return "one channel's polarity is inverted: inverting one channel mends it";
    default:
        return "both channels are identical: the stereo file carries mono";
    }
}

std::string formatExact(float value)
{
    char text[32];
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, value);
    return std::string(text, end.ptr);
}

const char* bandName(int32_t band)
{
    switch (band)
    {
    case kBandLow:
        return "low";
    case kBandMid:
        return "mid";
    case kBandHigh:
        return "high";
    default:
        return "broadband";
    }
}

std::string bandText(int32_t band)
{
    const auto hertz = [](float hz)
    {
        char text[24];
        std::snprintf(text, sizeof text, hz >= 1000.0f ? "%g kHz" : "%g Hz",
                      hz >= 1000.0f ? hz / 1000.0f : hz);
        return std::string(text);
    };
    switch (band)
    {
    case kBandLow:
        return "low band (below " + hertz(kLowCrossoverHz) + ")";
    case kBandMid:
        return "mid band (" + hertz(kLowCrossoverHz) + " to " + hertz(kHighCrossoverHz) + ")";
    case kBandHigh:
        return "high band (above " + hertz(kHighCrossoverHz) + ")";
    default:
        return "broadband";
    }
}
