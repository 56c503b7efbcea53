#include "Process.h"

#include "TestSupport.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <thread>

extern char** environ;

namespace testsupport {

namespace {
std::atomic<int> g_serial{0};
}

Process::Process(const std::vector<std::string>& args, const std::string& outputDir, const std::string& stdinText,
                 const std::vector<std::string>& extraEnv, const std::string& stdinPath, const std::string& outputPath)
{
    const std::string stem = outputDir + "/proc" + std::to_string(::getpid()) + "_" + std::to_string(g_serial++);
    m_outPath = stem + ".out";
    m_errPath = stem + ".err";
    m_inPath = stem + ".in";
    {
        std::ofstream in(m_inPath, std::ios::binary);
        in << stdinText;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdinPath.empty())
        posix_spawn_file_actions_addopen(&actions, 0, m_inPath.c_str(), O_RDONLY, 0);
    else
        posix_spawn_file_actions_addopen(&actions, 0, stdinPath.c_str(), O_RDWR | O_NOCTTY, 0);
    if (outputPath.empty()) {
        posix_spawn_file_actions_addopen(&actions, 1, m_outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, m_errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_RDWR | O_NOCTTY, 0);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    }

    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    for (const std::string& extra : extraEnv) {
        const std::string name = extra.substr(0, extra.find('=') + 1);
        std::erase_if(env, [&](const std::string& v) { return v.rfind(name, 0) == 0; });
        env.push_back(extra);
    }
    std::vector<char*> envp;
    for (std::string& v : env)
        envp.push_back(v.data());
    envp.push_back(nullptr);

    std::vector<std::string> argCopy = args;
    std::vector<char*> argv;
    for (std::string& a : argCopy)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0)
        m_pid = pid;
    posix_spawn_file_actions_destroy(&actions);
}

Process::~Process()
{
    if (m_pid > 0 && !m_done) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, &m_status, 0);
    }
    ::unlink(m_inPath.c_str());
}

bool Process::running()
{
    if (m_pid <= 0 || m_done)
        return false;
    if (::waitpid(m_pid, &m_status, WNOHANG) == m_pid) {
        m_done = true;
        return false;
    }
    return true;
}

int Process::wait(std::chrono::milliseconds limit)
{
    if (m_pid <= 0)
        return -1;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (running()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &m_status, 0);
            m_done = true;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(m_status) ? WEXITSTATUS(m_status) : -1;
}

int Process::stop(std::chrono::milliseconds grace)
{
    if (running())
        ::kill(m_pid, SIGTERM);
    return wait(grace);
}

int Process::interrupt(std::chrono::milliseconds grace)
{
    if (running())
        ::kill(m_pid, SIGINT);
    return stop(grace);
}

void Process::signal(int sig)
{
    if (running())
        ::kill(m_pid, sig);
}

std::string Process::out() const
{
    return readFile(m_outPath);
}

std::string Process::err() const
{
    return readFile(m_errPath);
}

std::vector<std::string> Process::outLines() const
{
    return splitLines(out());
}

}  // namespace testsupport
