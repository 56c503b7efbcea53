// One whole backup job with SKDs (nexo-backup-cli against an in-process simulator), then
// eight at once against eight simulators, each next to the pauses and waits its sequence
// prescribes, so that what is left is the tool's own time. Run from the build folder.
#include "Simulator.h"
#include "TestSupport.h"

#include "bus/BusDefs.h"
#include "job/CProtocol.h"
#include "platform/TimeScale.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr double kScale = 0.1;
const char* kPassword = "bench";
const std::vector<int> kSkds = {1, 2, 5};

// Every pause and wait of a backup of all of kSkds, at kScale: the wait for the gateway and
// the settling time, the probes of the absent SKDs in the scan for the choice, programming
// mode on and off, the pause after each SKD's templates and the reset of all SKDs.
struct FixedTime {
    const char* what;
    std::chrono::nanoseconds time;
};

std::vector<FixedTime> fixedTimes()
{
    using namespace bus;
    const int absent = MAX_SKDS - static_cast<int>(kSkds.size());
    const int skds = static_cast<int>(kSkds.size());
    return {
        {"gateway restart", scaledPause(CProtocol::kGatewayRestartMs)},
        {"bus settling", scaledPause(CProtocol::kBusSettleMs)},
        {"absent SKDs in the scan", absent * scaledTimeout(WAIT_PROBE)},
        {"programming mode on and off", 2 * PROG_MODE_SENDS * scaledPause(PAUSE_PROG_MODE)},
        {"after each SKD", skds * scaledPause(PAUSE_AFTER_TEMPLATES)},
        {"reset of all SKDs", scaledPause(WAIT_BROADCAST)},
    };
}

double fixedSeconds()
{
    double sum = 0;
    for (const FixedTime& f : fixedTimes())
        sum += std::chrono::duration<double>(f.time).count();
    return sum;
}

struct Child {
    pid_t pid = -1;
    int status = -1;
    double cpuSeconds = 0;
};

Child spawnBackup(const std::string& address, const std::string& file, const std::string& passwordFile,
                  const std::string& logFile)
{
    const std::string scale = std::to_string(kScale);
    std::vector<std::string> args = {"./nexo-backup-cli", "backup", address, file, "--password-file", passwordFile,
                                     "--time-scale", scale};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, logFile.c_str(), O_WRONLY | O_APPEND, 0644);
    Child child;
    if (posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        child.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

void reap(Child& child)
{
    struct rusage usage {};
    if (child.pid > 0 && ::wait4(child.pid, &child.status, 0, &usage) == child.pid) {
        child.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
}

bool completed(const Child& child)
{
    return child.pid > 0 && WIFEXITED(child.status) && WEXITSTATUS(child.status) == 0;
}

std::unique_ptr<sim::Simulator> startSimulator(const std::string& address, uint32_t seed)
{
    sim::Config config;
    config.address = address;
    config.version = 108;
    config.password = kPassword;
    config.seed = seed;
    config.timeScale = kScale;
    config.skds = kSkds;
    auto simulator = std::make_unique<sim::Simulator>(config);
    std::string error;
    if (!simulator->start(&error)) {
        std::fprintf(stderr, "simulator on %s: %s\n", address.c_str(), error.c_str());
        return nullptr;
    }
    return simulator;
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main()
{
    if (::access("./nexo-backup-cli", X_OK) != 0) {
        std::fprintf(stderr, "run this from the build folder (./nexo-backup-cli not found)\n");
        return 1;
    }
    const testsupport::ScopedTempDir temp("nexo-bench");
    const std::string& dir = temp.dir();
    const std::string passwordFile = dir + "/password";
    std::ofstream(passwordFile) << kPassword << "\n";

    setTimeScale(kScale);
    std::printf("time scale %.2f, gateway version 108, SKDs 1, 2 and 5\n", kScale);
    std::printf("fixed time %.3f s:", fixedSeconds());
    for (const FixedTime& f : fixedTimes())
        std::printf(" %s %.3f s;", f.what, std::chrono::duration<double>(f.time).count());
    std::printf("\n");
    const double fixed = fixedSeconds();
    {
        auto simulator = startSimulator(testsupport::loopbackAddress(0), 1);
        if (!simulator)
            return 1;
        const auto start = std::chrono::steady_clock::now();
        Child child = spawnBackup(simulator->config().address, dir + "/one.mrk", passwordFile, dir + "/one.log");
        reap(child);
        const double wall = secondsSince(start);
        std::printf("one backup:   %s, wall %.3f s, fixed %.3f s, overhead %.3f s, client CPU %.3f s\n",
                    completed(child) ? "completed" : "FAILED", wall, fixed, wall - fixed, child.cpuSeconds);
    }
    {
        std::vector<std::unique_ptr<sim::Simulator>> simulators;
        for (int i = 0; i < 8; ++i) {
            simulators.push_back(startSimulator(testsupport::loopbackAddress(10 + i), 100 + i));
            if (!simulators.back())
                return 1;
        }
        const auto start = std::chrono::steady_clock::now();
        std::vector<Child> children;
        for (int i = 0; i < 8; ++i)
            children.push_back(spawnBackup(simulators[i]->config().address, dir + "/eight" + std::to_string(i) + ".mrk",
                                           passwordFile, dir + "/eight" + std::to_string(i) + ".log"));
        int done = 0;
        double cpu = 0;
        for (Child& child : children) {
            reap(child);
            done += completed(child) ? 1 : 0;
            cpu += child.cpuSeconds;
        }
        const double wall = secondsSince(start);
        std::printf("eight backups at once: %d of 8 completed, wall %.3f s, fixed %.3f s each, overhead %.3f s, "
                    "client CPU %.3f s in all\n",
                    done, wall, fixed, wall - fixed, cpu);
    }
    return 0;
}
