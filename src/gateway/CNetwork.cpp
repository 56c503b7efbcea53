#include "gateway/CNetwork.h"

#include "gateway/CErrorMessage.h"
#include "job/CTimer.h"
#include "platform/Socket.h"
#include "platform/SocketError.h"

#include <climits>

namespace {

// Failures after which a connected stream is gone for good.
bool connectionLost(int error)
{
    return error == SOCK_RESET || error == SOCK_ABORTED || error == SOCK_TIMED_OUT;
}

}  // namespace

CNetwork::CNetwork() = default;

CNetwork::~CNetwork() = default;

bool CNetwork::connect(const std::string& address, uint16_t port, uint32_t timeoutMs)
{
    if (m_state != Closed) {
        m_connectError = ERR_NOT_CLOSED;
        return false;
    }
    m_state = Connecting;

    int error = 0;
    m_socket = sock::Socket::openStream(&error);
    if (!m_socket.isOpen()) {
        m_connectError = error;
        return false;
    }

    CTimer timer;
    timer.start(timeoutMs, CTimer::Timeout);

    sock::Endpoint target;
    error = sock::resolveIPv4(address, port, target);
    if (error == 0)
        error = m_socket.startConnect(target);
    if (error == 0) {
        OnConnect(0);
        m_connectError = 0;
        return true;
    }

    // A failure other than "in progress" (an unknown host, say) leaves Connecting:
    // the caller disconnects before the next attempt.
    m_connectError = error;
    if (error != SOCK_WOULD_BLOCK)
        return false;

    while (m_state == Connecting && m_connectError == SOCK_WOULD_BLOCK) {
        if (!timer.isRunning()) {
            // A connect that completed while this thread waited for the processor (a busy
            // machine, a small time scale) was in time: look once more before giving up.
            pumpMessages();
            if (m_state != Connecting || m_connectError != SOCK_WOULD_BLOCK)
                break;
            m_state = Closed;
            m_socket.close();
            return false;
        }
        int waitError = 0;
        m_socket.waitFor(sock::Writable, timer.remaining(), &waitError);
        if (waitError) {
            // Ends like a refused connect: still Connecting, with the code.
            m_connectError = waitError;
            break;
        }
        pumpMessages();
    }
    timer.stop();

    // The connect event reported an error (refused, timed out): still Connecting.
    if (m_connectError != SOCK_WOULD_BLOCK || m_state != Connected)
        return false;
    m_connectError = 0;
    return true;
}

bool CNetwork::disconnect()
{
    if (m_state == Closed)
        return true;
    // A socket closed here gets no close event, so waiting for one would only cost time:
    // force Closed and answer false, as the wait running out would.
    m_socket.close();
    m_state = Closed;
    return false;
}

int CNetwork::receiveSome(uint8_t* buffer, size_t length, uint32_t timeoutMs)
{
    CTimer timer;
    timer.start(timeoutMs, CTimer::Timeout);
    const int n = receiveSome(buffer, length, timer);
    timer.stop();
    return n;
}

int CNetwork::receiveSome(uint8_t* buffer, size_t length, const CTimer& deadline)
{
    if (length > static_cast<size_t>(INT_MAX))
        length = INT_MAX;

    pumpMessages();
    for (;;) {
        int error = SOCK_NOT_SOCKET;
        const long n = m_socket.receive(buffer, length, &error);
        if (n >= 0) {
            if (n == 0 && length > 0)
                endedByPeer(0);
            return static_cast<int>(n);
        }
        m_lastError = endedByPeer(error);
        if (error != SOCK_WOULD_BLOCK || !deadline.isRunning())
            return -1;
        const bool connectPending = m_state == Connecting && m_connectError == SOCK_WOULD_BLOCK;
        int waitError = 0;
        m_socket.waitFor(connectPending ? sock::Readable | sock::Writable : sock::Readable, deadline.remaining(),
                         &waitError);
        if (waitError) {
            m_lastError = waitError;
            return -1;
        }
        pumpMessages();
    }
}

size_t CNetwork::receiveAll(uint8_t* buffer, size_t length, uint32_t timeoutMsPerReceive)
{
    return receiveUntil(buffer, length, nullptr, timeoutMsPerReceive);
}

size_t CNetwork::receiveAll(uint8_t* buffer, size_t length, const CTimer& deadline)
{
    return receiveUntil(buffer, length, &deadline, 0);
}

size_t CNetwork::receiveUntil(uint8_t* buffer, size_t length, const CTimer* deadline, uint32_t timeoutMs)
{
    size_t got = 0;
    while (got < length) {
        const int n = deadline ? receiveSome(buffer + got, length - got, *deadline)
                               : receiveSome(buffer + got, length - got, timeoutMs);
        if (n < 0)
            break;
        if (n == 0) {
            // The peer ended the stream (and with it the connection): the rest can never come.
            m_lastError = SOCK_NOT_SOCKET;
            break;
        }
        got += static_cast<size_t>(n);
    }
    return got;
}

int CNetwork::receiveNow(uint8_t* buffer, size_t length)
{
    if (length > static_cast<size_t>(INT_MAX))
        length = INT_MAX;
    pumpMessages();
    int error = SOCK_NOT_SOCKET;
    const long n = m_socket.receive(buffer, length, &error);
    if (n < 0) {
        m_lastError = endedByPeer(error);
        return -1;
    }
    if (n == 0 && length > 0)
        endedByPeer(0);
    return static_cast<int>(n);
}

bool CNetwork::sendAll(const uint8_t* data, size_t length, uint32_t timeoutMs)
{
    CTimer timer;
    timer.start(timeoutMs, CTimer::Timeout);
    size_t sent = 0;
    while (sent < length) {
        int error = 0;
        const long n = m_socket.send(data + sent, length - sent, &error);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && error != SOCK_WOULD_BLOCK) {
            m_lastError = endedByPeer(error);
            return false;
        }
        if (!timer.isRunning()) {
            m_lastError = SOCK_WOULD_BLOCK;
            return false;
        }
        int waitError = 0;
        m_socket.waitFor(sock::Writable, timer.remaining(), &waitError);
        if (waitError) {
            m_lastError = waitError;
            return false;
        }
    }
    return true;
}

void CNetwork::pumpMessages()
{
    if (!m_socket.isOpen())
        return;
    if (m_state == Connecting) {
        if (m_connectError != SOCK_WOULD_BLOCK)
            return;
        if (m_socket.waitFor(sock::Writable, std::chrono::nanoseconds::zero()) != 0)
            OnConnect(m_socket.takePendingError());
    } else if (m_state == Connected) {
        // The close event: after the end of the stream once everything the peer sent has been
        // read, or after a reset.
        int error = 0;
        if (m_socket.peerClosed(&error))
            OnClose(error);
    }
}

int CNetwork::endedByPeer(int error)
{
    if (m_state != Connected || !(error == 0 || connectionLost(error)))
        return error;
    // Seen by a receive or send before the close event was handled: the same end.
    OnClose(error);
    return SOCK_NOT_SOCKET;
}

void CNetwork::OnConnect(int error)
{
    if (error != 0)
        m_connectError = error;
    else
        m_state = Connected;
}

void CNetwork::OnClose(int)
{
    m_state = Closed;
    m_socket.close();
}
