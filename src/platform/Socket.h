#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include <netinet/in.h>

// Thin helpers over non-blocking POSIX TCP sockets. Errors come back as socket error codes
// (platform/SocketError.h), never as raw errno.
namespace sock {

// A non-blocking, close-on-exec IPv4 stream socket, or -1 with *error set.
int openStream(int* error);

// The address as typed: a dotted IPv4 address or a host name (IPv4 only). 0 or the error
// code (11001 for a name that cannot be resolved).
int resolveIPv4(const std::string& address, uint16_t port, sockaddr_in& out);

// Starts a connect: 0 when it completed at once, 10035 while it goes on, else the error.
int startConnect(int fd, const sockaddr_in& address);

// The socket's pending error (SO_ERROR) as a socket code; reading it clears it.
int takePendingError(int fd);

// Blocks until fd shows one of events (or an error or hang-up) or the time is over.
// Answers the returned events, 0 after the time-out. Signals do not end the wait early.
short waitFor(int fd, short events, std::chrono::nanoseconds timeout);

// Non-blocking receive and send: the count, or -1 with *error set. send never raises SIGPIPE.
long receive(int fd, uint8_t* buffer, size_t length, int* error);
long send(int fd, const uint8_t* data, size_t length, int* error);

// True when the peer has ended the stream and nothing unread is left; false while data is
// waiting, the stream is open, or the socket has an error (the next receive reports it).
bool peerClosed(int fd);

void close(int& fd);

}  // namespace sock
