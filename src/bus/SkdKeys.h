#pragma once

#include "bus/BusDefs.h"

#include <cstdlib>
#include <string>

namespace bus {

// "SKD<n>.<field>", the per-SKD keys of the backup file.
inline std::string skdKey(int number, const char* field)
{
    return "SKD" + std::to_string(number) + "." + field;
}

constexpr const char* kMasterKey = "SKD0.MASTER";

// "SKD<n>.<field>" taken apart, n written as "%d" writes it (no leading zero, at most three
// digits); false for any other key.
inline bool splitSkdKey(const std::string& key, int& number, std::string& field)
{
    if (key.rfind("SKD", 0) != 0)
        return false;
    size_t i = 3;
    while (i < key.size() && key[i] >= '0' && key[i] <= '9')
        ++i;
    const size_t digits = i - 3;
    if (digits == 0 || digits > 3 || i >= key.size() || key[i] != '.' || (digits > 1 && key[3] == '0'))
        return false;
    number = std::atoi(key.c_str() + 3);
    field = key.substr(i + 1);
    return true;
}

// An SKD list entry ("1".."8") as its number, 8 bits.
inline int entryNumber(const std::string& entry)
{
    return static_cast<uint8_t>(std::strtol(entry.c_str(), nullptr, 10));
}

// The next chunk length at offset: a full chunk, or the rest of the template area.
inline uint8_t nextChunk(uint32_t offset)
{
    if (offset >= TEMPLATE_END)
        return 0;
    return offset + CHUNK < TEMPLATE_END ? CHUNK : static_cast<uint8_t>(TEMPLATE_END - offset);
}

}  // namespace bus
