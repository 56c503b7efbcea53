#include "gateway/CDataNetwork.h"
#include "gateway/CErrorMessage.h"
#include "gateway/CFrame.h"
#include "platform/SocketError.h"

#include "TestSupport.h"
#include "TinyPeer.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint16_t kPort = CDataNetwork::kPort;

// A gateway connection with a scripted peer on this test's own address.
class DataNetworkTest : public ::testing::Test
{
protected:
    void open(int n)
    {
        const std::string address = testsupport::loopbackAddress(n);
        ASSERT_TRUE(peer.listen(address, kPort));
        ASSERT_TRUE(net.connect(address, kPort, 2000));
        ASSERT_TRUE(peer.accept());
    }

    testsupport::ScopedTimeScale scale{0.001};
    TinyPeer peer;
    CDataNetwork net;
};

TEST_F(DataNetworkTest, AccessorNeverHandsOutADeletedInstance)
{
    CDataNetwork* first = getDataNetwork();
    EXPECT_EQ(getDataNetwork(), first);
    EXPECT_EQ(first->getState(), CNetwork::Closed);
    delete first;
    CDataNetwork* second = getDataNetwork();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->getState(), CNetwork::Closed);
    delete second;
    // Deleting an instance that is not the shared one leaves the shared one alone.
    CDataNetwork* shared = getDataNetwork();
    { CDataNetwork other; }
    EXPECT_EQ(getDataNetwork(), shared);
    delete shared;
}

TEST_F(DataNetworkTest, SendsFramesWhole)
{
    open(10);
    const uint8_t data[] = {5, 6, 7};
    ASSERT_TRUE(net.sendFrame(CFrame::buildRestoreRequest(2, data, 3)));
    EXPECT_EQ(peer.read(10), (Bytes{1, 1, 2, 3, 0, 0, 0, 5, 6, 7}));
}

