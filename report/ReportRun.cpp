#include "report/ReportRun.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <exception>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "Version.h"
#include "report/AudioSource.h"
#include "report/FileAnalysis.h"
#include "report/FileReport.h"
#include "report/Progress.h"
#include "report/ReportJson.h"
#include "report/ReportOptions.h"
#include "report/ReportPages.h"
#include "report/ReportText.h"

namespace fs = std::filesystem;

namespace
{
FileReport unreadable(const std::string& path, const std::string& reason)
{
    FileReport report;
    report.path = path;
    report.reason = reason;
    return report;
}

// The audio files of a folder, sorted, or a row that says why it cannot be
// searched.
template <typename Iterator> void addFolder(const fs::path& folder, std::vector<FileReport>& found)
{
    std::error_code error;
    std::vector<std::string> paths;
    Iterator it(folder, fs::directory_options::skip_permission_denied, error);
    for (; !error && it != Iterator(); it.increment(error))
    {
        std::error_code ignored;
        if (it->is_regular_file(ignored) && isAudioName(it->path().u8string()))
            paths.push_back(it->path().u8string());
    }
    if (error)
    {
        found.push_back(unreadable(folder.u8string(), "cannot be searched: " + error.message()));
        return;
    }
    std::sort(paths.begin(), paths.end());
    for (const std::string& path : paths)
    {
        FileReport report;
        report.path = path;
        found.push_back(report);
    }
}

// Every file named or found, each once.
std::vector<FileReport> collectInputs(const ReportOptions& options)
{
    std::vector<FileReport> found;
    for (const std::string& input : options.inputs)
    {
        const fs::path path = fs::u8path(input);
        std::error_code error;
        if (fs::is_directory(path, error))
        {
            if (options.recursive)
                addFolder<fs::recursive_directory_iterator>(path, found);
            else
                addFolder<fs::directory_iterator>(path, found);
        }
        else
        {
            // A file, or a name that is not there: its row says so.
            FileReport report;
            report.path = input;
            found.push_back(report);
        }
    }
    std::set<fs::path> seen;
    std::vector<FileReport> unique;
    for (FileReport& report : found)
    {
        std::error_code error;
        fs::path key = fs::weakly_canonical(fs::u8path(report.path), error);
        if (error)
            key = fs::u8path(report.path);
        if (seen.insert(key).second)
            unique.push_back(std::move(report));
    }
    return unique;
}

// Output names from the files' names; the same name from two folders, or
// the summary's, gets a number.
void nameOutputs(std::vector<FileReport>& reports)
{
    std::set<std::string> taken = {"summary"};
    for (FileReport& report : reports)
    {
        // A file named otherwise than as audio keeps its whole name, so
        // that no output can ever be written over it.
        const fs::path path = fs::u8path(report.path);
        std::string stem = (isAudioName(report.path) ? path.stem() : path.filename()).u8string();
        if (stem.empty())
            stem = "file";
        std::string name = stem;
        for (int n = 2;; ++n)
        {
            // Folders on Windows and macOS ignore case.
            std::string key = name;
            std::transform(key.begin(), key.end(), key.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            if (taken.insert(key).second)
                break;
            name = stem + "-" + std::to_string(n);
        }
        report.name = name;
    }
}

bool writeText(const fs::path& file, const std::string& text)
{
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream << text;
    stream.close();
    return !stream.fail();
}

int32_t jobsFor(const ReportOptions& options, size_t files)
{
    size_t jobs = options.jobs > 0 ? static_cast<size_t>(options.jobs)
                                   : std::max(1u, std::thread::hardware_concurrency());
    jobs = std::min(jobs, files);
    return static_cast<int32_t>(jobs > 0 ? jobs : 1);
}
} // namespace

int runReport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              bool terminal)
{
    ReportOptions options;
    std::string message;
    switch (parseOptions(args, options, message))
    {
    case kOptionsHelp:
        out << usageText();
        return kExitPassed;
    case kOptionsVersion:
        out << "zwreport " ZW_VERSION_TEXT "\n";
        return kExitPassed;
    case kOptionsUsageError:
        err << "zwreport: " << message << "\n\n" << usageText();
        return kExitUsage;
    default:
        break;
    }

    const fs::path outDir = fs::u8path(options.outDir);
    std::error_code error;
    fs::create_directories(outDir, error);
    if (error || !fs::is_directory(outDir, error))
    {
        err << "zwreport: cannot make the folder " << options.outDir << ": "
            << (error ? error.message() : "a file of that name is in the way") << '\n';
        return kExitNotWritten;
    }

    std::vector<FileReport> reports = collectInputs(options);
    nameOutputs(reports);
    if (reports.empty())
        err << "zwreport: no audio files found\n";

    CProgress progress(err, static_cast<int32_t>(reports.size()), terminal);
    std::atomic<size_t> next(0);
    std::atomic<bool> notWritten(false);
    const auto work = [&]()
    {
        CFileAnalysis analysis(options.settings);
        for (size_t i = next++; i < reports.size(); i = next++)
        {
            FileReport& report = reports[i];
            progress.started(report.path);
            try
            {
                if (!analysis.run(outDir, report))
                    notWritten = true;
            }
            catch (const std::exception& e)
            {
                report.verdict = kVerdictUnreadable;
                report.reason = std::string("could not be measured: ") + e.what();
            }
            progress.finished(report);
        }
    };
    std::vector<std::thread> workers;
    const int32_t jobs = jobsFor(options, reports.size());
    for (int32_t i = 1; i < jobs; ++i)
        workers.emplace_back(work);
    work();
    for (std::thread& worker : workers)
        worker.join();
    progress.stop();

    sortWorstFirst(reports);
    const std::string json = reportJson(reports, options.settings);
    if (!writeSummaryCsv(outDir / "summary.csv", reports) ||
        !writeIndexHtml(outDir / "index.html", reports, options.settings) ||
        !writeText(outDir / "report.json", json))
        notWritten = true;
    if (options.json == "-")
    {
        out << json;
        out.flush();
        if (!out)
            notWritten = true;
    }
    else if (!options.json.empty() && !writeText(fs::u8path(options.json), json))
    {
        err << "zwreport: cannot write " << options.json << '\n';
        notWritten = true;
    }

    int64_t counts[4] = {0, 0, 0, 0};
    for (const FileReport& report : reports)
        ++counts[report.verdict];
    err << "zwreport: " << reports.size() << (reports.size() == 1 ? " file" : " files") << " in "
        << formatClock(progress.seconds(), 1) << ": " << counts[kVerdictUnreadable]
        << " unreadable, " << counts[kVerdictFail] << " fail, " << counts[kVerdictWarn] << " warn, "
        << counts[kVerdictOk] << " ok\n";
    if (notWritten)
    {
        err << "zwreport: the report in " << options.outDir << " could not be written in full\n";
        return kExitNotWritten;
    }
    err << "zwreport: report in " << (outDir / "index.html").u8string() << '\n';
    if (counts[kVerdictUnreadable] > 0)
        return kExitUnreadable;
    return counts[kVerdictFail] > 0 ? kExitFailed : kExitPassed;
}
