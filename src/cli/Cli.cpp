// nexo-backup-cli: one backup or restore job from a terminal.
#include "cli/Cli.h"

#include "backupfile/CFileManager.h"
#include "backupfile/CProperty.h"
#include "bus/BusDefs.h"
#include "bus/SkdFileCheck.h"
#include "cli/CTerminalDialog.h"
#include "cli/FileCommands.h"
#include "cli/FleetCommand.h"
#include "cli/CompiledLanguages.h"
#include "cli/Terminal.h"
#include "job/CFileInspection.h"
#include "job/CMessage.h"
#include "job/CProtocol.h"
#include "job/CRestoreCheck.h"
#include "platform/FileSystem.h"
#include "platform/Encoding.h"
#include "platform/Language.h"
#include "platform/Resources.h"
#include "platform/TimeScale.h"
#include "resources/Version.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <istream>
#include <ostream>
#include <optional>
#include <string>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

struct Options {
    std::string address;
    std::string file;
    std::string passwordFile;
    std::string skd = "all";
    bool noGatewayData = false;
    std::string inspectFile;
    bool json = false;
    std::string diffA;
    std::string diffB;
    double timeScale = 1.0;
    bool progress = false;
    bool noProgress = false;
    bool reportStream = false;
};

// The progress line's reading of the job's latest report: as often as a front end needs it.
constexpr std::chrono::milliseconds kProgressPoll{100};
// Paths on the command line are UTF-8 on every platform; a plain string would be taken in the
// local code page on Windows.
std::filesystem::path pathOf(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

int usageError(const CliIo& io, const std::string& text)
{
    io.err << "nexo-backup-cli: " << text << '\n' << std::flush;
    return kExitUsage;
}

// The first line of the file ("-": the tool's input), without its line end.
bool readPasswordFile(const CliIo& io, const std::string& path, std::string& password, std::string& error)
{
    std::string line;
    if (path == "-" && io.terminal.isInteractive()) {
        // Typed, not piped: without echo like the prompt. End of input is no password at all.
        if (!readHiddenLine(io, "Gateway password: ", line)) {
            error = "no password was read from standard input";
            return false;
        }
    } else if (path == "-") {
        std::getline(io.in, line);
        if (io.in.bad()) {
            error = "cannot read the password from standard input";
            return false;
        }
    } else {
        std::ifstream in(pathOf(path), std::ios::binary);
        if (!in) {
            error = "cannot read the password file " + path;
            return false;
        }
        std::getline(in, line);
        if (in.bad()) {
            error = "cannot read the password file " + path;
            return false;
        }
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    std::string bytes;
    if (!utf8ToCp1252(line, bytes)) {
        error = "the password holds a character the gateway cannot take "
                "(only Windows-1252 characters are possible)";
        return false;
    }
    password = line;
    return true;
}

// Refuses, before anything connects, a file the job could not use.
bool checkFile(int jobMode, const std::string& file, std::string& error)
{
    if (jobMode == CProtocol::Restore) {
        std::error_code ignored;
        const std::filesystem::file_status status = std::filesystem::status(pathOf(file), ignored);
        if (!std::filesystem::exists(status)) {
            // The C++ library may not reach a path of 260 characters or more on Windows; the
            // job reads through the platform's own calls, which do.
            std::string content;
            if (fsys::readFile(file, content))
                return true;
            error = "the backup file " + file + " does not exist";
            return false;
        }
        if (!std::filesystem::is_regular_file(status) || !std::ifstream(pathOf(file), std::ios::binary)) {
            error = "the backup file " + file + " cannot be read";
            return false;
        }
        return true;
    }
    // The same checks the save makes, so a backup that could not be saved never starts.
    switch (const int saveError = CProperty::checkSaveTarget(file)) {
    case 0:
        return true;
    case EISDIR:
    case EINVAL:
        error = file + " is not a file";
        return false;
    case ENOENT:
    case ENOTDIR:
        error = "the folder of " + file + " does not exist";
        return false;
    case ENAMETOOLONG:
        error = "the path " + file + " is too long for this system";
        return false;
    default:
        error = "the backup file " + file + " may not be written (" + std::strerror(saveError) + ")";
        return false;
    }
}

// The user's language, from the catalogues compiled into the tool, answers the status texts
// while the tool runs. Every file of the language table is compiled in (a test holds it), so
// there is always one: the user's or the default language's.
class ScopedLanguage
{
public:
    ScopedLanguage() : m_previous(activeResources())
    {
        if (const CompiledCatalogue* catalogue = catalogueForLanguage(lang::userLanguageId())) {
            m_module.emplace(*catalogue);
            setActiveResources(&*m_module);
        }
    }
    ~ScopedLanguage()
    {
        if (m_module)
            setActiveResources(m_previous);
    }
    // The language's words beside the string table; the default language's where it has none.
    std::string text(const char* key) const
    {
        if (m_module)
            if (const char* found = compiledText(m_module->catalogue(), key))
                return found;
        if (const CompiledCatalogue* fallback = catalogueForLanguage(lang::kDefaultLanguageId))
            if (const char* found = compiledText(*fallback, key))
                return found;
        return key;
    }
    ScopedLanguage(const ScopedLanguage&) = delete;
    ScopedLanguage& operator=(const ScopedLanguage&) = delete;

private:
    const CResourceModule* m_previous;
    std::optional<CCompiledLanguage> m_module;
};

// The --time-scale of one run; the caller's scale comes back afterwards.
class ScopedTimeScale
{
public:
    explicit ScopedTimeScale(double scale) : m_previous(timeScale()) { setTimeScale(scale); }
    ~ScopedTimeScale() { setTimeScale(m_previous); }
    ScopedTimeScale(const ScopedTimeScale&) = delete;
    ScopedTimeScale& operator=(const ScopedTimeScale&) = delete;

private:
    double m_previous;
};

// A tool that never reads a terminal: its input is a pipe or a file.
class CNoTerminal : public CTerminal
{
public:
    bool isInteractive() override { return false; }
    void echoOff() override {}
    void echoOn() override {}
};

// The terminal dialog of a job that fleet started: the same status lines and messages, each
// tagged on one stream for the parent to read (see reportstream), with the job's progress.
class CStreamDialog : public CTerminalDialog
{
public:
    CStreamDialog(CProtocol* job, std::string file, const CliIo& io)
        : CTerminalDialog(job, std::move(file), io), m_stream(io.out)
    {
    }

    void streamProgress(const ScopedLanguage& language)
    {
        CProgressReport report;
        if (!progressNow(report) || report.stage == ProgressStage::None)
            return;
        const std::string allSkds = CMessage::getInstance()->loadText(MSG_ALL_SKDS);
        const std::string text = std::to_string(report.percent()) + "\t" +
                                 progressStageText(report, [&language](const char* key) { return language.text(key); },
                                                   allSkds);
        if (text != m_lastProgress) {
            m_lastProgress = text;
            emit(reportstream::kProgress, text);
        }
    }

    void streamFirstFailure()
    {
        const std::vector<int> ids = CMessage::getInstance()->postedIds();
        const auto first = std::find_if(ids.begin(), ids.end(), [](int id) { return msgWeight(id) == MsgWeight::Failure; });
        emit(reportstream::kFirstFailure, std::to_string(first == ids.end() ? -1 : first - ids.begin()));
    }

protected:
    void onStatusLine(const std::string& line) override { emit(reportstream::kStatus, line); }
    void onMessageBox(const std::string& text) override { emit(reportstream::kMessage, text); }

private:
    void emit(char tag, const std::string& text)
    {
        std::lock_guard<std::mutex> lock(m_streamMutex);
        m_stream << reportstream::line(tag, text) << '\n' << std::flush;
    }

    std::ostream& m_stream;
    std::mutex m_streamMutex;
    std::string m_lastProgress;
};

void addJobOptions(CLI::App* command, Options& o)
{
    command->add_option("ADDRESS", o.address, "The gateway's address: a dotted IPv4 address or a host name (at most 16 characters)")
        ->required();
    command->add_option("FILE", o.file, "The backup file")->required();
    command->add_option("--password-file", o.passwordFile,
                        "Read the gateway password from the first line of PATH (- reads standard input). "
                        "Without it the password is asked on the terminal when the gateway wants one")
        ->type_name("PATH");
    command->add_option("--time-scale", o.timeScale,
                        "Multiply every pause and time-out by F; for use with the simulator only "
                        "(time-outs never drop below 50 ms)")
        ->type_name("F")
        ->check(CLI::PositiveNumber);
    CLI::Option* on = command->add_flag("--progress", o.progress,
                                        "Show the progress line on standard error even when it is no terminal");
    CLI::Option* off = command->add_flag("--no-progress", o.noProgress, "Never show the progress line");
    on->excludes(off);
}

}  // namespace

int runCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err)
{
    CNoTerminal pipe;
    return runCli(args, {in, out, err, pipe});
}

