#include "SimWire.h"

#include <cstdio>

namespace sim::wire {

bool hasLengthField(uint8_t type)
{
    switch (type) {
    case 0: case 3: case 5: case 6: case 7: case 8: case 10:
        return false;
    default:
        return true;
    }
}

Bytes gatewayFrame(uint8_t type, uint8_t parameter, const Bytes& data)
{
    Bytes out{1, type, parameter};
    if (hasLengthField(type)) {
        uint32_t n = static_cast<uint32_t>(data.size());
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(n >> (8 * i)));
        out.insert(out.end(), data.begin(), data.end());
    }
    return out;
}

Bytes busFrame(uint8_t destination, uint8_t code, uint8_t source, const Bytes& payload)
{
    Bytes plain{destination, code, source};
    plain.insert(plain.end(), payload.begin(), payload.end());
    Bytes out{kStx};
    uint8_t sum = 0;
    for (uint8_t b : plain) {
        if (b == kEtx || b == kDle) {
            out.push_back(kDle);
            sum = static_cast<uint8_t>(sum + kDle);
        }
        out.push_back(b);
        sum = static_cast<uint8_t>(sum + b);
    }
    uint8_t check = static_cast<uint8_t>(-sum);
    if (check == kEtx || check == kDle) {
        out.push_back(kDle);
        sum = static_cast<uint8_t>(sum + kDle);
        check = static_cast<uint8_t>(-sum);
    }
    out.push_back(check);
    out.push_back(kEtx);
    return out;
}

Bytes busMessage(uint8_t type, const Bytes& frame)
{
    Bytes out{1, type, static_cast<uint8_t>(frame.size()), static_cast<uint8_t>(frame.size() >> 8)};
    out.insert(out.end(), frame.begin(), frame.end());
    return out;
}

const char* frameCheckText(FrameCheck check)
{
    switch (check) {
    case FrameCheck::Ok: return "ok";
    case FrameCheck::NoStx: return "no STX";
    case FrameCheck::BadStuffing: return "bad stuffing";
    case FrameCheck::NoEtx: return "no ETX";
    case FrameCheck::BytesAfterEtx: return "bytes after ETX";
    case FrameCheck::TooShort: return "too short";
    case FrameCheck::BadChecksum: return "bad checksum";
    }
    return "?";
}

FrameCheck decodeBusFrame(const uint8_t* f, size_t size, BusFrame* out)
{
    if (size == 0 || f[0] != kStx)
        return FrameCheck::NoStx;
    Bytes plain;
    uint8_t sum = 0;
    size_t i = 1;
    bool ended = false;
    while (i < size) {
        uint8_t b = f[i];
        if (b == kEtx) {
            if (i != size - 1)
                return FrameCheck::BytesAfterEtx;
            ended = true;
            break;
        }
        if (b != kDle) {
            plain.push_back(b);
            sum = static_cast<uint8_t>(sum + b);
            ++i;
            continue;
        }
        if (i + 1 >= size)
            return FrameCheck::NoEtx;
        uint8_t next = f[i + 1];
        if (next != kEtx && next != kDle) {
            // Only the DLE that precedes a corrected checksum stands before another byte.
            if (i + 3 != size || f[i + 2] != kEtx || (next != 0x00 && next != 0xF3))
                return FrameCheck::BadStuffing;
        }
        plain.push_back(next);
        sum = static_cast<uint8_t>(sum + b + next);
        i += 2;
    }
    if (!ended)
        return FrameCheck::NoEtx;
    if (plain.size() < 4)
        return FrameCheck::TooShort;
    if (sum != 0x00 && sum != 0xF3)
        return FrameCheck::BadChecksum;
    if (out) {
        out->destination = plain[0];
        out->code = plain[1];
        out->source = plain[2];
        out->payload.assign(plain.begin() + 3, plain.end() - 1);
    }
    return FrameCheck::Ok;
}

std::string hex(const uint8_t* data, size_t size, size_t limit)
{
    std::string s;
    char buf[4];
    size_t n = size < limit ? size : limit;
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, "%02X", data[i]);
        if (i)
            s += ' ';
        s += buf;
    }
    if (n < size)
        s += " ... (" + std::to_string(size) + " bytes)";
    return s;
}

}  // namespace sim::wire
