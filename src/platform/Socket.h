#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

// Non-blocking TCP sockets over the platform's socket interface. Errors come back as socket
// error codes in the Winsock numbering (platform/SocketError.h) on every platform.
//
// Thread safety: a Socket is used by one thread at a time; distinct sockets are independent.
namespace sock {

// What waitFor waits for and answers.
enum Events : short {
    Readable = 0x1,
    Writable = 0x2,
    Failed = 0x4,  // an error or hang-up is pending; only ever answered
};

// An IPv4 endpoint, host byte order.
struct Endpoint {
    uint32_t address = 0;
    uint16_t port = 0;
};

// The address as typed: a dotted IPv4 address or a host name (IPv4 only). 0 or the error
// code (11001 for a name that cannot be resolved).
int resolveIPv4(const std::string& address, uint16_t port, Endpoint& out);

// One owned, non-blocking stream socket. The destructor closes it; moving hands it over.
class Socket
{
public:
    // Wide enough for a descriptor or a socket handle; -1 is no socket on every platform.
    using Handle = std::intptr_t;

    Socket() = default;
    ~Socket();
    Socket(Socket&& other) noexcept;
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // A fresh non-blocking, non-inherited IPv4 stream socket; not open with *error set.
    static Socket openStream(int* error);
    // Takes over a socket made elsewhere (a socket pair in a test, say); it is closed with this.
    static Socket adopt(Handle handle) { return Socket(handle); }

    bool isOpen() const { return m_handle != kInvalid; }
    void close();

    // Starts a connect: 0 when it completed at once, 10035 while it goes on, else the error.
    int startConnect(const Endpoint& endpoint);

    // The socket's pending error as a socket code; reading it clears it.
    int takePendingError();

    // Blocks until the socket shows one of events (or Failed) or the time is over. Answers
    // the events seen, 0 after the time-out or on a closed socket. Signals do not end the
    // wait early. When the wait itself fails it ends at once, answering Failed with *error
    // the socket code (0 otherwise), so that no caller loops on it until its deadline.
    short waitFor(short events, std::chrono::nanoseconds timeout, int* error = nullptr) const;

    // Non-blocking receive and send: the count, or -1 with *error set (10038 on a closed
    // socket). send never raises a signal.
    long receive(uint8_t* buffer, size_t length, int* error);
    long send(const uint8_t* data, size_t length, int* error);

    // Whether the connection has ended from the peer's side, seen without waiting (the close
    // event): true when the peer has ended the stream and nothing unread is left (*error 0),
    // or when the connection has been reset or has otherwise failed (*error the socket code
    // of the failure, e.g. 10054; the pending error is taken). Either way nothing more can
    // come, and the caller closes the socket. False while data is waiting or the stream is
    // open, and on a socket that is not open.
    // Contract change: a reset used to answer false and was left for the next receive to
    // report; it now answers true like the end of the stream, so that the connection ends
    // in both cases (a backend peeks with a non-blocking receive: 0 or a reset both end it).
    bool peerClosed(int* error = nullptr) const;

private:
    static constexpr Handle kInvalid = -1;

    explicit Socket(Handle handle) : m_handle(handle) {}

    Handle m_handle = kInvalid;
};

}  // namespace sock
