// The POSIX terminal: isatty and termios on standard input, isatty and the window size on
// standard error.
#include "cli/Terminal.h"

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <string>

namespace {

struct termios g_savedTerminal;
volatile sig_atomic_t g_echoOff = 0;
volatile sig_atomic_t g_progressLine = 0;

void restoreEcho()
{
    if (g_echoOff) {
        tcsetattr(STDIN_FILENO, TCSANOW, &g_savedTerminal);
        g_echoOff = 0;
    }
}

// An interrupt while the echo is off must not leave the terminal without echo, nor one while
// the progress line shows leave the line behind.
void onInterrupt(int sig)
{
    restoreEcho();
    if (g_progressLine) {
        static const char erase[] = "\r\033[K";
        [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, erase, sizeof erase - 1);
    }
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

class CPosixTerminal : public CTerminal
{
public:
    bool isInteractive() override { return ::isatty(STDIN_FILENO) != 0; }

    bool errorIsTerminal() override
    {
        // A terminal that cannot move the cursor would show every rewrite on a line of its own.
        const char* term = ::getenv("TERM");
        return ::isatty(STDERR_FILENO) != 0 && !(term && std::string(term) == "dumb");
    }

    int errorColumns() override
    {
        struct winsize size {};
        return ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
    }

    int errorRows() override
    {
        struct winsize size {};
        return ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_row : 0;
    }

    void echoOff() override
    {
        const bool terminal = tcgetattr(STDIN_FILENO, &g_savedTerminal) == 0;
        m_oldInt = std::signal(SIGINT, onInterrupt);
        m_oldTerm = std::signal(SIGTERM, onInterrupt);
        if (terminal) {
            struct termios quiet = g_savedTerminal;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            quiet.c_lflag |= ECHONL;
            g_echoOff = tcsetattr(STDIN_FILENO, TCSANOW, &quiet) == 0;
        }
    }

    void echoOn() override
    {
        restoreEcho();
        std::signal(SIGINT, m_oldInt);
        std::signal(SIGTERM, m_oldTerm);
    }

    void guardProgressLine(bool on) override
    {
        if (on == static_cast<bool>(g_progressLine))
            return;
        if (on) {
            m_progressOldInt = std::signal(SIGINT, onInterrupt);
            m_progressOldTerm = std::signal(SIGTERM, onInterrupt);
            g_progressLine = 1;
        } else {
            g_progressLine = 0;
            std::signal(SIGINT, m_progressOldInt);
            std::signal(SIGTERM, m_progressOldTerm);
        }
    }

private:
    void (*m_oldInt)(int) = SIG_DFL;
    void (*m_oldTerm)(int) = SIG_DFL;
    void (*m_progressOldInt)(int) = SIG_DFL;
    void (*m_progressOldTerm)(int) = SIG_DFL;
};

}  // namespace

CTerminal& systemTerminal()
{
    static CPosixTerminal terminal;
    return terminal;
}

std::vector<std::string> systemArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv, argv + argc);
}
