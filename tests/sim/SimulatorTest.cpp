#include "SimWire.h"
#include "Simulator.h"
#include "TestSupport.h"

#include <gtest/gtest.h>


#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

using sim::Bytes;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

// A plain blocking client with bounded reads, independent of the tool's transport.
class Client
{
public:
    ~Client() { close(); }

    bool connect(const std::string& address, uint16_t port)
    {
        close();
        m_fd = testsupport::connectTo(address, port);
        return m_fd != testsupport::kNoSocket;
    }
    void close() { portable::closeSocket(m_fd); }
    void send(const Bytes& data) { ASSERT_TRUE(testsupport::sendAll(m_fd, data)); }

    // Up to n bytes: stops early at end of stream or after timeoutMs without data.
    Bytes read(size_t n, int timeoutMs = 3000)
    {
        Bytes out;
        while (out.size() < n) {
            if (!testsupport::waitReadable(m_fd, timeoutMs))
                break;
            uint8_t buf[65536];
            long got = portable::receiveSome(m_fd, buf, std::min(sizeof buf, n - out.size()));
            if (got <= 0) {
                m_eof = got == 0;
                break;
            }
            ++m_receives;
            out.insert(out.end(), buf, buf + got);
        }
        return out;
    }
    // True when nothing at all arrives within ms.
    bool silentFor(int ms) { return read(1, ms).empty() && !m_eof; }
    bool closedByPeer()
    {
        read(1 << 20, 3000);
        return m_eof;
    }

    Bytes gatewayReply(const Bytes& request, size_t size)
    {
        send(request);
        return read(size);
    }
    // Sends one bus request; the decoded reply frame, or nullopt when none came in silenceMs.
    std::optional<sim::wire::BusFrame> busExchange(uint8_t dest, uint8_t code, const Bytes& payload,
                                                   int silenceMs = 3000)
    {
        send(sim::wire::busMessage(1, sim::wire::busFrame(dest, code, 0xF0, payload)));
        return busReply(silenceMs);
    }
    std::optional<sim::wire::BusFrame> busReply(int silenceMs = 3000)
    {
        Bytes header = read(4, silenceMs);
        if (header.size() < 4)
            return std::nullopt;
        EXPECT_EQ(header[0], 1);
        EXPECT_EQ(header[1], 1);
        size_t length = header[2] | header[3] << 8;
        m_lastFrame = read(length);
        sim::wire::BusFrame frame;
        m_lastCheck = sim::wire::decodeBusFrame(m_lastFrame.data(), m_lastFrame.size(), &frame);
        if (m_lastCheck != sim::wire::FrameCheck::Ok)
            return std::nullopt;
        return frame;
    }

    int receives() const { return m_receives; }
    sim::wire::FrameCheck lastCheck() const { return m_lastCheck; }
    const Bytes& lastFrame() const { return m_lastFrame; }

private:
    testsupport::Socket m_fd = testsupport::kNoSocket;
    bool m_eof = false;
    int m_receives = 0;
    Bytes m_lastFrame;
    sim::wire::FrameCheck m_lastCheck = sim::wire::FrameCheck::Ok;
};

Bytes cat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes chunkPayload(uint32_t offset, uint8_t count, const Bytes& data = {})
{
    return cat({uint8_t(offset), uint8_t(offset >> 8), uint8_t(offset >> 16), 0, count}, data);
}

sim::Config configAt(int n)
{
    sim::Config c;
    c.address = testsupport::loopbackAddress(n);
    return c;
}

struct Running {
    std::unique_ptr<sim::Simulator> sim;
    explicit Running(const sim::Config& config) : sim(std::make_unique<sim::Simulator>(config))
    {
        std::string error;
        EXPECT_TRUE(sim->start(&error)) << error;
    }
    sim::Simulator* operator->() { return sim.get(); }
};

// ---- gateway port -------------------------------------------------------------------------

