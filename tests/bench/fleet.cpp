// nexo-backup-cli fleet over 256 simulated gateways, each on a loopback address of its own,
// all at once (--jobs 256) at time scale 0.1: the wall time against the longest single job,
// the CPU time of the fleet and its jobs, and the memory they held at their peak.
// Usage, from the build folder: bench_fleet [SITES [JOBS]]   (default 256 256)
#include "Simulator.h"
#include "TestSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr double kScale = 0.1;
const char* kPassword = "bench";

struct Memory {
    long totalKb = 0;    // the fleet and its jobs together
    long largestKb = 0;  // one job
    int processes = 0;
};

// The resident memory of pid and of its children, from /proc.
Memory sample(pid_t fleet)
{
    Memory m;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream status(entry.path() / "status");
        long ppid = -1, rss = 0;
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("PPid:", 0) == 0)
                ppid = std::atol(line.c_str() + 5);
            else if (line.rfind("VmRSS:", 0) == 0)
                rss = std::atol(line.c_str() + 6);
        }
        const long pid = std::atol(name.c_str());
        if (pid == fleet || ppid == fleet) {
            m.totalKb += rss;
            ++m.processes;
            if (ppid == fleet)
                m.largestKb = std::max(m.largestKb, rss);
        }
    }
    return m;
}

}  // namespace

int main(int argc, char** argv)
{
    const int sites = argc > 1 ? std::atoi(argv[1]) : 256;
    const int jobs = argc > 2 ? std::atoi(argv[2]) : sites;
    if (::access("./nexo-backup-cli", X_OK) != 0) {
        std::fprintf(stderr, "run this from the build folder (./nexo-backup-cli not found)\n");
        return 1;
    }
    const testsupport::ScopedTempDir temp("nexo-bench-fleet");
    const std::string dir = temp.dir();
    const std::string passwordFile = dir + "/password";
    std::ofstream(passwordFile) << kPassword << "\n";
    ::chmod(passwordFile.c_str(), 0600);

    std::vector<std::unique_ptr<sim::Simulator>> simulators;
    std::string inventory = "[defaults]\npassword_file = \"" + passwordFile + "\"\n";
    for (int i = 0; i < sites; ++i) {
        sim::Config config;
        config.address = testsupport::loopbackAddress(i);
        config.version = 108;
        config.password = kPassword;
        config.seed = static_cast<uint32_t>(1000 + i);
        config.recordRequests = false;
        auto simulator = std::make_unique<sim::Simulator>(config);
        std::string error;
        if (!simulator->start(&error)) {
            std::fprintf(stderr, "simulator on %s: %s\n", config.address.c_str(), error.c_str());
            return 1;
        }
        simulators.push_back(std::move(simulator));
        inventory += "\n[site.gw" + std::to_string(i) + "]\naddress = \"" + config.address + "\"\n";
    }
    std::ofstream(dir + "/fleet.toml") << inventory;

    std::vector<std::string> args = {"./nexo-backup-cli", "fleet",       dir + "/fleet.toml", "--archive",
                                     dir + "/archive",    "--jobs",      std::to_string(jobs), "--json",
                                     dir + "/report.json", "--time-scale", std::to_string(kScale), "--no-progress"};
    std::vector<char*> argv2;
    for (std::string& a : args)
        argv2.push_back(a.data());
    argv2.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string log = dir + "/fleet.log";
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);

    std::printf("%d simulated gateways (version 108, --skd none), --jobs %d, time scale %.2f\n", sites, jobs, kScale);
    std::printf("each job waits %.1f s by its sequence (the gateway's restart and the bus settling)\n", 70 * kScale);
    const auto start = std::chrono::steady_clock::now();
    pid_t fleet = -1;
    if (posix_spawn(&fleet, argv2[0], &actions, nullptr, argv2.data(), environ) != 0) {
        std::perror("posix_spawn");
        return 1;
    }
    posix_spawn_file_actions_destroy(&actions);

    Memory peak;
    int status = 0;
    struct rusage usage {};
    for (;;) {
        const pid_t got = ::wait4(fleet, &status, WNOHANG, &usage);
        if (got == fleet)
            break;
        const Memory now = sample(fleet);
        if (now.totalKb > peak.totalKb) {
            peak.totalKb = now.totalKb;
            peak.processes = now.processes;
        }
        peak.largestKb = std::max(peak.largestKb, now.largestKb);
        ::usleep(50000);
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // The fleet's own time and, as it waited for them, its jobs'.
    const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    struct rusage self {};
    ::getrusage(RUSAGE_SELF, &self);

    std::ifstream in(dir + "/report.json");
    const nlohmann::json report = nlohmann::json::parse(in, nullptr, false);
    int succeeded = 0;
    double longest = 0, shortest = 1e9, sum = 0;
    if (report.is_object())
        for (const auto& s : report["sites"]) {
            succeeded += s["result"] == "succeeded";
            const double d = s["duration_seconds"].get<double>();
            longest = std::max(longest, d);
            shortest = std::min(shortest, d);
            sum += d;
        }
    std::printf("fleet exit status %d: %d of %d sites succeeded\n",
                WIFEXITED(status) ? WEXITSTATUS(status) : -1, succeeded, sites);
    if (sites > 0 && report.is_object())
        std::printf("jobs: shortest %.2f s, mean %.2f s, longest %.2f s\n", shortest, sum / sites, longest);
    std::printf("wall %.2f s for all = %.2f x the longest job\n", wall, longest > 0 ? wall / longest : 0);
    std::printf("CPU of the fleet and its jobs: %.2f s in all, %.1f ms per site\n", cpu, 1000 * cpu / std::max(sites, 1));
    std::printf("memory at its peak: %.1f MiB resident in %d processes, the largest job %.1f MiB\n",
                peak.totalKb / 1024.0, peak.processes, peak.largestKb / 1024.0);
    std::printf("the simulators (this process): CPU %.2f s, peak %.1f MiB\n",
                static_cast<double>(self.ru_utime.tv_sec + self.ru_stime.tv_sec) +
                    static_cast<double>(self.ru_utime.tv_usec + self.ru_stime.tv_usec) / 1e6,
                self.ru_maxrss / 1024.0);
    // What went wrong, from the report.
    if (report.is_object())
        for (const auto& s : report["sites"])
            if (s["result"] != "succeeded")
                std::printf("-- %s\n", s.dump(2).c_str());
    return succeeded == sites ? 0 : 1;
}
