#include "report/FileAnalysis.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "plugin/ScopeEngine.h"
#include "plugin/StereoAnalyzer.h"
#include "report/AudioSource.h"
#include "report/ChannelCheck.h"
#include "report/CorrelationPlot.h"
#include "report/GoniometerPlot.h"
#include "report/PassageFinder.h"
#include "report/ReportText.h"

namespace fs = std::filesystem;

namespace
{
constexpr float kRedZone = -0.2f;

// The largest magnitude, as bits: for finite floats (the reader gives no
// others) magnitudes order like their bit patterns, and an integer loop
// vectorises.
uint32_t peakBitsOf(const float* samples, int32_t count, uint32_t peak)
{
    for (int32_t i = 0; i < count; ++i)
    {
        uint32_t bits;
        std::memcpy(&bits, samples + i, sizeof bits);
        bits &= 0x7FFFFFFFu;
        peak = bits > peak ? bits : peak;
    }
    return peak;
}

// One CSV line: the block's start in seconds and the meter's value.
void writeCsvLine(std::ofstream& csv, double seconds, float value)
{
    char line[64];
    char* end = std::to_chars(line, line + 24, seconds, std::chars_format::fixed, 6).ptr;
    *end++ = ',';
    end = std::to_chars(end, line + sizeof line - 1, value).ptr;
    *end++ = '\n';
    csv.write(line, end - line);
}

} // namespace

CFileAnalysis::CFileAnalysis(const ReportSettings& reportSettings)
    : settings(reportSettings), left(kChunkFrames), right(kChunkFrames), delayedLeft(kBlockLength),
      delayedRight(kBlockLength)
{
}

bool CFileAnalysis::run(const fs::path& outDir, FileReport& report)
{
    const std::unique_ptr<CAudioSource> source = openAudioSource(report, kChunkFrames);
    if (!source)
        return true;

    // The last block is filled up with silence, as a host plays on after
    // the file's end.
    report.blocks = (report.frames + kBlockLength - 1) / kBlockLength;
    const double secondsPerBlock = kBlockLength / report.sampleRate;
    CCorrelationPlot plot(report.blocks, secondsPerBlock);
    CGoniometerPlot scope;
    CPassageFinder passages(settings, report.sampleRate, report.frames);
    CChannelCheck check(report.sampleRate, report.channels == 2);

    const fs::path csvPath = outDir / fs::u8path(report.name + ".csv");
    std::ofstream csv(csvPath, std::ios::binary | std::ios::trunc);
    if (!csv)
        return false;
    csv << "time_s,correlation\n";
    if (!measure(*source, csv, report, plot, scope, passages, check))
    {
        csv.close();
        std::error_code ignored;
        fs::remove(csvPath, ignored);
        return true;
    }
    csv.close();
    const bool listed = !csv.fail();

    passages.finish();
    report.passageCount = passages.count();
    report.passages = passages.worst();
    report.channelFaults = check.faults(report.silentChannel);
    judge(report);
    const bool plotted = plot.render(report.passages)
                             .writePng(outDir / fs::u8path(report.name + ".correlation.png"));
    return scope.render().writePng(outDir / fs::u8path(report.name + ".goniometer.png")) &&
           plotted && listed;
}

void CFileAnalysis::judge(FileReport& report) const
{
    std::string reasons;
    const auto add = [&reasons](const std::string& reason)
    { reasons += (reasons.empty() ? "" : "; ") + reason; };
    bool fails = report.passageCount > 0;
    bool warns = report.shareBelowZero > 0.0;
    for (const ChannelFault fault : report.channelFaults)
    {
        add(channelFaultText(report, fault));
        (fault == kFaultIdenticalChannels ? warns : fails) = true;
    }
    if (report.passageCount > 0)
    {
        char text[96];
        std::snprintf(text, sizeof text, "%lld passage%s below %+.2f for %.1f s or more",
                      static_cast<long long>(report.passageCount),
                      report.passageCount == 1 ? "" : "s", settings.failBelow, settings.minSeconds);
        add(text);
    }
    else if (report.shareBelowZero > 0.0)
    {
        char text[64];
        std::snprintf(text, sizeof text, "below 0 for %.1f %% of the time",
                      report.shareBelowZero * 100.0);
        add(text);
    }
    report.reason = reasons;
    report.verdict = fails ? kVerdictFail : warns ? kVerdictWarn : kVerdictOk;
}