TEST_F(DataNetworkTest, HeaderArrivingOneByteAtATimeIsAssembled)
{
    open(11);
    // Each piece restarts the time-out: 100 ms gaps, 500 ms for each, 600 ms for the header.
    // Unscaled, so that a loaded machine has room.
    testsupport::ScopedTimeScale unscaled{1.0};
    std::thread writer([&] {
        for (uint8_t b : Bytes{1, 4, 2, 3, 0, 0, 0, 9, 8, 7}) {
            peer.send({b});
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    CFrame frame;
    EXPECT_EQ(net.receiveHeader(frame, 7, 500), 3);
    EXPECT_TRUE(net.receiveData(frame, 3));
    writer.join();
    EXPECT_EQ(frame.getType(), 4);
    EXPECT_EQ(frame.getParameter(), 2);
    ASSERT_NE(frame.data(), nullptr);
    EXPECT_EQ(Bytes(frame.data(), frame.data() + 3), (Bytes{9, 8, 7}));
}

TEST_F(DataNetworkTest, ErrorReplyWhereAShortHeaderWasAskedForStaysInStep)
{
    open(12);
    // An error reply with two data bytes, then a version reply.
    ASSERT_TRUE(peer.send({1, 2, 1, 2, 0, 0, 0, 0xEE, 0xFF, 1, 8, 0x6B}));
    CFrame error;
    EXPECT_EQ(net.receiveHeader(error, 3, 120000), 2);
    EXPECT_EQ(error.getType(), 2);
    EXPECT_EQ(error.getParameter(), 1);
    EXPECT_TRUE(net.receiveData(error, 2));
    CFrame next;
    EXPECT_EQ(net.receiveHeader(next, 3, 120000), 0);
    EXPECT_EQ(next.getType(), 8);
    EXPECT_EQ(next.getParameter(), 107);
}

TEST_F(DataNetworkTest, ReceiveFailures)
{
    open(13);
    CFrame frame;
    // Nothing comes: would block after the scaled time-out.
    EXPECT_EQ(net.receiveHeader(frame, 3, 120000), -1);
    EXPECT_EQ(net.getLastError(), 10035);

    // An absurd length fails without an allocation attempt.
    EXPECT_FALSE(net.receiveData(frame, CDataNetwork::kMaxDataLength + 1));
    EXPECT_EQ(net.getLastError(), ERR_NO_MEMORY);

    // A block of 0 bytes touches nothing.
    net.setLastError(0);
    EXPECT_TRUE(net.receiveData(frame, 0));
    EXPECT_EQ(net.getLastError(), 0);

    // Closed in the middle of a frame.
    ASSERT_TRUE(peer.send({1, 4, 0, 100, 0, 0, 0, 1, 2, 3}));
    peer.closeClient();
    EXPECT_EQ(net.receiveHeader(frame, 7, 120000), 100);
    EXPECT_FALSE(net.receiveData(frame, 100));
    EXPECT_EQ(net.getLastError(), 10038);
    EXPECT_EQ(net.getState(), CNetwork::Closed);
}

TEST_F(DataNetworkTest, AnnouncedLengthAboveTheLimitFailsTheHeaderWithNoMemory)
{
    open(17);
    // 4 GiB - 1 does not fit the int the header read answers: it must not pass for -1
    // with whatever code an earlier wait left behind.
    for (const Bytes& header : {Bytes{1, 4, 0, 0xFF, 0xFF, 0xFF, 0xFF}, Bytes{1, 4, 0, 0x01, 0x00, 0x00, 0x04}}) {
        net.setLastError(SOCK_WOULD_BLOCK);
        ASSERT_TRUE(peer.send(header));
        CFrame frame;
        EXPECT_EQ(net.receiveHeader(frame, 7, 120000), -1);
        EXPECT_EQ(net.getLastError(), ERR_NO_MEMORY);
        EXPECT_EQ(frame.getType(), 4);
    }
}

TEST_F(DataNetworkTest, HeaderCutByCloseFailsWithNotASocket)
{
    open(14);
    ASSERT_TRUE(peer.send({1, 4}));
    peer.closeClient();
    CFrame frame;
    EXPECT_EQ(net.receiveHeader(frame, 7, 120000), -1);
    EXPECT_EQ(net.getLastError(), 10038);
}

// However the peer ends the connection, it ends as on the close event: later receives and
// sends fail as on a closed socket, and the clean-up sends no close request into it.
TEST(DataNetworkEnd, PeerThatClosesOrResetsEndsTheConnection)
{
    testsupport::ScopedTimeScale scale{0.001};
    enum End { Close, Reset, CloseThenReset };
    const struct Case {
        const char* what;
        End end;
        bool sendFirst;  // a send, not a receive, is the first to meet the end
    } cases[] = {
        {"end of stream", Close, false},
        {"reset", Reset, false},
        {"end of stream, then a reset", CloseThenReset, false},
        {"end of stream, then a reset, met by a send", CloseThenReset, true},
    };
    int n = 20;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string address = testsupport::loopbackAddress(n++);
        TinyPeer peer;
        ASSERT_TRUE(peer.listen(address, kPort));
        CDataNetwork net;
        ASSERT_TRUE(net.connect(address, kPort, 2000));
        ASSERT_TRUE(peer.accept());
        if (c.end == Reset) {
            peer.resetClient();
        } else {
            peer.closeClient();
        }
        if (c.end == CloseThenReset) {
            // The closed peer answers a request with a reset.
            ASSERT_TRUE(net.sendFrame(CFrame::buildVersionRequest()));
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }

        if (c.sendFirst) {
            EXPECT_FALSE(net.sendFrame(CFrame::buildVersionRequest()));
        } else {
            CFrame frame;
            EXPECT_EQ(net.receiveHeader(frame, 3, 120000), -1);
        }
        EXPECT_EQ(net.getLastError(), 10038);
        EXPECT_EQ(net.getState(), CNetwork::Closed);
        uint8_t byte = 0;
        EXPECT_EQ(net.receiveSome(&byte, 1, 120000), -1);
        EXPECT_EQ(net.getLastError(), 10038);
        EXPECT_FALSE(net.sendFrame(CFrame::buildVersionRequest()));
        EXPECT_EQ(net.getLastError(), 10038);
        EXPECT_FALSE(net.closeConnection());
        EXPECT_EQ(net.getLastError(), ERR_ALREADY_CLOSED);
    }
}

TEST_F(DataNetworkTest, CloseConnection)
{
    // Confirmed.
    open(15);
    std::thread gateway([&] {
        if (peer.read(3) == Bytes{1, 3, 0})
            peer.send({1, 6, 0});
    });
    EXPECT_TRUE(net.closeConnection());
    gateway.join();
    EXPECT_EQ(net.getState(), CNetwork::Closed);

    // Already closed: nothing is sent.
    EXPECT_FALSE(net.closeConnection());
    EXPECT_EQ(net.getLastError(), ERR_ALREADY_CLOSED);
    EXPECT_TRUE(peer.read(1, std::chrono::milliseconds(100)).empty());
}

TEST_F(DataNetworkTest, CloseAnsweredWithAnotherTypeOrNotAtAll)
{
    open(16);
    std::thread gateway([&] {
        if (peer.read(3) == Bytes{1, 3, 0})
            peer.send({1, 8, 0});
    });
    EXPECT_FALSE(net.closeConnection());
    gateway.join();
    EXPECT_EQ(net.getLastError(), ERR_CLOSE_UNCONFIRMED);
    EXPECT_EQ(net.getState(), CNetwork::Connected);  // left open after another reply

    EXPECT_FALSE(net.closeConnection());  // no answer this time
    EXPECT_EQ(net.getLastError(), ERR_CLOSE_UNCONFIRMED);
    EXPECT_EQ(net.getState(), CNetwork::Closed);
}

}  // namespace
