// The Windows console: the console mode of standard input for the echo, characters written
// with WriteConsoleW where standard output or error is a console, the console's own characters
// for what is typed, and the wide command line.
#include "cli/Terminal.h"

#include "platform/win32/Wide.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <iostream>
#include <memory>
#include <streambuf>
#include <string>

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

namespace {

HANDLE g_input = INVALID_HANDLE_VALUE;
DWORD g_savedMode = 0;
std::atomic<bool> g_echoOff{false};
std::atomic<bool> g_progressLine{false};

HANDLE g_errorConsole = INVALID_HANDLE_VALUE;
DWORD g_savedErrorMode = 0;
std::atomic<bool> g_escapesOn{false};
// Whether the error console moves the cursor on escape sequences (by itself or by our mode).
std::atomic<bool> g_errorEscapes{false};

void restoreEcho()
{
    if (g_echoOff.exchange(false))
        ::SetConsoleMode(g_input, g_savedMode);
}

void restoreErrorMode()
{
    if (g_escapesOn.exchange(false))
        ::SetConsoleMode(g_errorConsole, g_savedErrorMode);
}

// Ctrl-C or a closed window must not leave the console without echo or in a mode of ours.
// FALSE: the next handler, the system's, then ends the program as usual.
BOOL WINAPI onConsoleEvent(DWORD)
{
    restoreEcho();
    // Nor leave the progress line behind.
    if (g_progressLine) {
        static const char erase[] = "\r\033[K";
        static const std::string blank = "\r" + std::string(79, ' ') + "\r";
        DWORD written = 0;
        if (g_errorEscapes)
            ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), erase, sizeof erase - 1, &written, nullptr);
        else
            ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), blank.data(), static_cast<DWORD>(blank.size()), &written, nullptr);
    }
    restoreErrorMode();
    return FALSE;
}

bool isConsole(HANDLE h, DWORD* mode = nullptr)
{
    DWORD ignored = 0;
    return h != INVALID_HANDLE_VALUE && h != nullptr && ::GetConsoleMode(h, mode ? mode : &ignored) != 0;
}

void writeToConsole(HANDLE console, const wchar_t* text, size_t length)
{
    while (length > 0) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(length, 16 * 1024));
        if (!::WriteConsoleW(console, text, chunk, &written, nullptr) || written == 0)
            return;
        text += written;
        length -= written;
    }
}

// Straight to the console's screen, as a terminal echoes: standard error may be a file.
void showOnConsole(const wchar_t* text)
{
    const HANDLE out = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return;
    writeToConsole(out, text, wcslen(text));
    ::CloseHandle(out);
}

// A stream's UTF-8 bytes shown on a console as the characters they are. The console's code
// page stays as it is (a Ctrl-C could not put it back), and WriteConsoleW counts characters,
// where WriteFile on some consoles answers a count that makes callers write a tail twice.
class CConsoleBuffer : public std::streambuf
{
public:
    explicit CConsoleBuffer(HANDLE console) : m_console(console) { setp(m_buffer, m_buffer + sizeof m_buffer); }
    ~CConsoleBuffer() override { sync(); }

protected:
    int_type overflow(int_type c) override
    {
        writeOut(false);
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
        return c;
    }

