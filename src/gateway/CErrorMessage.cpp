#include "gateway/CErrorMessage.h"

#include "job/CMessage.h"

#include <cstring>

namespace {

struct CodeText {
    int code;
    int messageId;
};

constexpr CodeText kCodes[] = {
    {10051, 113}, {10053, 114}, {10054, 115}, {10057, 116}, {10060, 117},
    {10061, 118}, {10064, 119}, {10065, 120}, {11001, 121},
    {100004, 130}, {100005, 131}, {100006, 146}, {100007, 134}, {100009, 147},
    {100010, 133}, {100011, 132}, {100012, 144}, {100013, 150}, {100014, 151},
};

constexpr int kUnknownCode = 122;
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

void reportError(const std::string& callName, int messageId, int code)
{
    reportError(callName, CMessage::getInstance()->loadText(messageId), code);
}

void reportError(const std::string& callName, const std::string& messageText, int code)
{
    const std::string errorText = CErrorMessage().getText(code);
    CMessage::getInstance()->post(143, callName, cutUtf8(messageText, kPartLimit), errorText, code);
}