TEST(SimGateway, AnswersEveryRequestInOrder)
{
    sim::Config config = configAt(1);
    config.version = 107;
    config.password = "geheim";
    Running sim(config);
    auto objects = sim->objects();
    ASSERT_EQ(objects[2].size(), 16u);

    struct Case {
        const char* what;
        Bytes request;
        Bytes reply;
    };
    const Case cases[] = {
        {"version", {1, 7, 0}, {1, 8, 0x6B}},
        {"right password", cat({1, 9, 4, 6, 0, 0, 0}, {'g', 'e', 'h', 'e', 'i', 'm'}), {1, 10, 1}},
        {"placeholder against a set password", {1, 9, 4, 1, 0, 0, 0, 'x'}, {1, 10, 0}},
        {"password prefix", {1, 9, 4, 3, 0, 0, 0, 'g', 'e', 'h'}, {1, 10, 0}},
        {"backup of object 2", {1, 0, 2}, sim::wire::gatewayFrame(4, 2, objects[2])},
        {"unknown object", {1, 0, 4}, {1, 2, 2, 2, 0, 0, 0, 2, 0}},
        {"restore of object 3", {1, 1, 3, 3, 0, 0, 0, 0xAA, 0xBB, 0xCC}, {1, 5, 3}},
        {"restore of an unknown object", {1, 1, 9, 1, 0, 0, 0, 0xAA}, {1, 2, 2, 2, 0, 0, 0, 2, 0}},
        {"close", {1, 3, 0}, {1, 6, 0}},
    };
    Client client;
    ASSERT_TRUE(client.connect(config.address, 11574));
    for (const auto& c : cases)
        EXPECT_EQ(sim::wire::hex(client.gatewayReply(c.request, c.reply.size())), sim::wire::hex(c.reply)) << c.what;
    EXPECT_TRUE(client.silentFor(50));
    EXPECT_EQ(sim->objects()[3], (Bytes{0xAA, 0xBB, 0xCC}));
    EXPECT_EQ(sim->objects()[1], objects[1]);

    auto requests = sim->gatewayRequests();
    ASSERT_EQ(requests.size(), std::size(cases));
    EXPECT_EQ(requests[1].type, 9);
    EXPECT_EQ(requests[1].data, (Bytes{'g', 'e', 'h', 'e', 'i', 'm'}));
    EXPECT_EQ(requests[6].parameter, 3);
}

TEST(SimGateway, EmptyPasswordAcceptsOnlyThePlaceholderOrNothing)
{
    Running sim(configAt(2));
    Client client;
    ASSERT_TRUE(client.connect(sim->config().address, 11574));
    EXPECT_EQ(client.gatewayReply({1, 9, 4, 1, 0, 0, 0, 'x'}, 3), (Bytes{1, 10, 1}));
    EXPECT_EQ(client.gatewayReply({1, 9, 4, 0, 0, 0, 0}, 3), (Bytes{1, 10, 1}));
    EXPECT_EQ(client.gatewayReply({1, 9, 4, 1, 0, 0, 0, 'X'}, 3), (Bytes{1, 10, 0}));
}

TEST(SimGateway, ErrorRepliesOnBackupOrRestore)
{
    struct Case {
        int kind;
        bool onRestore;
    };
    int n = 3;
    for (Case c : {Case{1, false}, Case{2, false}, Case{1, true}, Case{2, true}}) {
        sim::Config config = configAt(n++);
        config.faults.errorReplyObject = 1;
        config.faults.errorReplyKind = c.kind;
        config.faults.errorOnRestore = c.onRestore;
        Running sim(config);
        auto before = sim->objects();
        Bytes error{1, 2, uint8_t(c.kind), 2, 0, 0, 0, uint8_t(c.kind), 0};
        Client client;
        ASSERT_TRUE(client.connect(config.address, 11574));
        Bytes backup = client.gatewayReply({1, 0, 1}, c.onRestore ? before[1].size() + 7 : error.size());
        Bytes restore = client.gatewayReply({1, 1, 1, 1, 0, 0, 0, 0x55}, c.onRestore ? error.size() : 3);
        if (c.onRestore) {
            EXPECT_EQ(backup, sim::wire::gatewayFrame(4, 1, before[1]));
            EXPECT_EQ(restore, error);
            EXPECT_EQ(sim->objects()[1], before[1]) << "a refused restore stores nothing";
        } else {
            EXPECT_EQ(backup, error);
            EXPECT_EQ(restore, (Bytes{1, 5, 1}));
        }
        // Other objects are not affected.
        EXPECT_EQ(client.gatewayReply({1, 0, 2}, 23), sim::wire::gatewayFrame(4, 2, before[2]));
    }
}