    int sync() override
    {
        writeOut(true);
        return 0;
    }

private:
    // Writes what is buffered up to the last whole character; a character cut by the end of
    // the buffer waits for its rest unless everything must go.
    void writeOut(bool all)
    {
        const char* begin = pbase();
        const char* end = pptr();
        const char* cut = end;
        if (!all) {
            const char* lead = end;
            while (lead > begin && end - lead < 4 && (static_cast<unsigned char>(lead[-1]) & 0xC0) == 0x80)
                --lead;
            if (lead > begin) {
                const unsigned char first = static_cast<unsigned char>(lead[-1]);
                const ptrdiff_t need = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
                if (end - (lead - 1) < need)
                    cut = lead - 1;
            }
        }
        if (cut > begin) {
            const int n = static_cast<int>(cut - begin);
            const int wide = ::MultiByteToWideChar(CP_UTF8, 0, begin, n, nullptr, 0);
            if (wide > 0) {
                std::wstring text(static_cast<size_t>(wide), L'\0');
                ::MultiByteToWideChar(CP_UTF8, 0, begin, n, text.data(), wide);
                writeToConsole(m_console, text.data(), text.size());
            }
        }
        // The cut character's first bytes move to the front.
        const ptrdiff_t kept = end - cut;
        std::memmove(m_buffer, cut, static_cast<size_t>(kept));
        setp(m_buffer, m_buffer + sizeof m_buffer);
        pbump(static_cast<int>(kept));
    }

    HANDLE m_console;
    char m_buffer[1024];
};

class CConsoleTerminal : public CTerminal
{
public:
    CConsoleTerminal()
    {
        attach(std::cout, STD_OUTPUT_HANDLE, m_outBuffer, m_savedOut);
        attach(std::cerr, STD_ERROR_HANDLE, m_errBuffer, m_savedErr);

        const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
        DWORD mode = 0;
        m_errorIsConsole = isConsole(err, &mode);
        if (m_errorIsConsole) {
            // Escape sequences where the console has them (Windows 10 on); older consoles
            // refuse the mode and get a line rubbed out with spaces.
            g_errorConsole = err;
            g_savedErrorMode = mode;
            if (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING)
                m_escapes = true;
            else if (::SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING))
                m_escapes = g_escapesOn = true;
            g_errorEscapes = m_escapes;
        }
        ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    }
    ~CConsoleTerminal() override
    {
        restoreEcho();
        restoreErrorMode();
        ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
        // The streams outlive this object: they get their own buffers back.
        detach(std::cout, m_outBuffer, m_savedOut);
        detach(std::cerr, m_errBuffer, m_savedErr);
    }

    bool isInteractive() override { return isConsole(::GetStdHandle(STD_INPUT_HANDLE)); }

    bool errorIsTerminal() override { return m_errorIsConsole; }

    int errorColumns() override
    {
        CONSOLE_SCREEN_BUFFER_INFO info;
        if (!::GetConsoleScreenBufferInfo(::GetStdHandle(STD_ERROR_HANDLE), &info))
            return 0;
        return info.srWindow.Right - info.srWindow.Left + 1;
    }

    // Forced on a file or a pipe (--progress), the line is written as on Linux.
    bool errorTakesEscapes() override { return !m_errorIsConsole || m_escapes; }

    void echoOff() override
    {
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
        // The Enter that ended the line was not echoed either; a POSIX terminal shows it.
        if (wasOff)
            showOnConsole(L"\r\n");
    }

    void guardProgressLine(bool on) override
    {
        // The console handler stands for the terminal's whole life; this only tells it the line is up.
        g_progressLine = on;
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
    // A redirected stream keeps its buffer and writes UTF-8 bytes.
    static void attach(std::ostream& stream, DWORD which, std::unique_ptr<CConsoleBuffer>& buffer,
                       std::streambuf*& saved)
    {
        const HANDLE h = ::GetStdHandle(which);
        if (!isConsole(h))
            return;
        stream.flush();
        buffer = std::make_unique<CConsoleBuffer>(h);
        saved = stream.rdbuf(buffer.get());
    }
    static void detach(std::ostream& stream, std::unique_ptr<CConsoleBuffer>& buffer, std::streambuf* saved)
    {
        if (!buffer)
            return;
        stream.flush();
        stream.rdbuf(saved);
        buffer.reset();
    }

    std::unique_ptr<CConsoleBuffer> m_outBuffer;
    std::unique_ptr<CConsoleBuffer> m_errBuffer;
    std::streambuf* m_savedOut = nullptr;
    std::streambuf* m_savedErr = nullptr;
    bool m_errorIsConsole = false;
    bool m_escapes = false;
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
