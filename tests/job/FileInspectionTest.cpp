#include "job/CFileInspection.h"

#include "backupfile/CFileManager.h"
#include "job/CRestoreCheck.h"

#include "BackupText.h"
#include "DamagedBackups.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

namespace {

using testsupport::BackupText;
using Problem = CFileInspection::Problem;
using Severity = CFileInspection::Severity;

std::string describe(const std::vector<Problem>& problems)
{
    std::ostringstream out;
    for (const Problem& p : problems)
        out << " [kind " << p.kind << " key " << p.key << " severity " << int(p.severity) << " line " << p.line << "]";
    return out.str();
}

class FileInspection : public ::testing::Test
{
protected:
    CFileInspection inspect(const BackupText& text, const std::string& lineEnd = "\r\n")
    {
        const std::string file = m_temp.path("f" + std::to_string(m_files++) + ".mrk");
        EXPECT_TRUE(text.write(file, lineEnd));
        return CFileInspection(file);
    }

    testsupport::ScopedTempDir m_temp{"nexo-inspect"};
    int m_files = 0;
};

TEST_F(FileInspection, CompleteFileHasNoProblem)
{
    const CFileInspection r = inspect(BackupText::complete(), "\n");
    ASSERT_TRUE(r.readable);
    EXPECT_TRUE(r.problems.empty()) << describe(r.problems);
    EXPECT_TRUE(r.complete());
    EXPECT_EQ(r.restoresTo, 108);
    EXPECT_EQ(r.objects[0].name, "UserManagerConfig");
    EXPECT_EQ(r.objects[0].facts.length, 1000);
    EXPECT_EQ(r.objects[3].facts.dataBytes, 4u);
    EXPECT_FALSE(r.masterMode);
    ASSERT_EQ(r.skds.size(), 2u);
    EXPECT_EQ(r.skds[1].number, 2);
    EXPECT_EQ(r.skds[1].facts.length, 62000);
    EXPECT_TRUE(r.skds[1].crcUsable && r.skds[1].cfgUsable);
}

// The problems and their severities are tested on a table of damaged files through the tool's
// inspect command (tests/cli), which prints each with its key and numbers. Here the same table
// holds the inspection and the restore's own check to one verdict, so they cannot drift apart.
TEST_F(FileInspection, AgreesWithTheRestoresCheckOnEveryDamagedFile)
{
    using Verdict = CRestoreCheck::Verdict;
    for (const testsupport::DamagedBackup& c : testsupport::damagedBackups()) {
        SCOPED_TRACE(c.what);
        BackupText text = BackupText::complete();
        c.damage(text);
        const CFileInspection r = inspect(text);
        CFileManager file;
        file.open(r.path);
        const CRestoreCheck check(file);
        const Verdict expected = r.verdict() == Severity::Refused      ? Verdict::Refused
                                 : r.verdict() == Severity::Incomplete ? Verdict::Incomplete
                                                                       : Verdict::Complete;
        EXPECT_EQ(check.verdict, expected) << describe(r.problems);
        EXPECT_EQ(r.complete(), c.status == 0);
    }
}

TEST_F(FileInspection, LinesAreNamedByNumber)
{
    BackupText text = BackupText::complete();  // 18 lines
    text.appendLine("");
    text.appendLine("=value");
    text.appendLine("Global.Version=108");
    const CFileInspection r = inspect(text);
    ASSERT_EQ(r.problems.size(), 3u) << describe(r.problems);
    EXPECT_EQ(r.problems[0].kind, Problem::LineReplaced);
    EXPECT_EQ(r.problems[0].line, 1u);
    EXPECT_EQ(r.problems[0].laterLine, 21u);
    EXPECT_EQ(r.problems[1].lineKind, CProperty::LoadNote::Blank);
    EXPECT_EQ(r.problems[1].line, 19u);
    EXPECT_EQ(r.problems[2].lineKind, CProperty::LoadNote::EmptyKey);
    EXPECT_EQ(r.problems[2].line, 20u);
}

TEST_F(FileInspection, SkdThatARestoreOfOneSkdCanWrite)
{
    struct Case {
        const char* what;
        std::function<void(BackupText&)> change;
        std::vector<int> restorable;
    };
    const std::vector<Case> cases = {
        {"single mode: its own image", [](BackupText&) {}, {1, 2}},
        {"single mode: an unusable image", [](BackupText& f) { f.set("SKD2.DataLength", "0"); }, {1}},
        {"master mode: the master's image for every SKD", [](BackupText& f) { f.set("SKD0.MASTER", "194"); },
         {1, 2, 3, 4, 5, 6, 7, 8}},
        {"gateway without SKDs", [](BackupText& f) { f.set("Global.Version", "107"); }, {}},
        {"version no gateway has", [](BackupText& f) { f.set("Global.Version", "99"); }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BackupText text = BackupText::complete();
        c.change(text);
        const CFileInspection r = inspect(text);
        std::vector<int> restorable;
        for (int n = 0; n <= 9; ++n)
            if (r.skdRestorable(n))
                restorable.push_back(n);
        EXPECT_EQ(restorable, c.restorable);
    }
}

TEST_F(FileInspection, UnreadableFile)
{
    EXPECT_FALSE(CFileInspection(m_temp.path("missing.mrk")).readable);
    EXPECT_FALSE(CFileInspection(m_temp.dir()).readable);
    ASSERT_TRUE(testsupport::writeFile(m_temp.path("empty.mrk"), ""));
    const CFileInspection empty(m_temp.path("empty.mrk"));
    EXPECT_TRUE(empty.readable);
    EXPECT_EQ(empty.verdict(), Severity::Refused);
}

}  // namespace
