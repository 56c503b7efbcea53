#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// A program run as a child process with its standard output and standard error on one pipe
// that the parent reads, and the null device as its standard input. The child runs in a group
// of its own (a process group on POSIX, a job object on Windows): ending it ends whatever it
// started, and an interrupt typed at the parent's terminal reaches the parent only.
//
// One thread may read and wait while another calls terminate() or kill(): the group is only
// signalled while the child has not been reaped, so a reused process number is never hit.
class CChildProcess
{
public:
    struct Exit {
        bool exited = false;  // ended by itself: code is its exit status
        int code = -1;
        bool signalled = false;  // ended by a signal (POSIX) or terminated (Windows): signal
        int signal = 0;
        double cpuSeconds = 0;  // user and system time, where the system tells it
    };

    CChildProcess();
    ~CChildProcess();  // kills a child that still runs, and reaps it
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    // program: a path to it (UTF-8); args without the program name. Empty, or why it failed.
    std::string start(const std::string& program, const std::vector<std::string>& args);

    // Blocks until output comes: the bytes read, 0 at its end (the child and everything it
    // started have closed the pipe), -1 on an error.
    long read(char* buffer, size_t size);
    // Blocks until the child has ended; reaps it. Called once.
    Exit wait();

    // Asks the group to end (SIGTERM; on Windows the same as kill).
    void terminate();
    // Ends the group at once.
    void kill();

    long id() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// Ctrl-C and SIGTERM (on Windows: the console's Ctrl-C, Ctrl-Break and close events) are
// noted instead of ending the program, for as long as the object lives; the previous
// handling comes back afterwards. One at a time.
class CStopRequests
{
public:
    CStopRequests();
    ~CStopRequests();
    CStopRequests(const CStopRequests&) = delete;
    CStopRequests& operator=(const CStopRequests&) = delete;

    bool requested() const;
};
