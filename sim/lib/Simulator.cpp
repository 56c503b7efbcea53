#include "Simulator.h"

#include "Portable.h"
#include "SimWire.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>
#include <utility>

namespace sim {

namespace {

constexpr size_t kMaxGatewayData = 64u << 20;  // larger announced blocks end the connection
constexpr const char* kObjectNames[4] = {"UserManagerConfig", "ConfigManager", "DayLightConfig",
                                         "SystemTimeConfig"};

struct SplitMix64 {
    uint64_t state;
    explicit SplitMix64(uint64_t seed) : state(seed) {}
    uint64_t next()
    {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
};

SplitMix64 stream(uint32_t seed, uint64_t id)
{
    SplitMix64 mix(seed);
    return SplitMix64(mix.next() ^ (id * 0xD1B54A32D192ED03ull));
}

Bytes randomBytes(SplitMix64& rng, size_t n)
{
    Bytes out(n);
    for (size_t i = 0; i < n; i += 8) {
        uint64_t v = rng.next();
        for (size_t k = 0; k < 8 && i + k < n; ++k)
            out[i + k] = static_cast<uint8_t>(v >> (8 * k));
    }
    return out;
}

std::array<Bytes, 4> generateObjects(uint32_t seed)
{
    // Sizes as the real objects have them, varying a little with the seed.
    const size_t base[4] = {48 * 1024, 300 * 1024, 16, 200};
    const size_t spread[4] = {1024, 8192, 0, 16};
    std::array<Bytes, 4> objects;
    for (int i = 0; i < 4; ++i) {
        SplitMix64 rng = stream(seed, 100 + i);
        size_t size = base[i] + (spread[i] ? rng.next() % (spread[i] + 1) : 0);
        objects[i] = randomBytes(rng, size);
    }
    return objects;
}

SkdState generateSkd(uint32_t seed, int number)
{
    SplitMix64 rng = stream(seed, 200 + number);
    SkdState skd;
    skd.memory = randomBytes(rng, kTemplateSize);
    skd.cfg = randomBytes(rng, 5);
    skd.cfg[0] = static_cast<uint8_t>(number);
    return skd;
}

uint32_t crc32(const Bytes& data)
{
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (uint8_t b : data)
        c = table[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

bool readFile(const std::string& path, Bytes* out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool writeFile(const std::string& path, const Bytes& data)
{
    std::error_code ignored;
    std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
        out.flush();
        if (!out) {
            out.close();
            std::filesystem::remove(tmp, ignored);
            return false;
        }
    }
    std::filesystem::rename(tmp, path, ignored);
    if (ignored) {
        std::filesystem::remove(tmp, ignored);
        return false;
    }
    return true;
}

bool makeDirs(const std::string& dir)
{
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    return std::filesystem::is_directory(dir, error);
}

void normalizeSkd(SkdState& skd)
{
    skd.memory.resize(kTemplateSize, 0xFF);
}

std::string skdList(const std::map<int, SkdState>& skds)
{
    std::string s;
    for (const auto& [n, skd] : skds)
        s += (s.empty() ? "" : " ") + std::to_string(n);
    return s;
}

// One accepted connection: non-blocking socket, every wait also watches the wake-up.
struct Conn {
    portable::Socket fd = portable::kNoSocket;
    const portable::WakeUp* wake = nullptr;

    // Waits for events on the socket; false when the simulator stops.
    bool waitFor(short events) const
    {
        return portable::waitFor(fd, events, std::chrono::nanoseconds(-1), wake) > 0;
    }

    // Appends what arrives; false when the peer closed, on error, or on stop.
    bool receive(Bytes& buffer) const
    {
        uint8_t chunk[65536];
        for (;;) {
            if (!waitFor(portable::Readable))
                return false;
            long n = portable::receiveSome(fd, chunk, sizeof chunk);
            if (n > 0) {
                buffer.insert(buffer.end(), chunk, chunk + n);
                return true;
            }
            if (n == 0)
                return false;
            if (!portable::lastSocketErrorIsTransient())
                return false;
        }
    }

    bool send(const uint8_t* data, size_t size) const
    {
        while (size > 0) {
            long n = portable::sendSome(fd, data, size);
            if (n > 0) {
                data += n;
                size -= static_cast<size_t>(n);
                continue;
            }
            if (n < 0 && !portable::lastSocketErrorIsTransient())
                return false;
            if (!waitFor(portable::Writable))
                return false;
        }
        return true;
    }
};

}  // namespace

struct Simulator::Impl {
    Config config;
    std::string loadError;

    mutable std::mutex mutex;  // everything below up to the threads
    std::array<Bytes, 4> objects;
    std::map<int, SkdState> skds;
    std::map<int, bool> programming;
    std::map<std::pair<int, int>, int> requestCounts;  // (SKD, code) -> requests so far
    std::vector<GatewayRequest> gatewayRequests;
    std::vector<BusRequest> busRequests;
    int violations = 0;
    int gatewayAccepted = 0;
    int busAccepted = 0;

    mutable std::mutex saveMutex;
    std::mutex logMutex;
    portable::WakeUp wake;
    portable::Socket gatewayListen = portable::kNoSocket;
    portable::Socket busListen = portable::kNoSocket;
    std::thread gatewayThread;
    std::thread busThread;
    bool running = false;

    void log(const std::string& line)
    {
        if (!config.log)
            return;
        std::lock_guard<std::mutex> lock(logMutex);
        std::fprintf(stderr, "nexo-sim %s\n", line.c_str());
    }

    // Sleeps unless the simulator stops meanwhile; false on stop.
    bool pause(double ms) const
    {
        if (ms <= 0)
            return true;
        const auto wait = std::chrono::nanoseconds(static_cast<int64_t>(ms * 1e6));
        return portable::waitFor(portable::kNoSocket, 0, wait, &wake) == 0;
    }

    void autoSave(const char* what)
    {
        if (config.autoSaveDir.empty())
            return;
        std::string dir = config.autoSaveDir;
        if (!save(dir))
            log(std::string("could not save the state to ") + dir);
        else
            log(std::string("state saved to ") + dir + " after a " + what + " connection");
    }

    bool save(const std::string& dir) const;

    // ---- serving -------------------------------------------------------------------------

    void serve(portable::Socket listener, bool gateway)
    {
        for (;;) {
            if (portable::waitFor(listener, portable::Readable, std::chrono::nanoseconds(-1), &wake) <= 0)
                return;
            portable::Socket fd = portable::acceptFrom(listener, true);
            if (fd == portable::kNoSocket) {
                // Out of descriptors and the like: do not spin on the still readable listener.
                if (!portable::lastSocketErrorIsTransient() && !portable::lastSocketErrorIsAbortedConnection() &&
                    !pause(10))
                    return;
                continue;
            }
            portable::setNoDelay(fd);
            {
                std::lock_guard<std::mutex> lock(mutex);
                ++(gateway ? gatewayAccepted : busAccepted);
            }
            Conn conn{fd, &wake};
            log(gateway ? "gw  connection opened" : "bus connection opened");
            bool changed = gateway ? serveGateway(conn) : serveBus(conn);
            portable::closeSocket(fd);
            log(gateway ? "gw  connection closed" : "bus connection closed");
            if (changed)
                autoSave(gateway ? "restore" : "bus");
        }
    }

    bool sendReply(const Conn& conn, const Bytes& reply)
    {
        if (config.faults.byteByByte) {
            for (size_t i = 0; i < reply.size(); ++i) {
                if (!conn.send(&reply[i], 1))
                    return false;
                if (i < 64 && i + 1 < reply.size() && !pause(1.0))
                    return false;
            }
            return true;
        }
        return conn.send(reply.data(), reply.size());
    }

    // Answers one gateway request; false ends the connection.
    bool gatewayRequest(const Conn& conn, uint8_t type, uint8_t param, Bytes data, bool& changed)
    {
        const Faults& f = config.faults;
        if (config.log)
            log("gw  <- " + wire::hex(wire::gatewayFrame(type, param, data)));
        std::optional<Bytes> reply;
        {
            std::lock_guard<std::mutex> lock(mutex);
            bool errorHere = f.errorReplyObject >= 0 && param == f.errorReplyObject;
            Bytes errorReply = wire::gatewayFrame(2, static_cast<uint8_t>(f.errorReplyKind),
                                                  {static_cast<uint8_t>(f.errorReplyKind), 0});
            switch (type) {
            case 7:
                reply = wire::gatewayFrame(8, static_cast<uint8_t>(config.version));
                break;
            case 9: {
                Bytes expected(config.password.begin(), config.password.end());
                bool ok = data == expected || (config.password.empty() && data == Bytes{'x'});
                reply = wire::gatewayFrame(10, ok ? 1 : 0);
                break;
            }
            case 0:
                if (param > 3)
                    reply = wire::gatewayFrame(2, 2, {2, 0});
                else if (errorHere && !f.errorOnRestore)
                    reply = errorReply;
                else
                    reply = wire::gatewayFrame(4, param, objects[param]);
                break;
            case 1:
                if (param > 3) {
                    reply = wire::gatewayFrame(2, 2, {2, 0});
                } else if (errorHere && f.errorOnRestore) {
                    reply = errorReply;
                } else {
                    objects[param] = data;
                    changed = true;
                    reply = wire::gatewayFrame(5, param);
                }
                break;
            case 3:
                reply = wire::gatewayFrame(static_cast<uint8_t>(f.closeReplyType), 0);
                break;
            default:
                break;
            }
            if (config.recordRequests)
                gatewayRequests.push_back(GatewayRequest{type, param, std::move(data)});
        }
        if (!reply)
            return true;
        if (type == f.silentRequestType && (f.silentRequestParam < 0 || param == f.silentRequestParam)) {
            log("gw  (no reply: fault)");
            return true;
        }
        if (f.replyDelayMs > 0 && !pause(f.replyDelayMs * config.timeScale))
            return false;
        if (type == f.closeMidFrameType) {
            size_t half = reply->size() / 2 ? reply->size() / 2 : 1;
            conn.send(reply->data(), half);
            log("gw  connection closed in the middle of a reply (fault)");
            return false;
        }
        return sendReply(conn, *reply);
    }

    bool serveGateway(const Conn& conn)
    {
        Bytes in;
        bool changed = false;
        for (;;) {
            if (!conn.receive(in))
                return changed;
            size_t pos = 0;
            for (;;) {
                size_t avail = in.size() - pos;
                if (avail < 3)
                    break;
                uint8_t type = in[pos + 1];
                uint8_t param = in[pos + 2];
                size_t need = 3;
                size_t length = 0;
                if (wire::hasLengthField(type)) {
                    if (avail < 7)
                        break;
                    length = static_cast<size_t>(in[pos + 3]) | static_cast<size_t>(in[pos + 4]) << 8 |
                             static_cast<size_t>(in[pos + 5]) << 16 | static_cast<size_t>(in[pos + 6]) << 24;
                    if (length > kMaxGatewayData) {
                        log("gw  request announces " + std::to_string(length) + " bytes; connection closed");
                        return changed;
                    }
                    need = 7 + length;
                }
                if (avail < need)
                    break;
                Bytes data(in.begin() + static_cast<long>(pos + need - length), in.begin() + static_cast<long>(pos + need));
                pos += need;
                if (!gatewayRequest(conn, type, param, std::move(data), changed))
                    return changed;
            }
            in.erase(in.begin(), in.begin() + static_cast<long>(pos));
        }
    }

    // Carries out one request on one SKD; the reply (code, data) when it answers.
    std::optional<std::pair<uint8_t, Bytes>> apply(int number, SkdState& skd, uint8_t code, const Bytes& p,
                                                   int count, bool& changed)
    {
        const Faults& f = config.faults;
        switch (code) {
        case 0x01:
            programming[number] = false;
            return std::make_pair(code, Bytes{});
        case 0x02:
            return std::make_pair(code, Bytes{0x00});
        case 0x03: {
            if (p.size() != 5)
                return std::nullopt;
            uint32_t offset = p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
            Bytes data;
            for (size_t i = 0; i < p[4]; ++i) {
                uint64_t a = uint64_t(offset) + i;
                if (a >= kTemplateStart && a < kTemplateEnd)
                    data.push_back(skd.memory[a - kTemplateStart]);
            }
            if (count == f.emptyReadIndex)
                data.clear();
            return std::make_pair(code, data);
        }
        case 0x04: {
            if (p.size() < 5 || p.size() != 5u + p[4])
                return std::nullopt;
            uint32_t offset = p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
            if (!f.ignoreWrites.count(number)) {
                for (size_t i = 0; i < p[4]; ++i) {
                    uint64_t a = uint64_t(offset) + i;
                    if (a >= kTemplateStart && a < kTemplateEnd)
                        skd.memory[a - kTemplateStart] = p[5 + i];
                }
                changed = true;
            }
            return std::make_pair(code, Bytes{});
        }
        case 0x06:
            return std::make_pair(code, crcRecord(skd.memory));
        case 0x07:
        case 0x08:
            programming[number] = code == 0x07;
            return std::nullopt;
        case 0x5A:
            std::fill(skd.memory.begin(), skd.memory.end(), 0xFF);
            changed = true;
            return std::make_pair(code, Bytes{});
        case 0x5E:
            return std::make_pair(code, skd.cfg);
        case 0x60:
            if (p.size() < 2)
                return std::nullopt;
            skd.cfg.assign(p.begin() + 1, p.end());
            changed = true;
            return std::make_pair(uint8_t{0x1D}, Bytes{});
        case 0x71:
            return std::make_pair(code, Bytes{});
        default:
            return std::nullopt;
        }
    }

    bool sendBusReply(const Conn& conn, const Bytes& message)
    {
        if (!config.faults.splitReplies || message.size() < 3)
            return sendReply(conn, message);
        // Three pieces: the header cut in two, then the rest.
        size_t cuts[2] = {2, message.size() > 6 ? 6 : message.size() - 1};
        size_t start = 0;
        for (size_t cut : cuts) {
            if (!conn.send(&message[start], cut - start) || !pause(0.5))
                return false;
            start = cut;
        }
        return conn.send(&message[start], message.size() - start);
    }

    // Handles one well-formed bus frame; false ends the connection.
    bool busFrame(const Conn& conn, const wire::BusFrame& frame, bool& changed)
    {
        const Faults& f = config.faults;
        std::optional<Bytes> message;
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (config.recordRequests)
                busRequests.push_back(BusRequest{frame.destination, frame.code, frame.payload});
            auto alive = [&](int n, const SkdState& s) { return s.present && !f.silentSkds.count(n); };
            if (frame.destination == wire::kAllSkds || frame.destination == wire::kEveryStation) {
                for (auto& [n, skd] : skds)
                    if (alive(n, skd))
                        apply(n, skd, frame.code, frame.payload, 0, changed);
                return true;
            }
            int number = static_cast<uint8_t>(frame.destination + 64);
            auto it = skds.find(number);
            if (it == skds.end() || !alive(number, it->second))
                return true;
            int count = ++requestCounts[{number, frame.code}];
            auto reply = apply(number, it->second, frame.code, frame.payload, count, changed);
            if (!reply)
                return true;
            if (frame.code == f.dropReplyCode && count == f.dropReplyIndex) {
                log("bus (reply dropped: fault)");
                return true;
            }
            Bytes bytes = wire::busFrame(wire::kToolAddress, reply->first, frame.destination, reply->second);
            if (frame.code == f.badChecksumCode && count == f.badChecksumIndex) {
                uint8_t& check = bytes[bytes.size() - 2];
                do
                    ++check;
                while (check == wire::kEtx || check == wire::kDle);
                log("bus (wrong checksum: fault)");
            }
            message = wire::busMessage(1, bytes);
        }
        if (f.replyDelayMs > 0 && !pause(f.replyDelayMs * config.timeScale))
            return false;
        return sendBusReply(conn, *message);
    }

    void violation(const std::string& what, const uint8_t* data, size_t size)
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            ++violations;
        }
        log("bus frame violation: " + what + ": " + wire::hex(data, size));
    }

