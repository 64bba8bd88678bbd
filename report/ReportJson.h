#pragma once
// report.json: the report for scripts and pipelines. Its schema is in the
// README; schema_version goes up when a field changes its meaning or goes
// away, not when one is added.

#include <string>
#include <vector>

#include "report/FileReport.h"

constexpr int kReportSchemaVersion = 1;

// The whole document, UTF-8, ending in a newline. The files in the order
// given.
std::string reportJson(const std::vector<FileReport>& reports, const ReportSettings& settings);
