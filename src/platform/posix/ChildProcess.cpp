// Child processes over posix_spawn, a pipe and process groups; stop requests over sigaction.
#include "platform/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>

extern char** environ;

struct CChildProcess::Impl {
    pid_t pid = -1;
    int readEnd = -1;
    std::mutex mutex;  // reaped, against the signalling of a reaped child's group
    bool reaped = false;

    void signalGroup(int sig)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (pid > 0 && !reaped)
            ::kill(-pid, sig);
    }
};

CChildProcess::CChildProcess() : m_impl(std::make_unique<Impl>()) {}

CChildProcess::~CChildProcess()
{
    if (m_impl->pid > 0 && !m_impl->reaped) {
        kill();
        wait();
    }
    if (m_impl->readEnd >= 0)
        ::close(m_impl->readEnd);
}

std::string CChildProcess::start(const std::string& program, const std::vector<std::string>& args)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return std::string("no pipe: ") + std::strerror(errno);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    // dup2 clears close-on-exec on the copies; every other pipe of the parent stays closed
    // to the child, so each pipe ends when its own child does.
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGPIPE);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    std::vector<std::string> copy;
    copy.reserve(args.size() + 1);
    copy.push_back(program);
    copy.insert(copy.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : copy)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = -1;
    const int error = ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(fds[1]);
    if (error != 0) {
        ::close(fds[0]);
        return "cannot start " + program + ": " + std::strerror(error);
    }
    m_impl->pid = pid;
    m_impl->readEnd = fds[0];
    return std::string();
}

long CChildProcess::read(char* buffer, size_t size)
{
    for (;;) {
        const ssize_t n = ::read(m_impl->readEnd, buffer, size);
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

CChildProcess::Exit CChildProcess::wait()
{
    Exit exit;
    if (m_impl->pid <= 0 || m_impl->reaped)
        return exit;
    // Waited for without reaping first: until it is reaped below, the zombie keeps its number,
    // so no other group can take it while terminate() or kill() may still signal it.
    siginfo_t info{};
    while (::waitid(P_PID, static_cast<id_t>(m_impl->pid), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
    }
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    int status = 0;
    struct rusage usage {};
    pid_t got;
    while ((got = ::wait4(m_impl->pid, &status, 0, &usage)) < 0 && errno == EINTR) {
    }
    m_impl->reaped = true;
    if (got != m_impl->pid)
        return exit;
    exit.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                      static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    if (WIFEXITED(status)) {
        exit.exited = true;
        exit.code = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        exit.signalled = true;
        exit.signal = WTERMSIG(status);
    }
    return exit;
}

void CChildProcess::terminate()
{
    m_impl->signalGroup(SIGTERM);
}

void CChildProcess::kill()
{
    m_impl->signalGroup(SIGKILL);
}

long CChildProcess::id() const
{
    return m_impl->pid;
}

// ---------------------------------------------------------------- stop requests

namespace {

std::atomic<bool> g_stopRequested{false};

void onStopSignal(int)
{
    g_stopRequested = true;
}

struct sigaction g_oldInt;
struct sigaction g_oldTerm;

}  // namespace

CStopRequests::CStopRequests()
{
    g_stopRequested = false;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &g_oldInt);
    ::sigaction(SIGTERM, &action, &g_oldTerm);
}

CStopRequests::~CStopRequests()
{
    ::sigaction(SIGINT, &g_oldInt, nullptr);
    ::sigaction(SIGTERM, &g_oldTerm, nullptr);
}

bool CStopRequests::requested() const
{
    return g_stopRequested.load();
}