    bool serveBus(const Conn& conn)
    {
        Bytes in;
        bool changed = false;
        for (;;) {
            if (!conn.receive(in))
                return changed;
            size_t pos = 0;
            while (in.size() - pos >= 4) {
                const uint8_t* h = &in[pos];
                size_t length = h[2] | h[3] << 8;
                if (h[0] != 0x01 || length == 0 || length > wire::kMaxBusFrame) {
                    // The framing cannot be trusted any more: drop what is buffered.
                    violation("bad message header", h, in.size() - pos);
                    pos = in.size();
                    break;
                }
                if (in.size() - pos < 4 + length)
                    break;
                const uint8_t* frameBytes = h + 4;
                if (config.log)
                    log("bus <- " + wire::hex(h, 4 + length, 600));
                wire::BusFrame frame;
                wire::FrameCheck check = wire::decodeBusFrame(frameBytes, length, &frame);
                size_t consumed = 4 + length;
                if (h[1] != 1) {
                    violation("message type " + std::to_string(h[1]), h, consumed);
                } else if (check != wire::FrameCheck::Ok) {
                    violation(wire::frameCheckText(check), h, consumed);
                } else if (!busFrame(conn, frame, changed)) {
                    return changed;
                }
                pos += consumed;
            }
            in.erase(in.begin(), in.begin() + static_cast<long>(pos));
        }
    }
};

Simulator::Simulator(Config config) : m_impl(std::make_unique<Impl>())
{
    Impl& d = *m_impl;
    d.config = std::move(config);
    std::vector<int> numbers;
    for (int n : d.config.skds)
        if (n >= 1 && n <= 8)
            numbers.push_back(n);
    d.config.skds = numbers;
    d.objects = generateObjects(d.config.seed);
    for (int n : numbers)
        d.skds[n] = generateSkd(d.config.seed, n);
    if (!d.config.stateDir.empty()) {
        std::error_code error;
        if (std::filesystem::exists(d.config.stateDir + "/sim.txt", error) && !loadState(d.config.stateDir))
            d.loadError = "cannot load the state in " + d.config.stateDir;
    }
}

Simulator::~Simulator()
{
    stop();
}

bool Simulator::start(std::string* error)
{
    Impl& d = *m_impl;
    auto fail = [&](const std::string& what) {
        if (error)
            *error = what;
        stop();
        return false;
    };
    if (d.running)
        return true;
    if (!d.loadError.empty())
        return fail(d.loadError);
    std::string what;
    if (!d.wake.open(&what))
        return fail(what);
    d.running = true;

    auto listenOn = [&](uint16_t port, portable::Socket* out) -> bool {
        std::string why;
        *out = portable::listenOn(d.config.address, port, 8, true, &why);
        if (*out == portable::kNoSocket)
            return fail("cannot listen on " + d.config.address + ":" + std::to_string(port) + ": " + why);
        return true;
    };
    if (!listenOn(d.config.gatewayPort, &d.gatewayListen))
        return false;
    if (!d.config.faults.refuseBus && !listenOn(d.config.busPort, &d.busListen))
        return false;
    d.gatewayThread = std::thread([&d] { d.serve(d.gatewayListen, true); });
    if (d.busListen != portable::kNoSocket)
        d.busThread = std::thread([&d] { d.serve(d.busListen, false); });
    return true;
}

void Simulator::stop()
{
    Impl& d = *m_impl;
    if (!d.running)
        return;
    d.wake.signal();
    if (d.gatewayThread.joinable())
        d.gatewayThread.join();
    if (d.busThread.joinable())
        d.busThread.join();
    portable::closeSocket(d.gatewayListen);
    portable::closeSocket(d.busListen);
    d.wake.close();
    d.running = false;
}

const Config& Simulator::config() const
{
    return m_impl->config;
}

std::array<Bytes, 4> Simulator::objects() const
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->objects;
}

