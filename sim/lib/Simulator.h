#pragma once

// The simulated NEXO gateway with its SKD modules, for tests (in-process) and nexo-sim.
// It listens on the configuration-data port (11574) and the bus-module port (11575) of one
// address, answers like the real devices, and can inject faults. Its wire code is written
// independently of the client's, so the tests check the two against each other.
//
// Each port serves one client connection at a time on a thread of its own; the next
// connection is accepted after the current one closes.
//
// Gateway port: version (01 07 00 -> 01 08 v), password (type 9 -> 01 0A 01 or 01 0A 00;
// with an empty configured password the placeholder "x" and an empty block are accepted),
// backup of object i (01 00 i -> type 4, parameter i, length, data), restore of object i
// (type 1 -> 01 05 i), close (01 03 00 -> 01 <closeReplyType> 00, with a zero length field
// if that type carries one). Error replies are type 2, parameter kind, length 2, data {kind, 0};
// an object index above 3 gets kind 2. Other request types get no reply.
//
// Bus port: messages 01 01 len16 frame. Every frame is checked strictly (STX, DLE stuffing,
// checksum sum 0x00 or 0xF3, ETX as last byte, length, lead byte 01, type 1); a bad one is
// counted in frameViolations() and not answered. Replies come from 192 + n to 0xF0.
// Requests to 207 act on every SKD and requests to 255 on every station, without a reply.
//
// CRC record of an SKD (5 bytes): CRC-32/IEEE (reflected, init and final xor 0xFFFFFFFF) of
// the 62,000 template bytes, little-endian, then the 8-bit sum of the same bytes.
//
// Objects and SKD memories are generated reproducibly from the seed (splitmix64): every
// byte of an SKD memory is random, so stuffing and misplaced chunks show.

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
    bool byteByByte = false;        // every reply goes out one byte at a time: its first 64 bytes
                                    // each in its own segment 1 ms apart, the rest in 1-byte sends
    int replyDelayMs = 0;           // before every reply (scaled by the simulator's time scale)

    // Bus-module port.
    bool refuseBus = false;         // the bus port refuses connections
    std::set<int> silentSkds;       // SKD numbers that never answer
    std::set<int> ignoreWrites;     // SKD numbers that answer write chunks but do not store them
    // Counts are per SKD and command code over the simulator's life, requests addressed to
    // that SKD only (not 207); the request itself is carried out.
    int dropReplyCode = -1;         // command code whose k-th request (1-based, counted per SKD)...
    int dropReplyIndex = 0;         // ... gets no reply
    int badChecksumCode = -1;       // command code whose k-th reply carries a wrong checksum
    int badChecksumIndex = 0;
    int emptyReadIndex = 0;         // the k-th read-chunk reply carries no data
    bool splitReplies = false;      // every bus reply is split across several TCP segments
    // Silent SKDs and SKDs whose state says not present do nothing at all (a dead module).
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
    std::string autoSaveDir;        // when set, the state is saved there after every connection that changed it
    bool recordRequests = true;     // keeps every request for gatewayRequests()/busRequests(); off, memory stays flat
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

    // Saved state: a folder with object0.bin..object3.bin, skdN.mem, skdN.cfg and sim.txt
    // (version and SKD numbers). loadState also takes the version and SKD list into config().
    bool saveState(const std::string& dir) const;
    bool loadState(const std::string& dir);
    // True when both simulators hold the same objects and the same SKDs with the same memories and records.
    bool sameState(const Simulator& other, std::string* difference = nullptr) const;

    std::vector<GatewayRequest> gatewayRequests() const;
    std::vector<BusRequest> busRequests() const;
    int frameViolations() const;  // bus frames received with bad stuffing, checksum or ETX
    // Connections accepted so far on each port.
    int gatewayConnections() const;
    int busConnections() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace sim
