#include "backupfile/CFileManager.h"

#include "FileFixture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

using backupfiletest::TempDirTest;

namespace {

class FileManager : public TempDirTest
{
protected:
    void TearDown() override { delete getFileManager(); }
};

const char* const ObjectNames[] = {"UserManagerConfig", "ConfigManager", "DayLightConfig", "SystemTimeConfig"};

std::vector<std::string> linesOf(const std::string& content)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = content.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(content.substr(start, end - start));
    EXPECT_EQ(start, content.size()) << "text after the last CR LF";
    return lines;
}

std::string keyOf(const std::string& line)
{
    return line.substr(0, line.find('='));
}

}  // namespace

TEST_F(FileManager, GatewayBackupWritesNineLinesInTreeOrder)
{
    const std::string file = path("gateway.mrk");
    CFileManager* fm = getFileManager();
    fm->open(file);
    EXPECT_EQ(fm->getFileName(), file);

    ASSERT_TRUE(fm->setInt("Global.Version", 107));
    for (int i = 0; i < 4; ++i) {
        const std::vector<uint8_t> data(10 + i, static_cast<uint8_t>(i));
        const std::string name = ObjectNames[i];
        ASSERT_TRUE(fm->setInt(name + ".DataLength", static_cast<int32_t>(data.size())));
        ASSERT_TRUE(fm->writeData(name + ".Data", data.data(), data.size()));
        if (i == 0) {
            // Each saved block leaves a complete file behind it.
            EXPECT_EQ(readFile(file),
                      "Global.Version=107\r\nUserManagerConfig.DataLength=10\r\nUserManagerConfig.Data=AAAAAAAAAAAAAA==\r\n");
        }
    }
    ASSERT_TRUE(fm->flush());

    const auto lines = linesOf(readFile(file));
    std::vector<std::string> keys;
    for (const auto& line : lines)
        keys.push_back(keyOf(line));
    EXPECT_EQ(keys, (std::vector<std::string>{"Global.Version", "UserManagerConfig.DataLength", "UserManagerConfig.Data",
                                              "SystemTimeConfig.DataLength", "SystemTimeConfig.Data",
                                              "ConfigManager.DataLength", "DayLightConfig.DataLength",
                                              "DayLightConfig.Data", "ConfigManager.Data"}));
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[5], "ConfigManager.DataLength=11");

    // Read back by a fresh manager, as a restore does.
    delete fm;
    fm = getFileManager();
    fm->open(file);
    std::vector<std::string> required{"Global.Version"};
    for (const char* name : ObjectNames) {
        required.push_back(std::string(name) + ".DataLength");
        required.push_back(std::string(name) + ".Data");
    }
    EXPECT_TRUE(fm->containsKeys(required));
    EXPECT_FLOAT_EQ(fm->getFloat("Global.Version"), 107.0f);
    EXPECT_EQ(fm->getInt("DayLightConfig.DataLength"), 12);
    uint8_t buffer[13] = {};
    size_t decoded = 0;
    EXPECT_TRUE(fm->readData("SystemTimeConfig.Data", buffer, sizeof buffer, &decoded));
    EXPECT_EQ(decoded, 13u);
    EXPECT_EQ(buffer[12], 3);
}

