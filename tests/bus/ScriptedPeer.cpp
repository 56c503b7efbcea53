#include "ScriptedPeer.h"

#include "TestSupport.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

ScriptedPeer::ScriptedPeer(const std::string& address, uint16_t port, Script script) : m_script(std::move(script))
{
    m_listen = testsupport::listenOn(address, port, 4);
    if (m_listen < 0)
        return;
    m_thread = std::thread([this] {
        pollfd p{m_listen, POLLIN, 0};
        if (::poll(&p, 1, 10000) <= 0)
            return;
        m_conn = ::accept(m_listen, nullptr, nullptr);
        if (m_conn < 0)
            return;
        const int nodelay = 1;
        ::setsockopt(m_conn, IPPROTO_TCP, TCP_NODELAY, &nodelay, sizeof nodelay);
        m_script(*this);
    });
}

ScriptedPeer::~ScriptedPeer()
{
    if (m_thread.joinable())
        m_thread.join();
    closeConnection();
    if (m_listen >= 0)
        ::close(m_listen);
}

std::vector<uint8_t> ScriptedPeer::readMessage()
{
    return testsupport::readBusMessage(m_conn, 10000);
}

void ScriptedPeer::write(const std::vector<uint8_t>& bytes)
{
    testsupport::sendAll(m_conn, bytes);
}

void ScriptedPeer::closeConnection()
{
    if (m_conn >= 0) {
        ::close(m_conn);
        m_conn = -1;
    }
}
