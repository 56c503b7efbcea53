#include "backupfile/CProperty.h"

#include "FileFixture.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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

TEST_F(Property, ReadingNeverRewritesTheFile)
{
    // LF endings and lines the loader skips: a rewrite would change both.
    const std::string file = path("restore.mrk");
    const std::string original = "Global.Version=107\nbroken line\n=x\nEmpty=\nGlobal.Version=108\n";
    writeFile(file, original);
    struct stat before;
    ASSERT_EQ(stat(file.c_str(), &before), 0);
    {
        CProperty property(file);
        EXPECT_TRUE(property.contains("Global.Version"));
        EXPECT_EQ(valueOf(property, "Global.Version"), "108");
        EXPECT_TRUE(property.flush());
    }
    struct stat after;
    ASSERT_EQ(stat(file.c_str(), &after), 0);
    EXPECT_EQ(readFile(file), original);
    EXPECT_EQ(before.st_ino, after.st_ino);
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

TEST_F(Property, FailedSaveLeavesPreviousFileWholeAndStaysDirty)
{
    // A file size limit fails the write like a full disk does, even for root.
    const std::string file = path("keep.mrk");
    const std::string original = "Global.Version=107\r\n";
    writeFile(file, original);

    CProperty property(file);
    property.setValue("Big", std::string(64 * 1024, 'A'));

    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = property.flush();
    const int error = property.getLastError();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(error, EFBIG);
    EXPECT_EQ(readFile(file), original);
    EXPECT_EQ(entries(), std::vector<std::string>{"keep.mrk"});  // temporary removed
    EXPECT_TRUE(property.isDirty());

    EXPECT_TRUE(property.flush());  // the next flush tries again
    EXPECT_EQ(readFile(file).size(), 64 * 1024 + 6u);
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
    ASSERT_EQ(mkdir(path("a-folder").c_str(), 0755), 0);
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

TEST_F(Property, NeverReplacesAPipeOrDeviceWithAPlainFile)
{
    // A rename over the target would turn a pipe (or, for root, /dev/null) into a file.
    const std::string pipe = path("a-pipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    CProperty property(pipe);
    property.setValue("k", "v");
    EXPECT_FALSE(property.save());
    EXPECT_EQ(property.getLastError(), EINVAL);
    struct stat st {};
    ASSERT_EQ(stat(pipe.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(entries(), std::vector<std::string>{"a-pipe"});
}

TEST_F(Property, RefusesTargetWithoutWritePermission)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root may write any file";
    const std::string file = path("locked.mrk");
    writeFile(file, "k=old\r\n");
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    CProperty property(file);
    property.setValue("k", "new");
    EXPECT_FALSE(property.save());
    EXPECT_EQ(property.getLastError(), EACCES);
    EXPECT_EQ(readFile(file), "k=old\r\n");
    EXPECT_EQ(entries(), std::vector<std::string>{"locked.mrk"});
}

TEST_F(Property, SaveKeepsModeAndWritesThroughLinks)
{
    ASSERT_EQ(mkdir(path("real").c_str(), 0755), 0);
    const std::string target = path("real/target.mrk");
    writeFile(target, "k=old\r\n");
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    // A relative link, through a second link, as a user's shortcut might be.
    ASSERT_EQ(symlink("real/target.mrk", path("link1").c_str()), 0);
    ASSERT_EQ(symlink("link1", path("link2").c_str()), 0);
    ASSERT_EQ(symlink("real/new.mrk", path("dangling").c_str()), 0);

    CProperty viaLinks(path("link2"));
    viaLinks.setValue("k", "new");
    ASSERT_TRUE(viaLinks.save()) << viaLinks.getLastError();

    struct stat st;
    ASSERT_EQ(lstat(path("link2").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(lstat(path("link1").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(readFile(target), "k=new\r\n");

    CProperty viaDangling(path("dangling"));
    viaDangling.setValue("k", "created");
    ASSERT_TRUE(viaDangling.save()) << viaDangling.getLastError();
    ASSERT_EQ(lstat(path("dangling").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(readFile(path("real/new.mrk")), "k=created\r\n");

    // A new file gets the usual mode for created files, not the temporary's.
    const mode_t mask = umask(022);
    umask(mask);
    CProperty fresh(path("fresh.mrk"));
    fresh.setValue("k", "v");
    ASSERT_TRUE(fresh.save());
    ASSERT_EQ(stat(path("fresh.mrk").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0666u & ~mask);
}
