#include "report/FileAnalysis.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>

#include "audio/WaveReader.h"
#include "plugin/ScopeEngine.h"
#include "plugin/StereoAnalyzer.h"
#include "report/CorrelationPlot.h"
#include "report/GoniometerPlot.h"
#include "report/PassageFinder.h"
#include "report/ReportText.h"
#include "report/StdFile.h"

namespace fs = std::filesystem;

namespace
{
constexpr float kRedZone = -0.2f;
constexpr int32_t kFloatTag = 3;

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

std::string openFailure(WaveOpenResult result, const CWaveReader& reader)
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
} // namespace

CFileAnalysis::CFileAnalysis(const ReportSettings& reportSettings)
    : settings(reportSettings), left(kChunkFrames), right(kChunkFrames), delayedLeft(kBlockLength),
      delayedRight(kBlockLength)
{
}

bool CFileAnalysis::isMeasurable(const CWaveReader& reader, FileReport& report)
{
    const int32_t bits = reader.getBitsPerSample();
    if (reader.getChannels() != 1 && reader.getChannels() != 2)
        report.reason = std::to_string(reader.getChannels()) +
                        " channels: only mono and stereo files are measured";
    else if (reader.hasFloatSamples() && bits != 32 && bits != 64)
        report.reason = std::to_string(bits) + "-bit float samples are not supported";
    else if (!reader.hasFloatSamples() && bits > 32)
        report.reason = std::to_string(bits) + "-bit integer samples are not supported";
    else if (!(reader.getSampleRate() > 0.0))
        report.reason = "the sample rate is 0";
    else
        return true;
    return false;
}

bool CFileAnalysis::run(const fs::path& outDir, FileReport& report)
{
    CStdFile file;
    std::string error;
    if (!file.open(fs::u8path(report.path), error))
    {
        report.reason = "cannot be opened: " + error;
        return true;
    }
    CWaveReader reader;
    const WaveOpenResult opened = reader.open(&file, kChunkFrames);
    if (opened != kWaveOpened)
    {
        report.reason = openFailure(opened, reader);
        return true;
    }
    report.formatTag = reader.hasFloatSamples() ? kFloatTag : 1;
    report.bitsPerSample = reader.getBitsPerSample();
    report.channels = reader.getChannels();
    report.sampleRate = reader.getSampleRate();
    report.frames = reader.getLength();
    if (!isMeasurable(reader, report))
        return true;

    // The last block is filled up with silence, as a host plays on after
    // the file's end.
    report.blocks = (report.frames + kBlockLength - 1) / kBlockLength;
    const double secondsPerBlock = kBlockLength / report.sampleRate;
    CCorrelationPlot plot(report.blocks, secondsPerBlock);
    CGoniometerPlot scope;
    CPassageFinder passages(settings.failBelow, settings.minSeconds, secondsPerBlock,
                            report.duration());

    const fs::path csvPath = outDir / fs::u8path(report.name + ".csv");
    std::ofstream csv(csvPath, std::ios::binary | std::ios::trunc);
    if (!csv)
        return false;
    csv << "time_s,correlation\n";
    if (!measure(reader, csv, report, plot, scope, passages))
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
    report.verdict = report.passageCount > 0       ? kVerdictFail
                     : report.shareBelowZero > 0.0 ? kVerdictWarn
                                                   : kVerdictOk;
    const bool plotted = plot.render(report.passages)
                             .writePng(outDir / fs::u8path(report.name + ".correlation.png"));
    return scope.render().writePng(outDir / fs::u8path(report.name + ".goniometer.png")) &&
           plotted && listed;
}

bool CFileAnalysis::measure(CWaveReader& reader, std::ofstream& csv, FileReport& report,
                            CCorrelationPlot& plot, CGoniometerPlot& scope,
                            CPassageFinder& passages)
{
    // The effect's engine, as a host at this rate would make it: stereo in,
    // stereo out, mono sum off.
    CScopeEngine engine(2, report.sampleRate, 2);
    const CStereoAnalyzer& analyzer = *engine.getAnalyzer();
    float* channels[2] = {left.data(), right.data()};
    float* delayed[2] = {delayedLeft.data(), delayedRight.data()};
    const double secondsPerBlock = kBlockLength / report.sampleRate;

    double sum = 0.0;
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
        // Past the data the reader gives silence, which fills the last block.
        const int32_t got = reader.read(channels, 0, whole);
        if (got < wanted)
        {
            report.reason = "read error after " + formatClock(done / report.sampleRate);
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
            passages.addBlock(value, signCorrelation(in[0], in[1], kBlockLength));
            plot.addBlock(block, value);
            scope.addPoints(analyzer.sidePoints(), analyzer.midPoints(), kBlockLength);
            writeCsvLine(csv, static_cast<double>(block) * secondsPerBlock, value);

            sum += value;
            belowZero += value < 0.0f;
            inRed += value < kRedZone;
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
    {
        report.meanCorrelation = sum / static_cast<double>(report.blocks);
        report.shareBelowZero = static_cast<double>(belowZero) / static_cast<double>(report.blocks);
        report.shareInRed = static_cast<double>(inRed) / static_cast<double>(report.blocks);
    }
    return true;
}
