// nexo-backup-cli fleet: the sites of an inventory backed up into an archive with history,
// each site's job in a child process of its own, since the job's objects are single
// instances per process; the parent only starts, watches and ends the children, files their
// backups and reports.
#include "cli/FleetCommand.h"

#include "cli/FileCommands.h"
#include "cli/FleetArchive.h"
#include "cli/FleetInventory.h"
#include "cli/Terminal.h"
#include "platform/ChildProcess.h"
#include "platform/FileSystem.h"
#include "platform/ProgramPath.h"
#include "platform/TimeScale.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <ostream>
#include <sstream>
#include <thread>

std::string reportstream::line(char tag, const std::string& text)
{
    std::string out(1, tag);
    out += '\t';
    for (char c : text)
        out += (c == '\n' || c == '\r') ? ' ' : c;
    return out;
}

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kMaxJobs = 1024;
// How often the parent looks at its children and redraws the terminal.
constexpr std::chrono::milliseconds kTick{100};
// After a stop request, how long the children have to end before they are killed.
constexpr std::chrono::seconds kStopGrace{5};
const char* const kWorkFolder = ".incomplete";

fs::path pathOf(const std::string& utf8)
{
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8Of(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

enum class Result { NotRun, Running, Succeeded, Failed, TimedOut, Crashed, Interrupted };

const char* resultName(Result r)
{
    switch (r) {
    case Result::NotRun:
        return "not run";
    case Result::Running:
        return "running";
    case Result::Succeeded:
        return "succeeded";
    case Result::Failed:
        return "failed";
    case Result::TimedOut:
        return "timed out";
    case Result::Crashed:
        return "crashed";
    case Result::Interrupted:
        return "interrupted";
    }
    return "";
}

std::string seconds(double s)
{
    char text[32];
    if (s < 60)
        std::snprintf(text, sizeof text, "%.1f s", s);
    else
        std::snprintf(text, sizeof text, "%d:%02d", static_cast<int>(s) / 60, static_cast<int>(s) % 60);
    return text;
}

// The first count characters of UTF-8 text.
std::string firstCharacters(const std::string& text, size_t count)
{
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && characters++ == count)
            return text.substr(0, i);
    return text;
}

// One site: its child, what the child reported, and what became of it.
struct SiteRun {
    FleetSite site;
    std::string folder;  // ARCHIVE/<site>
    std::string work;    // the folder the child writes into
    std::string base;    // <site>-<stamp>[-N]
    std::unique_ptr<CChildProcess> process;
    std::thread reader;
    Clock::time_point started{};
    Clock::time_point deadline{};
    bool killedAtTimeout = false;
    bool stopRequested = false;
    Result result = Result::NotRun;
    double duration = 0;
    double cpuSeconds = 0;
    int exitStatus = -1;
    std::string file;      // in the archive, relative to it
    std::string previous;  // ... the good backup it was compared with
    std::string change;    // changed, unchanged, first
    std::string note;      // the fleet's own word: a time-out, a crash, a start that failed

    // Written by the reader thread, under the fleet's mutex.
    std::vector<std::string> lines;
    std::vector<std::string> messages;
    std::string progress;
    int firstFailure = -1;
    bool childEnded = false;
    CChildProcess::Exit exit;

    // The line that tells why it did not succeed.
    std::string failingLine() const
    {
        if (result == Result::Succeeded || result == Result::NotRun)
            return std::string();
        if (firstFailure >= 0 && static_cast<size_t>(firstFailure) < lines.size())
            return lines[static_cast<size_t>(firstFailure)];
        if (!note.empty())
            return note;
        if (!messages.empty())
            return messages.front();
        return lines.empty() ? std::string() : lines.back();
    }
};

void takeLine(SiteRun& run, const std::string& line)
{
    if (line.size() >= 2 && line[1] == '\t') {
        const std::string text = line.substr(2);
        switch (line[0]) {
        case reportstream::kStatus:
            run.lines.push_back(text);
            return;
        case reportstream::kMessage:
            run.messages.push_back(text);
            return;
        case reportstream::kProgress: {
            const size_t tab = text.find('\t');
            run.progress = tab == std::string::npos ? text : text.substr(0, tab) + "%  " + text.substr(tab + 1);
            return;
        }
        case reportstream::kFirstFailure:
            run.firstFailure = std::atoi(text.c_str());
            return;
        default:
            break;
        }
    }
    // Anything else the child wrote: its own diagnostics.
    if (!line.empty())
        run.messages.push_back(line);
}

class Fleet
{
public:
    Fleet(const FleetOptions& options, const CliIo& io, std::string program)
        : m_options(options), m_io(io), m_program(std::move(program))
    {
        std::ostringstream scale;
        scale.precision(17);
        scale << options.timeScale;
        m_scaleText = scale.str();
        m_board = options.progress || (!options.noProgress && io.terminal.errorIsTerminal());
    }

    int run(const std::vector<FleetSite>& sites);

private:
    void readChild(SiteRun& run);
    bool start(SiteRun& run);
    void finish(SiteRun& run);
    void reportFinished(const SiteRun& run);
    void writeTable();
    bool writeJson();
    // The terminal's block of running sites.
    std::vector<std::string> boardLines();
    void eraseBoard();
    void drawBoard();
    void writeOut(const std::string& text);

    const FleetOptions& m_options;
    CliIo m_io;
    std::string m_program;
    std::string m_scaleText;
    std::vector<std::unique_ptr<SiteRun>> m_runs;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_endedChildren = 0;
    bool m_interrupted = false;
    std::chrono::system_clock::time_point m_startedAt{};
    std::chrono::system_clock::time_point m_finishedAt{};

    bool m_board = false;
    size_t m_boardDrawn = 0;
    // A job's start (the program's own, the connect, the version) is its busiest part, and the
    // connect's wait its shortest: were hundreds to start at once on a small machine, each
    // would wait its turn at the processor for longer than that. So only a few start at a
    // time: a job counts as starting until its first status line.
    int m_startingAtOnce = static_cast<int>(std::max(8u, 4 * std::thread::hardware_concurrency()));
    int starting();
};

int Fleet::starting()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(std::count_if(m_runs.begin(), m_runs.end(), [](const auto& r) {
        return r->result == Result::Running && r->lines.empty() && !r->childEnded;
    }));
}

