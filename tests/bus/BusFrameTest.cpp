#include "bus/BusFrame.h"

#include "SimWire.h"

#include <gtest/gtest.h>

#include <vector>

using Bytes = std::vector<uint8_t>;

namespace {

Bytes frameOf(const CBusMessage& message)
{
    return Bytes(message.frame, message.frame + message.length);
}

CBusMessage messageOf(const Bytes& frame)
{
    CBusMessage message;
    std::copy(frame.begin(), frame.end(), message.frame);
    message.length = static_cast<uint32_t>(frame.size());
    return message;
}

// The simulator's own decoder is the independent judge of what we put on the wire.
sim::wire::BusFrame decoded(const CBusMessage& message)
{
    sim::wire::BusFrame out;
    const auto check = sim::wire::decodeBusFrame(message.frame, message.length, &out);
    EXPECT_EQ(check, sim::wire::FrameCheck::Ok) << sim::wire::frameCheckText(check);
    return out;
}

}  // namespace

TEST(BusFrame, ResetRequestBytes)
{
    CBusMessage message;
    ASSERT_TRUE(buildReset(message, 0xC1));
    EXPECT_EQ(message.type, 1);
    EXPECT_EQ(frameOf(message), (Bytes{0x02, 0xC1, 0x01, 0xF0, 0x4E, 0x03}));
}

TEST(BusFrame, ReadChunkCodeIsStuffedAndSummed)
{
    CBusMessage message;
    ASSERT_TRUE(buildReadChunk(message, 0xC1, 0x30000, 128));
    const Bytes frame = frameOf(message);
    ASSERT_GE(frame.size(), 4u);
    EXPECT_EQ(frame[2], 0x10);
    EXPECT_EQ(frame[3], 0x03);
    const auto out = decoded(message);
    EXPECT_EQ(out.code, 0x03);
    EXPECT_EQ(out.payload, (Bytes{0x00, 0x00, 0x03, 0x00, 0x80}));
}

TEST(BusFrame, ChecksumThatNeedsEscapingGetsExtraDle)
{
    // Reset to 0xFF sums to 0xF0 (checksum 0x10); reset to 0x0C sums to 0xFD (checksum 0x03).
    struct Case {
        uint8_t address;
        Bytes frame;
    } cases[] = {
        {0xFF, {0x02, 0xFF, 0x01, 0xF0, 0x10, 0x00, 0x03}},
        {0x0C, {0x02, 0x0C, 0x01, 0xF0, 0x10, 0xF3, 0x03}},
    };
    for (const Case& c : cases) {
        CBusMessage message;
        ASSERT_TRUE(buildReset(message, c.address));
        EXPECT_EQ(frameOf(message), c.frame) << int(c.address);
        CReplyRecord record;
        parseReply(message, record);
        EXPECT_EQ(record.destination, c.address);
        EXPECT_EQ(record.source, 0xF0);
    }
}

