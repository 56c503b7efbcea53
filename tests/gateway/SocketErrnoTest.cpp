// The POSIX backend's one mapping from errno and getaddrinfo results to socket codes.
#include "platform/posix/SocketError.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <netdb.h>

namespace {

TEST(SocketError, MapsPlatformErrorsToSocketCodes)
{
    struct Case {
        bool addrInfo;
        int value;
        int code;
    };
    const Case cases[] = {
        {false, 0, 0},
        {false, EWOULDBLOCK, 10035},
        {false, EAGAIN, 10035},
        {false, EINPROGRESS, 10035},
        {false, EALREADY, 10035},
        {false, EBADF, 10038},
        {false, ENOTSOCK, 10038},
        {false, ENETUNREACH, 10051},
        {false, ECONNABORTED, 10053},
        {false, ECONNRESET, 10054},
        {false, EPIPE, 10054},
        {false, ENOTCONN, 10057},
        {false, ETIMEDOUT, 10060},
        {false, ECONNREFUSED, 10061},
        {false, EHOSTDOWN, 10064},
        {false, EHOSTUNREACH, 10065},
        {false, EADDRINUSE, 10048},
        {false, ENOENT, ENOENT},  // unknown errno passes through
        {true, EAI_NONAME, 11001},
        {true, EAI_AGAIN, 11001},
        {true, EAI_FAIL, 11001},
        {true, EAI_NODATA, 11001},
        {true, EAI_SERVICE, 11003},
    };
    for (const Case& c : cases) {
        const int code = c.addrInfo ? socketErrorFromAddrInfo(c.value) : socketErrorFromErrno(c.value);
        EXPECT_EQ(code, c.code) << (c.addrInfo ? "gai " : "errno ") << c.value;
    }
    EXPECT_EQ(socketErrorFromAddrInfo(EAI_SYSTEM, ECONNREFUSED), 10061);
}

}  // namespace