void Fleet::readChild(SiteRun& run)
{
    char buffer[4096];
    std::string pending;
    for (;;) {
        const long n = run.process->read(buffer, sizeof buffer);
        if (n <= 0)
            break;
        pending.append(buffer, static_cast<size_t>(n));
        size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            std::lock_guard<std::mutex> lock(m_mutex);
            takeLine(run, line);
        }
    }
    const CChildProcess::Exit exit = run.process->wait();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!pending.empty())
            takeLine(run, pending);
        run.exit = exit;
        run.childEnded = true;
        ++m_endedChildren;
    }
    m_changed.notify_all();
}

bool Fleet::start(SiteRun& run)
{
    run.started = Clock::now();
    run.folder = utf8Of(pathOf(m_options.archive) / pathOf(run.site.name));
    run.work = utf8Of(pathOf(run.folder) / kWorkFolder);
    std::error_code error;
    fs::create_directories(pathOf(run.work), error);
    if (error) {
        run.result = Result::Failed;
        run.note = "cannot make the folder " + run.work + ": " + error.message();
        return false;
    }
    run.base = fleetarchive::newBase(run.folder, run.site.name, fleetarchive::utcStamp(std::chrono::system_clock::now()));
    const std::string workFile = utf8Of(pathOf(run.work) / pathOf(run.base + ".mrk"));
    const std::vector<std::string> args = {"backup",        run.site.address, workFile,        "--password-file",
                                           run.site.passwordFile, "--skd",   run.site.skd,    "--time-scale",
                                           m_scaleText,   "--no-progress",  "--report-stream"};
    run.process = std::make_unique<CChildProcess>();
    const std::string failed = run.process->start(m_program, args);
    if (!failed.empty()) {
        run.result = Result::Failed;
        run.note = failed;
        run.process.reset();
        fs::remove_all(pathOf(run.work), error);
        return false;
    }
    const auto ms = static_cast<uint32_t>(std::min(run.site.timeoutSeconds * 1000.0, 4.0e9));
    run.deadline = run.started + scaledTimeout(ms);
    run.result = Result::Running;
    run.reader = std::thread([this, &run] { readChild(run); });
    return true;
}

