// The gateway connection's receive code on any byte stream: headers and data blocks come
// through CDataNetwork::receiveHeader/receiveData over a socket pair, and each must be exactly
// the bytes at its place in the stream. The first input byte chooses the header size asked
// for (bit i: 7 bytes for the i-th frame, else 3); the rest is what the peer sends.

#include "gateway/CDataNetwork.h"
#include "gateway/CErrorMessage.h"
#include "gateway/CFrame.h"

#include "FuzzCheck.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace {

// The connection with a socket handed in, as if it had just connected.
class StreamConnection : public CDataNetwork
{
public:
    explicit StreamConnection(int fd)
    {
        m_socket = sock::Socket::adopt(fd);
        m_state = Connected;
    }
};

constexpr size_t kMaxStream = 64 * 1024;  // fits the socket pair's buffer, so one write does

uint32_t littleEndian32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size - 1 > kMaxStream)
        return 0;
    const uint8_t headerChoice = data[0];
    const uint8_t* stream = data + 1;
    const size_t streamSize = size - 1;

    int fds[2];
    FUZZ_CHECK(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) == 0);
    const int sndbuf = 4 * kMaxStream;
    ::setsockopt(fds[1], SOL_SOCKET, SO_SNDBUF, &sndbuf, sizeof sndbuf);
    FUZZ_CHECK(streamSize == 0 || ::write(fds[1], stream, streamSize) == static_cast<ssize_t>(streamSize));
    ::close(fds[1]);  // the end of the stream: every read past it answers at once

    StreamConnection net(fds[0]);
    size_t at = 0;
    for (int i = 0; i < 8; ++i) {
        const uint8_t asked = (headerChoice >> i) & 1 ? 7 : 3;
        CFrame frame;
        const int length = net.receiveHeader(frame, asked, 1000);

        size_t header = asked;
        if (header == 3 && at + 3 <= streamSize && CFrame::hasLengthField(stream[at + 1]))
            header = 7;
        if (at + header > streamSize) {
            FUZZ_CHECK(length == -1 && net.getLastError() != 0);
            break;
        }
        const uint8_t* h = stream + at;
        FUZZ_CHECK(frame.getLeadByte() == h[0] && frame.getType() == h[1] && frame.getParameter() == h[2]);
        const uint32_t announced = header == 7 && CFrame::hasLengthField(h[1]) ? littleEndian32(h + 3) : 0;
        FUZZ_CHECK(frame.getDataLength() == announced);
        at += header;
        if (announced > CDataNetwork::kMaxDataLength) {
            FUZZ_CHECK(length == -1 && net.getLastError() == ERR_NO_MEMORY);
            break;
        }
        FUZZ_CHECK(length == static_cast<int>(announced));
        // More than any input holds: receiveData's buffer of that size would cost milliseconds
        // a run, and a short stream takes the same path with a small length.
        if (announced > kMaxStream)
            break;

        const bool complete = net.receiveData(frame, announced);
        if (at + announced > streamSize) {
            FUZZ_CHECK(!complete && net.getLastError() != 0);
            break;
        }
        FUZZ_CHECK(complete && frame.getDataLength() == announced);
        FUZZ_CHECK(announced == 0 || std::memcmp(frame.data(), stream + at, announced) == 0);
        at += announced;
    }
    return 0;
}
