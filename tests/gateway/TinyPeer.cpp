#include "TinyPeer.h"

#include "TestSupport.h"

namespace {

void closeFd(testsupport::Socket& fd)
{
    portable::closeSocket(fd);
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
    return m_listener != testsupport::kNoSocket;
}

bool TinyPeer::accept(std::chrono::milliseconds timeout)
{
    if (!testsupport::waitReadable(m_listener, static_cast<int>(timeout.count())))
        return false;
    m_client = portable::acceptFrom(m_listener, false);
    return m_client != testsupport::kNoSocket;
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
    portable::resetSocket(m_client);
}

void TinyPeer::closeListener()
{
    closeFd(m_listener);
}

BacklogFiller::~BacklogFiller()
{
    for (testsupport::Socket& fd : m_fds)
        closeFd(fd);
}

bool BacklogFiller::fill(const std::string& address, uint16_t port)
{
    for (int i = 0; i < 16; ++i) {
        bool pending = false;
        const testsupport::Socket fd = portable::startConnect(address, port, &pending);
        if (fd == testsupport::kNoSocket)
            return false;
        m_fds.push_back(fd);
        if (!pending)
            continue;
        if (portable::waitFor(fd, portable::Writable, std::chrono::milliseconds(200), nullptr) == 0)
            return true;  // this one stays pending: the queue is full
    }
    return false;
}