TEST(SimGateway, SilentRequestsStayUnansweredOthersAreServed)
{
    sim::Config config = configAt(10);
    config.faults.silentRequestType = 0;
    config.faults.silentRequestParam = 1;
    Running sim(config);
    Client client;
    ASSERT_TRUE(client.connect(config.address, 11574));
    client.send({1, 0, 1});
    EXPECT_TRUE(client.silentFor(150));
    EXPECT_EQ(client.gatewayReply({1, 0, 2}, 23), sim::wire::gatewayFrame(4, 2, sim->objects()[2]));
    EXPECT_EQ(client.gatewayReply({1, 7, 0}, 3), (Bytes{1, 8, 108}));
}

TEST(SimGateway, ClosesInTheMiddleOfAReplyThenServesTheNextConnection)
{
    sim::Config config = configAt(11);
    config.faults.closeMidFrameType = 0;
    Running sim(config);
    Client client;
    ASSERT_TRUE(client.connect(config.address, 11574));
    client.send({1, 0, 3});
    Bytes got = client.read(1 << 20);
    size_t full = sim->objects()[3].size() + 7;
    EXPECT_GT(got.size(), 0u);
    EXPECT_LT(got.size(), full);
    EXPECT_TRUE(client.closedByPeer());

    Client next;
    ASSERT_TRUE(next.connect(config.address, 11574));
    EXPECT_EQ(next.gatewayReply({1, 7, 0}, 3), (Bytes{1, 8, 108}));
}

TEST(SimGateway, ReplyShapes)
{
    {
        sim::Config config = configAt(12);
        config.faults.byteByByte = true;
        Running sim(config);
        Client client;
        ASSERT_TRUE(client.connect(config.address, 11574));
        EXPECT_EQ(client.gatewayReply({1, 0, 2}, 23), sim::wire::gatewayFrame(4, 2, sim->objects()[2]));
        EXPECT_GT(client.receives(), 2) << "the reply came in too few pieces";
    }
    {
        sim::Config config = configAt(13);
        config.faults.replyDelayMs = 5000;
        config.timeScale = 0.01;
        Running sim(config);
        Client client;
        ASSERT_TRUE(client.connect(config.address, 11574));
        auto t0 = Clock::now();
        EXPECT_EQ(client.gatewayReply({1, 7, 0}, 3), (Bytes{1, 8, 108}));
        EXPECT_GE(Clock::now() - t0, std::chrono::milliseconds(45));
    }
    {
        sim::Config config = configAt(14);
        config.faults.closeReplyType = 4;
        Running sim(config);
        Client client;
        ASSERT_TRUE(client.connect(config.address, 11574));
        EXPECT_EQ(client.gatewayReply({1, 3, 0}, 7), (Bytes{1, 4, 0, 0, 0, 0, 0}));
    }
}

TEST(SimGateway, SurvivesGarbage)
{
    Running sim(configAt(15));
    {
        Client client;
        ASSERT_TRUE(client.connect(sim->config().address, 11574));
        client.send({0xFF, 0xEE, 0xDD, 0xFF, 0xFF, 0xFF, 0xFF});  // announces 4 GiB
        EXPECT_TRUE(client.closedByPeer());
    }
    {
        Client client;
        ASSERT_TRUE(client.connect(sim->config().address, 11574));
        client.send({1, 5, 0, 1, 6, 0, 1, 8, 3});  // types that get no answer, then a cut request
    }
    Client client;
    ASSERT_TRUE(client.connect(sim->config().address, 11574));
    EXPECT_EQ(client.gatewayReply({1, 7, 0}, 3), (Bytes{1, 8, 108}));
}

// ---- bus-module port ----------------------------------------------------------------------

