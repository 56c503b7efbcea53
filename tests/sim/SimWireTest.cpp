#include "SimWire.h"
#include "Simulator.h"

#include <gtest/gtest.h>

using sim::wire::Bytes;
using sim::wire::FrameCheck;

TEST(SimWire, BusFramesOnTheWire)
{
    struct Case {
        const char* what;
        uint8_t dest, code;
        Bytes payload;
        Bytes frame;
    };
    const Case cases[] = {
        {"reset to C1", 0xC1, 0x01, {}, {0x02, 0xC1, 0x01, 0xF0, 0x4E, 0x03}},
        {"read code is escaped and summed", 0xC1, 0x03, {0x00, 0x00, 0x03, 0x00, 0x80},
         {0x02, 0xC1, 0x10, 0x03, 0xF0, 0x00, 0x00, 0x10, 0x03, 0x00, 0x80, 0xA9, 0x03}},
        {"checksum 0x10 gets a DLE and becomes 0x00", 0x00, 0x00, {}, {0x02, 0x00, 0x00, 0xF0, 0x10, 0x00, 0x03}},
        {"checksum 0x03 gets a DLE and becomes 0xF3", 0x0D, 0x00, {}, {0x02, 0x0D, 0x00, 0xF0, 0x10, 0xF3, 0x03}},
    };
    for (const auto& c : cases) {
        Bytes frame = sim::wire::busFrame(c.dest, c.code, 0xF0, c.payload);
        EXPECT_EQ(sim::wire::hex(frame), sim::wire::hex(c.frame)) << c.what;
        sim::wire::BusFrame decoded;
        ASSERT_EQ(sim::wire::decodeBusFrame(frame.data(), frame.size(), &decoded), FrameCheck::Ok) << c.what;
        EXPECT_EQ(decoded.destination, c.dest);
        EXPECT_EQ(decoded.code, c.code);
        EXPECT_EQ(decoded.payload, c.payload) << c.what;
    }
}

TEST(SimWire, ReceivedFrameChecks)
{
    struct Case {
        const char* what;
        Bytes frame;
        FrameCheck expected;
    };
    const Case cases[] = {
        {"valid", {0x02, 0xC1, 0x01, 0xF0, 0x4E, 0x03}, FrameCheck::Ok},
        {"sum 0xF3 is accepted", {0x02, 0xC1, 0x01, 0xF0, 0x41, 0x03}, FrameCheck::Ok},
        {"wrong checksum", {0x02, 0xC1, 0x01, 0xF0, 0x4F, 0x03}, FrameCheck::BadChecksum},
        {"no STX", {0x01, 0xC1, 0x01, 0xF0, 0x4E, 0x03}, FrameCheck::NoStx},
        {"no ETX", {0x02, 0xC1, 0x01, 0xF0, 0x4E, 0x04}, FrameCheck::NoEtx},
        {"escaped ETX is not the end", {0x02, 0xC1, 0x01, 0xF0, 0x4E, 0x10, 0x03}, FrameCheck::NoEtx},
        {"unescaped 0x03 inside", {0x02, 0xC1, 0x03, 0xF0, 0x4C, 0x03}, FrameCheck::BytesAfterEtx},
        {"DLE before an ordinary byte", {0x02, 0xC1, 0x10, 0x01, 0xF0, 0x3E, 0x03}, FrameCheck::BadStuffing},
        {"too short", {0x02, 0xC1, 0x3F, 0x03}, FrameCheck::TooShort},
        {"empty", {}, FrameCheck::NoStx},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sim::wire::decodeBusFrame(c.frame.data(), c.frame.size(), nullptr), c.expected) << c.what;
}

TEST(SimWire, PayloadWithControlBytesRoundTrips)
{
    Bytes payload;
    for (int i = 0; i < 256; ++i)
        payload.push_back(static_cast<uint8_t>(i));
    Bytes frame = sim::wire::busFrame(0xF0, 0x03, 0xC5, payload);
    sim::wire::BusFrame decoded;
    ASSERT_EQ(sim::wire::decodeBusFrame(frame.data(), frame.size(), &decoded), FrameCheck::Ok);
    EXPECT_EQ(decoded.payload, payload);
    EXPECT_EQ(decoded.source, 0xC5);
}

TEST(SimWire, CrcRecordIsCrc32ThenSum)
{
    Bytes text{'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(sim::Simulator::crcRecord(text), (Bytes{0x26, 0x39, 0xF4, 0xCB, 0xDD}));
}
