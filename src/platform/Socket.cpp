#include "platform/Socket.h"

#include "platform/SocketError.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sock {

int openStream(int* error)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0 && error)
        *error = socketErrorFromErrno(errno);
    return fd;
}

int resolveIPv4(const std::string& address, uint16_t port, sockaddr_in& out)
{
    std::memset(&out, 0, sizeof out);
    out.sin_family = AF_INET;
    out.sin_port = htons(port);
    if (address.empty())
        return SOCK_HOST_NOT_FOUND;
    // A dotted address needs no lookup.
    if (::inet_pton(AF_INET, address.c_str(), &out.sin_addr) == 1)
        return 0;

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
            out.sin_addr = reinterpret_cast<const sockaddr_in*>(ai->ai_addr)->sin_addr;
            code = 0;
            break;
        }
    }
    ::freeaddrinfo(result);
    return code;
}

int startConnect(int fd, const sockaddr_in& address)
{
    int rc;
    do {
        rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (rc < 0 && errno == EINTR);
    return rc == 0 ? 0 : socketErrorFromErrno(errno);
}

int takePendingError(int fd)
{
    int value = 0;
    socklen_t size = sizeof value;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &value, &size) < 0)
        return socketErrorFromErrno(errno);
    return socketErrorFromErrno(value);
}

short waitFor(int fd, short events, std::chrono::nanoseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        auto left = deadline - std::chrono::steady_clock::now();
        if (left < std::chrono::steady_clock::duration::zero())
            left = std::chrono::steady_clock::duration::zero();
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
        pollfd p{fd, events, 0};
        const int rc = ::ppoll(&p, 1, &ts, nullptr);
        if (rc > 0)
            return p.revents;
        if (rc == 0 || errno != EINTR)
            return 0;
    }
}

long receive(int fd, uint8_t* buffer, size_t length, int* error)
{
    ssize_t n;
    do {
        n = ::recv(fd, buffer, length, MSG_DONTWAIT);
    } while (n < 0 && errno == EINTR);
    if (n < 0 && error)
        *error = socketErrorFromErrno(errno);
    return static_cast<long>(n);
}

long send(int fd, const uint8_t* data, size_t length, int* error)
{
    ssize_t n;
    do {
        n = ::send(fd, data, length, MSG_DONTWAIT | MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    if (n < 0 && error)
        *error = socketErrorFromErrno(errno);
    return static_cast<long>(n);
}

bool peerClosed(int fd)
{
    pollfd p{fd, static_cast<short>(POLLIN | POLLRDHUP), 0};
    if (::poll(&p, 1, 0) <= 0)
        return false;
    // A pending error is left for the next receive, which reports it with its own code.
    if (p.revents & POLLERR)
        return false;
    uint8_t byte;
    ssize_t n;
    do {
        n = ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    } while (n < 0 && errno == EINTR);
    return n == 0;
}

void close(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

}  // namespace sock
