#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace backupfiletest {

// A fresh folder per test, removed with everything in it afterwards.
class TempDirTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "nexo-bf-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

    std::string path(const std::string& name) const { return m_dir + "/" + name; }

    static void writeFile(const std::string& file, const std::string& content)
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << content;
        ASSERT_TRUE(out.good());
    }
    static std::string readFile(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Names in the folder, to see that no temporary file was left behind.
    std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string m_dir;
};

}  // namespace backupfiletest