TEST_F(FileManager, NumbersUseLeadingNumberRules)
{
    const struct {
        const char* text;
        int32_t asInt;
        float asFloat;
    } cases[] = {
        {"107", 107, 107.0f},
        {"  -12abc", -12, -12.0f},
        {"\t+7", 7, 7.0f},
        {"1.5e2", 1, 150.0f},
        {".5", 0, 0.5f},
        {"abc", 0, 0.0f},
        {"- 3", 0, 0.0f},
        {"0x10", 0, 0.0f},
        {"inf", 0, 0.0f},
        {"99999999999", std::numeric_limits<int32_t>::max(), 99999999999.0f},
        {"-99999999999", std::numeric_limits<int32_t>::min(), -99999999999.0f},
        {"1e999", 1, std::numeric_limits<float>::infinity()},
        {"1e-999", 1, 0.0f},
        {"12345678901234567890e300", std::numeric_limits<int32_t>::max(), std::numeric_limits<float>::infinity()},
        {"0.00000001e-320", 0, 0.0f},
        {"-1e999", -1, -std::numeric_limits<float>::infinity()},
    };
    const std::string file = path("numbers.mrk");
    std::string content;
    for (size_t i = 0; i < std::size(cases); ++i)
        content += "N" + std::to_string(i) + "=" + cases[i].text + "\n";
    writeFile(file, content);

    // The decimal point is "." whatever the process locale says: read under one that writes ",".
    struct RestoreLocale {
        std::string old = std::setlocale(LC_NUMERIC, nullptr);
        ~RestoreLocale() { std::setlocale(LC_NUMERIC, old.c_str()); }
    } restoreLocale;
    bool commaLocale = false;
    for (const char* comma : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "German_Germany.1252", "de-DE"})
        if (std::setlocale(LC_NUMERIC, comma) && std::strcmp(std::localeconv()->decimal_point, ",") == 0) {
            commaLocale = true;
            break;
        }
    if (!commaLocale)
        SKIP_FOR_MISSING("a locale with a decimal comma (de_DE.UTF-8 or fr_FR.UTF-8; Debian: locales-all)");
    ASSERT_EQ(std::strtod("1,5", nullptr), 1.5) << "the C library does not read with the comma locale";

    CFileManager* fm = getFileManager();
    fm->open(file);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const std::string key = "N" + std::to_string(i);
        EXPECT_EQ(fm->getInt(key), cases[i].asInt) << cases[i].text;
        EXPECT_FLOAT_EQ(fm->getFloat(key), cases[i].asFloat) << cases[i].text;
    }
    EXPECT_EQ(fm->getInt("Missing"), 0);
    EXPECT_EQ(fm->getFloat("Missing"), 0.0f);
}

TEST_F(FileManager, ReadDataDecodesAtMostNFromTheWholeValue)
{
    const std::string file = path("data.mrk");
    std::vector<uint8_t> block(70000);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<uint8_t>(i * 7);
    CFileManager* fm = getFileManager();
    fm->open(file);
    ASSERT_TRUE(fm->writeData("SKD1.Data", block.data(), block.size()));
    ASSERT_TRUE(fm->writeData("SKD1.CRC", block.data(), 1));  // 4 characters for one byte

    std::vector<uint8_t> out(block.size() + 8, 0xEE);
    size_t decoded = 0;
    EXPECT_TRUE(fm->readData("SKD1.Data", out.data(), block.size() + 8, &decoded));
    EXPECT_EQ(decoded, block.size());
    EXPECT_TRUE(std::equal(block.begin(), block.end(), out.begin()));

    uint8_t small[5];
    std::fill(std::begin(small), std::end(small), 0xEE);
    EXPECT_TRUE(fm->readData("SKD1.Data", small, 3, &decoded));
    EXPECT_EQ(decoded, 3u);
    EXPECT_EQ(small[2], block[2]);
    EXPECT_EQ(small[3], 0xEE);

    EXPECT_TRUE(fm->readData("SKD1.CRC", small, 5, &decoded));
    EXPECT_EQ(decoded, 1u);

    std::fill(std::begin(small), std::end(small), 0xEE);
    decoded = 99;
    EXPECT_FALSE(fm->readData("SKD2.Data", small, 5, &decoded));
    EXPECT_EQ(small[0], 0xEE);
    EXPECT_EQ(decoded, 99u);
}

TEST_F(FileManager, RestoreLeavesTheFileByteForByte)
{
    const std::string file = path("restore.mrk");
    const std::string original = "Global.Version=107\nSKD0.MASTER=192\r\njunk\nSKD1.DataLength=0\n";
    writeFile(file, original);
    CFileManager* fm = getFileManager();
    fm->open(file);
    EXPECT_TRUE(fm->containsKey("Global.Version"));
    EXPECT_EQ(fm->getInt("SKD0.MASTER"), 192);
    uint8_t buffer[4];
    EXPECT_FALSE(fm->readData("SKD1.Data", buffer, sizeof buffer));
    EXPECT_TRUE(fm->flush());
    EXPECT_EQ(fm->getLastError(), 0);
    delete fm;
    EXPECT_EQ(readFile(file), original);
}

