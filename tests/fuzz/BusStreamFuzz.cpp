// The bus-module connection's receive code on any byte stream: reply headers and frames come
// through CKandoNetwork::receiveReplyHeader/receiveReplyData over a socket pair, and each must
// be exactly the bytes at its place in the stream. The first input byte, when its top bit is
// set, makes its low bits the length of late replies waiting before the first request: the
// discard before it must drop exactly those and keep the connection's last error.

#include "bus/CKandoNetwork.h"
#include "gateway/CErrorMessage.h"

#include "FuzzCheck.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

using namespace bus;

namespace {

// The connection with a socket handed in, as if it had just connected.
class StreamConnection : public CKandoNetwork
{
public:
    explicit StreamConnection(int fd)
    {
        m_socket = sock::Socket::adopt(fd);
        m_state = Connected;
    }
};

constexpr size_t kMaxStream = 64 * 1024;  // fits the socket pair's buffer, so one write does
constexpr int kKeptError = 4242;

bool writeAll(int fd, const uint8_t* data, size_t size)
{
    return size == 0 || ::write(fd, data, size) == static_cast<ssize_t>(size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size - 1 > kMaxStream)
        return 0;
    const size_t late = data[0] & 0x80 ? std::min<size_t>(data[0] & 0x7F, size - 1) : 0;
    const uint8_t* stream = data + 1 + late;
    const size_t streamSize = size - 1 - late;

    int fds[2];
    FUZZ_CHECK(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) == 0);
    const int sndbuf = 4 * kMaxStream;
    ::setsockopt(fds[1], SOL_SOCKET, SO_SNDBUF, &sndbuf, sizeof sndbuf);
    StreamConnection net(fds[0]);

    if (late > 0) {
        FUZZ_CHECK(writeAll(fds[1], data + 1, late));
        net.setLastError(kKeptError);
        net.discardInput();
        FUZZ_CHECK(net.getLastError() == kKeptError);
        FUZZ_CHECK(net.getState() == CNetwork::Connected);
    }
    FUZZ_CHECK(writeAll(fds[1], stream, streamSize));
    ::close(fds[1]);  // the end of the stream: every read past it answers at once

    size_t at = 0;
    for (int i = 0; i < 16; ++i) {
        CBusMessage message;
        message.type = 0xEE;
        const int length = net.receiveReplyHeader(message, HEADER_SIZE, 1000);
        if (at + HEADER_SIZE > streamSize) {
            FUZZ_CHECK(length == -1 && net.getLastError() != 0);
            break;
        }
        const uint8_t* h = stream + at;
        at += HEADER_SIZE;
        const uint32_t announced = h[2] | uint32_t(h[3]) << 8;
        if (announced > MAX_FRAME) {
            FUZZ_CHECK(length == -1 && net.getLastError() == ERR_NO_MEMORY);
            break;
        }
        FUZZ_CHECK(length == static_cast<int>(announced) && message.type == h[1]);

        const bool complete = net.receiveReplyData(message, announced);
        const size_t present = std::min<size_t>(announced, streamSize - at);
        // A frame cut short keeps what came, and only that.
        FUZZ_CHECK(message.length == present);
        FUZZ_CHECK(present == 0 || std::memcmp(message.frame, stream + at, present) == 0);
        if (present < announced) {
            FUZZ_CHECK(!complete && net.getLastError() != 0);
            break;
        }
        FUZZ_CHECK(complete);
        at += announced;
    }
    return 0;
}
