#pragma once

#include <ostream>
#include <string>
#include <vector>

// What zwreport's exit code tells a script.
enum ReportExitCode
{
    kExitPassed = 0,     // every file ok or warn
    kExitFailed = 1,     // a file failed
    kExitUnreadable = 2, // a file could not be read; wins over 1
    kExitUsage = 3,      // the command line was not understood; nothing is written
    kExitNotWritten = 4  // the report could not be written
};

// The whole program: reads the command line (UTF-8, without the program's
// name), measures every file, writes the report. The progress line and
// messages go to err, --help to out. terminal: err is a terminal.
int runReport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              bool terminal);
