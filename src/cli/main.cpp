// nexo-backup-cli: one backup or restore job from a terminal.
#include "backupfile/CProperty.h"
#include "cli/CTerminalDialog.h"
#include "job/CMessage.h"
#include "job/CProtocol.h"
#include "platform/Encoding.h"
#include "platform/TimeScale.h"
#include "resources/Version.h"

#ifdef NEXO_HAVE_LANG
#include "lang/CLangResources.h"
#endif

#include <CLI/CLI.hpp>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <fstream>
#include <iostream>
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
    double timeScale = 1.0;
};

int usageError(const std::string& text)
{
    std::cerr << "nexo-backup-cli: " << text << '\n';
    return kExitUsage;
}

// The first line of the file ("-": standard input), without its line end.
bool readPasswordFile(const std::string& path, std::string& password, std::string& error)
{
    std::string line;
    if (path == "-" && ::isatty(STDIN_FILENO)) {
        // Typed, not piped: without echo like the prompt. End of input is no password at all.
        if (!readHiddenLine("Gateway password: ", line)) {
            error = "no password was read from standard input";
            return false;
        }
    } else if (path == "-") {
        std::getline(std::cin, line);
        if (std::cin.bad()) {
            error = "cannot read the password from standard input";
            return false;
        }
    } else {
        std::ifstream in(path, std::ios::binary);
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
        struct stat st {};
        if (::stat(file.c_str(), &st) != 0) {
            error = "the backup file " + file + " does not exist";
            return false;
        }
        if (!S_ISREG(st.st_mode) || ::access(file.c_str(), R_OK) != 0) {
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
    default:
        error = "the backup file " + file + " may not be written (" + std::strerror(saveError) + ")";
        return false;
    }
}

void selectLanguage()
{
#ifdef NEXO_HAVE_LANG
    if (!getLangResources()->setUp())
        std::cerr << "Not language file found! (the built-in texts are used)\n";
#endif
}

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
}

}  // namespace

int main(int argc, char** argv)
{
    Options o;
    CLI::App app{"Backs up or restores a NEXO gateway and the SKD modules behind it."};
    app.set_version_flag("--version", kProgramVersion);
    app.footer("Status lines go to standard output, message boxes to standard error.\n"
               "Exit status: 0 the job completed without an error, 1 it failed, 2 bad usage.");
    app.require_subcommand(1, 1);
    CLI::App* backup = app.add_subcommand("backup", "Gateway (and SKDs) to FILE");
    CLI::App* restore = app.add_subcommand("restore", "FILE to the gateway (and SKDs)");
    addJobOptions(backup, o);
    addJobOptions(restore, o);
    backup->add_option("--skd", o.skd, "Which SKDs to back up: all (default), none, or N: master N only, "
                                       "when every SKD holds the same data")
        ->type_name("all|none|N");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? kExitOk : kExitUsage;
    }

    const int jobMode = backup->parsed() ? CProtocol::Backup : CProtocol::Restore;

    CTerminalDialog::SkdChoice skdChoice = CTerminalDialog::AllSkds;
    int master = 0;
    if (o.skd == "none") {
        skdChoice = CTerminalDialog::NoSkd;
    } else if (o.skd != "all") {
        if (o.skd.size() != 1 || o.skd[0] < '1' || o.skd[0] > '8')
            return usageError("--skd takes all, none or an SKD number from 1 to 8");
        skdChoice = CTerminalDialog::MasterSkd;
        master = o.skd[0] - '0';
    }

    if (o.address.empty())
        return usageError("the address is empty");
    if (o.address.size() > CProtocol::kMaxAddressLength)
        return usageError("the address " + o.address + " is longer than 16 characters");
    if (!std::isfinite(o.timeScale) || o.timeScale <= 0)
        return usageError("--time-scale takes a number above 0");
    std::string error;
    if (!checkFile(jobMode, o.file, error))
        return usageError(error);

    std::optional<std::string> password;
    if (!o.passwordFile.empty()) {
        std::string text;
        if (!readPasswordFile(o.passwordFile, text, error))
            return usageError(error);
        password = text;
    }

    setTimeScale(o.timeScale);
    selectLanguage();

    int status = kExitFailed;
    {
        CProtocol job;
        CTerminalDialog terminal(&job, o.file);
        terminal.setPassword(password);
        terminal.setSkdChoice(skdChoice, master);
        CMessage::getInstance()->setListBox(&terminal);

        job.init(&terminal, &terminal, jobMode, o.address);
        if (!job.start()) {
            std::cerr << "nexo-backup-cli: the job could not be started\n";
        } else {
            job.join();
            status = job.succeeded() && !terminal.choiceRefused() ? kExitOk : kExitFailed;
        }
        CMessage::getInstance()->setListBox(nullptr);
    }
    CMessage::deleteInstance();
#ifdef NEXO_HAVE_LANG
    getLangResources()->unload();
#endif
    return status;
}
