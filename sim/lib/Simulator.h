#pragma once

// The simulated NEXO gateway with its SKD modules, for tests (in-process) and nexo-sim.
// It listens on the configuration-data port (11574) and the bus-module port (11575) of one
// address, answers like the real devices, and can inject faults. Its wire code is written
// independently of the client's, so the tests check the two against each other.

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace sim {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kTemplateStart = 0x30000;
constexpr uint32_t kTemplateEnd = 0x3F230;  // exclusive
constexpr size_t kTemplateSize = kTemplateEnd - kTemplateStart;

// Faults, each off by default.
struct Faults {
    // Gateway port.
    int errorReplyObject = -1;      // object index whose backup or restore gets an error reply
    int errorReplyKind = 1;         // 1 or 2
    bool errorOnRestore = false;    // false: on its backup request, true: on its restore request
    int silentRequestType = -1;     // frame type (7 version, 9 password, 0 backup, 1 restore, 3 close) left unanswered
    int silentRequestParam = -1;    // ... only for this parameter (object index); -1 any
    int closeMidFrameType = -1;     // frame type whose reply is cut in the middle, then the connection closed
    int closeReplyType = 6;         // frame type of the answer to a close request
    bool byteByByte = false;        // every reply goes out one byte at a time
    int replyDelayMs = 0;           // before every reply (scaled by the simulator's time scale)

    // Bus-module port.
    bool refuseBus = false;         // the bus port refuses connections
    std::set<int> silentSkds;       // SKD numbers that never answer
    std::set<int> ignoreWrites;     // SKD numbers that answer write chunks but do not store them
    int dropReplyCode = -1;         // command code whose k-th request (1-based, counted per SKD)...
    int dropReplyIndex = 0;         // ... gets no reply
    int badChecksumCode = -1;       // command code whose k-th reply carries a wrong checksum
    int badChecksumIndex = 0;
    int emptyReadIndex = 0;         // the k-th read-chunk reply carries no data
    bool splitReplies = false;      // every bus reply is split across several TCP segments
};

struct Config {
    std::string address = "127.0.0.1";
    uint16_t gatewayPort = 11574;
    uint16_t busPort = 11575;
    int version = 108;
    std::string password;           // bytes as the gateway compares them; empty: only the empty-password placeholder is accepted
    std::vector<int> skds = {1, 2, 5};
    uint32_t seed = 1;              // generates the objects and SKD memories reproducibly
    std::string stateDir;           // when set and it holds a saved state, the state is loaded from it
    double timeScale = 1.0;         // scales replyDelayMs
    bool log = false;               // writes what it receives to stderr
    Faults faults;
};

// One request received on either port, for tests that check the wire.
struct GatewayRequest {
    uint8_t type = 0;
    uint8_t parameter = 0;
    Bytes data;
};
struct BusRequest {
    uint8_t destination = 0;
    uint8_t code = 0;
    Bytes payload;                  // unstuffed, without checksum and ETX
};

struct SkdState {
    Bytes memory;                   // template area 0x30000..0x3F230
    Bytes cfg;                      // configuration record, 5 bytes by default
    bool present = true;
};

class Simulator
{
public:
    explicit Simulator(Config config);
    ~Simulator();  // stops
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Binds both ports (SO_REUSEADDR) and serves them on threads of its own.
    bool start(std::string* error = nullptr);
    void stop();

    const Config& config() const;

    // Gateway objects 0 UserManagerConfig, 1 ConfigManager, 2 DayLightConfig, 3 SystemTimeConfig.
    std::array<Bytes, 4> objects() const;
    void setObject(int index, const Bytes& data);

    std::map<int, SkdState> skds() const;      // by SKD number
    void setSkdMemory(int number, const Bytes& memory);
    static Bytes crcRecord(const Bytes& memory);  // the 5-byte CRC record of a template memory

    // Saved state: a folder with one file per object and per SKD.
    bool saveState(const std::string& dir) const;
    bool loadState(const std::string& dir);
    // True when both simulators hold the same objects and the same SKDs with the same memories and records.
    bool sameState(const Simulator& other, std::string* difference = nullptr) const;

    std::vector<GatewayRequest> gatewayRequests() const;
    std::vector<BusRequest> busRequests() const;
    int frameViolations() const;  // bus frames received with bad stuffing, checksum or ETX

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace sim
