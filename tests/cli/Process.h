#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace testsupport {

// A program of the build folder run as a child process, its output caught in files.
// The destructor kills it if it still runs, so nothing outlives the test.
class Process
{
public:
    // stdinText: what the child reads on standard input; stdinPath, when given, is opened
    // as standard input instead (a terminal, for example); outputPath, when given, as standard
    // output and standard error both, instead of the files out() and err() read.
    Process(const std::vector<std::string>& args, const std::string& outputDir, const std::string& stdinText = {},
            const std::vector<std::string>& extraEnv = {}, const std::string& stdinPath = {},
            const std::string& outputPath = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool started() const { return m_pid > 0; }
    bool running();
    // The exit status, or -1 when it did not end within the limit (it is then killed)
    // or ended by a signal.
    int wait(std::chrono::milliseconds limit);
    // SIGTERM, then SIGKILL when it does not end within the grace time.
    int stop(std::chrono::milliseconds grace = std::chrono::seconds(5));
    // The signal a terminal's Ctrl-C sends; then as stop.
    int interrupt(std::chrono::milliseconds grace = std::chrono::seconds(5));
    // Sends sig (SIGINT: what Ctrl-C sends) and returns at once.
    void signal(int sig);
    pid_t pid() const { return m_pid; }

    std::string out() const;
    std::string err() const;
    std::vector<std::string> outLines() const;

private:
    pid_t m_pid = -1;
    int m_status = -1;
    bool m_done = false;
    std::string m_outPath;
    std::string m_errPath;
    std::string m_inPath;
};

}  // namespace testsupport