int runCli(const std::vector<std::string>& args, const CliIo& io)
{
    Options o;
    CLI::App app{"Backs up or restores a NEXO gateway and the SKD modules behind it."};
    app.set_version_flag("--version", kProgramVersion);
    app.footer("Status lines go to standard output, message boxes to standard error, and when standard error is a\n"
               "terminal, one progress line at its bottom.\n"
               "Exit status: 0 the job completed without an error, 1 it failed, 2 bad usage.\n"
               "inspect: 0 a restore would find the file complete, 1 it would refuse it or restore it\n"
               "incompletely, 2 bad usage or an unreadable file. diff: 0 equal, 1 different, 2 trouble.\n"
               "fleet: 0 every site succeeded, 1 any did not, 2 a bad inventory or bad usage.");
    app.require_subcommand(1, 1);
    // The same options on every system: on Windows a "/" starts a path, not an option.
    // Subcommands take this over as they are added.
    app.allow_windows_style_options(false);
    CLI::App* backup = app.add_subcommand("backup", "Gateway (and SKDs) to FILE");
    CLI::App* restore = app.add_subcommand("restore", "FILE to the gateway (and SKDs)");
    addJobOptions(backup, o);
    addJobOptions(restore, o);
    backup->add_option("--skd", o.skd, "Which SKDs to back up: all (default), none, or N: master N only, "
                                       "when every SKD holds the same data")
        ->type_name("all|none|N");
    restore->add_option("--skd", o.skd, "Which SKDs to restore: all (default), none (the gateway's objects only, "
                                        "no bus connection), or N: SKD N alone")
        ->type_name("all|none|N");
    restore->add_flag("--no-gateway-data", o.noGatewayData,
                      "Check the gateway's version and password, but write none of its four objects");
    CLI::App* inspect = app.add_subcommand("inspect", "What a restore would do with FILE; no network");
    inspect->add_option("FILE", o.inspectFile, "The backup file")->required();
    inspect->add_flag("--json", o.json, "The same facts as one JSON document");
    CLI::App* diff = app.add_subcommand("diff", "What differs between two backup files; no network");
    diff->add_option("A", o.diffA, "The first backup file")->required();
    diff->add_option("B", o.diffB, "The second backup file")->required();
    backup->add_flag("--report-stream", o.reportStream,
                     "For fleet: status lines, messages and progress as tagged lines on standard output")
        ->group("");
    FleetOptions fleetOptions;
    CLI::App* fleet = app.add_subcommand("fleet", "Backs up every site of INVENTORY into an archive with history");
    fleet->add_option("INVENTORY", fleetOptions.inventory, "The inventory: a TOML file of sites")->required();
    fleet->add_option("--archive", fleetOptions.archive, "The archive's folder: DIR/<site>/<site>-<UTC time>.mrk")
        ->type_name("DIR")
        ->required();
    fleet->add_option("--jobs", fleetOptions.jobs, "At most N sites at the same time (default 16)")->type_name("N");
    fleet->add_option("--keep", fleetOptions.keep, "Keep the newest K good backups of each site (default 30)")
        ->type_name("K");
    fleet->add_option("--json", fleetOptions.json, "Also write the report as a JSON document to FILE")
        ->type_name("FILE");
    fleet->add_option("--time-scale", fleetOptions.timeScale,
                      "Multiply every pause and time-out (the sites' too) by F; for use with the simulator only")
        ->type_name("F")
        ->check(CLI::PositiveNumber);
    CLI::Option* fleetOn = fleet->add_flag("--progress", fleetOptions.progress,
                                           "Show the running sites on standard error even when it is no terminal");
    CLI::Option* fleetOff = fleet->add_flag("--no-progress", fleetOptions.noProgress, "Never show the running sites");
    fleetOn->excludes(fleetOff);

    try {
        std::vector<const char*> argv;
        for (const std::string& a : args)
            argv.push_back(a.c_str());
        if (argv.empty())
            argv.push_back("nexo-backup-cli");
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e, io.out, io.err);
        io.out.flush();
        io.err.flush();
        return code == 0 ? kExitOk : kExitUsage;
    }

    if (inspect->parsed())
        return inspectCommand(o.inspectFile, o.json, io.out, io.err);
    if (diff->parsed())
        return diffCommand(o.diffA, o.diffB, io.out, io.err);
    if (fleet->parsed())
        return fleetCommand(fleetOptions, io);

    const int jobMode = backup->parsed() ? CProtocol::Backup : CProtocol::Restore;

    CTerminalDialog::SkdChoice skdChoice = CTerminalDialog::AllSkds;
    int master = 0;
    if (o.skd == "none") {
        skdChoice = CTerminalDialog::NoSkd;
    } else if (o.skd != "all") {
        if (o.skd.size() != 1 || o.skd[0] < '1' || o.skd[0] > '8')
            return usageError(io, "--skd takes all, none or an SKD number from 1 to 8");
        skdChoice = CTerminalDialog::MasterSkd;
        master = o.skd[0] - '0';
    }
    CProtocol::RestoreScope scope;
    scope.gatewayObjects = !o.noGatewayData;
    if (skdChoice == CTerminalDialog::NoSkd) {
        scope.skds = CProtocol::RestoreScope::NoSkds;
    } else if (skdChoice == CTerminalDialog::MasterSkd) {
        scope.skds = CProtocol::RestoreScope::OneSkd;
        scope.skd = master;
    }
    if (jobMode == CProtocol::Restore && !CProtocol::validScope(scope))
        return usageError(io, "--skd none with --no-gateway-data would restore nothing");

    if (o.address.empty())
        return usageError(io, "the address is empty");
    if (o.address.size() > CProtocol::kMaxAddressLength)
        return usageError(io, "the address " + o.address + " is longer than 16 characters");
    if (!std::isfinite(o.timeScale) || o.timeScale <= 0)
        return usageError(io, "--time-scale takes a number above 0");
    std::string error;
    if (!checkFile(jobMode, o.file, error))
        return usageError(io, error);
    // Asked of the restore's own checks, so a refusal here is what the job would meet.
    if (jobMode == CProtocol::Restore && scope.skds == CProtocol::RestoreScope::OneSkd &&
        !CFileInspection(o.file).skdRestorable(scope.skd))
        return usageError(io, "the backup file " + o.file + " holds no usable data for SKD " +
                                  std::to_string(scope.skd) + " (see nexo-backup-cli inspect)");
    if (jobMode == CProtocol::Restore && !scope.gatewayObjects && scope.skds == CProtocol::RestoreScope::AllSkds) {
        const CFileInspection inspection(o.file);
        const bool anySkd = std::any_of(inspection.skds.begin(), inspection.skds.end(),
                                        [](const CFileInspection::Skd& s) { return s.listed; });
        if (!inspection.skdPart || !anySkd)
            return usageError(io, "--no-gateway-data restores the SKDs alone, and the backup file " + o.file +
                                      " has no SKD part to restore: it would restore nothing");
    }
    if (jobMode == CProtocol::Restore) {
        CFileManager file;
        file.open(o.file);
        const CRestoreCheck check(file, scope);
        if (!check.cutShort.empty()) {
            // The job refuses it too; here the user also learns how to restore the rest.
            for (const CRestoreCheck::CutShort& image : check.cutShort)
                io.err << "nexo-backup-cli: the image of SKD " << image.skd << " in " << o.file << " is incomplete ("
                       << image.length << " of " << bus::TEMPLATE_SIZE
                       << " bytes: its backup was cut short); restoring it would clean SKD " << image.skd
                       << " and leave the rest of its memory zero\n";
            // In master mode every SKD would get that image.
            if (bus::isMasterMode(bus::readMaster(file)))
                io.err << "nexo-backup-cli: nothing was restored; --skd none restores the gateway alone "
                          "(see nexo-backup-cli inspect)\n";
            else
                io.err << "nexo-backup-cli: nothing was restored; --skd N restores another SKD alone, --skd none the "
                          "gateway alone (see nexo-backup-cli inspect)\n";
            io.err << std::flush;
            return kExitFailed;
        }
    }

    std::optional<std::string> password;
    if (!o.passwordFile.empty()) {
        std::string text;
        if (!readPasswordFile(io, o.passwordFile, text, error))
            return usageError(io, error);
        password = text;
    }

    ScopedTimeScale scale(o.timeScale);
    ScopedLanguage language;

    int status = kExitFailed;
    {
        CProtocol job;
        std::unique_ptr<CTerminalDialog> dialog;
        CStreamDialog* stream = nullptr;
        if (o.reportStream) {
            auto made = std::make_unique<CStreamDialog>(&job, o.file, io);
            stream = made.get();
            dialog = std::move(made);
        } else {
            dialog = std::make_unique<CTerminalDialog>(&job, o.file, io);
        }
        CTerminalDialog& terminal = *dialog;
        terminal.setPassword(password);
        terminal.setSkdChoice(skdChoice, master);
        CMessage::getInstance()->setListBox(&terminal);

        job.init(&terminal, &terminal, jobMode, o.address);
        if (jobMode == CProtocol::Restore)
            job.setRestoreScope(scope);
        const bool progress = !stream && (o.progress || (!o.noProgress && io.terminal.errorIsTerminal()));
        if (progress)
            terminal.showProgress([&language](const char* key) { return language.text(key); });
        if (!job.start()) {
            io.err << "nexo-backup-cli: the job could not be started\n" << std::flush;
        } else {
            if (progress) {
                io.terminal.guardProgressLine(true);
                while (!terminal.waitForJobDone(kProgressPoll))
                    terminal.drawProgress();
                terminal.clearProgress();
                io.terminal.guardProgressLine(false);
            } else if (stream) {
                while (!terminal.waitForJobDone(kProgressPoll))
                    stream->streamProgress(language);
            }
            job.join();
            if (stream)
                stream->streamFirstFailure();
            status = job.succeeded() && !terminal.choiceRefused() ? kExitOk : kExitFailed;
        }
        CMessage::getInstance()->setListBox(nullptr);
    }
    CMessage::deleteInstance();
    return status;
}