bool CFileAnalysis::measure(CAudioSource& source, std::ofstream& csv, FileReport& report,
                            CCorrelationPlot& plot, CGoniometerPlot& scope,
                            CPassageFinder& passages, CChannelCheck& check)
{
    // The effect's engine, as a host at this rate would make it: stereo in,
    // stereo out, mono sum off.
    CScopeEngine engine(2, report.sampleRate, 2);
    const CStereoAnalyzer& analyzer = *engine.getAnalyzer();
    float* channels[2] = {left.data(), right.data()};
    float* delayed[2] = {delayedLeft.data(), delayedRight.data()};
    const double secondsPerBlock = kBlockLength / report.sampleRate;
    // The gate as a mean square over a block.
    const float gate = static_cast<float>(std::pow(10.0, settings.gateDbfs / 10.0));

    double sum = 0.0;
    int64_t heardBlocks = 0;
    int64_t belowZero = 0;
    int64_t inRed = 0;
    int64_t block = 0;
    uint32_t peakBits[2] = {0, 0};
    for (int64_t done = 0; done < report.frames;)
    {
        const int32_t wanted = report.frames - done < kChunkFrames
                                   ? static_cast<int32_t>(report.frames - done)
                                   : kChunkFrames;
        const int32_t whole = (wanted + kBlockLength - 1) / kBlockLength * kBlockLength;
        // Past the data the source gives silence, which fills the last block.
        const int32_t got = source.read(channels, whole);
        if (got < wanted)
        {
            const std::string why = source.readError();
            report.reason = "read error after " + formatClock((done + got) / report.sampleRate) +
                            (why.empty() ? "" : ": " + why);
            return false;
        }
        // A mono file is heard on both sides, as the player sends it.
        if (report.channels == 1)
            std::memcpy(right.data(), left.data(), sizeof(float) * static_cast<size_t>(whole));
        peakBits[0] = peakBitsOf(left.data(), wanted, peakBits[0]);
        peakBits[1] = peakBitsOf(right.data(), wanted, peakBits[1]);

        for (int32_t at = 0; at < whole; at += kBlockLength, ++block)
        {
            float* in[2] = {left.data() + at, right.data() + at};
            // Exactly one block per call: the analysis runs once, on this block.
            engine.runStream(in, delayed, kBlockLength, 0);
            const float value = analyzer.correlation();
            const bool heard = check.addBlock(in[0], in[1], value) >= gate;
            passages.addBlock(value, signCorrelation(in[0], in[1], kBlockLength), heard);
            plot.addBlock(block, value, heard);
            scope.addPoints(analyzer.sidePoints(), analyzer.midPoints(), kBlockLength);
            writeCsvLine(csv, static_cast<double>(block) * secondsPerBlock, value);

            sum += value;
            heardBlocks += heard;
            belowZero += heard && value < 0.0f;
            inRed += heard && value < kRedZone;
            if (block == 0 || value < report.lowest)
            {
                report.lowest = value;
                report.lowestAt = static_cast<double>(block) * secondsPerBlock;
            }
        }
        done += wanted;
    }
    std::memcpy(report.peaks, peakBits, sizeof peakBits);
    if (report.blocks > 0)
        report.meanCorrelation = sum / static_cast<double>(report.blocks);
    if (heardBlocks > 0)
    {
        report.shareBelowZero = static_cast<double>(belowZero) / static_cast<double>(heardBlocks);
        report.shareInRed = static_cast<double>(inRed) / static_cast<double>(heardBlocks);
    }
    return true;
}
