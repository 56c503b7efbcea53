#include "Portable.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <climits>
#include <thread>

namespace portable {

namespace {

sockaddr_in ipv4(const std::string& ip, uint16_t port, bool* ok)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    *ok = ::inet_pton(AF_INET, ip.c_str(), &sa.sin_addr) == 1;
    return sa;
}

#ifdef _WIN32
SOCKET native(Socket s)
{
    return static_cast<SOCKET>(s);
}

Socket openStream(bool nonBlocking)
{
    if (!startSockets())
        return kNoSocket;
    const SOCKET s = ::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET)
        return kNoSocket;
    u_long on = nonBlocking ? 1 : 0;
    ::ioctlsocket(s, FIONBIO, &on);
    return static_cast<Socket>(s);
}

int closeNative(Socket s)
{
    return ::closesocket(native(s));
}
#else
int native(Socket s)
{
    return static_cast<int>(s);
}

Socket openStream(bool nonBlocking)
{
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | (nonBlocking ? SOCK_NONBLOCK : 0), 0);
    return s < 0 ? kNoSocket : s;
}

int closeNative(Socket s)
{
    return ::close(native(s));
}
#endif

}  // namespace

#ifdef _WIN32
bool startSockets()
{
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

std::string lastSocketError()
{
    const int code = ::WSAGetLastError();
    char* text = nullptr;
    ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = text ? text : "";
    if (text)
        ::LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return (message.empty() ? "socket error" : message) + " (" + std::to_string(code) + ")";
}

bool lastSocketErrorIsTransient()
{
    const int code = ::WSAGetLastError();
    return code == WSAEWOULDBLOCK || code == WSAEINTR;
}

bool lastSocketErrorIsAbortedConnection()
{
    return ::WSAGetLastError() == WSAECONNRESET;
}
#else
bool startSockets()
{
    return true;
}

std::string lastSocketError()
{
    return std::strerror(errno);
}

bool lastSocketErrorIsTransient()
{
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
}

bool lastSocketErrorIsAbortedConnection()
{
    return errno == ECONNABORTED;
}
#endif

Socket listenOn(const std::string& ip, uint16_t port, int backlog, bool nonBlocking, std::string* error)
{
    auto fail = [&](Socket s) {
        if (error)
            *error = lastSocketError();
        if (s != kNoSocket)
            closeNative(s);
        return kNoSocket;
    };
    bool ok = false;
    const sockaddr_in sa = ipv4(ip, port, &ok);
    if (!ok) {
        if (error)
            *error = "not an IPv4 address: " + ip;
        return kNoSocket;
    }
    const Socket s = openStream(nonBlocking);
    if (s == kNoSocket)
        return fail(s);
    // A new listener while connections of the last one linger (on Wine, Linux's rule holds).
    const int one = 1;
    ::setsockopt(native(s), SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&one), sizeof one);
    if (::bind(native(s), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0 || ::listen(native(s), backlog) != 0)
        return fail(s);
    return s;
}

Socket acceptFrom(Socket listener, bool nonBlocking)
{
#ifdef _WIN32
    const SOCKET s = ::accept(native(listener), nullptr, nullptr);
    if (s == INVALID_SOCKET)
        return kNoSocket;
    ::SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    // An accepted socket inherits the listener's mode; set the one asked for.
    u_long on = nonBlocking ? 1 : 0;
    ::ioctlsocket(s, FIONBIO, &on);
    return static_cast<Socket>(s);
#else
    const int s = ::accept4(native(listener), nullptr, nullptr, SOCK_CLOEXEC | (nonBlocking ? SOCK_NONBLOCK : 0));
    return s < 0 ? kNoSocket : s;
#endif
}

Socket connectTo(const std::string& ip, uint16_t port)
{
    bool ok = false;
    const sockaddr_in sa = ipv4(ip, port, &ok);
    Socket s = ok ? openStream(false) : kNoSocket;
    if (s == kNoSocket)
        return kNoSocket;
    if (::connect(native(s), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0)
        closeSocket(s);
    return s;
}

Socket startConnect(const std::string& ip, uint16_t port, bool* pending)
{
    *pending = false;
    bool ok = false;
    const sockaddr_in sa = ipv4(ip, port, &ok);
    Socket s = ok ? openStream(true) : kNoSocket;
    if (s == kNoSocket)
        return kNoSocket;
    if (::connect(native(s), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0)
        return s;
#ifdef _WIN32
    *pending = ::WSAGetLastError() == WSAEWOULDBLOCK;
#else
    *pending = errno == EINPROGRESS;
#endif
    if (!*pending)
        closeSocket(s);
    return s;
}

void closeSocket(Socket& socket)
{
    if (socket != kNoSocket)
        closeNative(socket);
    socket = kNoSocket;
}

void resetSocket(Socket& socket)
{
    if (socket != kNoSocket) {
        linger abort{};
        abort.l_onoff = 1;
        abort.l_linger = 0;
        ::setsockopt(native(socket), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof abort);
    }
    closeSocket(socket);
}

void setNoDelay(Socket socket)
{
    const int one = 1;
    ::setsockopt(native(socket), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
}

long sendSome(Socket socket, const void* data, size_t size)
{
    const int n = static_cast<int>(std::min<size_t>(size, INT_MAX));
#ifdef _WIN32
    return ::send(native(socket), static_cast<const char*>(data), n, 0);
#else
    return static_cast<long>(::send(native(socket), data, static_cast<size_t>(n), MSG_NOSIGNAL));
#endif
}

long receiveSome(Socket socket, void* buffer, size_t size)
{
    const int n = static_cast<int>(std::min<size_t>(size, INT_MAX));
#ifdef _WIN32
    return ::recv(native(socket), static_cast<char*>(buffer), n, 0);
#else
    return static_cast<long>(::recv(native(socket), buffer, static_cast<size_t>(n), 0));
#endif
}

WakeUp::~WakeUp()
{
    close();
}

#ifdef _WIN32
// Windows cannot wait on a pipe and a socket together: a datagram to a loopback socket of our
// own stands in for the byte written to a pipe.
bool WakeUp::open(std::string* error)
{
    auto fail = [&] {
        if (error)
            *error = "wake-up socket: " + lastSocketError();
        close();
        return false;
    };
    if (!startSockets())
        return fail();
    m_read = static_cast<Socket>(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    m_write = static_cast<Socket>(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (native(m_read) == INVALID_SOCKET || native(m_write) == INVALID_SOCKET)
        return fail();
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof sa;
    if (::bind(native(m_read), reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 ||
        ::getsockname(native(m_read), reinterpret_cast<sockaddr*>(&sa), &size) != 0 ||
        ::connect(native(m_write), reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0)
        return fail();
    return true;
}

void WakeUp::signal()
{
    if (m_write != kNoSocket) {
        const char byte = 1;
        ::send(native(m_write), &byte, 1, 0);
    }
}
#else
bool WakeUp::open(std::string* error)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        if (error)
            *error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    m_read = fds[0];
    m_write = fds[1];
    return true;
}

void WakeUp::signal()
{
    if (m_write != kNoSocket) {
        const uint8_t byte = 1;
        [[maybe_unused]] ssize_t r = ::write(native(m_write), &byte, 1);
    }
}
#endif

void WakeUp::close()
{
#ifdef _WIN32
    for (Socket* s : {&m_read, &m_write})
        closeSocket(*s);
#else
    for (Socket* s : {&m_read, &m_write}) {
        if (*s != kNoSocket)
            ::close(native(*s));
        *s = kNoSocket;
    }
#endif
}

int waitFor(Socket socket, short events, std::chrono::nanoseconds timeout, const WakeUp* wake)
{
    using namespace std::chrono;
    const bool forever = timeout < nanoseconds::zero();
    const auto deadline = steady_clock::now() + (forever ? nanoseconds::zero() : timeout);
    const Socket wakeSocket = wake ? wake->m_read : kNoSocket;
    for (;;) {
        nanoseconds left = forever ? nanoseconds(-1) : std::max<nanoseconds>(deadline - steady_clock::now(), nanoseconds::zero());
#ifdef _WIN32
        fd_set readSet, writeSet, exceptSet;
        FD_ZERO(&readSet);
        FD_ZERO(&writeSet);
        FD_ZERO(&exceptSet);
        if (socket != kNoSocket) {
            if (events & Readable)
                FD_SET(native(socket), &readSet);
            if (events & Writable)
                FD_SET(native(socket), &writeSet);
            FD_SET(native(socket), &exceptSet);
        }
        if (wakeSocket != kNoSocket)
            FD_SET(native(wakeSocket), &readSet);
        if (socket == kNoSocket && wakeSocket == kNoSocket) {
            // select takes no empty sets.
            if (forever)
                return -1;
            std::this_thread::sleep_for(left);
            return 0;
        }
        // Whole milliseconds rounded up, so a short rest never turns into a busy loop.
        timeval tv{};
        const auto ms = duration_cast<milliseconds>(left + milliseconds(1) - nanoseconds(1)).count();
        tv.tv_sec = static_cast<long>(ms / 1000);
        tv.tv_usec = static_cast<long>((ms % 1000) * 1000);
        const int r = ::select(0, &readSet, &writeSet, &exceptSet, forever ? nullptr : &tv);
        if (r < 0)
            return -1;
        if (r > 0) {
            if (wakeSocket != kNoSocket && FD_ISSET(native(wakeSocket), &readSet))
                return -1;
            return 1;
        }
#else
        pollfd fds[2] = {{native(socket), 0, 0}, {native(wakeSocket), POLLIN, 0}};
        if (events & Readable)
            fds[0].events |= POLLIN;
        if (events & Writable)
            fds[0].events |= POLLOUT;
        timespec ts{};
        const auto ns = left.count();
        ts.tv_sec = static_cast<time_t>(ns / 1000000000);
        ts.tv_nsec = static_cast<long>(ns % 1000000000);
        // A negative descriptor is skipped by poll.
        const int r = ::ppoll(fds, 2, forever ? nullptr : &ts, nullptr);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 || (fds[1].revents & POLLIN))
            return -1;
        if (r > 0)
            return 1;
#endif
        if (forever || steady_clock::now() >= deadline)
            return 0;
    }
}

void setEnvironment(const char* name, const char* value)
{
#ifdef _WIN32
    ::_putenv_s(name, value ? value : "");
#else
    if (value)
        ::setenv(name, value, 1);
    else
        ::unsetenv(name);
#endif
}

#ifdef _WIN32
namespace {
std::mutex gStopMutex;
std::condition_variable gStopped;
bool gStopRequested = false;

BOOL WINAPI onConsoleEvent(DWORD)
{
    {
        std::lock_guard<std::mutex> lock(gStopMutex);
        gStopRequested = true;
    }
    gStopped.notify_all();
    return TRUE;
}
}  // namespace

void blockStopSignals()
{
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

void waitForStopSignal()
{
    std::unique_lock<std::mutex> lock(gStopMutex);
    gStopped.wait(lock, [] { return gStopRequested; });
}
#else
namespace {
sigset_t stopSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}
}  // namespace

void blockStopSignals()
{
    // Signals are taken by sigwait; threads started later inherit the blocked mask. A shell
    // starts background jobs with SIGINT ignored, and an ignored signal never reaches sigwait.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    const sigset_t signals = stopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

void waitForStopSignal()
{
    const sigset_t signals = stopSignals();
    int sig = 0;
    sigwait(&signals, &sig);
}
#endif

}  // namespace portable
