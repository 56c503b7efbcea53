#pragma once

#include "bus/BusDefs.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// One request or reply on the bus-module connection. A request is built into it, and the
// reply, when one comes, replaces the frame in place.
struct CBusMessage
{
    uint8_t type = 0;
    uint32_t length = 0;  // frame bytes in use
    uint8_t frame[bus::MAX_FRAME] = {};
};

// A decoded reply; also the accumulator of a template image.
class CReplyRecord
{
public:
    CReplyRecord();
    virtual ~CReplyRecord() = default;
    CReplyRecord(const CReplyRecord&) = delete;
    CReplyRecord& operator=(const CReplyRecord&) = delete;

    uint8_t source = 0;
    uint8_t destination = 0;
    uint8_t code = 0;

    int32_t length() const { return m_length; }
    const uint8_t* data() const { return m_data.get(); }

    // Copies n bytes to the start of the buffer (n is clipped to the buffer).
    void setData(const uint8_t* bytes, size_t n);
    // Appends n bytes only while the new length stays below the buffer size; otherwise the
    // bytes are dropped whole and false is answered.
    bool appendData(const uint8_t* bytes, size_t n);
    void clear() { m_length = 0; }

private:
    std::unique_ptr<uint8_t[]> m_data;
    int32_t m_length = 0;
};

// Lays out the frame (STX, destination, code, tool address, payload, DLE stuffing,
// checksum, ETX) in the message and sets its type to a request. False when it does not fit.
bool buildRequest(CBusMessage& message, uint8_t destination, uint8_t code, const uint8_t* payload, size_t n);

// One builder per request.
bool buildReset(CBusMessage& message, uint8_t address);
bool buildProbe(CBusMessage& message, uint8_t address);
bool buildReadChunk(CBusMessage& message, uint8_t address, uint32_t offset, uint8_t count);
bool buildWriteChunk(CBusMessage& message, uint8_t address, uint32_t offset, const uint8_t* data, uint8_t count);
bool buildReadCrc(CBusMessage& message, uint8_t address);
bool buildProgMode(CBusMessage& message, bool on);
bool buildClean(CBusMessage& message, uint8_t address);
bool buildReadCfg(CBusMessage& message, uint8_t address);
bool buildWriteCfg(CBusMessage& message, uint8_t address, const uint8_t* cfg);  // CFG_SIZE bytes
bool buildCompDB(CBusMessage& message, uint8_t address);

// Checks and decodes the message's frame into the record: the number of data bytes stored,
// or 0 when the frame is not a valid reply (the record is then left as it was). Valid: STX
// first, an unescaped ETX within the frame, the 8-bit sum of the bytes between STX and ETX 0x00 or
// 0xF3, and at least five decoded bytes (STX, addresses, code, checksum).
int parseReply(const CBusMessage& message, CReplyRecord& record);
