#include "bus/CKandoNetwork.h"

#include "gateway/CErrorMessage.h"
#include "platform/SharedInstance.h"


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

int CKandoNetwork::receiveReplyHeader(CBusMessage& message, size_t headerSize, uint32_t timeoutMs, CTimer::Kind kind)
{
    if (headerSize == 0 || headerSize > HEADER_SIZE)
        headerSize = HEADER_SIZE;
    uint8_t header[HEADER_SIZE] = {};

    // One deadline for the whole header, however it is split.
    CTimer timer;
    timer.start(timeoutMs, kind);
    if (receiveAll(header, headerSize, timer) < headerSize)
        return -1;
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
    message.length = static_cast<uint32_t>(receiveAll(message.frame, length, WAIT_REPLY_DATA));
    return message.length == length;
}