TEST(SimBus, SkdCommands)
{
    Running sim(configAt(20));
    auto skds = sim->skds();
    ASSERT_EQ(skds.size(), 3u);
    const Bytes& mem1 = skds[1].memory;
    Client bus;
    ASSERT_TRUE(bus.connect(sim->config().address, 11575));

    auto reset = bus.busExchange(0xC1, 0x01, {});
    ASSERT_TRUE(reset);
    EXPECT_EQ(reset->source, 0xC1);
    EXPECT_EQ(reset->destination, 0xF0);
    EXPECT_EQ(reset->code, 0x01);
    EXPECT_TRUE(reset->payload.empty());

    auto presence = bus.busExchange(0xC5, 0x02, {0});
    ASSERT_TRUE(presence);
    EXPECT_EQ(presence->source, 0xC5);
    EXPECT_EQ(presence->payload, Bytes{0});
    EXPECT_FALSE(bus.busExchange(0xC3, 0x02, {0}, 100)) << "SKD 3 is not on the bus";

    auto first = bus.busExchange(0xC1, 0x03, chunkPayload(0x30000, 128));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->code, 0x03);
    EXPECT_EQ(first->payload, Bytes(mem1.begin(), mem1.begin() + 128));
    auto last = bus.busExchange(0xC1, 0x03, chunkPayload(0x3F200, 128));
    ASSERT_TRUE(last);
    EXPECT_EQ(last->payload, Bytes(mem1.end() - 48, mem1.end())) << "clipped to the template area";

    Bytes written(128, 0x10);
    written[0] = 0x03;
    auto write = bus.busExchange(0xC1, 0x04, chunkPayload(0x30080, 128, written));
    ASSERT_TRUE(write);
    EXPECT_EQ(write->code, 0x04);
    Bytes now = sim->skds()[1].memory;
    EXPECT_EQ(Bytes(now.begin() + 0x80, now.begin() + 0x100), written);

    auto crc = bus.busExchange(0xC1, 0x06, {0x02});
    ASSERT_TRUE(crc);
    EXPECT_EQ(crc->payload, sim::Simulator::crcRecord(now));

    auto cfg = bus.busExchange(0xC2, 0x5E, {});
    ASSERT_TRUE(cfg);
    EXPECT_EQ(cfg->payload, skds[2].cfg);
    EXPECT_EQ(cfg->payload.size(), 5u);
    auto cfgWrite = bus.busExchange(0xC2, 0x60, {0x01, 9, 8, 7, 6, 5});
    ASSERT_TRUE(cfgWrite);
    EXPECT_EQ(cfgWrite->code, 0x1D);
    EXPECT_EQ(sim->skds()[2].cfg, (Bytes{9, 8, 7, 6, 5}));

    auto clean = bus.busExchange(0xC2, 0x5A, {0, 0});
    ASSERT_TRUE(clean);
    EXPECT_EQ(sim->skds()[2].memory, Bytes(sim::kTemplateSize, 0xFF));
    auto comp = bus.busExchange(0xC5, 0x71, {});
    ASSERT_TRUE(comp);
    EXPECT_EQ(comp->code, 0x71);
    EXPECT_FALSE(bus.busExchange(0xC5, 0x44, {}, 100)) << "unknown code";
    EXPECT_EQ(sim->frameViolations(), 0);
}

TEST(SimBus, BroadcastsActOnEverySkdWithoutReply)
{
    Running sim(configAt(21));
    Client bus;
    ASSERT_TRUE(bus.connect(sim->config().address, 11575));
    Bytes data(128, 0x5C);
    EXPECT_FALSE(bus.busExchange(207, 0x04, chunkPayload(0x30000, 128, data), 150));
    EXPECT_FALSE(bus.busExchange(207, 0x60, {0x01, 1, 2, 3, 4, 5}, 150));
    EXPECT_FALSE(bus.busExchange(255, 0x07, {}, 150));
    for (const auto& [n, skd] : sim->skds()) {
        EXPECT_EQ(Bytes(skd.memory.begin(), skd.memory.begin() + 128), data) << n;
        EXPECT_EQ(skd.cfg, (Bytes{1, 2, 3, 4, 5})) << n;
    }
    auto requests = sim->busRequests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].destination, 207);
    EXPECT_EQ(requests[0].payload, chunkPayload(0x30000, 128, data));
    EXPECT_EQ(requests[2].code, 0x07);
}

