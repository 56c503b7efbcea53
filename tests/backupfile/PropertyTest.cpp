#include "backupfile/CProperty.h"

#include "FileFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using backupfiletest::TempDirTest;

namespace {

class Property : public TempDirTest
{
};

std::string valueOf(CProperty& property, const std::string& key)
{
    std::string value;
    return property.getValue(key, value) ? value : "<missing>";
}

}  // namespace

TEST_F(Property, LoaderLineSyntax)
{
    const std::string bigValue(3 * 1024 * 1024, 'Q');  // far beyond any fixed buffer
    const struct {
        std::string content;
        std::string key;
        std::string expected;  // "<missing>" when the line must be skipped
    } cases[] = {
        {"k=v\r\n", "k", "v"},
        {"k=v\n", "k", "v"},
        {"k=v", "k", "v"},                             // last line without line end
        {"a=1\nk=v\r", "k", "v"},                      // CR at the end of the file
        {"k=Zm8=\r\nx=1", "k", "Zm8="},                // padding stays in the value
        {"k=a=b==\r\n", "k", "a=b=="},                 // first "=" splits
        {"k = v \r\n", "k ", " v "},                   // no trimming
        {"k=1\r\nk=2\r\n", "k", "2"},                  // later duplicate wins
        {"\r\n\nk=v\r\n\r\n", "k", "v"},               // blank lines are nothing
        {"noequals\r\nk=v\r\n", "noequals", "<missing>"},
        {"=v\r\n", "", "<missing>"},
        {"k=\r\n", "k", "<missing>"},
        {"k=\n", "k", "<missing>"},
        {std::string(255, 'L') + "=v\nk=w\n", std::string(255, 'L'), "<missing>"},
        {std::string(255, 'L') + "=v\nk=w\n", "k", "w"},  // an over-long key skips only its line
        {"k=" + bigValue + "\r\n", "k", bigValue},
        {"\xEF\xBB\xBFk=v\r\n", "k", "v"},            // an editor's byte order mark is no part of the key
        {"k=v\r\n\xEF\xBB\xBFm=w\r\n", "\xEF\xBB\xBFm", "w"},  // ... only at the very start
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string file = path("case" + std::to_string(n++) + ".mrk");
        writeFile(file, c.content);
        CProperty property(file);
        EXPECT_EQ(valueOf(property, c.key), c.expected) << "content: " << c.content.substr(0, 40);
    }
}

TEST_F(Property, SavesCrLfLinesInTreeOrder)
{
    const std::string file = path("out.mrk");
    {
        CProperty property(file);
        property.setValue("M", "1");
        property.setValue("T", "2");
        property.setValue("D", "a=b");
        EXPECT_TRUE(property.flush());
        EXPECT_FALSE(property.isDirty());
    }
    EXPECT_EQ(readFile(file), "M=1\r\nT=2\r\nD=a=b\r\n");
}

// A key that begins with a byte order mark's bytes must survive a save and a load: written
// first, it would otherwise read as a mark the loader skips. (Found by the backup-file fuzzer.)
TEST_F(Property, KeyWithMarkBytesSurvivesSaveAndLoad)
{
    const std::string file = path("mark.mrk");
    writeFile(file, "empty\n\xEF\xBB\xBF=0\r\n\xEF\xBB\xBFm=w\r\n");
    {
        CProperty property(file);
        ASSERT_EQ(valueOf(property, "\xEF\xBB\xBFm"), "w");
        property.setValue("\xEF\xBB\xBFm", "x");
        EXPECT_TRUE(property.flush());
    }
    CProperty again(file);
    EXPECT_EQ(valueOf(again, "\xEF\xBB\xBFm"), "x");
    EXPECT_EQ(valueOf(again, "m"), "<missing>");
}

