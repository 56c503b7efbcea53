#include "gateway/CErrorMessage.h"
#include "gateway/CNetwork.h"

#include "TestSupport.h"
#include "TinyPeer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace {

constexpr uint16_t kPort = 11574;

class NetworkTest : public ::testing::Test
{
protected:
    testsupport::ScopedTimeScale scale{0.01};
};

TEST_F(NetworkTest, NewConnectionIsClosed)
{
    CNetwork net;
    EXPECT_EQ(net.getState(), CNetwork::Closed);
    EXPECT_EQ(net.getConnectError(), 0);
    EXPECT_EQ(net.getLastError(), 0);
    EXPECT_TRUE(net.disconnect());
}

TEST_F(NetworkTest, RefusedConnectStaysConnectingUntilDisconnect)
{
    const std::string address = testsupport::loopbackAddress(1);
    CNetwork net;
    EXPECT_FALSE(net.connect(address, kPort, 2000));
    EXPECT_EQ(net.getConnectError(), 10061);
    EXPECT_EQ(net.getState(), CNetwork::Connecting);

    // Still Connecting: a second connect is refused without touching the socket.
    EXPECT_FALSE(net.connect(address, kPort, 2000));
    EXPECT_EQ(net.getConnectError(), ERR_NOT_CLOSED);
    EXPECT_EQ(net.getState(), CNetwork::Connecting);

    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(net.disconnect());  // no close event for a socket closed here
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(500));
    EXPECT_EQ(net.getState(), CNetwork::Closed);

    TinyPeer peer;
    ASSERT_TRUE(peer.listen(address, kPort));
    EXPECT_TRUE(net.connect(address, kPort, 2000));
    EXPECT_EQ(net.getState(), CNetwork::Connected);
    EXPECT_EQ(net.getConnectError(), 0);
    EXPECT_TRUE(peer.accept());

    EXPECT_FALSE(net.connect(address, kPort, 2000));
    EXPECT_EQ(net.getConnectError(), ERR_NOT_CLOSED);
    EXPECT_EQ(net.getState(), CNetwork::Connected);
}

TEST_F(NetworkTest, ConnectThatNeverCompletesTimesOutClosed)
{
    const std::string address = testsupport::loopbackAddress(2);
    TinyPeer peer;
    ASSERT_TRUE(peer.listen(address, kPort, 0));
    BacklogFiller filler;
    ASSERT_TRUE(filler.fill(address, kPort)) << "accept queue could not be filled";

    CNetwork net;
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(net.connect(address, kPort, 2000));
    const auto took = std::chrono::steady_clock::now() - before;
    EXPECT_EQ(net.getConnectError(), 10035);
    EXPECT_EQ(net.getState(), CNetwork::Closed);
    EXPECT_GE(took, std::chrono::milliseconds(20));  // 2000 ms scaled by 0.01
    EXPECT_LT(took, std::chrono::milliseconds(1500));

    // Closed again: the next connect is accepted as an attempt.
    EXPECT_FALSE(net.connect(address, kPort, 2000));
    EXPECT_NE(net.getConnectError(), ERR_NOT_CLOSED);
}

TEST_F(NetworkTest, HostNamesAreResolved)
{
    CNetwork unknown;
    EXPECT_FALSE(unknown.connect("nosuchhost.invalid", kPort, 2000));
    EXPECT_EQ(unknown.getConnectError(), 11001);
    EXPECT_EQ(unknown.getState(), CNetwork::Connecting);
    unknown.disconnect();

    CNetwork empty;
    EXPECT_FALSE(empty.connect("", kPort, 2000));
    EXPECT_EQ(empty.getConnectError(), 11001);

    // A name that resolves gets as far as the peer: refused, not "host not found".
    CNetwork named;
    EXPECT_FALSE(named.connect("localhost", 9, 2000));
    EXPECT_EQ(named.getConnectError(), 10061);
}

TEST_F(NetworkTest, ReceiveTimesOutWithWouldBlockAndFailsAfterPeerClose)
{
    const std::string address = testsupport::loopbackAddress(3);
    TinyPeer peer;
    ASSERT_TRUE(peer.listen(address, kPort));
    CNetwork net;
    ASSERT_TRUE(net.connect(address, kPort, 2000));
    ASSERT_TRUE(peer.accept());

    uint8_t buffer[8];
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(net.receiveSome(buffer, sizeof buffer, 5000), -1);
    const auto took = std::chrono::steady_clock::now() - before;
    EXPECT_EQ(net.getLastError(), 10035);
    EXPECT_GE(took, std::chrono::milliseconds(50));
    EXPECT_LT(took, std::chrono::milliseconds(2000));

    EXPECT_EQ(net.receiveNow(buffer, sizeof buffer), -1);
    EXPECT_EQ(net.getLastError(), 10035);

    // Bytes sent before the close are still read; then the close takes effect.
    ASSERT_TRUE(peer.send({1, 2, 3}));
    peer.closeClient();
    int got = 0;
    while (got < 3) {
        const int n = net.receiveSome(buffer + got, sizeof buffer - got, 5000);
        ASSERT_GT(n, 0);
        got += n;
    }
    EXPECT_EQ(buffer[0], 1);
    EXPECT_EQ(buffer[2], 3);
    EXPECT_EQ(net.receiveSome(buffer, sizeof buffer, 5000), -1);
    EXPECT_EQ(net.getLastError(), 10038);
    EXPECT_EQ(net.getState(), CNetwork::Closed);
    EXPECT_FALSE(net.sendAll(buffer, 1));
    EXPECT_EQ(net.getLastError(), 10038);
}

TEST_F(NetworkTest, SendAllContinuesWhenTheKernelTakesOnlyPart)
{
    const std::string address = testsupport::loopbackAddress(4);
    TinyPeer peer;
    ASSERT_TRUE(peer.listen(address, kPort));
    CNetwork net;
    ASSERT_TRUE(net.connect(address, kPort, 2000));
    ASSERT_TRUE(peer.accept());

    // Far more than the socket buffers hold, so sends would block until the peer reads.
    std::vector<uint8_t> big(8 * 1024 * 1024);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<uint8_t>(i * 7 + i / 251);
    std::vector<uint8_t> received;
    std::thread reader([&] { received = peer.read(big.size(), std::chrono::milliseconds(60000)); });
    // A generous limit (30 s once scaled): the point is that nothing is dropped, not speed.
    EXPECT_TRUE(net.sendAll(big.data(), big.size(), 3000000));
    reader.join();
    EXPECT_EQ(received, big);
}

TEST_F(NetworkTest, SendAllGivesUpWhenThePeerNeverReads)
{
    const std::string address = testsupport::loopbackAddress(5);
    TinyPeer peer;
    ASSERT_TRUE(peer.listen(address, kPort));
    CNetwork net;
    ASSERT_TRUE(net.connect(address, kPort, 2000));
    ASSERT_TRUE(peer.accept());

    std::vector<uint8_t> big(64 * 1024 * 1024);
    EXPECT_FALSE(net.sendAll(big.data(), big.size(), 5000));
    EXPECT_EQ(net.getLastError(), 10035);
}

}  // namespace
