#include "report/ReportJson.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "report/ReportText.h"

namespace
{
// The length of the well-formed UTF-8 sequence at text[at], or 0.
size_t utf8Length(const std::string& text, size_t at)
{
    const auto byte = [&](size_t i)
    { return at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0u; };
    const unsigned lead = byte(0);
    size_t length = 0;
    unsigned low = 0x80, high = 0xBF; // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
    {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    }
    else if (lead >= 0xF0 && lead <= 0xF4)
    {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    if (length == 0 || byte(1) < low || byte(1) > high)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    return length;
}

// Writes JSON as it goes, two spaces per level, one member or element a
// line. The caller pairs the begins and ends.
class CJsonWriter
{
  public:
    explicit CJsonWriter(std::string& target) : out(target) {}

    CJsonWriter& beginObject() { return open('{'); }
    CJsonWriter& endObject() { return close('}'); }
    CJsonWriter& beginArray() { return open('['); }
    CJsonWriter& endArray() { return close(']'); }

    CJsonWriter& key(const char* name)
    {
        element();
        quoted(name);
        out += ": ";
        keyed = true;
        return *this;
    }
    CJsonWriter& value(const std::string& text)
    {
        element();
        quoted(text);
        return *this;
    }
    CJsonWriter& value(int64_t number)
    {
        element();
        out += std::to_string(number);
        return *this;
    }
    // The shortest text that reads back as the same double; null for what
    // JSON cannot hold (silence in dBFS is minus infinity).
    CJsonWriter& value(double number)
    {
        element();
        if (!std::isfinite(number))
        {
            out += "null";
            return *this;
        }
        char text[32];
        out.append(text, std::to_chars(text, text + sizeof text, number).ptr);
        return *this;
    }
    // A float as the shortest text that reads back as the same float.
    CJsonWriter& value(float number)
    {
        element();
        out += formatExact(number);
        return *this;
    }
    CJsonWriter& null()
    {
        element();
        out += "null";
        return *this;
    }

  private:
    CJsonWriter& open(char bracket)
    {
        element();
        out += bracket;
        firsts.push_back(true);
        return *this;
    }
    CJsonWriter& close(char bracket)
    {
        const bool empty = firsts.back();
        firsts.pop_back();
        if (!empty)
            newline();
        out += bracket;
        return *this;
    }
    // Before a key, or a value that has none: the comma and the line.
    void element()
    {
        if (keyed)
        {
            keyed = false;
            return;
        }
        if (firsts.empty())
            return;
        if (!firsts.back())
            out += ',';
        firsts.back() = false;
        newline();
    }
    void newline()
    {
        out += '\n';
        out.append(2 * firsts.size(), ' ');
    }
    void quoted(const std::string& text)
    {
        out += '"';
        for (size_t i = 0; i < text.size(); ++i)
        {
            const char c = text[i];
            const unsigned char byte = static_cast<unsigned char>(c);
            if (byte >= 0x80)
            {
                // A name on Linux may be any bytes; JSON must be UTF-8.
                const size_t length = utf8Length(text, i);
                out += length > 0 ? text.substr(i, length) : "\uFFFD";
                i += length > 0 ? length - 1 : 0;
            }
            else if (c == '"' || c == '\\')
            {
                out += '\\';
                out += c;
            }
            else if (byte < 0x20)
            {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                out += escaped;
            }
            else
            {
                out += c;
            }
        }
        out += '"';
    }

    std::string& out;
    std::vector<bool> firsts; // per open level: nothing written in it yet
    bool keyed = false;       // a key was written; its value follows on the line
};

double decibels(float magnitude)
{
    return 20.0 * std::log10(static_cast<double>(magnitude));
}

void writePassage(CJsonWriter& json, const Passage& p)
{
    json.beginObject();
    json.key("band").value(std::string(bandName(p.band)));
    json.key("start_s").value(p.start);
    json.key("end_s").value(p.end);
    json.key("start_sample").value(p.startFrame);
    json.key("end_sample").value(p.endFrame);
    json.key("start").value(formatTimestamp(p.start));
    json.key("end").value(formatTimestamp(p.end));
    json.key("lowest").value(p.lowest);
    json.key("lowest_at_s").value(p.lowestAt);
    json.endObject();
}

void writeFile(CJsonWriter& json, const FileReport& r)
{
    const bool read = r.verdict != kVerdictUnreadable;
    const bool measured = read && r.blocks > 0;
    json.beginObject();
    json.key("file").value(r.path);
    json.key("verdict").value(std::string(verdictName(r.verdict)));
    json.key("reason").value(r.reason);
    if (read)
    {
        json.key("format").value(r.format);
        json.key("channels").value(static_cast<int64_t>(r.channels));
        json.key("sample_rate").value(r.sampleRate);
        json.key("frames").value(r.frames);
        json.key("duration_s").value(r.duration());
        json.key("peak_dbfs").beginArray();
        for (int32_t c = 0; c < r.channels; ++c)
            json.value(decibels(r.peaks[c]));
        json.endArray();
    }
    else
    {
        for (const char* unknown :
             {"format", "channels", "sample_rate", "frames", "duration_s", "peak_dbfs"})
            json.key(unknown).null();
    }
    if (measured)
    {
        json.key("mean_correlation").value(r.meanCorrelation);
        json.key("lowest_correlation").value(r.lowest);
        json.key("lowest_at_s").value(r.lowestAt);
        json.key("time_below_0").value(r.shareBelowZero);
        json.key("time_below_-0.2").value(r.shareInRed);
    }
    else
    {
        for (const char* unknown : {"mean_correlation", "lowest_correlation", "lowest_at_s",
                                    "time_below_0", "time_below_-0.2"})
            json.key(unknown).null();
    }
    json.key("channel_faults").beginArray();
    for (const ChannelFault fault : r.channelFaults)
        json.value(std::string(channelFaultName(fault)));
    json.endArray();
    json.key("passage_count").value(r.passageCount);
    json.key("passages").beginArray();
    for (const Passage& p : r.passages)
        writePassage(json, p);
    json.endArray();
    if (!measured)
    {
        json.key("bands").null();
        json.endObject();
        return;
    }
    json.key("bands").beginArray();
    for (int32_t band = 0; band < kReportBands; ++band)
    {
        const BandFigures& b = r.bands[band];
        json.beginObject();
        json.key("name").value(std::string(bandName(band)));
        json.key("mean_correlation").value(b.meanCorrelation);
        json.key("lowest_correlation").value(b.lowest);
        json.key("time_below_-0.2").value(b.shareInRed);
        json.key("mono_loss_db").value(b.monoLossDb);
        json.key("passage_count").value(b.passageCount);
        json.key("passages").beginArray();
        for (const Passage& p : b.passages)
            writePassage(json, p);
        json.endArray();
        json.endObject();
    }
    json.endArray();
    json.endObject();
}
} // namespace

std::string reportJson(const std::vector<FileReport>& reports, const ReportSettings& settings)
{
    std::string text;
    CJsonWriter json(text);
    json.beginObject();
    json.key("schema_version").value(static_cast<int64_t>(kReportSchemaVersion));
    json.key("settings").beginObject();
    json.key("fail_below").value(settings.failBelow);
    json.key("for_s").value(settings.minSeconds);
    json.key("ignore_shorter_than_s").value(settings.bridgeSeconds);
    json.key("gate_dbfs").value(settings.gateDbfs);
    json.endObject();
    json.key("files").beginArray();
    for (const FileReport& r : reports)
        writeFile(json, r);
    json.endArray();
    json.endObject();
    text += '\n';
    return text;
}
