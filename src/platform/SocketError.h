#pragma once

// Socket errors in the numbering the status lines and stored reports use (the Winsock
// numbers: 10035 would block, 11001 host not found, ...). The Windows backend answers its
// own numbers unchanged; the POSIX one maps errno values through the one table in
// posix/SocketError.cpp.
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
