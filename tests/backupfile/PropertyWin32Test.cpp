// Saves against what Windows has instead of POSIX's modes and fifos: read-only marks, file
// attributes, devices and named pipes, files held open by another program.
#include "backupfile/CProperty.h"

#include "FileFixture.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

using backupfiletest::TempDirTest;

namespace {

class WindowsProperty : public TempDirTest
{
};

std::wstring wide(const std::string& path)
{
    return testsupport::utf8Path(path).wstring();
}

}  // namespace

TEST_F(WindowsProperty, FailedSaveLeavesPreviousFileWholeAndStaysDirty)
{
    // Another program holds the file open without letting it be deleted: the rename cannot
    // replace it, and the save must say so before anything is written.
    const std::string file = path("keep.mrk");
    const std::string original = "Global.Version=107\r\n";
    writeFile(file, original);
    CProperty property(file);
    property.setValue("Big", std::string(64 * 1024, 'A'));

    HANDLE held = ::CreateFileW(wide(file).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(property.flush());
    EXPECT_EQ(property.getLastError(), EACCES);
    EXPECT_EQ(CProperty::checkSaveTarget(file), EACCES);
    ::CloseHandle(held);

    EXPECT_EQ(readFile(file), original);
    EXPECT_EQ(entries(), std::vector<std::string>{"keep.mrk"});  // no temporary left
    EXPECT_TRUE(property.isDirty());
    EXPECT_TRUE(property.flush());  // the next flush tries again
    EXPECT_EQ(readFile(file).size(), 64 * 1024 + 6u);
}

TEST_F(WindowsProperty, NeverReplacesADeviceOrPipeWithAPlainFile)
{
    const std::wstring pipeName = L"\\\\.\\pipe\\nexo-test-" + std::to_wstring(::GetCurrentProcessId());
    HANDLE pipe = ::CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 512, 512, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    const std::string pipePath(pipeName.begin(), pipeName.end());
    for (const std::string& target : {std::string("NUL"), pipePath}) {
        CProperty property(target);
        property.setValue("k", "v");
        EXPECT_FALSE(property.save()) << target;
        EXPECT_EQ(property.getLastError(), EINVAL) << target;
    }
    ::CloseHandle(pipe);
    EXPECT_TRUE(entries().empty());
}

TEST_F(WindowsProperty, RefusesReadOnlyTarget)
{
    // Read-only binds administrators too, so unlike a POSIX mode there is nothing to skip.
    const std::string file = path("locked.mrk");
    writeFile(file, "k=old\r\n");
    ASSERT_TRUE(::SetFileAttributesW(wide(file).c_str(), FILE_ATTRIBUTE_READONLY));
    CProperty property(file);
    property.setValue("k", "new");
    EXPECT_FALSE(property.save());
    EXPECT_EQ(property.getLastError(), EACCES);
    EXPECT_EQ(readFile(file), "k=old\r\n");
    EXPECT_EQ(entries(), std::vector<std::string>{"locked.mrk"});
    ::SetFileAttributesW(wide(file).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(WindowsProperty, SaveKeepsAttributesAndWritesThroughLinks)
{
    const std::string file = path("hidden.mrk");
    writeFile(file, "k=old\r\n");
    ASSERT_TRUE(::SetFileAttributesW(wide(file).c_str(), FILE_ATTRIBUTE_HIDDEN));
    CProperty hidden(file);
    hidden.setValue("k", "new");
    ASSERT_TRUE(hidden.save()) << hidden.getLastError();
    EXPECT_EQ(readFile(file), "k=new\r\n");
    EXPECT_TRUE(::GetFileAttributesW(wide(file).c_str()) & FILE_ATTRIBUTE_HIDDEN);

    const std::string target = path("target.mrk");
    writeFile(target, "k=old\r\n");
    const std::string link = path("link.mrk");
    ::CreateSymbolicLinkW(wide(link).c_str(), wide(target).c_str(), SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    if (::GetFileAttributesW(wide(link).c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no symbolic links here (they need developer mode or a privilege; Wine lacks them)";
    CProperty viaLink(link);
    viaLink.setValue("k", "new");
    ASSERT_TRUE(viaLink.save()) << viaLink.getLastError();
    EXPECT_TRUE(::GetFileAttributesW(wide(link).c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_EQ(readFile(target), "k=new\r\n");
}

TEST_F(WindowsProperty, SaveWaitsOutAMomentaryHolder)
{
    // A virus scanner or the indexer opens a fresh file for a moment without letting it be
    // replaced; a backup saves after every record and must not fail for that.
    const std::string file = path("scanned.mrk");
    writeFile(file, "k=old\r\n");
    HANDLE held = ::CreateFileW(wide(file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::thread scanner([held] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        ::CloseHandle(held);
    });
    CProperty property(file);
    property.setValue("k", "new");
    const bool saved = property.save();
    scanner.join();
    EXPECT_TRUE(saved) << property.getLastError();
    EXPECT_EQ(readFile(file), "k=new\r\n");
    EXPECT_EQ(entries(), std::vector<std::string>{"scanned.mrk"});
}
