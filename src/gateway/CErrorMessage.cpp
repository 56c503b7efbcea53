#include "gateway/CErrorMessage.h"

#include "job/CMessage.h"
#include "platform/SocketError.h"

#include <cstring>

namespace {

struct CodeText {
    int code;
    int messageId;
};

constexpr CodeText kCodes[] = {
    {SOCK_NET_UNREACHABLE, MSG_NET_UNREACHABLE},
    {SOCK_ABORTED, MSG_CONNECTION_ABORTED},
    {SOCK_RESET, MSG_CONNECTION_RESET},
    {SOCK_NOT_CONNECTED, MSG_CONNECT_FAILED},
    {SOCK_TIMED_OUT, MSG_TIMED_OUT},
    {SOCK_REFUSED, MSG_CONNECTION_REFUSED},
    {SOCK_HOST_DOWN, MSG_HOST_DOWN},
    {SOCK_HOST_UNREACHABLE, MSG_HOST_UNREACHABLE},
    {SOCK_HOST_NOT_FOUND, MSG_HOST_NOT_FOUND},
    {ERR_ALREADY_CLOSED, MSG_ALREADY_CLOSED},
    {ERR_CLOSE_UNCONFIRMED, MSG_CLOSE_UNCONFIRMED},
    {ERR_NO_FILE_DATA, MSG_NO_FILE_DATA},
    {ERR_READ_OBJECT, MSG_OBJECT_NOT_READ},
    {ERR_FILE_DAMAGED, MSG_FILE_DAMAGED},
    {ERR_VERSION_MISMATCH, MSG_VERSION_MISMATCH},
    {ERR_CLOSE_INCOMPLETE, MSG_CLOSE_INCOMPLETE},
    {ERR_NO_VERSION, MSG_NO_VERSION},
    {ERR_TRANSFER, MSG_NOT_TRANSFERRED},
    {ERR_READ_GATEWAY, MSG_GATEWAY_NOT_READ},
};

constexpr int kUnknownCode = MSG_UNKNOWN_ERROR;
constexpr size_t kPartLimit = 254;

}  // namespace

int CErrorMessage::messageId(int code)
{
    for (const CodeText& entry : kCodes)
        if (entry.code == code)
            return entry.messageId;
    return kUnknownCode;
}

void CErrorMessage::getText(char* destination, size_t capacity, int code) const
{
    CMessage::getInstance()->loadText(messageId(code), destination, capacity);
}

std::string CErrorMessage::getText(int code) const
{
    return cutUtf8(CMessage::getInstance()->loadText(messageId(code)), kPartLimit);
}

void reportError(const std::string& callName, int messageId, int code, CMessage* sink)
{
    if (!sink)
        sink = CMessage::getInstance();
    reportError(callName, sink->loadText(messageId), code, sink);
}

void reportError(const std::string& callName, const std::string& messageText, int code, CMessage* sink)
{
    if (!sink)
        sink = CMessage::getInstance();
    const std::string errorText = cutUtf8(sink->loadText(CErrorMessage::messageId(code)), kPartLimit);
    sink->post(MSG_ERROR_REPORT, callName, cutUtf8(messageText, kPartLimit), errorText, code);
}
