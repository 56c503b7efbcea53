#include "ScriptedPeer.h"

#include "TestSupport.h"

ScriptedPeer::ScriptedPeer(const std::string& address, uint16_t port, Script script) : m_script(std::move(script))
{
    m_listen = testsupport::listenOn(address, port, 4);
    if (m_listen == testsupport::kNoSocket)
        return;
    m_thread = std::thread([this] {
        if (!testsupport::waitReadable(m_listen, 10000))
            return;
        m_conn = portable::acceptFrom(m_listen, false);
        if (m_conn == testsupport::kNoSocket)
            return;
        portable::setNoDelay(m_conn);
        m_script(*this);
    });
}

ScriptedPeer::~ScriptedPeer()
{
    if (m_thread.joinable())
        m_thread.join();
    closeConnection();
    portable::closeSocket(m_listen);
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
    portable::closeSocket(m_conn);
}
