// The Windows console: the console mode of standard input for the echo, UTF-8 for what the
// console shows, the console's own characters for what is typed, and the wide command line.
#include "cli/Terminal.h"

#include "platform/win32/Wide.h"

#include <windows.h>
#include <shellapi.h>

#include <atomic>

namespace {

HANDLE g_input = INVALID_HANDLE_VALUE;
DWORD g_savedMode = 0;
std::atomic<bool> g_echoOff{false};
std::atomic<bool> g_progressLine{false};

void restoreEcho()
{
    if (g_echoOff.exchange(false))
        ::SetConsoleMode(g_input, g_savedMode);
}

// Ctrl-C or a closed window while the echo is off must not leave the console without echo.
// FALSE: the next handler, the system's, then ends the program as usual.
BOOL WINAPI onConsoleEvent(DWORD)
{
    restoreEcho();
    // Nor leave the progress line behind.
    if (g_progressLine) {
        static const char erase[] = "\r\033[K";
        DWORD written = 0;
        ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), erase, sizeof erase - 1, &written, nullptr);
    }
    return FALSE;
}

bool isConsole(HANDLE h, DWORD* mode = nullptr)
{
    DWORD ignored = 0;
    return h != INVALID_HANDLE_VALUE && h != nullptr && ::GetConsoleMode(h, mode ? mode : &ignored) != 0;
}

// Straight to the console's screen, as a terminal echoes: standard error may be a file.
void showOnConsole(const wchar_t* text)
{
    const HANDLE out = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    ::WriteConsoleW(out, text, static_cast<DWORD>(wcslen(text)), &written, nullptr);
    ::CloseHandle(out);
}

class CConsoleTerminal : public CTerminal
{
public:
    CConsoleTerminal()
    {
        // Status lines are UTF-8 bytes: the console shows them as such while the tool runs,
        // and gets its own code page back when the tool ends.
        m_savedOutputCodePage = ::GetConsoleOutputCP();
        if (m_savedOutputCodePage != 0)
            ::SetConsoleOutputCP(CP_UTF8);
    }
    ~CConsoleTerminal() override
    {
        restoreEcho();
        if (m_savedOutputCodePage != 0)
            ::SetConsoleOutputCP(m_savedOutputCodePage);
    }

    bool isInteractive() override { return isConsole(::GetStdHandle(STD_INPUT_HANDLE)); }

    void echoOff() override
    {
        ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
        g_input = ::GetStdHandle(STD_INPUT_HANDLE);
        DWORD mode = 0;
        if (isConsole(g_input, &mode)) {
            g_savedMode = mode;
            // Lines are still edited and ended by the console; only the echo goes.
            g_echoOff = ::SetConsoleMode(g_input, mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) != 0;
        }
    }

    void echoOn() override
    {
        const bool wasOff = g_echoOff;
        restoreEcho();
        ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
        // The Enter that ended the line was not echoed either; a POSIX terminal shows it.
        if (wasOff)
            showOnConsole(L"\r\n");
    }

    void guardProgressLine(bool on) override
    {
        if (on == g_progressLine.exchange(on))
            return;
        ::SetConsoleCtrlHandler(onConsoleEvent, on ? TRUE : FALSE);
    }

    bool readLine(std::istream& in, std::string& line) override
    {
        const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
        if (!isConsole(input))
            return CTerminal::readLine(in, line);
        // The console hands out bytes in its own code page (850, 1252, ...), not UTF-8: read
        // its characters instead.
        std::wstring typed;
        wchar_t buffer[256];
        for (;;) {
            DWORD n = 0;
            if (!::ReadConsoleW(input, buffer, static_cast<DWORD>(std::size(buffer)), &n, nullptr) || n == 0)
                return false;
            typed.append(buffer, n);
            if (typed.back() == L'\n')
                break;
        }
        // Ctrl-Z at the start of a line is the console's end of input.
        if (typed[0] == L'\x1A')
            return false;
        while (!typed.empty() && (typed.back() == L'\n' || typed.back() == L'\r'))
            typed.pop_back();
        line = win32::narrow(typed);
        return true;
    }

private:
    UINT m_savedOutputCodePage = 0;
};

}  // namespace

CTerminal& systemTerminal()
{
    static CConsoleTerminal terminal;
    return terminal;
}

std::vector<std::string> systemArguments(int argc, char** argv)
{
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide)
        return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> args;
    for (int i = 0; i < count; ++i)
        args.push_back(win32::narrow(wide[i]));
    ::LocalFree(wide);
    return args;
}
