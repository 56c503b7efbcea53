#include "platform/ProgramPath.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

// Whatever the working directory, the program's own file and folder: this test program.
TEST(ProgramPath, NamesTheRunningProgram)
{
    const fs::path path = programPath();
    ASSERT_TRUE(path.is_absolute()) << path;
    EXPECT_EQ(path.stem(), "test_platform");  // test_platform.exe on Windows
    EXPECT_TRUE(fs::is_regular_file(path)) << path;
    EXPECT_EQ(fs::path(programDir()), path.parent_path());

    const fs::path old = fs::current_path();
    fs::current_path(fs::temp_directory_path());
    EXPECT_EQ(fs::path(programPath()), path);
    fs::current_path(old);
}
