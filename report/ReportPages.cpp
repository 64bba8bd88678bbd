#include "report/ReportPages.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "report/ReportText.h"

namespace fs = std::filesystem;

namespace
{
std::string html(const std::string& text)
{
    std::string out;
    for (const char c : text)
    {
        switch (c)
        {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// A file name as a relative link: every byte but the unreserved ones
// percent-encoded, so that '#', '?', '%' and spaces stay part of the name.
std::string url(const std::string& name)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : name)
    {
        const unsigned char byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
            (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
            byte == '~')
        {
            out += c;
        }
        else
        {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

std::string csvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (const char c : text)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::string fixed(double value, int decimals, bool sign = false)
{
    char text[48];
    std::snprintf(text, sizeof text, sign ? "%+.*f" : "%.*f", decimals, value);
    return text;
}

std::string percent(double share)
{
    return fixed(share * 100.0, 1) + " %";
}

// A band's mono loss in words: none where the band holds no sound.
std::string monoLossText(double db)
{
    if (db != db)
        return "no sound";
    return db >= kMonoLossCap ? "cancels" : fixed(db, 1) + " dB";
}

// A small table of the three bands, and their passages.
void writeBands(std::ostream& out, const FileReport& r)
{
    out << "<table class=\"bands\">\n<tr><th>band</th><th>mean</th><th>lowest</th>"
        << "<th>below &minus;0.2</th><th>mono loss</th><th>passages</th></tr>\n";
    for (int32_t band = 0; band < kReportBands; ++band)
    {
        const BandFigures& b = r.bands[band];
        out << "<tr><td>" << html(bandText(band)) << "</td><td>"
            << fixed(b.meanCorrelation, 2, true) << "</td><td>" << fixed(b.lowest, 2, true)
            << "</td><td>" << percent(b.shareInRed) << "</td><td>" << monoLossText(b.monoLossDb)
            << "</td><td>" << b.passageCount << "</td></tr>\n";
    }
    out << "</table>\n";
    for (int32_t band = 0; band < kReportBands; ++band)
    {
        if (r.bands[band].passages.empty())
            continue;
        out << "<ol class=\"passages\">\n";
        for (const Passage& p : r.bands[band].passages)
            out << "<li>" << bandName(band) << ": " << formatTimestamp(p.start) << "&ndash;"
                << formatTimestamp(p.end) << ", lowest " << fixed(p.lowest, 2, true) << "</li>\n";
        out << "</ol>\n";
    }
}

std::string fileName(const FileReport& report)
{
    return fs::u8path(report.path).filename().u8string();
}

std::string folderOf(const FileReport& report)
{
    return fs::u8path(report.path).parent_path().u8string();
}

const char kStyle[] = R"(
body { background: #111214; color: #d8d8d8; margin: 24px;
       font: 14px/1.45 "Liberation Sans", Arial, Helvetica, sans-serif; }
h1 { font-size: 20px; margin: 0 0 4px; }
p.about { color: #9a9a9a; margin: 0 0 16px; }
table { border-collapse: collapse; }
th { text-align: left; color: #9a9a9a; font-weight: normal; padding: 4px 12px; }
td { border-top: 1px solid #2c2d30; padding: 12px; vertical-align: top; }
td.file { min-width: 260px; max-width: 320px; overflow-wrap: anywhere; }
.name { font-weight: bold; color: #f0f0f0; }
.folder { color: #8a8a8a; font-size: 12px; }
.verdict { display: inline-block; margin: 6px 0; padding: 1px 10px; border-radius: 3px;
           font-weight: bold; color: #000; }
.ok { background: #00ff00; } .warn { background: #ffff00; } .fail { background: #ff0000; }
.unreadable { background: #9a9a9a; }
dl { margin: 4px 0 0; display: grid; grid-template-columns: auto auto; gap: 1px 12px; }
dt { color: #9a9a9a; white-space: nowrap; } dd { margin: 0; white-space: nowrap; }
ol.passages { margin: 4px 0 0; padding-left: 22px; }
table.bands { margin-top: 6px; font-size: 12px; }
table.bands th, table.bands td { border: none; padding: 0 8px 0 0; white-space: nowrap; }
.reason, .fault { color: #ff8080; }
.fault.identical_channels { color: #ffff80; }
img { display: block; image-rendering: pixelated; }
a { color: #9fc4ff; }
)";

void writeFigures(std::ostream& out, const FileReport& r)
{
    const bool mono = r.channels == 1;
    for (const ChannelFault fault : r.channelFaults)
        out << "<div class=\"fault " << channelFaultName(fault) << "\">"
            << html(channelFaultText(r, fault)) << "</div>\n";
    out << "<dl>\n<dt>format</dt><dd>" << html(r.format) << ", " << (mono ? "mono" : "stereo")
        << ", " << fixed(r.sampleRate, 0) << " Hz</dd>\n";
    out << "<dt>duration</dt><dd>" << formatClock(r.duration(), 1) << "</dd>\n";
    if (mono)
        out << "<dt>peak</dt><dd>" << formatDecibels(r.peaks[0]) << " dBFS</dd>\n";
    else
        out << "<dt>peak</dt><dd>L " << formatDecibels(r.peaks[0]) << ", R "
            << formatDecibels(r.peaks[1]) << " dBFS</dd>\n";
    if (r.blocks == 0)
    {
        out << "<dt>sound</dt><dd>none: the file holds no frames</dd>\n</dl>\n";
        return;
    }
    out << "<dt>mean correlation</dt><dd>" << fixed(r.meanCorrelation, 2, true) << "</dd>\n";
    out << "<dt>below 0</dt><dd>" << percent(r.shareBelowZero) << " of the time</dd>\n";
    out << "<dt>below &minus;0.2</dt><dd>" << percent(r.shareInRed) << " of the time</dd>\n";
    out << "<dt>lowest</dt><dd>" << fixed(r.lowest, 2, true) << " at " << formatClock(r.lowestAt, 1)
        << "</dd>\n";
    out << "<dt>passages</dt><dd>" << r.passageCount << "</dd>\n</dl>\n";
    if (!r.passages.empty())
    {
        out << "<ol class=\"passages\">\n";
        for (const Passage& p : r.passages)
            out << "<li>" << formatTimestamp(p.start) << "&ndash;" << formatTimestamp(p.end)
                << ", lowest " << fixed(p.lowest, 2, true) << "</li>\n";
        out << "</ol>\n";
    }
    if (r.passageCount > static_cast<int64_t>(r.passages.size()))
        out << "<div class=\"folder\">the " << r.passages.size() << " worst of " << r.passageCount
            << "</div>\n";
    writeBands(out, r);
}

void writeRow(std::ostream& out, const FileReport& r)
{
    const char* verdict = verdictName(r.verdict);
    out << "<tr class=\"file-row\">\n<td class=\"file\"><div class=\"name\">" << html(fileName(r))
        << "</div><div class=\"folder\">" << html(folderOf(r)) << "</div><span class=\"verdict "
        << verdict << "\">" << verdict << "</span>\n";
    if (r.verdict == kVerdictUnreadable)
    {
        out << "<div class=\"reason\">" << html(r.reason)
            << "</div></td>\n<td></td><td></td></tr>\n";
        return;
    }
    writeFigures(out, r);
    out << "<div><a href=\"" << url(r.name + ".csv") << "\">correlation per block (CSV)</a></div>"
        << "</td>\n";
    out << "<td><img src=\"" << url(r.name + ".correlation.png")
        << "\" width=\"1000\" height=\"200\" alt=\"correlation over time\"></td>\n";
    out << "<td><img src=\"" << url(r.name + ".goniometer.png")
        << "\" width=\"262\" height=\"258\" alt=\"stereo image\"></td>\n</tr>\n";
}
} // namespace

void sortWorstFirst(std::vector<FileReport>& reports)
{
    std::stable_sort(reports.begin(), reports.end(),
                     [](const FileReport& a, const FileReport& b)
                     {
                         if (a.verdict != b.verdict)
                             return a.verdict < b.verdict;
                         if (a.verdict != kVerdictUnreadable && a.lowest != b.lowest)
                             return a.lowest < b.lowest;
                         return a.path < b.path;
                     });
}

bool writeIndexHtml(const fs::path& file, const std::vector<FileReport>& reports,
                    const ReportSettings& settings)
{
    int64_t counts[4] = {0, 0, 0, 0};
    for (const FileReport& r : reports)
        ++counts[r.verdict];
    std::ostringstream out;
    out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        << "<title>Mono compatibility report</title>\n<style>" << kStyle << "</style>\n"
        << "</head>\n<body>\n<h1>Mono compatibility: " << reports.size()
        << (reports.size() == 1 ? " file" : " files") << "</h1>\n<p class=\"about\">";
    const Verdict order[] = {kVerdictUnreadable, kVerdictFail, kVerdictWarn, kVerdictOk};
    for (const Verdict v : order)
        out << counts[v] << ' ' << verdictName(v) << (v == kVerdictOk ? "" : " &middot; ");
    out << ".<br>The Zanderwick Scope's phase-correlation meter over every 512-frame block. "
        << "fail: below " << fixed(settings.failBelow, 2, true) << " for at least "
        << fixed(settings.minSeconds, 1) << " s";
    if (settings.bridgeSeconds > 0.0)
        out << " (rises shorter than " << fixed(settings.bridgeSeconds, 1) << " s ignored)";
    out << ", a silent channel or inverted polarity; warn: below 0 at any time, or identical "
        << "channels. Blocks quieter than " << fixed(settings.gateDbfs, 0)
        << " dBFS count for neither and are drawn in grey. Zones: "
        << "<span style=\"color:#00ff00\">above +0.2</span>, "
        << "<span style=\"color:#ffff00\">&minus;0.2 to +0.2</span>, "
        << "<span style=\"color:#ff0000\">below &minus;0.2</span>; the worst passages are "
        << "numbered.</p>\n";
    if (reports.empty())
        out << "<p>No audio files were found.</p>\n";
    else
        out << "<table>\n<thead><tr><th>file</th><th>correlation over time</th>"
            << "<th>stereo image</th></tr></thead>\n<tbody>\n";
    for (const FileReport& r : reports)
        writeRow(out, r);
    if (!reports.empty())
        out << "</tbody>\n</table>\n";
    out << "</body>\n</html>\n";

    std::ofstream page(file, std::ios::binary | std::ios::trunc);
    page << out.str();
    page.close();
    return !page.fail();
}

bool writeSummaryCsv(const fs::path& file, const std::vector<FileReport>& reports)
{
    std::ofstream csv(file, std::ios::binary | std::ios::trunc);
    csv << "file,verdict,reason,format,channels,sample_rate,duration_s,peak_left_dbfs,"
           "peak_right_dbfs,mean_correlation,time_below_0,time_below_-0.2,lowest_correlation,"
           "lowest_at_s,passages,worst_passage_start_s,worst_passage_end_s,"
           "worst_passage_lowest,channel_faults,low_mean_correlation,low_mono_loss_db,"
           "mid_mean_correlation,mid_mono_loss_db,high_mean_correlation,high_mono_loss_db\n";
    for (const FileReport& r : reports)
    {
        csv << csvField(r.path) << ',' << verdictName(r.verdict) << ',' << csvField(r.reason);
        if (r.verdict == kVerdictUnreadable)
        {
            csv << std::string(22, ',') << '\n';
            continue;
        }
        csv << ',' << csvField(r.format) << ',' << r.channels << ',' << fixed(r.sampleRate, 0)
            << ',' << fixed(r.duration(), 6) << ',' << formatDecibels(r.peaks[0]) << ','
            << (r.channels == 2 ? formatDecibels(r.peaks[1]) : "");
        if (r.blocks == 0)
        {
            csv << std::string(16, ',') << '\n';
            continue;
        }
        csv << ',' << fixed(r.meanCorrelation, 4) << ',' << fixed(r.shareBelowZero, 4) << ','
            << fixed(r.shareInRed, 4) << ',' << formatExact(r.lowest) << ',' << fixed(r.lowestAt, 6)
            << ',' << r.passageCount;
        if (r.passages.empty())
            csv << ",,,";
        else
            csv << ',' << fixed(r.passages[0].start, 6) << ',' << fixed(r.passages[0].end, 6) << ','
                << formatExact(r.passages[0].lowest);
        // Names apart by spaces, so that the field needs no quotes.
        csv << ',';
        for (size_t i = 0; i < r.channelFaults.size(); ++i)
            csv << (i ? " " : "") << channelFaultName(r.channelFaults[i]);
        // A band with no sound has no mono loss: the field stays empty.
        for (const BandFigures& b : r.bands)
            csv << ',' << fixed(b.meanCorrelation, 4) << ','
                << (b.monoLossDb == b.monoLossDb ? fixed(b.monoLossDb, 2) : "");
        csv << '\n';
    }
    csv.close();
    return !csv.fail();
}
