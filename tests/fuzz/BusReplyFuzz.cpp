// Bus frames: parseReply on any bytes stays inside the frame and answers what it stored; every
// request a builder makes, fed back as a reply, gives its own addresses, code and payload.

#include "bus/BusFrame.h"

#include "FuzzCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>
#include <vector>

using namespace bus;

namespace {

void parseAnyBytes(const uint8_t* data, size_t size)
{
    CBusMessage message;
    std::memcpy(message.frame, data, std::min(size, MAX_FRAME));
    message.length = static_cast<uint32_t>(size);  // may claim more than the frame holds
    CReplyRecord record;
    record.source = 0xA5;
    const uint8_t before[] = {0x5A};
    record.setData(before, 1);
    const int n = parseReply(message, record);
    FUZZ_CHECK(n >= 0 && static_cast<size_t>(n) + 5 <= MAX_FRAME);
    if (n > 0)
        FUZZ_CHECK(record.length() == n);
    else
        FUZZ_CHECK(record.length() == 0 || (record.length() == 1 && record.source == 0xA5));
}

void buildAndParse(FuzzedDataProvider& in)
{
    const uint8_t address = in.ConsumeIntegral<uint8_t>();
    const uint32_t offset = in.ConsumeIntegral<uint32_t>() & 0xFFFFFF;
    const uint8_t count = in.ConsumeIntegral<uint8_t>();
    const std::vector<uint8_t> bytes = in.ConsumeBytes<uint8_t>(count);
    uint8_t cfg[CFG_SIZE] = {};
    if (!bytes.empty())
        std::memcpy(cfg, bytes.data(), std::min(bytes.size(), CFG_SIZE));
    const uint8_t chunkHeader[] = {uint8_t(offset), uint8_t(offset >> 8), uint8_t(offset >> 16), 0, count};

    CBusMessage message;
    uint8_t destination = address;
    uint8_t code = 0;
    std::vector<uint8_t> payload;
    bool built = false;
    switch (in.ConsumeIntegralInRange(0, 10)) {
    case 0: code = CMD_RESET; built = buildReset(message, address); break;
    case 1: code = CMD_PROBE; payload = {0x00}; built = buildProbe(message, address); break;
    case 2:
        code = CMD_READ_CHUNK;
        payload.assign(chunkHeader, chunkHeader + 5);
        built = buildReadChunk(message, address, offset, count);
        break;
    case 3: {
        if (bytes.size() < count)
            return;  // the builder copies count bytes
        code = CMD_WRITE_CHUNK;
        payload.assign(chunkHeader, chunkHeader + 5);
        payload.insert(payload.end(), bytes.begin(), bytes.end());
        built = buildWriteChunk(message, address, offset, bytes.data(), count);
        break;
    }
    case 4: code = CMD_READ_CRC; payload = {CRC_SELECTOR}; built = buildReadCrc(message, address); break;
    case 5: destination = ADDR_EVERY_STATION; code = CMD_PROG_ON; built = buildProgMode(message, true); break;
    case 6: destination = ADDR_EVERY_STATION; code = CMD_PROG_OFF; built = buildProgMode(message, false); break;
    case 7: code = CMD_CLEAN; payload = {0x00, 0x00}; built = buildClean(message, address); break;
    case 8: code = CMD_READ_CFG; built = buildReadCfg(message, address); break;
    case 9:
        code = CMD_WRITE_CFG;
        payload = {CFG_WRITE_TAG};
        payload.insert(payload.end(), cfg, cfg + CFG_SIZE);
        built = buildWriteCfg(message, address, cfg);
        break;
    default: code = CMD_COMPDB; built = buildCompDB(message, address); break;
    }
    // Only a write chunk can be too long for a frame, and then only with every byte stuffed.
    FUZZ_CHECK(built || code == CMD_WRITE_CHUNK);
    if (!built)
        return;
    FUZZ_CHECK(message.length <= MAX_FRAME && message.frame[0] == STX && message.frame[message.length - 1] == ETX);

    CReplyRecord record;
    const int n = parseReply(message, record);
    FUZZ_CHECK(n == static_cast<int>(payload.size()));
    FUZZ_CHECK(record.destination == destination && record.code == code && record.source == ADDR_TOOL);
    FUZZ_CHECK(payload.empty() || std::memcmp(record.data(), payload.data(), payload.size()) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    parseAnyBytes(data, size);
    FuzzedDataProvider in(data, size);
    buildAndParse(in);
    return 0;
}
