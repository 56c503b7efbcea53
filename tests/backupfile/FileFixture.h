#pragma once

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace backupfiletest {

// A fresh folder per test, removed with everything in it afterwards.
class TempDirTest : public ::testing::Test
{
protected:
    std::string path(const std::string& name) const { return m_temp.path(name); }

    static void writeFile(const std::string& file, const std::string& content)
    {
        ASSERT_TRUE(testsupport::writeFile(file, content));
    }
    static std::string readFile(const std::string& file) { return testsupport::readFile(file); }
    // Names in the folder, to see that no temporary file was left behind.
    std::vector<std::string> entries() const { return testsupport::folderEntries(m_temp.dir()); }

    testsupport::ScopedTempDir m_temp{"nexo-bf"};
};

}  // namespace backupfiletest
