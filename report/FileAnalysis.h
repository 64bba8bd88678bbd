#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "report/FileReport.h"

class CAudioSource;
class CChannelCheck;
class CCorrelationPlot;
class CGoniometerPlot;
class CPassageFinder;

// Runs one file through the meter's own processing (the effect's engine:
// 512-frame blocks, the stereo analysis and its smoothed correlation) and
// writes what it found. The file streams through buffers of a fixed size,
// so memory does not grow with the file's length. One object per thread;
// its buffers serve file after file.
class CFileAnalysis
{
  public:
    // Frames read from the file at a time: a whole number of blocks.
    static constexpr int32_t kChunkFrames = 64 * 512;

    explicit CFileAnalysis(const ReportSettings& settings);

    // Measures report.path and writes NAME.csv, NAME.correlation.png and
    // NAME.goniometer.png into outDir (NAME is report.name). A file that
    // cannot be read gets its reason and no outputs. Returns false only
    // when an output could not be written.
    bool run(const std::filesystem::path& outDir, FileReport& report);

  private:
    // Streams every block; false on a read error (the reason is set).
    bool measure(CAudioSource& source, std::ofstream& csv, FileReport& report,
                 CCorrelationPlot& plot, CGoniometerPlot& scope, CPassageFinder& passages,
                 CChannelCheck& check);
    // The verdict and its reason from the figures, the passages and the faults.
    void judge(FileReport& report) const;

    ReportSettings settings;
    std::vector<float> left;
    std::vector<float> right;
    std::vector<float> delayedLeft;
    std::vector<float> delayedRight;
};
