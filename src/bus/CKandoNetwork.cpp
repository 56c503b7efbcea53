#include "bus/CKandoNetwork.h"

#include "gateway/CErrorMessage.h"
#include "platform/Socket.h"
#include "platform/SocketError.h"
#include "platform/SharedInstance.h"

#include <vector>

#include <poll.h>

using namespace bus;

namespace {

CSharedInstance<CKandoNetwork> gShared;

}  // namespace

CKandoNetwork* getKandoNetwork()
{
    return gShared.get();
}

CKandoNetwork::~CKandoNetwork()
{
    gShared.release(this);
}

bool CKandoNetwork::sendRequest(const CBusMessage& message)
{
    if (message.length > MAX_FRAME) {
        setLastError(ERR_NO_MEMORY);
        return false;
    }
    uint8_t buffer[HEADER_SIZE + MAX_FRAME];
    buffer[0] = MESSAGE_START;
    buffer[1] = message.type;
    buffer[2] = static_cast<uint8_t>(message.length);
    buffer[3] = static_cast<uint8_t>(message.length >> 8);
    for (uint32_t i = 0; i < message.length; ++i)
        buffer[HEADER_SIZE + i] = message.frame[i];

    discardInput();
    return sendAll(buffer, HEADER_SIZE + message.length, WAIT_SEND);
}

void CKandoNetwork::discardInput()
{
    // A late reply to an earlier request must not be taken for the next one's.
    const int keepError = getLastError();
    uint8_t scratch[50];
    for (;;) {
        pumpMessages();
        if (receiveNow(scratch, sizeof scratch) <= 0)
            break;
    }
    setLastError(keepError);
}

void CKandoNetwork::waitReadable(const CTimer& timer)
{
    const auto left = timer.remaining();
    if (m_socket < 0 || left.count() <= 0)
        return;
    sock::waitFor(m_socket, POLLIN, left);
}

int CKandoNetwork::receiveReplyHeader(CBusMessage& message, size_t headerSize, uint32_t timeoutMs, CTimer::Kind kind)
{
    if (headerSize == 0 || headerSize > HEADER_SIZE)
        headerSize = HEADER_SIZE;
    uint8_t header[HEADER_SIZE] = {};
    size_t got = 0;

    CTimer timer;
    timer.start(timeoutMs, kind);
    for (;;) {
        pumpMessages();
        const int n = receiveNow(header + got, headerSize - got);
        if (n > 0) {
            got += static_cast<size_t>(n);
            if (got == headerSize)
                break;
            continue;
        }
        if (n == 0) {
            // The peer ended the stream: the header can never be completed.
            pumpMessages();
            setLastError(SOCK_NOT_SOCKET);
            return -1;
        }
        if (getLastError() != SOCK_WOULD_BLOCK || !timer.isRunning())
            return -1;
        waitReadable(timer);
    }
    timer.stop();

    const uint32_t length = header[2] | (static_cast<uint32_t>(header[3]) << 8);
    if (length > MAX_FRAME) {
        // More than a message holds: the reply cannot be taken.
        setLastError(ERR_NO_MEMORY);
        return -1;
    }
    message.type = header[1];
    return static_cast<int>(length);
}

bool CKandoNetwork::receiveReplyData(CBusMessage& message, uint32_t length)
{
    if (length > MAX_FRAME) {
        setLastError(ERR_NO_MEMORY);
        return false;
    }
    // The reply replaces the request from here on, even when it comes in short.
    uint8_t buffer[MAX_FRAME];
    uint32_t got = 0;
    bool complete = true;
    while (got < length) {
        const int n = receiveSome(buffer + got, length - got, WAIT_REPLY_DATA);
        if (n < 0) {
            complete = false;
            break;
        }
        if (n == 0) {
            pumpMessages();
            setLastError(SOCK_NOT_SOCKET);
            complete = false;
            break;
        }
        got += static_cast<uint32_t>(n);
    }
    for (uint32_t i = 0; i < got; ++i)
        message.frame[i] = buffer[i];
    message.length = got;
    return complete;
}