TEST_F(Property, ReadingNeverRewritesTheFile)
{
    // LF endings and lines the loader skips: a rewrite would change both.
    const std::string file = path("restore.mrk");
    const std::string original = "Global.Version=107\nbroken line\n=x\nEmpty=\nGlobal.Version=108\n";
    writeFile(file, original);
    const auto before = std::filesystem::last_write_time(file);
    {
        CProperty property(file);
        EXPECT_TRUE(property.contains("Global.Version"));
        EXPECT_EQ(valueOf(property, "Global.Version"), "108");
        EXPECT_TRUE(property.flush());
    }
    EXPECT_EQ(readFile(file), original);
    EXPECT_EQ(std::filesystem::last_write_time(file), before);
    EXPECT_EQ(entries(), std::vector<std::string>{"restore.mrk"});
}

TEST_F(Property, StoringFirstNeverReadsTheOldFile)
{
    const std::string file = path("backup.mrk");
    writeFile(file, "Old.Key=1\r\nGlobal.Version=99\r\n");
    CProperty property(file);
    property.setValue("Global.Version", "107");
    EXPECT_FALSE(property.contains("Old.Key"));
    ASSERT_TRUE(property.save());
    EXPECT_EQ(readFile(file), "Global.Version=107\r\n");
}

TEST_F(Property, SaveFailuresReportTheSystemError)
{
    const struct {
        std::string name;
        int error;
    } cases[] = {
        {"missing-folder/backup.mrk", ENOENT},
        {"a-folder", EISDIR},
        {"a-file/backup.mrk", ENOTDIR},
    };
    ASSERT_TRUE(std::filesystem::create_directory(path("a-folder")));
    writeFile(path("a-file"), "x=1\n");
    for (const auto& c : cases) {
        CProperty property(path(c.name));
        property.setValue("k", "v");
        EXPECT_FALSE(property.save()) << c.name;
        EXPECT_EQ(property.getLastError(), c.error) << c.name;
    }
    EXPECT_EQ(readFile(path("a-file")), "x=1\n");
    EXPECT_EQ(entries(), (std::vector<std::string>{"a-file", "a-folder"}));
}

TEST_F(Property, FileNamesAreUtf8)
{
    // A narrow system call would take the bytes in the local code page and make another name.
    const std::string name = "Sicherung-\xC3\x9C" "bersicht-\xC3\xB1-\xE2\x82\xAC.mrk";  // Ü ñ €
    {
        CProperty property(path(name));
        property.setValue("k", "v");
        ASSERT_TRUE(property.save()) << property.getLastError();
    }
    EXPECT_EQ(entries(), std::vector<std::string>{name});
    CProperty again(path(name));
    EXPECT_EQ(valueOf(again, "k"), "v");
    EXPECT_EQ(CProperty::checkSaveTarget(path(name)), 0);
}

TEST_F(Property, PathsNearAndBeyond260Characters)
{
    // Windows limits its plain paths to 259 characters, and the save's temporary name is about
    // 30 longer than the target: both a target just short of the limit and one beyond it.
    const std::string base = path("");
    ASSERT_LT(base.size(), 190u);
    const std::string folder = base + std::string(200 - base.size(), 'f');
    ASSERT_TRUE(std::filesystem::create_directories(testsupport::utf8Path(folder)));
    for (const size_t length : {250u, 259u, 300u}) {
        const std::string file = folder + "/" + std::string(length - folder.size() - 5, 'n') + ".mrk";
        ASSERT_EQ(file.size(), length);
        SCOPED_TRACE(length);
        EXPECT_EQ(CProperty::checkSaveTarget(file), 0);
        {
            CProperty property(file);
            property.setValue("k", "v" + std::to_string(length));
            ASSERT_TRUE(property.save()) << property.getLastError();
            property.setValue("k", "w" + std::to_string(length));
            ASSERT_TRUE(property.save()) << property.getLastError();  // replaces the file
        }
        CProperty again(file);
        EXPECT_EQ(valueOf(again, "k"), "w" + std::to_string(length));
    }
    EXPECT_EQ(testsupport::folderEntries(folder).size(), 3u);  // no temporary left
}
