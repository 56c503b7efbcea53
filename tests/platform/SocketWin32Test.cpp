// What Winsock answers that Wine's and a PC's sockets may differ in.
#include "platform/Socket.h"
#include "platform/SocketError.h"

#include <gtest/gtest.h>

#include <chrono>

// A wait whose select fails (here: a handle that is no socket) must end at once with the
// code, not answer "nothing yet" and leave its caller to ask again until the deadline.
TEST(WindowsSocket, FailedWaitEndsWithItsCode)
{
    // No socket of this process has that value: Winsock hands out small multiples of 4.
    sock::Socket notASocket = sock::Socket::adopt(0x7ffffff0);
    int error = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(notASocket.waitFor(sock::Readable, std::chrono::seconds(5), &error), sock::Failed);
    EXPECT_EQ(error, SOCK_NOT_SOCKET);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}