void Simulator::setObject(int index, const Bytes& data)
{
    if (index < 0 || index > 3)
        return;
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->objects[index] = data;
}

std::map<int, SkdState> Simulator::skds() const
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->skds;
}

void Simulator::setSkdMemory(int number, const Bytes& memory)
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    auto it = m_impl->skds.find(number);
    if (it == m_impl->skds.end())
        return;
    it->second.memory = memory;
    normalizeSkd(it->second);
}

Bytes Simulator::crcRecord(const Bytes& memory)
{
    uint32_t c = crc32(memory);
    uint8_t sum = 0;
    for (uint8_t b : memory)
        sum = static_cast<uint8_t>(sum + b);
    return {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c >> 16),
            static_cast<uint8_t>(c >> 24), sum};
}

bool Simulator::Impl::save(const std::string& dir) const
{
    std::array<Bytes, 4> objs;
    std::map<int, SkdState> mods;
    int version;
    {
        std::lock_guard<std::mutex> lock(mutex);
        objs = objects;
        mods = skds;
        version = config.version;
    }
    std::lock_guard<std::mutex> lock(saveMutex);
    if (!makeDirs(dir))
        return false;
    for (int i = 0; i < 4; ++i)
        if (!writeFile(dir + "/object" + std::to_string(i) + ".bin", objs[i]))
            return false;
    for (const auto& [n, skd] : mods) {
        std::string base = dir + "/skd" + std::to_string(n);
        if (!writeFile(base + ".mem", skd.memory) || !writeFile(base + ".cfg", skd.cfg))
            return false;
    }
    std::string text = "nexo-sim state\nversion " + std::to_string(version) + "\nskds " + skdList(mods) + "\n";
    return writeFile(dir + "/sim.txt", Bytes(text.begin(), text.end()));
}

