#include "backupfile/CBase64.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<uint8_t> bytesOf(const std::string& s)
{
    return std::vector<uint8_t>(s.begin(), s.end());
}

}  // namespace

TEST(Base64, KnownVectorsBothWays)
{
    const struct {
        const char* plain;
        const char* encoded;
    } cases[] = {
        {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
    };
    for (const auto& c : cases) {
        const auto plain = bytesOf(c.plain);
        EXPECT_EQ(CBase64::encode(plain.data(), plain.size()), c.encoded) << c.plain;
        EXPECT_EQ(CBase64::decode(c.encoded), plain) << c.encoded;
    }
}

TEST(Base64, EncodesOneUnbrokenLine)
{
    std::vector<uint8_t> hundred(100);
    for (size_t i = 0; i < hundred.size(); ++i)
        hundred[i] = static_cast<uint8_t>(i * 37 + 11);
    const std::string text = CBase64::encode(hundred.data(), hundred.size());
    EXPECT_EQ(text.size(), 136u);
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(text.substr(134), "==");

    const uint8_t one = 0xFF;
    EXPECT_EQ(CBase64::encode(&one, 1), "/w==");
}

TEST(Base64, RoundTripsEveryByteAndLength)
{
    std::vector<uint8_t> all(256);
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<uint8_t>(i);
    for (size_t n = 0; n <= all.size(); n += (n < 10 ? 1 : 41)) {
        const std::vector<uint8_t> block(all.begin(), all.begin() + n);
        EXPECT_EQ(CBase64::decode(CBase64::encode(block.data(), block.size())), block) << n;
    }
}

TEST(Base64, DecodeIgnoresEverythingOutsideTheAlphabet)
{
    const auto plain = bytesOf("backup data block");
    const std::string text = CBase64::encode(plain.data(), plain.size());
    for (const std::string junk : {"\r\n", " ", "=", "==", "*\t.", "\xC3\xA9"}) {
        for (size_t at : {size_t(0), size_t(1), size_t(5), text.size() / 2, text.size()}) {
            std::string spoiled = text;
            spoiled.insert(at, junk);
            EXPECT_EQ(CBase64::decode(spoiled), plain) << "junk at " << at;
        }
    }
    // A trailing single character cannot make a byte.
    EXPECT_EQ(CBase64::decode("Zm9vY"), bytesOf("foo"));
}

TEST(Base64, DecodeStopsAtDestinationSize)
{
    const auto plain = bytesOf("0123456789");
    const std::string text = CBase64::encode(plain.data(), plain.size());
    for (size_t size : {size_t(0), size_t(1), size_t(4), size_t(10), size_t(16)}) {
        std::vector<uint8_t> out(size + 4, 0xAA);
        const size_t written = CBase64::decode(text, out.data(), size);
        EXPECT_EQ(written, std::min(size, plain.size()));
        EXPECT_TRUE(std::equal(out.begin(), out.begin() + written, plain.begin()));
        for (size_t i = written; i < out.size(); ++i)
            EXPECT_EQ(out[i], 0xAA) << "byte " << i << " written beyond what was decoded, size " << size;
    }
}
