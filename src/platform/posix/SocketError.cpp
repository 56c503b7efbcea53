#include "platform/posix/SocketError.h"

#include <cerrno>
#include <netdb.h>

namespace {

enum Source { Errno, AddrInfo };

struct Mapping {
    Source source;
    int value;
    int code;
};

constexpr Mapping kTable[] = {
    {Errno, EWOULDBLOCK, SOCK_WOULD_BLOCK},
    {Errno, EAGAIN, SOCK_WOULD_BLOCK},
    {Errno, EINPROGRESS, SOCK_WOULD_BLOCK},
    {Errno, EALREADY, SOCK_WOULD_BLOCK},
    {Errno, EBADF, SOCK_NOT_SOCKET},
    {Errno, ENOTSOCK, SOCK_NOT_SOCKET},
    {Errno, ENETUNREACH, SOCK_NET_UNREACHABLE},
    {Errno, ECONNABORTED, SOCK_ABORTED},
    {Errno, ECONNRESET, SOCK_RESET},
    {Errno, EPIPE, SOCK_RESET},
    {Errno, ENOTCONN, SOCK_NOT_CONNECTED},
    {Errno, ETIMEDOUT, SOCK_TIMED_OUT},
    {Errno, ECONNREFUSED, SOCK_REFUSED},
    {Errno, EHOSTDOWN, SOCK_HOST_DOWN},
    {Errno, EHOSTUNREACH, SOCK_HOST_UNREACHABLE},
    {Errno, EINTR, 10004},
    {Errno, EACCES, 10013},
    {Errno, EFAULT, 10014},
    {Errno, EINVAL, 10022},
    {Errno, EMFILE, 10024},
    {Errno, EMSGSIZE, 10040},
    {Errno, EAFNOSUPPORT, 10047},
    {Errno, EADDRINUSE, 10048},
    {Errno, EADDRNOTAVAIL, 10049},
    {Errno, ENETDOWN, 10050},
    {Errno, ENETRESET, 10052},
    {Errno, ENOBUFS, 10055},
    {Errno, EISCONN, 10056},
    {Errno, ESHUTDOWN, 10058},
    {AddrInfo, EAI_NONAME, SOCK_HOST_NOT_FOUND},
    {AddrInfo, EAI_AGAIN, SOCK_HOST_NOT_FOUND},
    {AddrInfo, EAI_FAIL, SOCK_HOST_NOT_FOUND},
#ifdef EAI_NODATA
    {AddrInfo, EAI_NODATA, SOCK_HOST_NOT_FOUND},
#endif
#ifdef EAI_ADDRFAMILY
    {AddrInfo, EAI_ADDRFAMILY, SOCK_HOST_NOT_FOUND},
#endif
    {AddrInfo, EAI_MEMORY, 10055},
};

bool lookup(Source source, int value, int& code)
{
    for (const Mapping& m : kTable) {
        if (m.source == source && m.value == value) {
            code = m.code;
            return true;
        }
    }
    return false;
}

}  // namespace

int socketErrorFromErrno(int errnoValue)
{
    int code = 0;
    if (errnoValue != 0 && lookup(Errno, errnoValue, code))
        return code;
    return errnoValue;
}

int socketErrorFromAddrInfo(int gaiError, int errnoValue)
{
    if (gaiError == 0)
        return 0;
    if (gaiError == EAI_SYSTEM && errnoValue != 0)
        return socketErrorFromErrno(errnoValue);
    int code = 0;
    if (lookup(AddrInfo, gaiError, code))
        return code;
    return SOCK_NO_RECOVERY;
}
