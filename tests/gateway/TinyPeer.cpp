#include "TinyPeer.h"

#include "TestSupport.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

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
    m_listener = testsupport::listenOn(address, port, backlog);
    return m_listener >= 0;
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
    return testsupport::sendAll(m_client, bytes);
}

std::vector<uint8_t> TinyPeer::read(size_t n, std::chrono::milliseconds timeout)
{
    std::vector<uint8_t> out(n);
    out.resize(testsupport::readUpTo(m_client, out.data(), n, static_cast<int>(timeout.count())));
    return out;
}

void TinyPeer::closeClient()
{
    closeFd(m_client);
}

void TinyPeer::resetClient()
{
    if (m_client >= 0) {
        const linger abort{1, 0};
        ::setsockopt(m_client, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    }
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
    const sockaddr_in a = testsupport::ipv4Address(address, port);
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
