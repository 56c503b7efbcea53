#include "gateway/CFrame.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

TEST(Frame, RequestsHaveTheirExactWireForm)
{
    const uint8_t abc[] = {0xAA, 0xBB, 0xCC};
    struct Case {
        const char* what;
        CFrame frame;
        Bytes wire;
    };
    Case cases[] = {
        {"version", CFrame::buildVersionRequest(), {1, 7, 0}},
        {"backup 2", CFrame::buildBackupRequest(2), {1, 0, 2}},
        {"close", CFrame::buildCloseRequest(), {1, 3, 0}},
        {"restore 1", CFrame::buildRestoreRequest(1, abc, 3), {1, 1, 1, 3, 0, 0, 0, 0xAA, 0xBB, 0xCC}},
        {"restore empty", CFrame::buildRestoreRequest(3, nullptr, 0), {1, 1, 3, 0, 0, 0, 0}},
        {"password", CFrame::buildPasswordRequest("ab\xE9"), {1, 9, 4, 3, 0, 0, 0, 'a', 'b', 0xE9}},
        {"empty password", CFrame::buildPasswordRequest(""), {1, 9, 4, 1, 0, 0, 0, 'x'}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.frame.wireSize(), c.wire.size()) << c.what;
        EXPECT_EQ(c.frame.serialize(), c.wire) << c.what;
    }
}

TEST(Frame, TypesWithoutLengthFieldAreThreeBytes)
{
    for (int type = 0; type < 256; ++type) {
        CFrame frame;
        frame.setType(static_cast<uint8_t>(type));
        const uint8_t one = 9;
        frame.setData(&one, 1);
        const bool shortType = type == 0 || type == 3 || type == 5 || type == 6 || type == 7 || type == 8 || type == 10;
        EXPECT_EQ(frame.wireSize(), shortType ? 3u : 8u) << type;
    }
}

TEST(Frame, ParsesReceivedHeaders)
{
    struct Case {
        Bytes header;
        uint8_t type;
        uint8_t parameter;
        uint32_t length;
    };
    const Case cases[] = {
        {{1, 8, 0x6B}, 8, 107, 0},
        {{1, 4, 2, 0x10, 0, 0, 0}, 4, 2, 16},
        {{0, 2, 1, 0x04, 0x03, 0x02, 0x01}, 2, 1, 0x01020304},
        {{1, 6, 0, 9, 9, 9, 9}, 6, 0, 0},  // a length-less type ignores bytes 3 to 6
        {{1, 2, 1}, 2, 1, 0},              // the length bytes were not read
    };
    for (const Case& c : cases) {
        CFrame frame;
        frame.parseHeader(c.header.data(), c.header.size());
        EXPECT_EQ(frame.getType(), c.type);
        EXPECT_EQ(frame.getParameter(), c.parameter);
        EXPECT_EQ(frame.getDataLength(), c.length);
    }
}

TEST(Frame, SetDataKeepsOnlyTheLastBlock)
{
    CFrame frame;
    EXPECT_EQ(frame.data(), nullptr);
    const uint8_t first[] = {1, 2, 3, 4};
    const uint8_t second[] = {7, 8};
    frame.setData(first, 4);
    frame.setData(second, 2);
    EXPECT_EQ(frame.getDataLength(), 2u);

    uint8_t out[4] = {0, 0, 0, 0};
    uint32_t count = 99;
    frame.getData(out, sizeof out, count);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(out[0], 7);
    EXPECT_EQ(out[1], 8);
    EXPECT_EQ(out[2], 0);

    CFrame empty;
    count = 99;
    empty.getData(out, sizeof out, count);
    EXPECT_EQ(count, 99u);
}

}  // namespace
