#include "bus/BusFrame.h"

#include <algorithm>
#include <cstring>

using namespace bus;

CReplyRecord::CReplyRecord() : m_data(new uint8_t[REPLY_BUFFER]) {}

void CReplyRecord::setData(const uint8_t* bytes, size_t n)
{
    n = std::min(n, REPLY_BUFFER);
    if (n > 0)
        std::memmove(m_data.get(), bytes, n);
    m_length = static_cast<int32_t>(n);
}

bool CReplyRecord::appendData(const uint8_t* bytes, size_t n)
{
    if (static_cast<size_t>(m_length) + n >= REPLY_BUFFER)
        return false;
    if (n > 0)
        std::memcpy(m_data.get() + m_length, bytes, n);
    m_length += static_cast<int32_t>(n);
    return true;
}

bool buildRequest(CBusMessage& message, uint8_t destination, uint8_t code, const uint8_t* payload, size_t n)
{
    // Worst case: every byte after STX stuffed, plus the extra DLE, checksum and ETX.
    if (4 + n > MAX_FRAME || 1 + 2 * (3 + n) + 3 > MAX_FRAME)
        return false;

    uint8_t plain[MAX_FRAME];
    size_t plainLength = 0;
    plain[plainLength++] = STX;
    plain[plainLength++] = destination;
    plain[plainLength++] = code;
    plain[plainLength++] = ADDR_TOOL;
    if (n > 0)
        std::memcpy(plain + plainLength, payload, n);
    plainLength += n;

    uint8_t* out = message.frame;
    size_t length = 0;
    uint8_t sum = 0;
    out[length++] = plain[0];
    for (size_t i = 1; i < plainLength; ++i) {
        if (plain[i] == ETX || plain[i] == DLE) {
            out[length++] = DLE;
            sum = static_cast<uint8_t>(sum + DLE);
        }
        out[length++] = plain[i];
        sum = static_cast<uint8_t>(sum + plain[i]);
    }
    uint8_t checksum = static_cast<uint8_t>(-sum);
    if (checksum == ETX || checksum == DLE) {
        // One extra DLE shifts the checksum to 0xF3 or 0x00, neither of which needs escaping.
        out[length++] = DLE;
        sum = static_cast<uint8_t>(sum + DLE);
        checksum = static_cast<uint8_t>(-sum);
    }
    out[length++] = checksum;
    out[length++] = ETX;
    message.length = static_cast<uint32_t>(length);
    message.type = MESSAGE_TYPE_REQUEST;
    return true;
}

namespace {

bool chunkRequest(CBusMessage& message, uint8_t address, uint8_t code, uint32_t offset, const uint8_t* data,
                  uint8_t count)
{
    uint8_t payload[5 + 255];
    payload[0] = static_cast<uint8_t>(offset);
    payload[1] = static_cast<uint8_t>(offset >> 8);
    payload[2] = static_cast<uint8_t>(offset >> 16);
    payload[3] = 0x00;
    payload[4] = count;
    size_t n = 5;
    if (data) {
        std::memcpy(payload + 5, data, count);
        n += count;
    }
    return buildRequest(message, address, code, payload, n);
}

}  // namespace

bool buildReset(CBusMessage& message, uint8_t address)
{
    return buildRequest(message, address, CMD_RESET, nullptr, 0);
}

bool buildProbe(CBusMessage& message, uint8_t address)
{
    const uint8_t payload[] = {0x00};
    return buildRequest(message, address, CMD_PROBE, payload, sizeof payload);
}

bool buildReadChunk(CBusMessage& message, uint8_t address, uint32_t offset, uint8_t count)
{
    return chunkRequest(message, address, CMD_READ_CHUNK, offset, nullptr, count);
}

bool buildWriteChunk(CBusMessage& message, uint8_t address, uint32_t offset, const uint8_t* data, uint8_t count)
{
    return chunkRequest(message, address, CMD_WRITE_CHUNK, offset, data, count);
}

bool buildReadCrc(CBusMessage& message, uint8_t address)
{
    const uint8_t payload[] = {CRC_SELECTOR};
    return buildRequest(message, address, CMD_READ_CRC, payload, sizeof payload);
}

bool buildProgMode(CBusMessage& message, bool on)
{
    return buildRequest(message, ADDR_EVERY_STATION, on ? CMD_PROG_ON : CMD_PROG_OFF, nullptr, 0);
}

bool buildClean(CBusMessage& message, uint8_t address)
{
    const uint8_t payload[] = {0x00, 0x00};
    return buildRequest(message, address, CMD_CLEAN, payload, sizeof payload);
}

bool buildReadCfg(CBusMessage& message, uint8_t address)
{
    return buildRequest(message, address, CMD_READ_CFG, nullptr, 0);
}

bool buildWriteCfg(CBusMessage& message, uint8_t address, const uint8_t* cfg)
{
    uint8_t payload[1 + CFG_SIZE];
    payload[0] = CFG_WRITE_TAG;
    std::memcpy(payload + 1, cfg, CFG_SIZE);
    return buildRequest(message, address, CMD_WRITE_CFG, payload, sizeof payload);
}

bool buildCompDB(CBusMessage& message, uint8_t address)
{
    return buildRequest(message, address, CMD_COMPDB, nullptr, 0);
}

int parseReply(const CBusMessage& message, CReplyRecord& record)
{
    const size_t length = std::min<size_t>(message.length, MAX_FRAME);
    const uint8_t* frame = message.frame;
    if (length == 0 || frame[0] != STX)
        return 0;

    // Check: sum everything from byte 1 up to the first unescaped ETX.
    uint8_t sum = 0;
    size_t end = 0;  // index of the ending ETX
    bool ended = false;
    for (size_t i = 1; i < length; ++i) {
        if (frame[i] == DLE && i + 1 < length) {
            sum = static_cast<uint8_t>(sum + frame[i] + frame[i + 1]);
            ++i;
            continue;
        }
        if (frame[i] == ETX) {
            end = i;
            ended = true;
            break;
        }
        sum = static_cast<uint8_t>(sum + frame[i]);
    }
    if (!ended || (sum != 0x00 && sum != 0xF3))
        return 0;

    // Decode: drop each DLE and keep the byte after it.
    uint8_t plain[MAX_FRAME];
    size_t n = 0;
    for (size_t i = 0; i < end; ++i) {
        if (frame[i] == DLE && i > 0)
            ++i;
        plain[n++] = frame[i];
    }
    if (n < 5)
        return 0;

    record.destination = plain[1];
    record.code = plain[2];
    record.source = plain[3];
    record.setData(plain + 4, n - 5);
    return static_cast<int>(n - 5);
}
