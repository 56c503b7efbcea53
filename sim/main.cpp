// nexo-sim: the simulated gateway with its SKD modules, as a program for scripts and manual runs.

#include "Portable.h"
#include "Simulator.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> splitOn(const std::string& text, char sep)
{
    std::vector<std::string> parts;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, sep))
        parts.push_back(part);
    return parts;
}

// Decimal or 0x-prefixed hexadecimal; throws CLI::ValidationError on anything else.
int number(const std::string& text, const std::string& option)
{
    try {
        size_t used = 0;
        // Base 10 unless 0x: a leading zero ("08") is not octal here.
        const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
        int value = std::stoi(text, &used, hex ? 16 : 10);
        if (used == text.size())
            return value;
    } catch (const std::exception&) {
    }
    throw CLI::ValidationError(option, "not a number: '" + text + "'");
}

}  // namespace

int main(int argc, char** argv)
{
    sim::Config config;
    sim::Faults& f = config.faults;
    std::string skds = "1,2,5";
    std::string saveDir;
    std::string readyFile;
    std::string errorReply, silentRequest, dropReply, badChecksum;
    std::vector<int> silentSkds, ignoreWrites;

    CLI::App app{"Simulated NEXO gateway (port 11574) with SKD modules on its bus-module port (11575)."};
    app.add_option("--address", config.address, "IPv4 address to listen on")->capture_default_str();
    app.add_option("--version", config.version, "gateway version answered to a version request (a loaded state's version wins)")
        ->check(CLI::Range(0, 255))
        ->capture_default_str();
    app.add_option("--password", config.password,
                   "gateway password (bytes as compared); empty accepts only the empty-password placeholder");
    app.add_option("--skds", skds, "SKD numbers 1..8 on the bus, comma-separated, or 'none'")->capture_default_str();
    app.add_option("--seed", config.seed, "seed for the generated objects and SKD memories")->capture_default_str();
    app.add_option("--state-dir", config.stateDir, "load the state from this folder at start when it holds one");
    app.add_option("--save-state", saveDir,
                   "write the state to this folder on exit and after every connection that changed it");
    app.add_option("--time-scale", config.timeScale, "factor for --reply-delay")->capture_default_str();
    app.add_flag("--log", config.log, "print every request received to stderr");
    app.add_option("--ready-file", readyFile, "file written once both ports listen");

    auto* faults = "Faults";
    app.add_option("--error-reply", errorReply,
                   "OBJ:KIND[:restore]: error reply of kind 1 or 2 to object OBJ's backup (or restore)")
        ->group(faults);
    app.add_option("--silent-request", silentRequest,
                   "TYPE[:PARAM]: no reply to requests of this frame type (7 version, 9 password, 0 backup, "
                   "1 restore, 3 close), optionally only for this parameter")
        ->group(faults);
    app.add_option("--close-mid-frame", f.closeMidFrameType,
                   "TYPE: the reply to this request type is cut in half and the connection closed")
        ->group(faults);
    app.add_option("--close-reply-type", f.closeReplyType, "frame type of the answer to a close request")
        ->check(CLI::Range(0, 255))
        ->group(faults);
    app.add_flag("--byte-by-byte", f.byteByByte, "send every reply one byte at a time (the first 64 bytes 1 ms apart)")->group(faults);
    app.add_option("--reply-delay", f.replyDelayMs, "MS: delay before every reply (scaled by --time-scale)")
        ->group(faults);
    app.add_flag("--refuse-bus", f.refuseBus, "do not listen on the bus-module port")->group(faults);
    app.add_option("--silent-skd", silentSkds, "N: SKD that never answers (repeatable)")->group(faults);
    app.add_option("--ignore-writes", ignoreWrites, "N: SKD that answers write chunks but stores nothing (repeatable)")
        ->group(faults);
    app.add_option("--drop-reply", dropReply, "CODE:K: no reply to the K-th request (per SKD) of command CODE")
        ->group(faults);
    app.add_option("--bad-checksum", badChecksum, "CODE:K: wrong checksum in the reply to the K-th request of CODE")
        ->group(faults);
    app.add_option("--empty-read", f.emptyReadIndex, "K: the K-th read-chunk reply (per SKD) carries no data")
        ->group(faults);
    app.add_flag("--split-replies", f.splitReplies, "send every bus reply in three TCP segments")->group(faults);

    try {
        app.parse(argc, argv);
        config.skds.clear();
        if (skds != "none" && !skds.empty()) {
            for (const auto& part : splitOn(skds, ',')) {
                int n = number(part, "--skds");
                if (n < 1 || n > 8)
                    throw CLI::ValidationError("--skds", "SKD numbers are 1 to 8");
                config.skds.push_back(n);
            }
        }
        if (!errorReply.empty()) {
            auto parts = splitOn(errorReply, ':');
            if (parts.size() < 2 || parts.size() > 3 || (parts.size() == 3 && parts[2] != "restore"))
                throw CLI::ValidationError("--error-reply", "expected OBJ:KIND[:restore]");
            f.errorReplyObject = number(parts[0], "--error-reply");
            f.errorReplyKind = number(parts[1], "--error-reply");
            f.errorOnRestore = parts.size() == 3;
        }
        if (!silentRequest.empty()) {
            auto parts = splitOn(silentRequest, ':');
            if (parts.empty() || parts.size() > 2)
                throw CLI::ValidationError("--silent-request", "expected TYPE[:PARAM]");
            f.silentRequestType = number(parts[0], "--silent-request");
            if (parts.size() == 2)
                f.silentRequestParam = number(parts[1], "--silent-request");
        }
        auto codeAndIndex = [](const std::string& text, const std::string& option, int* code, int* index) {
            auto parts = splitOn(text, ':');
            if (parts.size() != 2)
                throw CLI::ValidationError(option, "expected CODE:K");
            *code = number(parts[0], option);
            *index = number(parts[1], option);
        };
        if (!dropReply.empty())
            codeAndIndex(dropReply, "--drop-reply", &f.dropReplyCode, &f.dropReplyIndex);
        if (!badChecksum.empty())
            codeAndIndex(badChecksum, "--bad-checksum", &f.badChecksumCode, &f.badChecksumIndex);
        f.silentSkds.insert(silentSkds.begin(), silentSkds.end());
        f.ignoreWrites.insert(ignoreWrites.begin(), ignoreWrites.end());
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    config.autoSaveDir = saveDir;
    // Nobody reads the request log of a running program; kept, it would grow with every job.
    config.recordRequests = false;

    portable::blockStopSignals();

    sim::Simulator simulator(config);
    std::string error;
    if (!simulator.start(&error)) {
        std::fprintf(stderr, "nexo-sim: %s\n", error.c_str());
        return 1;
    }
    const sim::Config& c = simulator.config();
    std::string list;
    for (int n : c.skds)
        list += (list.empty() ? "" : ",") + std::to_string(n);
    std::printf("nexo-sim: listening on %s ports %u (gateway) and %u (bus%s), version %d, SKDs %s\n",
                c.address.c_str(), c.gatewayPort, c.busPort, f.refuseBus ? ": refused" : "", c.version,
                list.empty() ? "none" : list.c_str());
    std::fflush(stdout);
    if (!readyFile.empty()) {
        std::ofstream ready(readyFile, std::ios::trunc);
        ready << "ready\n";
        if (!ready) {
            std::fprintf(stderr, "nexo-sim: cannot write %s\n", readyFile.c_str());
            return 1;
        }
    }

    portable::waitForStopSignal();
    simulator.stop();
    int status = 0;
    if (!saveDir.empty() && !simulator.saveState(saveDir)) {
        std::fprintf(stderr, "nexo-sim: cannot save the state to %s\n", saveDir.c_str());
        status = 1;
    }
    std::printf("nexo-sim: stopped\n");
    return status;
}