bool Simulator::saveState(const std::string& dir) const
{
    return m_impl->save(dir);
}

bool Simulator::loadState(const std::string& dir)
{
    Bytes text;
    if (!readFile(dir + "/sim.txt", &text))
        return false;
    std::istringstream in(std::string(text.begin(), text.end()));
    std::string line;
    int version = -1;
    std::vector<int> numbers;
    bool haveSkds = false;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "version") {
            if (!(words >> version) || version < 0 || version > 255)
                return false;
        } else if (key == "skds") {
            haveSkds = true;
            int n;
            while (words >> n) {
                if (n < 1 || n > 8)
                    return false;
                numbers.push_back(n);
            }
        }
    }
    if (version < 0 || !haveSkds)
        return false;
    std::array<Bytes, 4> objs;
    for (int i = 0; i < 4; ++i)
        if (!readFile(dir + "/object" + std::to_string(i) + ".bin", &objs[i]))
            return false;
    std::map<int, SkdState> mods;
    for (int n : numbers) {
        SkdState skd;
        std::string base = dir + "/skd" + std::to_string(n);
        if (!readFile(base + ".mem", &skd.memory) || skd.memory.size() != kTemplateSize ||
            !readFile(base + ".cfg", &skd.cfg))
            return false;
        mods[n] = std::move(skd);
    }
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->objects = std::move(objs);
    m_impl->skds = std::move(mods);
    m_impl->config.version = version;
    m_impl->config.skds = numbers;
    return true;
}

