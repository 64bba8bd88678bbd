#include "report/FileAnalysis.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "plugin/BandCorrelation.h"
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
// A band's mono loss over the file that warns, and that fails.
constexpr double kMonoLossWarnDb = 6.0;
constexpr double kMonoLossFailDb = 10.0;
// Below this level over the file (RMS of the channels' mean energy) a band
// holds no sound, and has no mono loss to speak of.
constexpr double kBandSoundDbfs = -70.0;

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
    const auto passagesText = [this](int64_t count)
    {
        char text[96];
        std::snprintf(text, sizeof text, "%lld passage%s below %+.2f for %.1f s or more",
                      static_cast<long long>(count), count == 1 ? "" : "s", settings.failBelow,
                      settings.minSeconds);
        return std::string(text);
    };
    bool fails = report.passageCount > 0;
    bool warns = report.shareBelowZero > 0.0;
    for (const ChannelFault fault : report.channelFaults)
    {
        add(channelFaultText(report, fault));
        (fault == kFaultIdenticalChannels ? warns : fails) = true;
    }
    if (report.passageCount > 0)
    {
        add(passagesText(report.passageCount));
    }
    else if (report.shareBelowZero > 0.0)
    {
        char text[64];
        std::snprintf(text, sizeof text, "below 0 for %.1f %% of the time",
                      report.shareBelowZero * 100.0);
        add(text);
    }
    for (int32_t band = 0; band < kReportBands; ++band)
    {
        const BandFigures& b = report.bands[band];
        std::string found = b.passageCount > 0 ? passagesText(b.passageCount) : "";
        const auto also = [&found](const std::string& what)
        { found += (found.empty() ? "" : " and ") + what; };
        if (b.monoLossDb >= kMonoLossCap)
        {
            also("cancels in mono");
        }
        else if (b.monoLossDb >= kMonoLossWarnDb)
        {
            char text[48];
            std::snprintf(text, sizeof text, "%.1f dB lost in mono", b.monoLossDb);
            also(text);
        }
        if (found.empty())
            continue;
        add(bandText(band) + ": " + found);
        fails = fails || b.passageCount > 0 || b.monoLossDb >= kMonoLossFailDb;
        warns = true;
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
    // The same blocks in three bands, each with the meter's rule, the
    // passages' rule and its own level for the gate.
    CBandCorrelation bands(static_cast<float>(report.sampleRate));
    CPassageFinder bandPassages[kReportBands] = {
        CPassageFinder(settings, report.sampleRate, report.frames, kBandLow),
        CPassageFinder(settings, report.sampleRate, report.frames, kBandMid),
        CPassageFinder(settings, report.sampleRate, report.frames, kBandHigh)};
    CBandCorrelation::Energy bandEnergy[kReportBands];
    int64_t bandHeard[kReportBands] = {0, 0, 0};
    int64_t bandInRed[kReportBands] = {0, 0, 0};
    double bandSum[kReportBands] = {0.0, 0.0, 0.0};
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

            CBandCorrelation::Energy energy[kReportBands];
            bands.analyzeBlock(in[0], in[1], kBlockLength, energy);
            for (int32_t b = 0; b < kReportBands; ++b)
            {
                const float meter = bands.correlation(b);
                const bool bandIsHeard =
                    std::max(energy[b].left, energy[b].right) / kBlockLength >= gate;
                bandPassages[b].addBlock(meter, bands.blockCorrelation(b), bandIsHeard);
                BandFigures& figures = report.bands[b];
                bandSum[b] += meter;
                bandHeard[b] += bandIsHeard;
                bandInRed[b] += bandIsHeard && meter < kRedZone;
                figures.lowest = block == 0 ? meter : std::min(figures.lowest, meter);
                bandEnergy[b].left += energy[b].left;
                bandEnergy[b].right += energy[b].right;
                bandEnergy[b].mono += energy[b].mono;
            }

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
    const double soundLevel = std::pow(10.0, kBandSoundDbfs / 10.0);
    for (int32_t b = 0; b < kReportBands; ++b)
    {
        BandFigures& figures = report.bands[b];
        bandPassages[b].finish();
        figures.passageCount = bandPassages[b].count();
        figures.passages = bandPassages[b].worst();
        if (report.blocks > 0)
            figures.meanCorrelation = bandSum[b] / static_cast<double>(report.blocks);
        if (bandHeard[b] > 0)
            figures.shareInRed =
                static_cast<double>(bandInRed[b]) / static_cast<double>(bandHeard[b]);
        const double mean = (bandEnergy[b].left + bandEnergy[b].right) * 0.5;
        const double mono = bandEnergy[b].mono;
        if (report.frames == 0 || mean / static_cast<double>(report.frames) < soundLevel)
            figures.monoLossDb = std::nan("");
        else if (mono <= mean * std::pow(10.0, -kMonoLossCap / 10.0))
            figures.monoLossDb = kMonoLossCap;
        else // the mono sum never holds more than the mean; rounding may say so
            figures.monoLossDb = std::max(0.0, 10.0 * std::log10(mean / mono));
    }
    return true;
}
