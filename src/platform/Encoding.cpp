#include "platform/Encoding.h"

#include <cstdint>

namespace {

// Code points of the bytes 0x80 to 0x9F; 0 where the code page has no character.
constexpr char32_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

bool toByte(char32_t cp, unsigned char& byte)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        byte = static_cast<unsigned char>(cp);
        return true;
    }
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] != 0 && kHigh[i] == cp) {
            byte = static_cast<unsigned char>(0x80 + i);
            return true;
        }
    }
    return false;
}

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

bool utf8ToCp1252(const std::string& utf8, std::string& bytes)
{
    std::string out;
    size_t i = 0;
    while (i < utf8.size()) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        char32_t cp = 0;
        int more = 0;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            more = 1;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            more = 2;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            more = 3;
        } else {
            return false;
        }
        if (more > 0 && i + more >= utf8.size())
            return false;
        for (int k = 1; k <= more; ++k) {
            const auto cc = static_cast<unsigned char>(utf8[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // An overlong form is not UTF-8; it could smuggle in a NUL or another byte.
        constexpr char32_t kShortest[4] = {0, 0x80, 0x800, 0x10000};
        if (cp < kShortest[more])
            return false;
        i += more + 1;
        unsigned char byte = 0;
        if (!toByte(cp, byte))
            return false;
        out += static_cast<char>(byte);
    }
    bytes = out;
    return true;
}

std::string cp1252ToUtf8(const std::string& bytes)
{
    std::string out;
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        char32_t cp = b;
        if (b >= 0x80 && b < 0xA0)
            cp = kHigh[b - 0x80] ? kHigh[b - 0x80] : 0xFFFD;
        appendUtf8(out, cp);
    }
    return out;
}