TEST(SimBus, BadFramesAreCountedAndNotAnswered)
{
    Running sim(configAt(22));
    Client bus;
    ASSERT_TRUE(bus.connect(sim->config().address, 11575));
    Bytes good = sim::wire::busFrame(0xC1, 0x02, 0xF0, {0});
    Bytes badSum = good;
    badSum[badSum.size() - 2] ^= 1;
    Bytes unstuffed{0x02, 0xC1, 0x03, 0xF0, 0x00, 0x00, 0x03, 0x00, 0x80, 0x00, 0x03};
    const Bytes bad[] = {
        sim::wire::busMessage(1, badSum),
        sim::wire::busMessage(1, unstuffed),
        sim::wire::busMessage(2, good),  // not a request message
    };
    int expected = 0;
    for (const Bytes& message : bad) {
        bus.send(message);
        EXPECT_TRUE(bus.silentFor(100));
        EXPECT_EQ(sim->frameViolations(), ++expected);
    }
    // A length field that does not match the frame: the frame ends before ETX.
    Bytes cut = sim::wire::busMessage(1, good);
    cut[2] -= 1;
    cut.pop_back();
    bus.send(cut);
    EXPECT_TRUE(bus.silentFor(100));
    EXPECT_EQ(sim->frameViolations(), ++expected);

    // The stream stays in step: the next good request is answered.
    auto reply = bus.busExchange(0xC1, 0x02, {0});
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->source, 0xC1);

    // A broken message header drops what is buffered; the connection goes on.
    bus.send({0x07, 0x01, 0x06, 0x00});
    EXPECT_TRUE(bus.silentFor(100));
    EXPECT_EQ(sim->frameViolations(), ++expected);
    EXPECT_TRUE(bus.busExchange(0xC1, 0x02, {0}));
    EXPECT_EQ(sim->busRequests().size(), 2u) << "bad frames are not recorded as requests";
}

TEST(SimBus, SkdFaults)
{
    sim::Config config = configAt(23);
    config.faults.silentSkds = {2};
    config.faults.ignoreWrites = {5};
    config.faults.dropReplyCode = 0x03;
    config.faults.dropReplyIndex = 2;
    config.faults.badChecksumCode = 0x02;
    config.faults.badChecksumIndex = 1;
    config.faults.emptyReadIndex = 3;
    Running sim(config);
    auto before = sim->skds();
    Client bus;
    ASSERT_TRUE(bus.connect(config.address, 11575));

    EXPECT_FALSE(bus.busExchange(0xC2, 0x02, {0}, 150)) << "silent SKD";
    EXPECT_FALSE(bus.busExchange(0xC2, 0x5A, {0, 0}, 150));
    EXPECT_EQ(sim->skds()[2].memory, before[2].memory) << "a silent SKD does nothing";

    // The first presence reply of each SKD carries a wrong checksum.
    EXPECT_FALSE(bus.busExchange(0xC1, 0x02, {0}));
    EXPECT_EQ(bus.lastCheck(), sim::wire::FrameCheck::BadChecksum);
    EXPECT_TRUE(bus.busExchange(0xC1, 0x02, {0}));

    // Reads of SKD 1: the second reply is dropped, the third carries no data.
    Bytes read = chunkPayload(0x30000, 128);
    auto r1 = bus.busExchange(0xC1, 0x03, read);
    ASSERT_TRUE(r1);
    EXPECT_EQ(r1->payload.size(), 128u);
    EXPECT_FALSE(bus.busExchange(0xC1, 0x03, read, 150));
    auto r3 = bus.busExchange(0xC1, 0x03, read);
    ASSERT_TRUE(r3);
    EXPECT_TRUE(r3->payload.empty());
    auto r4 = bus.busExchange(0xC1, 0x03, read);
    ASSERT_TRUE(r4);
    EXPECT_EQ(r4->payload.size(), 128u);
    // Counted per SKD: SKD 5's second read is dropped as well.
    EXPECT_TRUE(bus.busExchange(0xC5, 0x03, read));
    EXPECT_FALSE(bus.busExchange(0xC5, 0x03, read, 150));

    // SKD 5 acknowledges writes and keeps its memory, so its CRC stays.
    EXPECT_TRUE(bus.busExchange(0xC5, 0x04, chunkPayload(0x30000, 4, {1, 2, 3, 4})));
    auto crc = bus.busExchange(0xC5, 0x06, {0x02});
    ASSERT_TRUE(crc);
    EXPECT_EQ(crc->payload, sim::Simulator::crcRecord(before[5].memory));
}

TEST(SimBus, SplitRepliesArriveWhole)
{
    sim::Config config = configAt(24);
    config.faults.splitReplies = true;
    Running sim(config);
    Client bus;
    ASSERT_TRUE(bus.connect(config.address, 11575));
    auto reply = bus.busExchange(0xC1, 0x03, chunkPayload(0x30000, 128));
    ASSERT_TRUE(reply);
    const Bytes mem = sim->skds()[1].memory;
    EXPECT_EQ(reply->payload, Bytes(mem.begin(), mem.begin() + 128));
}

