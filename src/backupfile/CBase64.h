#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Base64 with the standard alphabet and "=" padding, as the backup file stores data blocks.
class CBase64
{
public:
    virtual ~CBase64() = default;

    // One unbroken line of 4 * ceil(n / 3) characters; empty for n == 0.
    static std::string encode(const uint8_t* bytes, size_t n);

    // Ignores every character outside the alphabet ("=", blanks and line breaks included),
    // wherever it stands. A final group of 3 characters gives 2 bytes, of 2 gives 1, of 1
    // nothing. Writes at most destinationSize bytes and returns how many it wrote.
    static size_t decode(const std::string& text, uint8_t* destination, size_t destinationSize);
    static std::vector<uint8_t> decode(const std::string& text);
    // The number of bytes decode gives for text, without decoding it.
    static size_t decodedSize(const std::string& text);
    // True when the text ends in a lone alphabet character, which no encoding writes: the
    // mark of a character slipped in or lost.
    static bool strayCharacter(const std::string& text);
};
