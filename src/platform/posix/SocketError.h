#pragma once

#include "platform/SocketError.h"

// An errno value as a socket error code. 0 stays 0. A value the table does not know is
// passed through unchanged: every errno is far below 10000, so it cannot be mistaken for a
// socket code, and the report still shows the system's own number.
int socketErrorFromErrno(int errnoValue);

// A getaddrinfo() result as a socket error code. EAI_SYSTEM takes errnoValue through
// socketErrorFromErrno; a failure the table does not know counts as a non-recoverable
// lookup failure (11003).
int socketErrorFromAddrInfo(int gaiError, int errnoValue = 0);