TEST(BusFrame, EveryRequestDecodesOnTheOtherSide)
{
    Bytes allDle(128, 0x10);
    const uint8_t cfg[5] = {0x03, 0x10, 0x02, 0xFF, 0x00};
    struct Case {
        const char* name;
        bool (*build)(CBusMessage&, const uint8_t*, const uint8_t*);
        uint8_t destination;
        uint8_t code;
        Bytes payload;
    } cases[] = {
        {"reset", [](CBusMessage& m, const uint8_t*, const uint8_t*) { return buildReset(m, 0xC3); }, 0xC3, 0x01, {}},
        {"probe", [](CBusMessage& m, const uint8_t*, const uint8_t*) { return buildProbe(m, 0xC8); }, 0xC8, 0x02, {0x00}},
        {"write chunk, every byte stuffed",
         [](CBusMessage& m, const uint8_t* d, const uint8_t*) { return buildWriteChunk(m, 0xC1, 0x31003, d, 128); },
         0xC1, 0x04, [&] { Bytes p{0x03, 0x10, 0x03, 0x00, 0x80}; p.insert(p.end(), allDle.begin(), allDle.end()); return p; }()},
        {"read crc", [](CBusMessage& m, const uint8_t*, const uint8_t*) { return buildReadCrc(m, 0xC2); }, 0xC2, 0x06, {0x02}},
        {"prog on", [](CBusMessage& m, const uint8_t*, const uint8_t*) { return buildProgMode(m, true); }, 0xFF, 0x07, {}},
        {"prog off", [](CBusMessage& m, const uint8_t*, const uint8_t*) { return buildProgMode(m, false); }, 0xFF, 0x08, {}},
        {"clean", [](CBusMessage& m, const uint8_t*, const uint8_t*) { return buildClean(m, 0xCF); }, 0xCF, 0x5A, {0x00, 0x00}},
        {"read cfg", [](CBusMessage& m, const uint8_t*, const uint8_t*) { return buildReadCfg(m, 0xC4); }, 0xC4, 0x5E, {}},
        {"write cfg", [](CBusMessage& m, const uint8_t*, const uint8_t* c) { return buildWriteCfg(m, 0xCF, c); },
         0xCF, 0x60, {0x01, 0x03, 0x10, 0x02, 0xFF, 0x00}},
        {"compDB", [](CBusMessage& m, const uint8_t*, const uint8_t*) { return buildCompDB(m, 0xC5); }, 0xC5, 0x71, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CBusMessage message;
        ASSERT_TRUE(c.build(message, allDle.data(), cfg));
        ASSERT_LE(message.length, bus::MAX_FRAME);
        const auto out = decoded(message);
        EXPECT_EQ(out.destination, c.destination);
        EXPECT_EQ(out.code, c.code);
        EXPECT_EQ(out.source, 0xF0);
        EXPECT_EQ(out.payload, c.payload);
    }
}

TEST(BusFrame, ParseReplyValidity)
{
    const Bytes escapedData = sim::wire::busFrame(0xF0, 0x03, 0xC1, {0x03, 0x10, 0x41, 0x10});
    const Bytes empty = sim::wire::busFrame(0xF0, 0x02, 0xC2, {});
    Bytes badSum = escapedData;
    badSum[badSum.size() - 2] ^= 0x40;
    auto withFirstByte = [](Bytes frame, uint8_t first) {
        frame[0] = first;
        return frame;
    };
    struct Case {
        const char* name;
        Bytes frame;
        bool valid;
        Bytes data;
    } cases[] = {
        {"escaped 03 and 10 in the data", escapedData, true, {0x03, 0x10, 0x41, 0x10}},
        {"valid, no data", empty, true, {}},
        // C1 + 02 + F0 + 00 + 40 = 0xF3
        {"sum 0xF3", {0x02, 0xC1, 0x02, 0xF0, 0x00, 0x40, 0x03}, true, {0x00}},
        {"bytes after the ETX are ignored", {0x02, 0xC1, 0x02, 0xF0, 0x00, 0x4D, 0x03, 0x77, 0x10}, true, {0x00}},
        {"wrong checksum", badSum, false, {}},
        {"no ETX", {0x02, 0xC1, 0x02, 0xF0, 0x00, 0x4D}, false, {}},
        {"only an escaped ETX", {0x02, 0xC1, 0x02, 0xF0, 0x10, 0x03, 0x3A}, false, {}},
        {"DLE as the last byte", {0x02, 0xC1, 0x02, 0xF0, 0x4D, 0x10}, false, {}},
        {"fewer than five bytes", {0x02, 0xC1, 0x3F, 0x03}, false, {}},
        {"00 instead of STX", withFirstByte(empty, 0x00), false, {}},
        {"ETX instead of STX", withFirstByte(empty, 0x03), false, {}},
        {"DLE instead of STX", withFirstByte(empty, 0x10), false, {}},
        {"empty", {}, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CReplyRecord record;
        record.source = 0x11;
        const uint8_t old[] = {0xAA, 0xBB};
        record.setData(old, 2);
        const int n = parseReply(messageOf(c.frame), record);
        if (c.valid) {
            EXPECT_EQ(n, static_cast<int>(c.data.size()));
            EXPECT_NE(record.source, 0x11);
            EXPECT_EQ(Bytes(record.data(), record.data() + record.length()), c.data);
        } else {
            EXPECT_EQ(n, 0);
            EXPECT_EQ(record.source, 0x11);  // untouched
            EXPECT_EQ(record.length(), 2);
        }
    }
}

TEST(BusFrame, ParseReplyFields)
{
    CReplyRecord record;
    EXPECT_EQ(parseReply(messageOf(sim::wire::busFrame(0xF0, 0x1D, 0xC3, {0x09})), record), 1);
    EXPECT_EQ(record.destination, 0xF0);
    EXPECT_EQ(record.code, 0x1D);
    EXPECT_EQ(record.source, 0xC3);
    EXPECT_EQ(record.data()[0], 0x09);
}

TEST(BusFrame, ReplyRecordAppendStopsBelowTheBuffer)
{
    CReplyRecord record;
    const Bytes bulk(62900, 0x5A);
    const Bytes more(100, 0x11);
    record.setData(bulk.data(), bulk.size());
    EXPECT_FALSE(record.appendData(more.data(), 100));
    EXPECT_EQ(record.length(), 62900);
    EXPECT_TRUE(record.appendData(more.data(), 99));
    EXPECT_EQ(record.length(), 62999);
    EXPECT_EQ(record.data()[62998], 0x11);
}
