// Saves against what only POSIX has: file size limits, fifos, modes and symbolic links.
#include "backupfile/CProperty.h"

#include "FileFixture.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using backupfiletest::TempDirTest;

namespace {

class PosixProperty : public TempDirTest
{
};

}  // namespace

TEST_F(PosixProperty, FailedSaveLeavesPreviousFileWholeAndStaysDirty)
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

TEST_F(PosixProperty, NeverReplacesAPipeOrDeviceWithAPlainFile)
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

TEST_F(PosixProperty, RefusesTargetWithoutWritePermission)
{
    const std::string file = path("locked.mrk");
    writeFile(file, "k=old\r\n");
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);

    // Root may write any file: as root the save runs in a child that has become an ordinary
    // user first, the owner of the folder and the file, as a user saving over their own
    // read-only backup is.
    uid_t uid = geteuid();
    gid_t gid = getegid();
    if (uid == 0) {
        const passwd* nobody = getpwnam("nobody");
        if (!nobody || nobody->pw_uid == 0)
            SKIP_FOR_MISSING("an unprivileged user \"nobody\" to save as");
        uid = nobody->pw_uid;
        gid = nobody->pw_gid;
        ASSERT_EQ(chown(m_temp.dir().c_str(), uid, gid), 0);
        ASSERT_EQ(chown(file.c_str(), uid, gid), 0);
    }
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The child only reports through the pipe; the checks stay in the parent.
        close(pipeFds[0]);
        int result[3] = {-1, -1, -1};
        const bool dropped = geteuid() != 0 || (setgroups(0, nullptr) == 0 && setgid(gid) == 0 && setuid(uid) == 0);
        if (dropped && geteuid() != 0) {
            CProperty property(file);
            property.setValue("k", "new");
            result[0] = 0;
            result[1] = property.save() ? 1 : 0;
            result[2] = property.getLastError();
        }
        const ssize_t written = write(pipeFds[1], result, sizeof result);
        _exit(written == static_cast<ssize_t>(sizeof result) ? 0 : 1);
    }
    close(pipeFds[1]);
    int result[3] = {-1, -1, -1};
    const ssize_t got = read(pipeFds[0], result, sizeof result);
    close(pipeFds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    ASSERT_EQ(got, static_cast<ssize_t>(sizeof result));
    ASSERT_EQ(result[0], 0) << "could not become user " << uid;

    EXPECT_EQ(result[1], 0) << "the save went through";
    EXPECT_EQ(result[2], EACCES);
    EXPECT_EQ(readFile(file), "k=old\r\n");
    EXPECT_EQ(entries(), std::vector<std::string>{"locked.mrk"});
}

TEST_F(PosixProperty, SaveKeepsModeAndWritesThroughLinks)
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
