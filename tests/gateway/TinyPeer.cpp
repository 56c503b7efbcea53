#include "TinyPeer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

sockaddr_in makeAddress(const std::string& address, uint16_t port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    ::inet_pton(AF_INET, address.c_str(), &a.sin_addr);
    return a;
}

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

}  // namespace

TinyPeer::~TinyPeer()
{
    closeClient();
    closeListener();
}

bool TinyPeer::listen(const std::string& address, uint16_t port, int backlog)
{
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listener < 0)
        return false;
    int one = 1;
    ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    const sockaddr_in a = makeAddress(address, port);
    if (::bind(m_listener, reinterpret_cast<const sockaddr*>(&a), sizeof a) < 0 || ::listen(m_listener, backlog) < 0) {
        closeFd(m_listener);
        return false;
    }
    return true;
}

bool TinyPeer::accept(std::chrono::milliseconds timeout)
{
    pollfd p{m_listener, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(timeout.count())) <= 0)
        return false;
    m_client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
    return m_client >= 0;
}

bool TinyPeer::send(const std::vector<uint8_t>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(m_client, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

std::vector<uint8_t> TinyPeer::read(size_t n, std::chrono::milliseconds timeout)
{
    std::vector<uint8_t> out;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (out.size() < n) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd p{m_client, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            break;
        uint8_t buffer[65536];
        const ssize_t got = ::recv(m_client, buffer, std::min(sizeof buffer, n - out.size()), 0);
        if (got <= 0)
            break;
        out.insert(out.end(), buffer, buffer + got);
    }
    return out;
}

void TinyPeer::closeClient()
{
    closeFd(m_client);
}

void TinyPeer::closeListener()
{
    closeFd(m_listener);
}

BacklogFiller::~BacklogFiller()
{
    for (int& fd : m_fds)
        closeFd(fd);
}

bool BacklogFiller::fill(const std::string& address, uint16_t port)
{
    const sockaddr_in a = makeAddress(address, port);
    for (int i = 0; i < 16; ++i) {
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return false;
        m_fds.push_back(fd);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0)
            continue;
        if (errno != EINPROGRESS)
            return false;
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, 200) == 0)
            return true;  // this one stays pending: the queue is full
    }
    return false;
}