void Fleet::finish(SiteRun& run)
{
    run.reader.join();
    run.duration = std::chrono::duration<double>(Clock::now() - run.started).count();
    const CChildProcess::Exit exit = run.exit;
    run.cpuSeconds = exit.cpuSeconds;
    run.exitStatus = exit.exited ? exit.code : -1;
    const bool exitedOk = exit.exited && exit.code == 0;
    const fs::path workFile = pathOf(run.work) / pathOf(run.base + ".mrk");
    std::error_code error;
    const bool haveFile = fs::is_regular_file(workFile, error);

    if (run.killedAtTimeout) {
        run.result = Result::TimedOut;
        run.note = "ended at its time-out of " + seconds(run.site.timeoutSeconds);
    } else if (run.stopRequested && !exitedOk) {
        run.result = Result::Interrupted;
        run.note = "ended by a stop request";
    } else if (exit.signalled) {
        run.result = Result::Crashed;
        run.note = "the job's process crashed (signal or exception " + std::to_string(exit.signal) + ")";
    } else if (exitedOk && haveFile) {
        run.result = Result::Succeeded;
    } else {
        run.result = Result::Failed;
        if (exitedOk)
            run.note = "the job ended without a backup file";
    }

    // Only a good backup takes a good name; anything else the job wrote is kept beside them.
    if (haveFile) {
        const std::string name = run.base + (run.result == Result::Succeeded ? ".mrk" : "-failed.mrk");
        fs::rename(workFile, pathOf(run.folder) / pathOf(name), error);
        if (error) {
            run.result = Result::Failed;
            run.note = "cannot move the backup into the archive: " + error.message();
        } else {
            // Relative to the archive, with '/' on every system.
            run.file = run.site.name + "/" + name;
        }
    }
    // With it go the temporary files of a job that was ended in the middle of its save.
    fs::remove_all(pathOf(run.work), error);

    if (run.result == Result::Succeeded) {
        run.previous = fleetarchive::previousGood(run.folder, run.site.name, run.base);
        if (run.previous.empty()) {
            run.change = "first";
        } else {
            std::ostringstream ignored;
            const int diff = diffCommand(utf8Of(pathOf(run.folder) / pathOf(run.previous)),
                                         utf8Of(pathOf(run.folder) / pathOf(run.base + ".mrk")), ignored, ignored);
            run.change = diff == 0 ? "unchanged" : "changed";
            run.previous = run.site.name + "/" + run.previous;
        }
    }
    fleetarchive::prune(run.folder, run.site.name, m_options.keep);
    run.process.reset();
}

void Fleet::writeOut(const std::string& text)
{
    if (m_board)
        eraseBoard();
    m_io.out << text << std::flush;
    if (m_board)
        drawBoard();
}

void Fleet::reportFinished(const SiteRun& run)
{
    std::string text = run.site.name + ": " + resultName(run.result);
    if (run.result != Result::NotRun)
        text += " in " + seconds(run.duration);
    if (!run.change.empty())
        text += ", " + run.change;
    const std::string failing = run.failingLine();
    if (!failing.empty())
        text += ": " + failing;
    writeOut(text + "\n");
}

std::vector<std::string> Fleet::boardLines()
{
    std::vector<const SiteRun*> running;
    size_t done = 0, queued = 0, failed = 0;
    for (const auto& r : m_runs) {
        if (r->result == Result::Running)
            running.push_back(r.get());
        else if (r->result == Result::NotRun)
            ++queued;
        else
            ++done;
        if (r->result != Result::Running && r->result != Result::NotRun && r->result != Result::Succeeded)
            ++failed;
    }
    const int rows = m_io.terminal.errorRows();
    const size_t room = static_cast<size_t>(std::max(rows > 0 ? rows : 24, 4) - 2);
    const int columns = m_io.terminal.errorColumns();
    const size_t width = static_cast<size_t>(columns > 1 ? columns - 1 : 79);
    size_t nameWidth = 0;
    for (const SiteRun* r : running)
        nameWidth = std::max(nameWidth, r->site.name.size());

    std::vector<std::string> lines;
    const auto now = Clock::now();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (size_t i = 0; i < running.size(); ++i) {
            if (lines.size() + 1 == room && running.size() > room) {
                lines.push_back("  ... and " + std::to_string(running.size() - i) + " more");
                break;
            }
            const SiteRun& r = *running[i];
            std::string doing = r.progress;
            if (doing.empty())
                doing = r.lines.empty() ? "starting" : r.lines.back();
            const double elapsed = std::chrono::duration<double>(now - r.started).count();
            std::string line = "  " + r.site.name + std::string(nameWidth - r.site.name.size(), ' ') + "  " +
                               seconds(elapsed) + "  " + doing;
            lines.push_back(firstCharacters(line, width));
        }
    }
    lines.push_back(firstCharacters(std::to_string(done) + " of " + std::to_string(m_runs.size()) + " done (" +
                                        std::to_string(failed) + " not succeeded), " + std::to_string(running.size()) +
                                        " running, " + std::to_string(queued) + " queued",
                                    width));
    return lines;
}

