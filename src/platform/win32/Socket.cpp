// Sockets over Winsock 2: non-blocking sockets waited on with select. Winsock's own error
// numbers are the socket codes, so nothing is mapped.
#include "platform/Socket.h"

#include "platform/SocketError.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <algorithm>
#include <climits>

namespace sock {

namespace {

// Winsock is started once per process and left running until it ends.
int startWinsock()
{
    static const int result = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data);
    }();
    return result;
}

sockaddr_in toSockaddr(const Endpoint& endpoint)
{
    sockaddr_in out{};
    out.sin_family = AF_INET;
    out.sin_port = htons(endpoint.port);
    out.sin_addr.s_addr = htonl(endpoint.address);
    return out;
}

SOCKET native(std::intptr_t handle)
{
    return static_cast<SOCKET>(handle);
}

// select's time-out in whole milliseconds, rounded up: Windows waits in ticks of at least
// that, and a wait rounded down to 0 would come back at once and spin until the deadline.
timeval toTimeval(std::chrono::nanoseconds left)
{
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(left + milliseconds(1) - nanoseconds(1)).count();
    timeval tv;
    tv.tv_sec = static_cast<long>(ms / 1000);
    tv.tv_usec = static_cast<long>((ms % 1000) * 1000);
    return tv;
}

}  // namespace

int resolveIPv4(const std::string& address, uint16_t port, Endpoint& out)
{
    out = Endpoint{0, port};
    if (address.empty())
        return SOCK_HOST_NOT_FOUND;
    if (const int error = startWinsock())
        return error;
    // A dotted address needs no lookup.
    in_addr parsed{};
    if (::inet_pton(AF_INET, address.c_str(), &parsed) == 1) {
        out.address = ntohl(parsed.s_addr);
        return 0;
    }

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    // getaddrinfo answers a Winsock number itself (11001 host not found, 11002 try again, ...).
    if (const int rc = ::getaddrinfo(address.c_str(), nullptr, &hints, &result))
        return rc;
    int code = SOCK_HOST_NOT_FOUND;
    for (addrinfo* ai = result; ai; ai = ai->ai_next) {
        if (ai->ai_family == AF_INET && ai->ai_addrlen >= sizeof(sockaddr_in)) {
            out.address = ntohl(reinterpret_cast<const sockaddr_in*>(ai->ai_addr)->sin_addr.s_addr);
            code = 0;
            break;
        }
    }
    ::freeaddrinfo(result);
    return code;
}

Socket Socket::openStream(int* error)
{
    auto failed = [error](int code) {
        if (error)
            *error = code;
        return Socket();
    };
    if (const int rc = startWinsock())
        return failed(rc);
    SOCKET s = ::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET && ::WSAGetLastError() == WSAEINVAL) {
        // Systems before Windows 7 SP1 lack the flag: clear inheritance afterwards.
        s = ::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, 0);
        if (s != INVALID_SOCKET)
            ::SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    }
    if (s == INVALID_SOCKET)
        return failed(::WSAGetLastError());
    u_long nonBlocking = 1;
    if (::ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        const int code = ::WSAGetLastError();
        ::closesocket(s);
        return failed(code);
    }
    return Socket(static_cast<Handle>(s));
}

void Socket::close()
{
    if (isOpen())
        ::closesocket(native(m_handle));
    m_handle = kInvalid;
}

int Socket::startConnect(const Endpoint& endpoint)
{
    if (!isOpen())
        return SOCK_NOT_SOCKET;
    const sockaddr_in address = toSockaddr(endpoint);
    if (::connect(native(m_handle), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return 0;
    return ::WSAGetLastError();  // WSAEWOULDBLOCK (10035) while it goes on
}

int Socket::takePendingError()
{
    if (!isOpen())
        return SOCK_NOT_SOCKET;
    int value = 0;
    int size = sizeof value;
    if (::getsockopt(native(m_handle), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&value), &size) != 0)
        return ::WSAGetLastError();
    return value;
}

short Socket::waitFor(short events, std::chrono::nanoseconds timeout, int* error) const
{
    if (error)
        *error = 0;
    if (!isOpen())
        return 0;
    const SOCKET s = native(m_handle);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        // A failed connect shows in the except set only, so that set is always watched.
        fd_set readSet, writeSet, exceptSet;
        FD_ZERO(&readSet);
        FD_ZERO(&writeSet);
        FD_ZERO(&exceptSet);
        if (events & Readable)
            FD_SET(s, &readSet);
        if (events & Writable)
            FD_SET(s, &writeSet);
        FD_SET(s, &exceptSet);
        const auto left = std::max<std::chrono::nanoseconds>(deadline - std::chrono::steady_clock::now(),
                                                             std::chrono::nanoseconds::zero());
        timeval tv = toTimeval(left);
        const int rc = ::select(0, &readSet, &writeSet, &exceptSet, &tv);
        if (rc > 0) {
            short seen = 0;
            if (FD_ISSET(s, &readSet))
                seen |= Readable;
            if (FD_ISSET(s, &writeSet))
                seen |= Writable;
            if (FD_ISSET(s, &exceptSet))
                seen |= Failed;
            return seen;
        }
        if (rc == SOCKET_ERROR) {
            if (error)
                *error = ::WSAGetLastError();
            return Failed;
        }
        // Windows may end a wait a little before the time asked for; wait out the rest.
        if (std::chrono::steady_clock::now() >= deadline)
            return 0;
    }
}

long Socket::receive(uint8_t* buffer, size_t length, int* error)
{
    if (!isOpen()) {
        if (error)
            *error = SOCK_NOT_SOCKET;
        return -1;
    }
    const int n = ::recv(native(m_handle), reinterpret_cast<char*>(buffer),
                         static_cast<int>(std::min<size_t>(length, INT_MAX)), 0);
    if (n == SOCKET_ERROR) {
        if (error)
            *error = ::WSAGetLastError();
        return -1;
    }
    return n;
}

long Socket::send(const uint8_t* data, size_t length, int* error)
{
    if (!isOpen()) {
        if (error)
            *error = SOCK_NOT_SOCKET;
        return -1;
    }
    // Winsock raises no signal on a broken connection: nothing to suppress.
    const int n = ::send(native(m_handle), reinterpret_cast<const char*>(data),
                         static_cast<int>(std::min<size_t>(length, INT_MAX)), 0);
    if (n == SOCKET_ERROR) {
        if (error)
            *error = ::WSAGetLastError();
        return -1;
    }
    return n;
}

bool Socket::peerClosed(int* error) const
{
    if (error)
        *error = 0;
    if (!isOpen())
        return false;
    // One peek on the non-blocking socket tells it all: 0 at the end of the stream, a failure
    // other than would block for a reset. Every Winsock call is a trip into the system (under
    // Wine, to its server), so there is no select first.
    char byte;
    const int n = ::recv(native(m_handle), &byte, 1, MSG_PEEK);
    if (n == SOCKET_ERROR) {
        const int code = ::WSAGetLastError();
        if (code == WSAEWOULDBLOCK)
            return false;
        if (error)
            *error = code;
        return true;
    }
    return n == 0;
}

}  // namespace sock
