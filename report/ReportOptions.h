#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "report/FileReport.h"

struct ReportOptions
{
    std::string outDir = "zwreport";
    ReportSettings settings;
    int32_t jobs = 0; // 0: one per core
    bool recursive = false;
    std::string json; // where report.json goes as well: a file, "-" for standard output
    std::vector<std::string> inputs; // files and folders, UTF-8
};

enum OptionsResult
{
    kOptionsRun,
    kOptionsHelp,
    kOptionsVersion,
    kOptionsUsageError
};

// Reads the command line (without the program name). On a usage error,
// message says what was wrong.
OptionsResult parseOptions(const std::vector<std::string>& args, ReportOptions& options,
                           std::string& message);

// The text --help prints.
std::string usageText();
