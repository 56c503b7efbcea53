#include "ScriptedPeer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

ScriptedPeer::ScriptedPeer(const std::string& address, uint16_t port, Script script) : m_script(std::move(script))
{
    m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
    const int one = 1;
    ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    ::inet_pton(AF_INET, address.c_str(), &sa.sin_addr);
    if (::bind(m_listen, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || ::listen(m_listen, 4) != 0) {
        ::close(m_listen);
        m_listen = -1;
        return;
    }
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

std::vector<uint8_t> ScriptedPeer::readBytes(size_t n)
{
    std::vector<uint8_t> out(n);
    size_t got = 0;
    while (got < n) {
        pollfd p{m_conn, POLLIN, 0};
        if (::poll(&p, 1, 10000) <= 0)
            return {};
        const ssize_t r = ::recv(m_conn, out.data() + got, n - got, 0);
        if (r <= 0)
            return {};
        got += static_cast<size_t>(r);
    }
    return out;
}

std::vector<uint8_t> ScriptedPeer::readMessage()
{
    std::vector<uint8_t> header = readBytes(4);
    if (header.size() != 4)
        return {};
    const size_t length = header[2] | header[3] << 8;
    std::vector<uint8_t> frame = readBytes(length);
    if (frame.size() != length)
        return {};
    header.insert(header.end(), frame.begin(), frame.end());
    return header;
}

void ScriptedPeer::write(const std::vector<uint8_t>& bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t r = ::send(m_conn, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (r <= 0)
            return;
        sent += static_cast<size_t>(r);
    }
}

void ScriptedPeer::closeConnection()
{
    if (m_conn >= 0) {
        ::close(m_conn);
        m_conn = -1;
    }
}
