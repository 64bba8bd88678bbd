#pragma once
// The report's two overviews: index.html for people, summary.csv for
// scripts. Both list the files in the order given (the caller sorts them
// worst first).

#include <filesystem>
#include <vector>

#include "report/FileReport.h"

// Worst first: unreadable, fail, warn, ok; within each the lowest
// correlation first.
void sortWorstFirst(std::vector<FileReport>& reports);

// Each returns false when the file could not be written.
bool writeIndexHtml(const std::filesystem::path& file, const std::vector<FileReport>& reports,
                    const ReportSettings& settings);
bool writeSummaryCsv(const std::filesystem::path& file, const std::vector<FileReport>& reports);
