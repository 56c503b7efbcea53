#pragma once

// Wire forms as the simulated devices see them: gateway frames on the configuration-data
// port and bus frames on the bus-module port. Written independently of the client's code.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sim::wire {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kStx = 0x02;
constexpr uint8_t kEtx = 0x03;
constexpr uint8_t kDle = 0x10;
constexpr uint8_t kToolAddress = 0xF0;
constexpr uint8_t kAllSkds = 207;
constexpr uint8_t kEveryStation = 255;
constexpr size_t kMaxBusFrame = 520;

// Gateway frames: types 0, 3, 5, 6, 7, 8 and 10 are 3 bytes; every other type has a
// 4-byte little-endian length and a data block.
bool hasLengthField(uint8_t type);
Bytes gatewayFrame(uint8_t type, uint8_t parameter, const Bytes& data = {});

// A bus frame from STX to ETX with DLE stuffing and checksum (an extra DLE when the
// checksum would be 0x03 or 0x10).
Bytes busFrame(uint8_t destination, uint8_t code, uint8_t source, const Bytes& payload);
// 01, type, 16-bit little-endian length, frame.
Bytes busMessage(uint8_t type, const Bytes& frame);

enum class FrameCheck { Ok, NoStx, BadStuffing, NoEtx, BytesAfterEtx, TooShort, BadChecksum };
const char* frameCheckText(FrameCheck check);

struct BusFrame {
    uint8_t destination = 0;
    uint8_t code = 0;
    uint8_t source = 0;
    Bytes payload;  // unstuffed, without checksum
};
// Strict check of one received frame (exactly STX..ETX); fills out only when Ok.
FrameCheck decodeBusFrame(const uint8_t* frame, size_t size, BusFrame* out);

std::string hex(const uint8_t* data, size_t size, size_t limit = 48);
inline std::string hex(const Bytes& data, size_t limit = 48) { return hex(data.data(), data.size(), limit); }

}  // namespace sim::wire