TEST_F(FileManager, BackupIntoExistingFileReplacesItWhole)
{
    const std::string file = path("existing.mrk");
    writeFile(file, "Old.Key=1\r\nGlobal.Version=90\r\nSKD3.DataLength=5\r\n");
    CFileManager* fm = getFileManager();
    fm->open(file);
    fm->setInt("Global.Version", 108);
    const uint8_t data[] = {1, 2, 3};
    ASSERT_TRUE(fm->writeData("UserManagerConfig.Data", data, sizeof data));
    EXPECT_EQ(readFile(file), "Global.Version=108\r\nUserManagerConfig.Data=AQID\r\n");
}

TEST_F(FileManager, FailedSaveIsReportedWithErrno)
{
    CFileManager* fm = getFileManager();
    fm->open(path("no-such-folder/backup.mrk"));
    const uint8_t byte = 7;
    EXPECT_FALSE(fm->writeData("SKD1.CRC", &byte, 1));
    EXPECT_EQ(fm->getLastError(), ENOENT);
    EXPECT_FALSE(fm->flush());  // still unsaved
    EXPECT_EQ(fm->getLastError(), ENOENT);
}

TEST_F(FileManager, FailedSaveIsNotTriedAgainWhenTheManagerIsDeleted)
{
    // A folder stands where the file goes, so the save fails and the caller is told. By the
    // time the manager is deleted a save would succeed, but nobody could report its outcome.
    const std::string file = path("later.mrk");
    ASSERT_TRUE(std::filesystem::create_directory(file));
    CFileManager* fm = getFileManager();
    fm->open(file);
    fm->setInt("Global.Version", 108);
    EXPECT_FALSE(fm->flush());
    EXPECT_EQ(fm->getLastError(), EISDIR);
    ASSERT_TRUE(std::filesystem::remove(file));
    delete fm;
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(FileManager, UnsavedIntegersReachTheDiskWhenTheManagerIsDeleted)
{
    const std::string file = path("end.mrk");
    CFileManager* fm = getFileManager();
    fm->open(file);
    fm->setInt("SKD0.MASTER", 192);
    delete fm;
    EXPECT_EQ(readFile(file), "SKD0.MASTER=192\r\n");
}

TEST_F(FileManager, WithoutAFileEverythingAnswersNo)
{
    CFileManager* fm = getFileManager();
    uint8_t buffer[2] = {9, 9};
    EXPECT_FALSE(fm->setInt("Global.Version", 1));
    EXPECT_EQ(fm->getInt("Global.Version"), 0);
    EXPECT_EQ(fm->getFloat("Global.Version"), 0.0f);
    EXPECT_FALSE(fm->writeData("k", buffer, 2));
    EXPECT_FALSE(fm->readData("k", buffer, 2));
    EXPECT_EQ(buffer[0], 9);
    EXPECT_FALSE(fm->containsKey("k"));
    EXPECT_FALSE(fm->containsKeys({}));
    EXPECT_TRUE(fm->flush());
    EXPECT_TRUE(fm->getFileName().empty());
}

TEST_F(FileManager, AccessorNeverHandsOutADeletedInstance)
{
    CFileManager* first = getFileManager();
    EXPECT_EQ(getFileManager(), first);
    first->open(path("first.mrk"));
    delete first;

    CFileManager* second = getFileManager();  // may reuse the address, but must be a fresh one
    EXPECT_TRUE(second->getFileName().empty());
    EXPECT_FALSE(second->setInt("k", 1));
    EXPECT_EQ(getFileManager(), second);

    // Deleting an instance that is not the shared one leaves the shared one alone.
    delete new CFileManager();
    EXPECT_EQ(getFileManager(), second);
}
