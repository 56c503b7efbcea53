#include "job/CFileInspection.h"

#include "BackupText.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

namespace {

using testsupport::BackupText;
using Problem = CFileInspection::Problem;
using Severity = CFileInspection::Severity;

struct Expected {
    Problem::Kind kind;
    std::string key;
};

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

TEST_F(FileInspection, NamesEveryProblemTheRestoreMeets)
{
    const std::string u = "UserManagerConfig.", c = "ConfigManager.";
    struct Case {
        const char* what;
        std::function<void(BackupText&)> damage;
        std::vector<Expected> problems;
        Severity verdict;
    };
    const std::vector<Case> cases = {
        // Refused by the restore's file and version checks.
        {"version missing", [](BackupText& f) { f.remove("Global.Version"); },
         {{Problem::KeyMissing, "Global.Version"}}, Severity::Refused},
        {"version too old", [](BackupText& f) { f.set("Global.Version", "103"); },
         {{Problem::VersionTooOld, "Global.Version"}}, Severity::Refused},
        {"version no gateway has", [](BackupText& f) { f.set("Global.Version", "108.5"); },
         {{Problem::VersionUnmatched, "Global.Version"}}, Severity::Refused},
        {"Data missing", [&](BackupText& f) { f.remove(c + "Data"); }, {{Problem::KeyMissing, c + "Data"}},
         Severity::Refused},
        {"DataLength missing", [](BackupText& f) { f.remove("DayLightConfig.DataLength"); },
         {{Problem::KeyMissing, "DayLightConfig.DataLength"}}, Severity::Refused},
        {"negative length", [&](BackupText& f) { f.set(c + "DataLength", "-5"); },
         {{Problem::LengthNegative, c + "DataLength"}}, Severity::Refused},
        {"length beyond any frame", [&](BackupText& f) { f.set(c + "DataLength", "67108865"); },
         {{Problem::LengthTooLarge, c + "DataLength"}}, Severity::Refused},
        {"Data decodes short", [&](BackupText& f) { f.set(c + "DataLength", "201"); },
         {{Problem::DataShort, c + "Data"}}, Severity::Refused},
        // The restore goes on but leaves an SKD unrestored or unchecked.
        {"SKD image missing", [](BackupText& f) { f.remove("SKD2.Data"); }, {{Problem::KeyMissing, "SKD2.Data"}},
         Severity::Incomplete},
        {"SKD length above the buffer", [](BackupText& f) { f.set("SKD2.DataLength", "70000"); },
         {{Problem::LengthTooLarge, "SKD2.DataLength"}}, Severity::Incomplete},
        {"SKD length negative", [](BackupText& f) { f.set("SKD2.DataLength", "-1"); },
         {{Problem::LengthNegative, "SKD2.DataLength"}}, Severity::Incomplete},
        {"SKD length 0", [](BackupText& f) { f.set("SKD2.DataLength", "0"); },
         {{Problem::LengthZero, "SKD2.DataLength"}}, Severity::Incomplete},
        {"SKD image decodes short", [](BackupText& f) { f.set("SKD2.DataLength", "62001"); },
         {{Problem::DataShort, "SKD2.Data"}}, Severity::Incomplete},
        {"CRC missing", [](BackupText& f) { f.remove("SKD1.CRC"); }, {{Problem::KeyMissing, "SKD1.CRC"}},
         Severity::Incomplete},
        {"CFG of the wrong size", [](BackupText& f) { f.setData("SKD1.CFG", {1, 2, 3}); },
         {{Problem::RecordShort, "SKD1.CFG"}}, Severity::Incomplete},
        {"SKD that never answered", [](BackupText& f) { f.set("SKD64.DataLength", "0"); },
         {{Problem::SkdNeverAnswered, "SKD64.DataLength"}}, Severity::Incomplete},
        {"records without DataLength", [](BackupText& f) { f.remove("SKD2.DataLength"); },
         {{Problem::SkdNotListed, "SKD2.DataLength"}}, Severity::Incomplete},
        {"SKD records for a gateway without SKDs", [](BackupText& f) { f.set("Global.Version", "107"); },
         {{Problem::NoSkdPart, ""}}, Severity::Incomplete},
        {"master without its records",
         [](BackupText& f) { f.set("SKD0.MASTER", "195"); },
         {{Problem::MasterImageElsewhere, "SKD1.Data"}, {Problem::MasterImagesUnused, "SKD2.Data"},
          {Problem::KeyMissing, "SKD3.CFG"}},
         Severity::Incomplete},
        // Worked around without a word: nothing the file holds is lost.
        {"unknown key", [](BackupText& f) { f.set("Foo.Bar", "1"); }, {{Problem::UnknownKey, "Foo.Bar"}},
         Severity::Note},
        {"SKD key the restore never reads", [](BackupText& f) { f.set("SKD01.DataLength", "5"); },
         {{Problem::UnknownKey, "SKD01.DataLength"}}, Severity::Note},
        {"line without =", [](BackupText& f) { f.appendLine("garbage"); }, {{Problem::LineIgnored, ""}},
         Severity::Note},
        {"line with an empty value", [](BackupText& f) { f.appendLine("Foo="); }, {{Problem::LineIgnored, "Foo"}},
         Severity::Note},
        {"key too long", [](BackupText& f) { f.appendLine(std::string(255, 'K') + "=1"); },
         {{Problem::LineIgnored, std::string(255, 'K')}}, Severity::Note},
        {"key repeated", [](BackupText& f) { f.appendLine("SKD0.MASTER=192"); },
         {{Problem::LineReplaced, "SKD0.MASTER"}}, Severity::Note},
        {"Data longer than its length", [&](BackupText& f) { f.set(u + "DataLength", "999"); },
         {{Problem::DataLonger, u + "Data"}}, Severity::Note},
        {"Data of an empty object", [](BackupText& f) { f.set("SystemTimeConfig.DataLength", "0"); },
         {{Problem::DataWithoutLength, "SystemTimeConfig.Data"}}, Severity::Note},
        {"length with blanks", [&](BackupText& f) { f.set(u + "DataLength", " 1000"); },
         {{Problem::NumberNotPlain, u + "DataLength"}}, Severity::Note},
        {"master beyond 8 bits", [](BackupText& f) { f.set("SKD0.MASTER", "448"); },
         {{Problem::MasterOdd, "SKD0.MASTER"}}, Severity::Note},
        {"master missing", [](BackupText& f) { f.remove("SKD0.MASTER"); }, {{Problem::MasterMissing, "SKD0.MASTER"}},
         Severity::Note},
        {"CRC longer than a record", [](BackupText& f) { f.setData("SKD1.CRC", {1, 2, 3, 4, 5, 6}); },
         {{Problem::RecordLonger, "SKD1.CRC"}}, Severity::Note},
        {"image longer than the template area",
         [](BackupText& f) {
             f.set("SKD1.DataLength", "62500");
             f.setData("SKD1.Data", BackupText::randomBytes(62500, 3));
         },
         {{Problem::ImageBeyondArea, "SKD1.DataLength"}}, Severity::Note},
        {"no SKD data",
         [](BackupText& f) {
             for (const char* key : {"SKD0.MASTER", "SKD1.DataLength", "SKD1.Data", "SKD1.CFG", "SKD1.CRC",
                                     "SKD2.DataLength", "SKD2.Data", "SKD2.CFG", "SKD2.CRC"})
                 f.remove(key);
         },
         {{Problem::NoSkdData, ""}}, Severity::Note},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BackupText text = BackupText::complete();
        c.damage(text);
        const CFileInspection r = inspect(text);
        ASSERT_TRUE(r.readable);
        std::vector<Expected> found;
        for (const Problem& p : r.problems)
            found.push_back({p.kind, p.key});
        ASSERT_EQ(found.size(), c.problems.size()) << describe(r.problems);
        for (size_t i = 0; i < found.size(); ++i) {
            EXPECT_EQ(found[i].kind, c.problems[i].kind) << describe(r.problems);
            EXPECT_EQ(found[i].key, c.problems[i].key) << describe(r.problems);
        }
        EXPECT_EQ(r.verdict(), c.verdict) << describe(r.problems);
        EXPECT_EQ(r.complete(), c.verdict == Severity::Note);
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
