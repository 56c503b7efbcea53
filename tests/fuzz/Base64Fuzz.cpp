// Base64 on any text: decode writes no byte past the space it was given, decodedSize counts
// what decode gives, and encoding any bytes decodes back to them.

#include "backupfile/CBase64.h"

#include "FuzzCheck.h"

#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const size_t count = CBase64::decodedSize(text);
    const std::vector<uint8_t> whole = CBase64::decode(text);
    FUZZ_CHECK(whole.size() == count);

    // Buffers of exactly the size given, so a write past the end is a heap overflow.
    for (const size_t room : {size_t(0), count / 2, count, count + 1}) {
        std::unique_ptr<uint8_t[]> buffer(new uint8_t[room]);
        const size_t written = CBase64::decode(text, buffer.get(), room);
        FUZZ_CHECK(written == std::min(room, count));
        FUZZ_CHECK(written == 0 || std::memcmp(buffer.get(), whole.data(), written) == 0);
    }

    const std::string encoded = CBase64::encode(data, size);
    FUZZ_CHECK(encoded.size() == (size + 2) / 3 * 4);
    FUZZ_CHECK(CBase64::decodedSize(encoded) == size);
    const std::vector<uint8_t> back = CBase64::decode(encoded);
    FUZZ_CHECK(back.size() == size && (size == 0 || std::memcmp(back.data(), data, size) == 0));
    return 0;
}