TEST(SimBus, RefusedPort)
{
    sim::Config config = configAt(25);
    config.faults.refuseBus = true;
    Running sim(config);
    Client bus;
    EXPECT_FALSE(bus.connect(config.address, 11575));
    Client gateway;
    EXPECT_TRUE(gateway.connect(config.address, 11574));
}

// ---- state and life cycle -----------------------------------------------------------------

TEST(SimState, SeedSaveAndLoad)
{
    sim::Config a;
    a.seed = 7;
    sim::Config b = a;
    b.seed = 8;
    sim::Simulator simA(a), simA2(a), simB(b);
    std::string difference;
    EXPECT_TRUE(simA.sameState(simA2));
    EXPECT_FALSE(simA.sameState(simB, &difference));
    EXPECT_FALSE(difference.empty());
    EXPECT_EQ(simA.objects()[2].size(), 16u);

    const testsupport::ScopedTempDir temp("nexo-sim-state");
    const std::string& dir = temp.dir();
    simB.setObject(0, {});
    ASSERT_TRUE(simB.saveState(dir + "/sub"));

    sim::Config other;
    other.seed = 99;
    other.version = 120;
    other.skds = {4};
    sim::Simulator loaded(other);
    ASSERT_TRUE(loaded.loadState(dir + "/sub"));
    EXPECT_TRUE(loaded.sameState(simB, &difference)) << difference;
    EXPECT_EQ(loaded.config().version, 108);
    EXPECT_EQ(loaded.config().skds, (std::vector<int>{1, 2, 5}));

    other.stateDir = dir + "/sub";
    sim::Simulator atStart(other);
    EXPECT_TRUE(atStart.sameState(simB, &difference)) << difference;

    // A damaged state is refused and leaves the simulator as it was.
    fs::resize_file(dir + "/sub/skd2.mem", 100);
    EXPECT_FALSE(loaded.loadState(dir + "/sub"));
    EXPECT_TRUE(loaded.sameState(simB));
    sim::Config damaged = configAt(30);
    damaged.stateDir = dir + "/sub";
    sim::Simulator refused(damaged);
    std::string error;
    EXPECT_FALSE(refused.start(&error));
    EXPECT_NE(error.find("state"), std::string::npos) << error;
}

TEST(SimState, SavedAfterAConnectionThatChangedIt)
{
    const testsupport::ScopedTempDir temp("nexo-sim-autosave");
    sim::Config config = configAt(31);
    config.autoSaveDir = temp.dir();
    Running sim(config);
    {
        Client client;
        ASSERT_TRUE(client.connect(config.address, 11574));
        EXPECT_EQ(client.gatewayReply({1, 1, 2, 2, 0, 0, 0, 0x10, 0x20}, 3), (Bytes{1, 5, 2}));
    }
    // Saved once the simulator has seen the connection end: wait for it, 20 s at most.
    const Bytes expected{0x10, 0x20};
    Bytes saved;
    for (const auto deadline = Clock::now() + std::chrono::seconds(20); saved != expected && Clock::now() < deadline;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const std::string text = testsupport::readFile(temp.path("object2.bin"));
        saved.assign(text.begin(), text.end());
    }
    EXPECT_EQ(saved, expected);
}

TEST(SimLifecycle, StopsPromptlyWhileBusy)
{
    sim::Config config = configAt(32);
    config.faults.replyDelayMs = 60000;
    Running sim(config);
    Client gateway, bus;
    ASSERT_TRUE(gateway.connect(config.address, 11574));
    ASSERT_TRUE(bus.connect(config.address, 11575));
    gateway.send({1, 7, 0});
    bus.send(sim::wire::busMessage(1, sim::wire::busFrame(0xC1, 0x02, 0xF0, {0})));
    // Both requests taken, so both replies are being held back when the stop comes.
    for (const auto deadline = Clock::now() + std::chrono::seconds(20);
         (sim->gatewayRequests().empty() || sim->busRequests().empty()) && Clock::now() < deadline;)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(sim->gatewayRequests().size(), 1u);
    ASSERT_EQ(sim->busRequests().size(), 1u);
    auto t0 = Clock::now();
    sim->stop();
    EXPECT_LT(Clock::now() - t0, std::chrono::seconds(2));
    // The ports are free again at once.
    std::string error;
    EXPECT_TRUE(sim->start(&error)) << error;
}

}  // namespace
