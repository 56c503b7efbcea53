#pragma once

// Socket errors in the numbering the status lines and stored reports use (the Winsock
// numbers: 10035 would block, 11001 host not found, ...). Every platform error goes
// through the one table in SocketError.cpp.
enum : int {
    SOCK_WOULD_BLOCK = 10035,
    SOCK_NOT_SOCKET = 10038,
    SOCK_NET_UNREACHABLE = 10051,
    SOCK_ABORTED = 10053,
    SOCK_RESET = 10054,
    SOCK_NOT_CONNECTED = 10057,
    SOCK_TIMED_OUT = 10060,
    SOCK_REFUSED = 10061,
    SOCK_HOST_DOWN = 10064,
    SOCK_HOST_UNREACHABLE = 10065,
    SOCK_HOST_NOT_FOUND = 11001,
    SOCK_NO_RECOVERY = 11003,
};

// An errno value as a socket error code. 0 stays 0. A value the table does not know is
// passed through unchanged: every errno is far below 10000, so it cannot be mistaken for a
// socket code, and the report still shows the system's own number.
int socketErrorFromErrno(int errnoValue);

// A getaddrinfo() result as a socket error code. EAI_SYSTEM takes errnoValue through
// socketErrorFromErrno; a failure the table does not know counts as a non-recoverable
// lookup failure (11003).
int socketErrorFromAddrInfo(int gaiError, int errnoValue = 0);