void Fleet::eraseBoard()
{
    if (m_boardDrawn == 0)
        return;
    std::string text = "\r\033[K";
    for (size_t i = 1; i < m_boardDrawn; ++i)
        text += "\033[A\033[K";
    m_io.err << text << std::flush;
    m_boardDrawn = 0;
}

void Fleet::drawBoard()
{
    const std::vector<std::string> lines = boardLines();
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i)
        text += (i ? "\n" : "") + lines[i];
    m_io.err << text << std::flush;
    m_boardDrawn = lines.size();
}

int Fleet::run(const std::vector<FleetSite>& sites)
{
    for (const FleetSite& site : sites) {
        m_runs.push_back(std::make_unique<SiteRun>());
        m_runs.back()->site = site;
    }
    m_startedAt = std::chrono::system_clock::now();
    CStopRequests stops;
    size_t next = 0;
    int running = 0;
    int seenEnded = 0;
    bool stopping = false;
    Clock::time_point killAt{};

    for (;;) {
        if (!stopping && stops.requested()) {
            stopping = true;
            m_interrupted = true;
            killAt = Clock::now() + kStopGrace;
            for (auto& r : m_runs)
                if (r->result == Result::Running) {
                    r->stopRequested = true;
                    r->process->terminate();
                }
        }
        while (!stopping && running < m_options.jobs && next < m_runs.size() && starting() < m_startingAtOnce) {
            SiteRun& r = *m_runs[next++];
            if (start(r))
                ++running;
            else
                reportFinished(r);
        }
        for (auto& r : m_runs) {
            if (r->result != Result::Running)
                continue;
            bool ended;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                ended = r->childEnded;
            }
            if (ended) {
                finish(*r);
                --running;
                reportFinished(*r);
            } else if (!r->killedAtTimeout && Clock::now() >= r->deadline) {
                r->killedAtTimeout = true;
                r->process->kill();
            } else if (stopping && Clock::now() >= killAt) {
                r->process->kill();
            }
        }
        if (running == 0 && (stopping || next == m_runs.size()))
            break;
        if (m_board) {
            eraseBoard();
            drawBoard();
        }
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait_for(lock, kTick, [&] { return m_endedChildren != seenEnded; });
        seenEnded = m_endedChildren;
    }
    if (m_board)
        eraseBoard();
    // The table and what follows are for good.
    m_board = false;
    m_finishedAt = std::chrono::system_clock::now();

    writeTable();
    const bool jsonWritten = m_options.json.empty() || writeJson();
    const bool allGood = std::all_of(m_runs.begin(), m_runs.end(),
                                     [](const auto& r) { return r->result == Result::Succeeded; });
    return allGood && jsonWritten ? kExitOk : kExitFailed;
}

void Fleet::writeTable()
{
    const std::vector<std::string> head = {"SITE", "RESULT", "DURATION", "CHANGE", "FIRST FAILING STATUS LINE"};
    std::vector<std::vector<std::string>> rows;
    for (const auto& r : m_runs)
        rows.push_back({r->site.name, resultName(r->result), r->result == Result::NotRun ? "" : seconds(r->duration),
                        r->change, r->failingLine()});
    std::vector<size_t> widths(head.size() - 1);
    for (size_t c = 0; c < widths.size(); ++c) {
        widths[c] = head[c].size();
        for (const auto& row : rows)
            widths[c] = std::max(widths[c], row[c].size());
    }
    auto line = [&](const std::vector<std::string>& cells) {
        std::string text;
        for (size_t c = 0; c < widths.size(); ++c) {
            // The duration lines up on the right, the rest on the left.
            const std::string pad(widths[c] - cells[c].size(), ' ');
            text += c == 2 ? pad + cells[c] : cells[c] + pad;
            text += "  ";
        }
        text += cells.back();
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        return text + "\n";
    };
    std::string text = "\n" + line(head);
    for (const auto& row : rows)
        text += line(row);

    int succeeded = 0, changed = 0, unchanged = 0, notRun = 0;
    for (const auto& r : m_runs) {
        succeeded += r->result == Result::Succeeded;
        changed += r->change == "changed" || r->change == "first";
        unchanged += r->change == "unchanged";
        notRun += r->result == Result::NotRun;
    }
    text += std::to_string(m_runs.size()) + (m_runs.size() == 1 ? " site: " : " sites: ") + std::to_string(succeeded) + " succeeded, " +
            std::to_string(static_cast<int>(m_runs.size()) - succeeded - notRun) + " failed";
    if (notRun)
        text += ", " + std::to_string(notRun) + " not run";
    text += "; " + std::to_string(changed) + " changed or new, " + std::to_string(unchanged) + " unchanged";
    if (m_interrupted)
        text += "; stopped by a stop request";
    writeOut(text + "\n");
}

