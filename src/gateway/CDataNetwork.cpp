#include "gateway/CDataNetwork.h"

#include "gateway/CErrorMessage.h"
#include "gateway/CFrame.h"
#include "platform/SharedInstance.h"

#include <memory>
#include <new>
#include <vector>

namespace {

CSharedInstance<CDataNetwork> gShared;

}  // namespace

CDataNetwork* getDataNetwork()
{
    return gShared.get();
}

CDataNetwork::~CDataNetwork()
{
    gShared.release(this);
}

bool CDataNetwork::sendFrame(const CFrame& frame)
{
    const std::vector<uint8_t> wire = frame.serialize();
    return sendAll(wire.data(), wire.size(), kDataTimeoutMs);
}

int CDataNetwork::receiveHeader(CFrame& frame, uint8_t headerSize, uint32_t timeoutMs)
{
    size_t wanted = headerSize <= CFrame::kShortHeader ? CFrame::kShortHeader : CFrame::kLongHeader;
    uint8_t header[CFrame::kLongHeader] = {};
    if (receiveAll(header, wanted, timeoutMs) < wanted)
        return -1;
    // A reply with a length field has it read too, or its length and data would be
    // taken for the next reply.
    if (wanted == CFrame::kShortHeader && CFrame::hasLengthField(header[1])) {
        const size_t field = CFrame::kLongHeader - CFrame::kShortHeader;
        if (receiveAll(header + CFrame::kShortHeader, field, timeoutMs) < field)
            return -1;
        wanted = CFrame::kLongHeader;
    }
    frame.parseHeader(header, wanted);
    // A length no object comes near is a damaged stream; above 2 GiB it would also read as -1.
    if (frame.getDataLength() > kMaxDataLength) {
        setLastError(ERR_NO_MEMORY);
        return -1;
    }
    return static_cast<int>(frame.getDataLength());
}

bool CDataNetwork::receiveData(CFrame& frame, uint32_t length)
{
    if (length == 0)
        return true;
    if (length > kMaxDataLength) {
        setLastError(ERR_NO_MEMORY);
        return false;
    }
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[length]());
    if (!buffer) {
        setLastError(ERR_NO_MEMORY);
        return false;
    }
    const bool ok = receiveAll(buffer.get(), length, kDataTimeoutMs) == length;
    frame.setData(buffer.get(), length);
    return ok;
}

bool CDataNetwork::closeConnection()
{
    if (getState() == Closed) {
        setLastError(ERR_ALREADY_CLOSED);
        return false;
    }
    sendFrame(CFrame::buildCloseRequest());
    CFrame reply;
    const int received = receiveHeader(reply, CFrame::kShortHeader, kCloseTimeoutMs);
    if (received < 0)
        disconnect();
    if (received < 0 || reply.getType() != CFrame::CloseConfirmation) {
        setLastError(ERR_CLOSE_UNCONFIRMED);
        return false;
    }
    disconnect();
    return true;
}
