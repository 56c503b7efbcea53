// Child processes over CreateProcessW, an anonymous pipe and a job object; stop requests over
// the console's control handler.
#include "platform/ChildProcess.h"

#include "platform/win32/Wide.h"

#include <windows.h>

#include <atomic>
#include <mutex>

namespace {

// One argument as the C runtime of the child splits its command line again.
void appendQuoted(std::wstring& line, const std::wstring& arg)
{
    if (!line.empty())
        line += L' ';
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += arg;
        return;
    }
    line += L'"';
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote escaped.
        line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(2 * backslashes, L'\\');
    line += L'"';
}

std::string systemMessage(DWORD error)
{
    wchar_t* text = nullptr;
    ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = text ? win32::narrow(text) : "error " + std::to_string(error);
    ::LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message;
}

// Handles made inheritable for one child must not reach a child started at the same time.
std::mutex g_startMutex;

}  // namespace

struct CChildProcess::Impl {
    HANDLE process = nullptr;
    HANDLE job = nullptr;
    HANDLE readEnd = nullptr;
    std::mutex mutex;
    bool reaped = false;
};

CChildProcess::CChildProcess() : m_impl(std::make_unique<Impl>()) {}

CChildProcess::~CChildProcess()
{
    if (m_impl->process && !m_impl->reaped) {
        kill();
        wait();
    }
    if (m_impl->readEnd)
        ::CloseHandle(m_impl->readEnd);
    if (m_impl->job)
        ::CloseHandle(m_impl->job);
}

std::string CChildProcess::start(const std::string& program, const std::vector<std::string>& args)
{
    std::wstring wideProgram;
    if (!win32::widen(program, wideProgram))
        return "the program's path is no UTF-8: " + program;
    std::wstring line;
    appendQuoted(line, wideProgram);
    for (const std::string& arg : args) {
        std::wstring wide;
        if (!win32::widen(arg, wide))
            return "an argument is no UTF-8: " + arg;
        appendQuoted(line, wide);
    }

    // The job ends the child and whatever it starts, also when this process goes.
    HANDLE job = ::CreateJobObjectW(nullptr, nullptr);
    if (!job)
        return "no job object: " + systemMessage(::GetLastError());
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);

    std::lock_guard<std::mutex> lock(g_startMutex);
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(job);
        return "no pipe: " + systemMessage(error);
    }
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    HANDLE nul = ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                               nullptr);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION info{};
    // A group of its own: the console's Ctrl-C reaches the parent, which ends the child.
    const DWORD flags = CREATE_SUSPENDED | CREATE_NEW_PROCESS_GROUP | CREATE_UNICODE_ENVIRONMENT;
    const BOOL created = ::CreateProcessW(wideProgram.c_str(), line.data(), nullptr, nullptr, TRUE, flags, nullptr,
                                          nullptr, &startup, &info);
    const DWORD createError = ::GetLastError();
    ::CloseHandle(writeEnd);
    if (nul != INVALID_HANDLE_VALUE)
        ::CloseHandle(nul);
    if (!created) {
        ::CloseHandle(readEnd);
        ::CloseHandle(job);
        return "cannot start " + program + ": " + systemMessage(createError);
    }
    ::AssignProcessToJobObject(job, info.hProcess);
    ::ResumeThread(info.hThread);
    ::CloseHandle(info.hThread);
    m_impl->process = info.hProcess;
    m_impl->job = job;
    m_impl->readEnd = readEnd;
    return std::string();
}

long CChildProcess::read(char* buffer, size_t size)
{
    DWORD got = 0;
    const DWORD wanted = size > 0x10000 ? 0x10000 : static_cast<DWORD>(size);
    if (::ReadFile(m_impl->readEnd, buffer, wanted, &got, nullptr))
        return static_cast<long>(got);
    return ::GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
}

CChildProcess::Exit CChildProcess::wait()
{
    Exit exit;
    if (!m_impl->process || m_impl->reaped)
        return exit;
    ::WaitForSingleObject(m_impl->process, INFINITE);
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->reaped = true;
    DWORD code = 0;
    if (::GetExitCodeProcess(m_impl->process, &code)) {
        exit.exited = true;
        exit.code = static_cast<int>(code);
        // An exception that ended the program (0xC0000005 and the like).
        if ((code & 0xC0000000u) == 0xC0000000u) {
            exit.exited = false;
            exit.signalled = true;
            exit.signal = static_cast<int>(code);
        }
    }
    FILETIME created, ended, kernel, user;
    if (::GetProcessTimes(m_impl->process, &created, &ended, &kernel, &user)) {
        auto seconds = [](const FILETIME& t) {
            return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
        };
        exit.cpuSeconds = seconds(kernel) + seconds(user);
    }
    ::CloseHandle(m_impl->process);
    m_impl->process = nullptr;
    return exit;
}

void CChildProcess::terminate()
{
    kill();
}

void CChildProcess::kill()
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    if (m_impl->job && !m_impl->reaped)
        ::TerminateJobObject(m_impl->job, 1);
}

long CChildProcess::id() const
{
    return m_impl->process ? static_cast<long>(::GetProcessId(m_impl->process)) : -1;
}

// ---------------------------------------------------------------- stop requests

namespace {

std::atomic<bool> g_stopRequested{false};

BOOL WINAPI onConsoleEvent(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
        g_stopRequested = true;
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

CStopRequests::CStopRequests()
{
    g_stopRequested = false;
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

CStopRequests::~CStopRequests()
{
    ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
}

bool CStopRequests::requested() const
{
    return g_stopRequested.load();
}