bool Simulator::sameState(const Simulator& other, std::string* difference) const
{
    auto differ = [&](const std::string& what) {
        if (difference)
            *difference = what;
        return false;
    };
    auto mine = objects();
    auto theirs = other.objects();
    for (int i = 0; i < 4; ++i) {
        if (mine[i] != theirs[i])
            return differ(std::string("object ") + std::to_string(i) + " " + kObjectNames[i] + ": " +
                          std::to_string(mine[i].size()) + " vs " + std::to_string(theirs[i].size()) + " bytes");
    }
    auto a = skds();
    auto b = other.skds();
    if (skdList(a) != skdList(b))
        return differ("SKD lists differ: " + skdList(a) + " vs " + skdList(b));
    for (const auto& [n, skd] : a) {
        const SkdState& o = b.at(n);
        if (skd.memory != o.memory) {
            size_t i = 0;
            while (i < skd.memory.size() && i < o.memory.size() && skd.memory[i] == o.memory[i])
                ++i;
            char where[16];
            std::snprintf(where, sizeof where, "0x%X", static_cast<unsigned>(kTemplateStart + i));
            return differ("SKD " + std::to_string(n) + " memory differs from " + where);
        }
        if (skd.cfg != o.cfg)
            return differ("SKD " + std::to_string(n) + " configuration record differs");
        if (skd.present != o.present)
            return differ("SKD " + std::to_string(n) + " presence differs");
    }
    return true;
}

std::vector<GatewayRequest> Simulator::gatewayRequests() const
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->gatewayRequests;
}

std::vector<BusRequest> Simulator::busRequests() const
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->busRequests;
}

int Simulator::frameViolations() const
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->violations;
}

int Simulator::gatewayConnections() const
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->gatewayAccepted;
}

int Simulator::busConnections() const
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->busAccepted;
}

}  // namespace sim
