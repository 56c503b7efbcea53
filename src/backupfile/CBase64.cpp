#include "backupfile/CBase64.h"

#include <array>

namespace {

const char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// 6-bit value of each byte, -1 for bytes outside the alphabet.
const std::array<int8_t, 256> DecodeTable = [] {
    std::array<int8_t, 256> table{};
    table.fill(-1);
    for (int i = 0; i < 64; ++i)
        table[static_cast<uint8_t>(Alphabet[i])] = static_cast<int8_t>(i);
    return table;
}();

// Calls sink(byte) for each decoded byte until sink answers false.
template <typename Sink>
void decodeInto(const std::string& text, Sink sink)
{
    uint32_t group = 0;
    int count = 0;
    for (const char c : text) {
        const int8_t v = DecodeTable[static_cast<uint8_t>(c)];
        if (v < 0)
            continue;
        group = (group << 6) | static_cast<uint32_t>(v);
        if (++count == 4) {
            if (!sink(static_cast<uint8_t>(group >> 16)) || !sink(static_cast<uint8_t>(group >> 8)) ||
                !sink(static_cast<uint8_t>(group)))
                return;
            group = 0;
            count = 0;
        }
    }
    if (count == 3) {
        group <<= 6;
        if (sink(static_cast<uint8_t>(group >> 16)))
            sink(static_cast<uint8_t>(group >> 8));
    } else if (count == 2) {
        group <<= 12;
        sink(static_cast<uint8_t>(group >> 16));
    }
}

}  // namespace

std::string CBase64::encode(const uint8_t* bytes, size_t n)
{
    std::string text;
    text.reserve((n + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= n; i += 3) {
        const uint32_t group = (uint32_t(bytes[i]) << 16) | (uint32_t(bytes[i + 1]) << 8) | bytes[i + 2];
        text += Alphabet[(group >> 18) & 63];
        text += Alphabet[(group >> 12) & 63];
        text += Alphabet[(group >> 6) & 63];
        text += Alphabet[group & 63];
    }
    if (n - i == 1) {
        const uint32_t group = uint32_t(bytes[i]) << 16;
        text += Alphabet[(group >> 18) & 63];
        text += Alphabet[(group >> 12) & 63];
        text += "==";
    } else if (n - i == 2) {
        const uint32_t group = (uint32_t(bytes[i]) << 16) | (uint32_t(bytes[i + 1]) << 8);
        text += Alphabet[(group >> 18) & 63];
        text += Alphabet[(group >> 12) & 63];
        text += Alphabet[(group >> 6) & 63];
        text += '=';
    }
    return text;
}

size_t CBase64::decode(const std::string& text, uint8_t* destination, size_t destinationSize)
{
    size_t written = 0;
    decodeInto(text, [&](uint8_t b) {
        if (written >= destinationSize)
            return false;
        destination[written++] = b;
        return written < destinationSize;
    });
    return written;
}

size_t CBase64::decodedSize(const std::string& text)
{
    size_t count = 0;
    decodeInto(text, [&](uint8_t) {
        ++count;
        return true;
    });
    return count;
}

bool CBase64::strayCharacter(const std::string& text)
{
    size_t valid = 0;
    for (const char c : text)
        valid += DecodeTable[static_cast<uint8_t>(c)] >= 0;
    return valid % 4 == 1;
}

std::vector<uint8_t> CBase64::decode(const std::string& text)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 4 * 3 + 2);
    decodeInto(text, [&](uint8_t b) {
        bytes.push_back(b);
        return true;
    });
    return bytes;
}