bool Fleet::writeJson()
{
    using nlohmann::ordered_json;
    ordered_json report;
    report["inventory"] = m_options.inventory;
    report["archive"] = m_options.archive;
    report["started"] = fleetarchive::utcText(m_startedAt);
    report["finished"] = fleetarchive::utcText(m_finishedAt);
    report["interrupted"] = m_interrupted;
    ordered_json counts;
    for (Result r : {Result::Succeeded, Result::Failed, Result::TimedOut, Result::Crashed, Result::Interrupted,
                     Result::NotRun})
        counts[resultName(r)] = 0;
    ordered_json list = ordered_json::array();
    for (const auto& r : m_runs) {
        counts[resultName(r->result)] = counts[resultName(r->result)].get<int>() + 1;
        ordered_json site;
        site["name"] = r->site.name;
        site["address"] = r->site.address;
        site["result"] = resultName(r->result);
        site["duration_seconds"] = std::round(r->duration * 1000) / 1000;
        site["exit_status"] = r->exitStatus >= 0 ? ordered_json(r->exitStatus) : ordered_json(nullptr);
        site["file"] = r->file.empty() ? ordered_json(nullptr) : ordered_json(r->file);
        site["change"] = r->change.empty() ? ordered_json(nullptr) : ordered_json(r->change);
        site["previous"] = r->previous.empty() ? ordered_json(nullptr) : ordered_json(r->previous);
        const std::string failing = r->failingLine();
        site["first_failure"] = failing.empty() ? ordered_json(nullptr) : ordered_json(failing);
        site["note"] = r->note.empty() ? ordered_json(nullptr) : ordered_json(r->note);
        site["status_lines"] = r->lines;
        site["messages"] = r->messages;
        list.push_back(std::move(site));
    }
    report["counts"] = counts;
    report["sites"] = std::move(list);
    const std::string text = report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    if (const int error = fsys::replaceFile(m_options.json, text)) {
        m_io.err << "nexo-backup-cli: cannot write the report " << m_options.json << " (" << std::strerror(error)
                 << ")\n"
                 << std::flush;
        return false;
    }
    return true;
}

int usage(const CliIo& io, const std::string& text)
{
    io.err << "nexo-backup-cli: " << text << '\n' << std::flush;
    return kExitUsage;
}

}  // namespace

int fleetCommand(const FleetOptions& o, const CliIo& io)
{
    if (o.jobs < 1 || o.jobs > kMaxJobs)
        return usage(io, "--jobs takes a number from 1 to " + std::to_string(kMaxJobs));
    if (o.keep < 1)
        return usage(io, "--keep takes a number from 1 on");
    if (!std::isfinite(o.timeScale) || o.timeScale <= 0)
        return usage(io, "--time-scale takes a number above 0");
    if (o.archive.empty())
        return usage(io, "--archive names the archive's folder");

    std::vector<FleetSite> sites;
    std::vector<std::string> errors;
    if (!loadInventory(o.inventory, sites, errors)) {
        for (const std::string& e : errors)
            io.err << e << '\n';
        io.err << "nexo-backup-cli: the inventory " << o.inventory << " was refused; nothing was backed up\n"
               << std::flush;
        return kExitUsage;
    }
    std::error_code error;
    fs::create_directories(pathOf(o.archive), error);
    if (error || !fs::is_directory(pathOf(o.archive)))
        return usage(io, "cannot make the archive's folder " + o.archive +
                             (error ? " (" + error.message() + ")" : std::string()));
    if (!o.json.empty()) {
        if (const int jsonError = fsys::checkReplaceable(o.json))
            return usage(io, "the report " + o.json + " may not be written (" + std::strerror(jsonError) + ")");
    }
    const std::string program = programPath();
    if (program.empty())
        return usage(io, "cannot tell where this program is, to start the sites' jobs");

    const double previousScale = timeScale();
    setTimeScale(o.timeScale);
    Fleet fleet(o, io, program);
    const int status = fleet.run(sites);
    setTimeScale(previousScale);
    return status;
}
