#include "report/Progress.h"

#include <filesystem>

#include "report/ReportText.h"

namespace
{
// Keeps the line within a narrow terminal.
constexpr size_t kMaxNameLength = 40;
constexpr std::chrono::milliseconds kRedrawInterval(250);
} // namespace

CProgress::CProgress(std::ostream& stream, int32_t fileCount, bool isTerminal)
    : out(stream), total(fileCount), terminal(isTerminal), begin(std::chrono::steady_clock::now())
{
    if (terminal)
        ticker = std::thread(&CProgress::tick, this);
}

CProgress::~CProgress()
{
    stop();
}

double CProgress::seconds() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

void CProgress::started(const std::string& path)
{
    std::lock_guard<std::mutex> hold(lock);
    current = std::filesystem::u8path(path).filename().u8string();
    if (current.size() > kMaxNameLength)
        current = "..." + current.substr(current.size() - (kMaxNameLength - 3));
    if (terminal && !stopping)
        draw();
}

void CProgress::finished(const FileReport& report)
{
    std::lock_guard<std::mutex> hold(lock);
    ++done;
    if (stopping)
        return;
    if (terminal)
    {
        draw();
        return;
    }
    out << "zwreport: " << done << '/' << total << ' ' << formatClock(seconds(), 1) << ' '
        << report.path << ": " << verdictName(report.verdict) << '\n';
    out.flush();
}

void CProgress::stop()
{
    {
        std::lock_guard<std::mutex> hold(lock);
        if (stopping)
            return;
        stopping = true;
        if (terminal && drawnLength > 0)
            out << '\n';
        out.flush();
    }
    wake.notify_all();
    if (ticker.joinable())
        ticker.join();
}

void CProgress::draw()
{
    std::string line = "zwreport: " + std::to_string(done) + '/' + std::to_string(total) +
                       " files, " + formatClock(seconds(), 1);
    if (done < total && !current.empty())
        line += ", now " + current;
    // Blanks over what is left of a longer line before.
    const size_t length = line.size();
    if (length < drawnLength)
        line.append(drawnLength - length, ' ');
    drawnLength = length;
    out << '\r' << line;
    out.flush();
}

void CProgress::tick()
{
    std::unique_lock<std::mutex> hold(lock);
    while (!wake.wait_for(hold, kRedrawInterval, [this] { return stopping; }))
        draw();
}
