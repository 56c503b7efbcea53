#include "BusFixture.h"
#include "ScriptedPeer.h"
#include "SimWire.h"

#include "bus/CKandoProtocol.h"
#include "job/CMessage.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;

namespace {

using bustest::kBusPort;

Bytes reply(uint8_t source, uint8_t code, const Bytes& data)
{
    return sim::wire::busMessage(1, sim::wire::busFrame(0xF0, code, source, data));
}

class BusExchange : public bustest::BusTest
{
protected:
    // Starts the peer on a fresh address of this test and connects the protocol to it.
    std::unique_ptr<ScriptedPeer> connectTo(ScriptedPeer::Script script)
    {
        const std::string address = nextAddress();
        auto peer = std::make_unique<ScriptedPeer>(address, kBusPort, std::move(script));
        EXPECT_TRUE(peer->listening());
        EXPECT_TRUE(getKandoNetwork()->connect(address, kBusPort, 30000));
        m_protocol.init(&m_dialog);
        return peer;
    }

    // Waits (10 s at most) until something, or the end of the stream, waits to be read on the
    // bus connection: a peer's write has arrived.
    static bool inputArrives()
    {
        struct Access : CKandoNetwork {
            static const sock::Socket& socketOf(const CNetwork& net) { return net.*(&Access::m_socket); }
        };
        return Access::socketOf(*getKandoNetwork()).waitFor(sock::Readable, std::chrono::seconds(10)) != 0;
    }

    CKandoProtocol m_protocol;
};

}  // namespace

TEST_F(BusExchange, RequestGoesOutWithItsHeader)
{
    Bytes seen;
    {
        auto peer = connectTo([&](ScriptedPeer& p) { seen = p.readMessage(); });
        m_protocol.resetBus(0xC1);
    }
    EXPECT_EQ(seen, (Bytes{0x01, 0x01, 0x06, 0x00, 0x02, 0xC1, 0x01, 0xF0, 0x4E, 0x03}));
}

TEST_F(BusExchange, PresenceProbeAnswers)
{
    // The probe's wait is for the whole header: 200 ms, not the 50 ms floor, leaves a loaded
    // machine room for the header that comes in 5 ms pieces.
    testsupport::ScopedTimeScale scale{0.2};
    struct Case {
        const char* name;
        ScriptedPeer::Script script;
        int expected;
    } cases[] = {
        {"reply from the SKD asked",
         [](ScriptedPeer& p) {
             p.readMessage();
             p.write(reply(0xC1, 0x02, {0x00}));
         },
         1},
        {"header in single bytes, 5 ms apart",
         [](ScriptedPeer& p) {
             p.readMessage();
             for (uint8_t b : reply(0xC1, 0x02, {0x00})) {
                 p.write({b});
                 std::this_thread::sleep_for(5ms);
             }
         },
         1},
        {"reply without its STX",
         [](ScriptedPeer& p) {
             p.readMessage();
             Bytes message = reply(0xC1, 0x02, {0x00});
             message[4] = 0x00;
             p.write(message);
         },
         0},
        {"reply from another station",
         [](ScriptedPeer& p) {
             p.readMessage();
             p.write(reply(0xC2, 0x02, {0x00}));
         },
         0},
        {"silence", [](ScriptedPeer& p) { p.readMessage(); }, 0},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto peer = connectTo(c.script);
        EXPECT_EQ(m_protocol.lookupBusForId(0xC1), c.expected);
        peer.reset();
        delete getKandoNetwork();
    }
}

// A reply that cannot be taken must never let the request in the message pass for the reply:
// decoded, the CRC request would be stored as a CRC record of "SKD48".
TEST_F(BusExchange, UnusableReplyHeaderIsNoReply)
{
    struct Case {
        const char* name;
        ScriptedPeer::Script script;
    } cases[] = {
        {"header cut short by close",
         [](ScriptedPeer& p) {
             p.readMessage();
             p.write({0x01, 0x01});
             p.closeConnection();
         }},
        {"header announcing more than a message holds",
         [](ScriptedPeer& p) {
             p.readMessage();
             Bytes big{0x01, 0x01, 0x58, 0x02};  // 600
             big.resize(4 + 600, 0x00);
             p.write(big);
         }},
        {"header announcing an empty frame",
         [](ScriptedPeer& p) {
             p.readMessage();
             p.write({0x01, 0x01, 0x00, 0x00});
         }},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_dialog.clear();
        auto peer = connectTo(c.script);
        m_protocol.backupSKDCrc(0xC1);
        peer.reset();
        delete getKandoNetwork();
        EXPECT_FALSE(getFileManager()->containsKey("SKD48.CRC"));
        EXPECT_FALSE(getFileManager()->containsKey("SKD1.CRC"));
        EXPECT_TRUE(anyLineContains("ERROR -- backupSKDCrc (Error: ¡El SKD 1 no responde!"));
    }
}

