#pragma once

#include "platform/Socket.h"

#include <cstddef>
#include <cstdint>
#include <string>

class CTimer;

// One TCP connection to the gateway (non-blocking socket) with its state and two error fields.
// Errors are Winsock-numbered codes (platform/SocketError.h) or the program's own (100002...).
// Every wait blocks in the socket's readiness wait for the remaining time of its CTimer; nothing spins.
// Connect-completed and closed events come from socket readiness and take effect in
// pumpMessages(), as the window-message notifications of the original platform did.
// The peer's end of the stream and a reset of the connection both end it as the close event
// does (state Closed, the socket gone): whichever sees it first, the close event or a receive
// or send, the operations from then on fail with 10038.
class CNetwork
{
public:
    enum State { Connecting = 0, Connected = 1, Closed = 2 };

    CNetwork();
    virtual ~CNetwork();  // the socket closes itself
    CNetwork(const CNetwork&) = delete;
    CNetwork& operator=(const CNetwork&) = delete;

    // address: a dotted IPv4 address or a host name, as typed. timeoutMs is scaled (CTimer::Timeout).
    bool connect(const std::string& address, uint16_t port, uint32_t timeoutMs);
    bool disconnect();

    // Up to length bytes within timeoutMs: the count (0 at end of stream, which closes the
    // connection) or -1 with lastError set (10035 when the time ran out, 10038 after the peer
    // closed or reset the connection).
    int receiveSome(uint8_t* buffer, size_t length, uint32_t timeoutMs);
    // The same, waiting no longer than deadline's remaining time.
    int receiveSome(uint8_t* buffer, size_t length, const CTimer& deadline);
    // Fills the buffer over as many receives as it takes: each receive within
    // timeoutMsPerReceive, or all of them before one deadline. Answers the bytes received;
    // short of length, lastError tells why (10038 after the peer ended the stream).
    size_t receiveAll(uint8_t* buffer, size_t length, uint32_t timeoutMsPerReceive);
    size_t receiveAll(uint8_t* buffer, size_t length, const CTimer& deadline);
    // What is there now, without waiting: the count, 0 at end of stream, or -1 (10035: nothing there).
    int receiveNow(uint8_t* buffer, size_t length);
    // The whole buffer, continuing partial and would-block sends within timeoutMs.
    // False with lastError set when it could not all go out.
    bool sendAll(const uint8_t* data, size_t length, uint32_t timeoutMs = 60000);

    // Handles pending connect and close events without waiting.
    void pumpMessages();

    int getState() const { return m_state; }
    int getConnectError() const { return m_connectError; }
    int getLastError() const { return m_lastError; }
    void setLastError(int code) { m_lastError = code; }

protected:
    virtual void OnConnect(int error);
    virtual void OnClose(int error);

    sock::Socket m_socket;
    int m_state = Closed;
    int m_connectError = 0;
    int m_lastError = 0;

private:
    // A receive that found the end of the stream (error 0) or a send or receive that failed
    // with error: when that ends a connected stream, handles it as the close event and
    // answers 10038, as the failure reads from then on; else answers error.
    int endedByPeer(int error);
    // deadline null: a fresh time-out of timeoutMs for every receive.
    size_t receiveUntil(uint8_t* buffer, size_t length, const CTimer* deadline, uint32_t timeoutMs);
};
