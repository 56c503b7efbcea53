// Sockets over POSIX: non-blocking descriptors waited on with ppoll.
#include "platform/Socket.h"

#include "platform/posix/SocketError.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sock {

namespace {

sockaddr_in toSockaddr(const Endpoint& endpoint)
{
    sockaddr_in out{};
    out.sin_family = AF_INET;
    out.sin_port = htons(endpoint.port);
    out.sin_addr.s_addr = htonl(endpoint.address);
    return out;
}

int fd(std::intptr_t handle)
{
    return static_cast<int>(handle);
}

}  // namespace

int resolveIPv4(const std::string& address, uint16_t port, Endpoint& out)
{
    out = Endpoint{0, port};
    if (address.empty())
        return SOCK_HOST_NOT_FOUND;
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
    const int rc = ::getaddrinfo(address.c_str(), nullptr, &hints, &result);
    if (rc != 0)
        return socketErrorFromAddrInfo(rc, errno);
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
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (s < 0) {
        if (error)
            *error = socketErrorFromErrno(errno);
        return Socket();
    }
    return Socket(s);
}

void Socket::close()
{
    if (isOpen())
        ::close(fd(m_handle));
    m_handle = kInvalid;
}

int Socket::startConnect(const Endpoint& endpoint)
{
    if (!isOpen())
        return SOCK_NOT_SOCKET;
    const sockaddr_in address = toSockaddr(endpoint);
    int rc;
    do {
        rc = ::connect(fd(m_handle), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (rc < 0 && errno == EINTR);
    return rc == 0 ? 0 : socketErrorFromErrno(errno);
}

int Socket::takePendingError()
{
    if (!isOpen())
        return SOCK_NOT_SOCKET;
    int value = 0;
    socklen_t size = sizeof value;
    if (::getsockopt(fd(m_handle), SOL_SOCKET, SO_ERROR, &value, &size) < 0)
        return socketErrorFromErrno(errno);
    return socketErrorFromErrno(value);
}

short Socket::waitFor(short events, std::chrono::nanoseconds timeout, int* error) const
{
    if (error)
        *error = 0;
    if (!isOpen())
        return 0;
    short wanted = 0;
    if (events & Readable)
        wanted |= POLLIN;
    if (events & Writable)
        wanted |= POLLOUT;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        auto left = deadline - std::chrono::steady_clock::now();
        if (left < std::chrono::steady_clock::duration::zero())
            left = std::chrono::steady_clock::duration::zero();
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
        pollfd p{fd(m_handle), wanted, 0};
        const int rc = ::ppoll(&p, 1, &ts, nullptr);
        if (rc > 0) {
            short seen = 0;
            if (p.revents & POLLIN)
                seen |= Readable;
            if (p.revents & POLLOUT)
                seen |= Writable;
            if (p.revents & (POLLERR | POLLHUP | POLLNVAL))
                seen |= Failed;
            return seen;
        }
        if (rc == 0)
            return 0;
        if (errno != EINTR) {
            if (error)
                *error = socketErrorFromErrno(errno);
            return Failed;
        }
    }
}

long Socket::receive(uint8_t* buffer, size_t length, int* error)
{
    if (!isOpen()) {
        if (error)
            *error = SOCK_NOT_SOCKET;
        return -1;
    }
    ssize_t n;
    do {
        n = ::recv(fd(m_handle), buffer, length, MSG_DONTWAIT);
    } while (n < 0 && errno == EINTR);
    if (n < 0 && error)
        *error = socketErrorFromErrno(errno);
    return static_cast<long>(n);
}

long Socket::send(const uint8_t* data, size_t length, int* error)
{
    if (!isOpen()) {
        if (error)
            *error = SOCK_NOT_SOCKET;
        return -1;
    }
    ssize_t n;
    do {
        n = ::send(fd(m_handle), data, length, MSG_DONTWAIT | MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    if (n < 0 && error)
        *error = socketErrorFromErrno(errno);
    return static_cast<long>(n);
}

bool Socket::peerClosed(int* error) const
{
    if (error)
        *error = 0;
    if (!isOpen())
        return false;
    pollfd p{fd(m_handle), static_cast<short>(POLLIN | POLLRDHUP), 0};
    if (::poll(&p, 1, 0) <= 0)
        return false;
    // On a connected stream socket a pending error (a reset, a retransmission time-out)
    // means the connection is gone.
    if (p.revents & POLLERR) {
        int value = 0;
        socklen_t size = sizeof value;
        if (::getsockopt(fd(m_handle), SOL_SOCKET, SO_ERROR, &value, &size) == 0 && value != 0) {
            if (error)
                *error = socketErrorFromErrno(value);
            return true;
        }
    }
    uint8_t byte;
    ssize_t n;
    do {
        n = ::recv(fd(m_handle), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    } while (n < 0 && errno == EINTR);
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
        if (error)
            *error = socketErrorFromErrno(errno);
        return true;
    }
    return n == 0;
}

}  // namespace sock
