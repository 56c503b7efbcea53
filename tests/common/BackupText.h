#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// A backup file as its key=value lines, made whole and then damaged by hand.
class BackupText
{
public:
    // Version 108, the four objects (1000, 200, 30 and 4 bytes), SKD0.MASTER 192 and SKDs
    // 1 and 2 with a 62,000-byte image and 5-byte CFG and CRC records; bytes from seed.
    static BackupText complete(uint32_t seed = 1);

    void set(const std::string& key, const std::string& value);  // replaces in place or appends
    void setData(const std::string& key, const std::vector<uint8_t>& bytes);
    void remove(const std::string& key);
    void appendLine(const std::string& line);  // taken as it is, "=" or not
    void prepend(const std::string& bytes) { m_preamble = bytes; }  // before the first line, as an editor might
    std::string value(const std::string& key) const;  // as stored; empty when missing
    std::vector<uint8_t> data(const std::string& key) const;  // decoded; empty when missing

    std::string text(const std::string& lineEnd = "\r\n") const;
    bool write(const std::string& path, const std::string& lineEnd = "\r\n") const;

    static std::vector<uint8_t> randomBytes(size_t n, uint32_t seed);

private:
    std::vector<std::pair<std::string, std::string>> m_lines;  // key ("" for a raw line), value
    std::string m_preamble;
};

}  // namespace testsupport
