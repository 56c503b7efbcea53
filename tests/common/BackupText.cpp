#include "BackupText.h"

#include "TestSupport.h"

#include "backupfile/CBase64.h"

#include <random>

namespace testsupport {

std::vector<uint8_t> BackupText::randomBytes(size_t n, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<uint8_t> out(n);
    for (uint8_t& b : out)
        b = static_cast<uint8_t>(rng());
    return out;
}

BackupText BackupText::complete(uint32_t seed)
{
    BackupText file;
    file.set("Global.Version", "108");
    const char* names[] = {"UserManagerConfig", "ConfigManager", "DayLightConfig", "SystemTimeConfig"};
    const size_t sizes[] = {1000, 200, 30, 4};
    for (int i = 0; i < 4; ++i) {
        const std::string name = names[i];
        file.set(name + ".DataLength", std::to_string(sizes[i]));
        file.setData(name + ".Data", randomBytes(sizes[i], seed * 10 + i));
    }
    file.set("SKD0.MASTER", "192");
    for (int n : {1, 2}) {
        const std::string key = "SKD" + std::to_string(n) + ".";
        file.set(key + "DataLength", "62000");
        file.setData(key + "Data", randomBytes(62000, seed * 100 + n));
        file.setData(key + "CFG", randomBytes(5, seed * 100 + 10 + n));
        file.setData(key + "CRC", randomBytes(5, seed * 100 + 20 + n));
    }
    return file;
}

void BackupText::set(const std::string& key, const std::string& value)
{
    for (auto& line : m_lines)
        if (line.first == key) {
            line.second = value;
            return;
        }
    m_lines.emplace_back(key, value);
}

void BackupText::setData(const std::string& key, const std::vector<uint8_t>& bytes)
{
    set(key, CBase64::encode(bytes.data(), bytes.size()));
}

void BackupText::remove(const std::string& key)
{
    std::erase_if(m_lines, [&](const auto& line) { return line.first == key; });
}

void BackupText::appendLine(const std::string& line)
{
    m_lines.emplace_back(std::string(), line);
}

std::vector<uint8_t> BackupText::data(const std::string& key) const
{
    for (const auto& line : m_lines)
        if (line.first == key)
            return CBase64::decode(line.second);
    return {};
}

std::string BackupText::value(const std::string& key) const
{
    for (const auto& line : m_lines)
        if (line.first == key)
            return line.second;
    return {};
}

std::string BackupText::text(const std::string& lineEnd) const
{
    std::string out = m_preamble;
    for (const auto& [key, value] : m_lines)
        out += (key.empty() ? value : key + "=" + value) + lineEnd;
    return out;
}

bool BackupText::write(const std::string& path, const std::string& lineEnd) const
{
    return writeFile(path, text(lineEnd));
}

}  // namespace testsupport
