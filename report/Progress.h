#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>

#include "report/FileReport.h"

// The progress line on stderr: files done, the file started last and the
// time so far. On a terminal one line is redrawn, also while a long file
// is being read; elsewhere (a log) each finished file gets a line.
class CProgress
{
  public:
    CProgress(std::ostream& out, int32_t total, bool terminal);
    ~CProgress();

    CProgress(const CProgress&) = delete;
    CProgress& operator=(const CProgress&) = delete;

    void started(const std::string& path);
    void finished(const FileReport& report);
    // Ends the line; nothing is drawn afterwards.
    void stop();
    double seconds() const;

  private:
    void draw(); // with lock held
    void tick();

    std::ostream& out;
    const int32_t total;
    const bool terminal;
    const std::chrono::steady_clock::time_point begin;
    std::mutex lock;
    std::condition_variable wake;
    bool stopping = false;
    int32_t done = 0;
    std::string current;
    size_t drawnLength = 0;
    std::thread ticker;
};