// A CRC or configuration reply that cannot be stored is no reply: the backup is reported as
// lacking the record instead of going on without it in silence.
TEST_F(BusExchange, UnusableRecordReplyIsReportedAsNoReply)
{
    auto badChecksum = [](Bytes message) {
        message[message.size() - 2] ^= 0x40;
        return message;
    };
    struct Case {
        const char* name;
        bool cfg;          // backupSKDCfg, else backupSKDCrc
        Bytes reply;
        const char* key;   // the key stored; null: nothing stored and the SKD reported
    } cases[] = {
        {"CRC with a wrong checksum", false, badChecksum(reply(0xC1, 0x06, {1, 2, 3, 4, 5})), nullptr},
        {"CRC without data", false, reply(0xC1, 0x06, {}), nullptr},
        {"CRC from another station", false, reply(0xC2, 0x06, {1, 2, 3, 4, 5}), "SKD2.CRC"},
        {"configuration: silence", true, {}, nullptr},
        {"configuration with a wrong checksum", true, badChecksum(reply(0xC1, 0x5E, {1, 2, 3, 4, 5})), nullptr},
        {"configuration of 4 bytes", true, reply(0xC1, 0x5E, {1, 2, 3, 4}), nullptr},
        {"configuration of 7 bytes", true, reply(0xC1, 0x5E, {1, 2, 3, 4, 5, 6, 7}), "SKD1.CFG"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_dialog.clear();
        getFileManager()->open(m_temp.path(std::string(c.name) + ".mrk"));
        auto peer = connectTo([&](ScriptedPeer& p) {
            p.readMessage();
            p.write(c.reply);
        });
        if (c.cfg)
            m_protocol.backupSKDCfg(0xC1);
        else
            m_protocol.backupSKDCrc(0xC1);
        peer.reset();
        delete getKandoNetwork();

        const std::string call = c.cfg ? "backupSKDCfg" : "backupSKDCrc";
        EXPECT_EQ(anyLineContains("ERROR -- " + call + " (Error: ¡El SKD 1 no responde!"), c.key == nullptr);
        for (const char* key : {"SKD1.CRC", "SKD2.CRC", "SKD1.CFG", "SKD48.CRC", "SKD48.CFG"})
            EXPECT_EQ(getFileManager()->containsKey(key), c.key && std::string(c.key) == key) << key;
    }
    EXPECT_EQ(linesWith("ERROR"), 0) << "the last case stores its record";
}

// A read reply that is not the chunk asked for counts as no reply: nothing of it reaches the
// image or is written back, and the SKD is given up after six attempts.
TEST_F(BusExchange, ForeignOrOversizedReadReplyIsNoReply)
{
    struct Case {
        const char* name;
        Bytes reply;
    } cases[] = {
        {"from another station", reply(0xC2, 0x03, Bytes(128, 0x5A))},
        {"more bytes than asked", reply(0xC1, 0x03, Bytes(129, 0x5A))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_dialog.clear();
        int reads = 0;
        int writes = 0;
        auto peer = connectTo([&](ScriptedPeer& p) {
            for (Bytes request = p.readMessage(); !request.empty(); request = p.readMessage()) {
                const auto frame = Bytes(request.begin() + 4, request.end());
                sim::wire::BusFrame decoded;
                if (sim::wire::decodeBusFrame(frame.data(), frame.size(), &decoded) != sim::wire::FrameCheck::Ok)
                    continue;
                if (decoded.code == 0x04)
                    ++writes;
                if (decoded.code == 0x03 && ++reads == 1)
                    p.write(c.reply);  // then silence
            }
        });
        m_protocol.backupTemplates(0xC1);
        delete getKandoNetwork();
        peer.reset();

        EXPECT_EQ(reads, 6);
        EXPECT_EQ(writes, 0);
        EXPECT_EQ(getFileManager()->getInt("SKD64.DataLength"), 0);
        EXPECT_FALSE(getFileManager()->containsKey("SKD1.DataLength"));
        EXPECT_FALSE(getFileManager()->containsKey("SKD2.DataLength"));
        EXPECT_TRUE(anyLineContains("Error: ¡El SKD 1 no responde!"));
    }
}

TEST_F(BusExchange, LateReplyIsDiscardedBeforeTheNextRequest)
{
    auto peer = connectTo([](ScriptedPeer& p) {
        p.write(reply(0xC2, 0x02, {0x00}));  // left over from an earlier exchange
        p.readMessage();                     // and no answer to this one
    });
    ASSERT_TRUE(inputArrives());
    EXPECT_EQ(m_protocol.lookupBusForId(0xC2), 0);
}

TEST_F(BusExchange, BroadcastCountsAsAnsweredInSilence)
{
    auto peer = connectTo([](ScriptedPeer& p) { p.readMessage(); });
    CBusMessage message;
    buildClean(message, 0xCF);
    ASSERT_TRUE(getKandoNetwork()->sendRequest(message));
    EXPECT_EQ(m_protocol.awaitReply(message, 4, 90000), 1);
}

TEST_F(BusExchange, ShortCrcReplyFailsTheCheck)
{
    const uint8_t expected[5] = {1, 2, 3, 4, 5};
    auto peer = connectTo([](ScriptedPeer& p) {
        p.readMessage();
        p.write(reply(0xC1, 0x06, {1, 2, 3}));
    });
    EXPECT_EQ(m_protocol.checkSKDCrc(0xC1, expected), 0);
    EXPECT_TRUE(anyLineContains("Error: SKD 1 no se ha restablecido correctamente"));
}

TEST_F(BusExchange, SendFailureReportsTheConnectionsLastError)
{
    auto peer = connectTo([](ScriptedPeer& p) { p.closeConnection(); });
    peer.reset();
    ASSERT_TRUE(inputArrives());  // the end of the stream
    m_protocol.setProgMode(1);
    const auto lines = m_dialog.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("ERROR -- setProgMode (Se ha producido un error de red. -> ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[0].find("[0])"), std::string::npos) << lines[0];
}
