#include "lang/CLangResources.h"

#include "job/CMessage.h"
#include "resources/StringTable.h"
#include "platform/Resources.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kAllFiles = {"blang_de", "blang_en", "blang_fr", "blang_nl",
                                            "blang_it", "blang_sv", "blang_da", "blang_es"};

// A scratch folder made the working directory for one test; the old one comes back after.
class ScopedFolder
{
public:
    ScopedFolder() : m_old(fs::current_path()) { fs::current_path(m_path); }
    ~ScopedFolder() { fs::current_path(m_old); }
    const fs::path& path() const { return m_path; }

    // Copies compiled catalogues into <folder>/lng.
    void provide(const std::vector<std::string>& files) const
    {
        fs::create_directories(m_path / "lng");
        for (const std::string& f : files)
            fs::copy_file(fs::path(NEXO_TEST_LNG_DIR) / (f + ".qm"), m_path / "lng" / (f + ".qm"),
                          fs::copy_options::overwrite_existing);
    }

private:
    fs::path m_old;
    testsupport::ScopedTempDir m_temp{"nexo-lang"};
    fs::path m_path = m_temp.dir();
};

class Lang : public ::testing::Test
{
protected:
    void SetUp() override { lang.configure("lng", "english", 1033); }
    void TearDown() override { lang.unload(); }
    CLangResources lang;
};

std::vector<std::string> marksOf(const std::string& text)
{
    // The string table's marks and the dialogs' numbered ones.
    static const std::regex mark("%[adfs1-9]");
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), mark); it != std::sregex_iterator(); ++it)
        found.push_back(it->str());
    return found;
}

}  // namespace

TEST_F(Lang, ChoiceOfFile)
{
    enum Setup { AllFiles, NoGerman, NoEnglish, NoFolder, GarbageSpanish, SpanishIsFolder };
    struct Case {
        const char* name;
        uint16_t id;
        Setup setup;
        const char* expected;  // nullptr: select fails
    };
    const Case cases[] = {
        {"Spanish modern sort", 3082, AllFiles, "blang_es"},
        {"Spanish traditional", 1034, AllFiles, "blang_es"},
        {"Spanish Puerto Rico", 20490, AllFiles, "blang_es"},
        {"Brazilian falls back to English", 1046, AllFiles, "blang_en"},
        {"Spanish US is outside the table", 21514, AllFiles, "blang_en"},
        {"German", 1031, AllFiles, "blang_de"},
        {"Swiss German", 2055, AllFiles, "blang_de"},
        {"Caribbean English", 9225, AllFiles, "blang_en"},
        {"Monaco French", 6156, AllFiles, "blang_fr"},
        {"Flemish", 2067, AllFiles, "blang_nl"},
        {"Swiss Italian", 2064, AllFiles, "blang_it"},
        {"Finland Swedish", 2077, AllFiles, "blang_sv"},
        {"Danish", 1030, AllFiles, "blang_da"},
        {"German missing, English there", 1031, NoGerman, nullptr},
        {"fallback with English missing", 1046, NoEnglish, nullptr},
        {"started from another folder", 3082, NoFolder, nullptr},
        {"file that is no catalogue", 3082, GarbageSpanish, nullptr},
        {"folder in place of the file", 3082, SpanishIsFolder, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedFolder folder;
        std::vector<std::string> files = kAllFiles;
        if (c.setup == NoGerman)
            files.erase(files.begin());
        if (c.setup == NoEnglish)
            files.erase(files.begin() + 1);
        if (c.setup != NoFolder)
            folder.provide(files);
        if (c.setup == GarbageSpanish)
            std::ofstream(folder.path() / "lng" / "blang_es.qm") << "not a catalogue";
        if (c.setup == SpanishIsFolder) {
            fs::remove(folder.path() / "lng" / "blang_es.qm");
            fs::create_directory(folder.path() / "lng" / "blang_es.qm");
        }

        // Something loaded before must go whatever the outcome.
        ASSERT_TRUE(c.setup == NoFolder || c.setup == NoEnglish || lang.select(1033));

        EXPECT_EQ(lang.select(c.id), c.expected != nullptr);
        EXPECT_EQ(lang.loadedFile(), c.expected ? c.expected : "");
        EXPECT_EQ(activeResources() != nullptr, c.expected != nullptr);
        lang.unload();
        EXPECT_EQ(activeResources(), nullptr);
    }
}

TEST_F(Lang, DefaultOutsideTableFailsInsteadOfLooping)
{
    ScopedFolder folder;
    folder.provide(kAllFiles);
    lang.configure("lng", "english", 1046);
    EXPECT_FALSE(lang.select(1046));
    EXPECT_EQ(lang.loadedFile(), "");
}

TEST(LangEnvironment, UserLanguageId)
{
    struct Case {
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        uint16_t expected;
    };
    const Case cases[] = {
        {"es_ES.UTF-8", nullptr, nullptr, 3082},
        {nullptr, nullptr, "es_MX", 2058},
        {nullptr, "de_CH.UTF-8", "fr_FR", 2055},
        {"en_GB", "de_DE", "fr_FR", 2057},
        {"", "", "it_CH.UTF-8", 2064},            // empty variables are skipped
        {"", "sv_FI", nullptr, 2077},
        {"C", nullptr, "de_DE", 1033},
        {"C.UTF-8", nullptr, nullptr, 1033},
        {nullptr, "POSIX", nullptr, 1033},
        {nullptr, nullptr, nullptr, 1033},
        {nullptr, nullptr, "de_DE@euro", 1031},
        {nullptr, nullptr, "fr_BE.ISO-8859-15@euro", 2060},
        {nullptr, nullptr, "de", 1031},
        {nullptr, nullptr, "es", 1034},
        {nullptr, nullptr, "es_US.UTF-8", 1034},  // a country the table lacks: sublanguage 1
        {nullptr, nullptr, "en_IE", 6153},
        {nullptr, nullptr, "en_TT", 11273},
        {nullptr, nullptr, "es_PR", 20490},
        {nullptr, nullptr, "nl_BE", 2067},
        {nullptr, nullptr, "da_DK.UTF-8", 1030},
        {nullptr, nullptr, "pt_BR.UTF-8", 1046},
        {nullptr, nullptr, "tlh_XX", 1024},
    };
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::optional<std::string> saved[3];
    for (int i = 0; i < 3; ++i)
        if (const char* v = std::getenv(names[i]))
            saved[i] = v;

    CLangResources lang;
    for (const Case& c : cases) {
        const char* values[] = {c.lcAll, c.lcMessages, c.lang};
        for (int i = 0; i < 3; ++i) {
            if (values[i])
                setenv(names[i], values[i], 1);
            else
                unsetenv(names[i]);
        }
        const uint16_t id = CLangResources::userLanguageId();
        EXPECT_EQ(id, c.expected) << (c.lcAll ? c.lcAll : "-") << " " << (c.lcMessages ? c.lcMessages : "-")
                                  << " " << (c.lang ? c.lang : "-");
        // Every id of a table language names a file; any other falls back to the default.
        if (id != 1024 && id != 1046) {
            EXPECT_NE(lang.entryFor(id), nullptr) << id;
        }
    }
    for (int i = 0; i < 3; ++i) {
        if (saved[i])
            setenv(names[i], saved[i]->c_str(), 1);
        else
            unsetenv(names[i]);
    }
}

TEST_F(Lang, EveryCatalogueHasEveryKeyWithTheSpanishMarks)
{
    ScopedFolder folder;
    folder.provide(kAllFiles);
    ASSERT_EQ(lang.entries().size(), kAllFiles.size());
    for (const CLangResources::Entry& entry : lang.entries()) {
        SCOPED_TRACE(entry.file);
        ASSERT_TRUE(lang.select(entry.ids.front()));
        ASSERT_EQ(lang.loadedFile(), entry.file);
        for (const std::string& key : CLangResources::keys()) {
            const std::string builtin = CLangResources::builtinText(key.c_str()).toStdString();
            const std::string text = lang.text(key.c_str()).toStdString();
            ASSERT_FALSE(builtin.empty()) << key;
            EXPECT_FALSE(text.empty()) << key;
            EXPECT_EQ(marksOf(text), marksOf(builtin)) << key << ": " << text;
            if (entry.file == "blang_es") {
                EXPECT_EQ(text, builtin) << key;
            }
            if (key == "IDD_102_BACKUP" || key == "IDD_102_RESTORE") {
                EXPECT_EQ(text.find('&'), 0u) << key << ": " << text;
            }
        }
        // The string table reaches the core through the active resources.
        for (int id = kFirstStringId; id <= kLastStringId; ++id)
            EXPECT_EQ(loadResourceText(id), lang.text(("IDS_" + std::to_string(id)).c_str()).toStdString()) << id;
        for (int id = kFirstNamedId; id <= kLastNamedId; ++id)
            EXPECT_EQ(loadResourceText(id), lang.text(namedStringKey(id)).toStdString()) << id;
        // The two job buttons keep distinct accelerators.
        EXPECT_NE(lang.text("IDD_102_BACKUP").mid(1, 1).toLower(), lang.text("IDD_102_RESTORE").mid(1, 1).toLower());
    }
    EXPECT_EQ(CLangResources::keys().size(), 31u + 66u + 2u);
}

TEST_F(Lang, MessagesFollowTheSelectedLanguage)
{
    ScopedFolder folder;
    folder.provide({"blang_en", "blang_de"});
    CMessage* messages = CMessage::getInstance();
    const std::string spanish = "Encontrado NEXO versión 107.";
    EXPECT_EQ(messages->formatText(145, 107.0), spanish);
    EXPECT_EQ(lang.text("IDD_102_CLOSE"), QString("Cerrar"));

    ASSERT_TRUE(lang.select(2057));
    EXPECT_EQ(messages->formatText(145, 107.0), "Found NEXO version 107.");
    EXPECT_EQ(messages->loadText(168), "[all]");
    EXPECT_EQ(lang.text("IDD_102_CLOSE"), QString("Close"));
    EXPECT_EQ(lang.text("NO_SUCH_KEY"), QString(""));

    ASSERT_TRUE(lang.select(3079));
    EXPECT_EQ(messages->formatText(145, 107.0), "NEXO-Version 107 gefunden.");

    lang.unload();
    EXPECT_EQ(messages->formatText(145, 107.0), spanish);
    EXPECT_EQ(lang.text("IDS_168"), QString("[todos]"));
    EXPECT_EQ(lang.loadedFile(), "");
}

TEST(LangShared, OneInstanceStartsUnconfigured)
{
    CLangResources* shared = getLangResources();
    EXPECT_EQ(shared, getLangResources());
    EXPECT_EQ(shared->folder(), "");
    EXPECT_EQ(shared->defaultName(), "english");
    EXPECT_EQ(shared->defaultLanguage(), 1033);
}

// An installed tree (<root>/bin and <root>/share/nexo-backup/lng) answers when the working
// directory has no lng/; a working directory's lng/ wins even when it lacks the language.
TEST_F(Lang, InstalledDataFolderBesideTheProgram)
{
    enum Where { Nowhere, WorkingDir, Installed };
    struct Case {
        const char* name;
        uint16_t id;
        std::optional<std::vector<std::string>> workingFiles;  // nullopt: no lng/ there
        std::optional<std::vector<std::string>> installedFiles;  // nullopt: no data folder
        Where expectedFrom;
        const char* expected;
    };
    const std::vector<std::string> noGerman(kAllFiles.begin() + 1, kAllFiles.end());
    const Case cases[] = {
        {"installed, started elsewhere", 1031, std::nullopt, kAllFiles, Installed, "blang_de"},
        {"installed, language outside the table", 1046, std::nullopt, kAllFiles, Installed, "blang_en"},
        {"working directory first", 3082, kAllFiles, kAllFiles, WorkingDir, "blang_es"},
        {"working directory lacks the language", 1031, noGerman, kAllFiles, Nowhere, nullptr},
        {"empty lng/ in the working directory", 1031, std::vector<std::string>{}, kAllFiles, Nowhere, nullptr},
        {"installed without the language", 1031, std::nullopt, noGerman, Nowhere, nullptr},
        {"build tree: no data folder", 1031, std::nullopt, std::nullopt, Nowhere, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::ScopedTempDir root("nexo-installed");
        const fs::path bin = fs::path(root.dir()) / "bin";
        const fs::path lng = fs::path(root.dir()) / "share" / "nexo-backup" / "lng";
        fs::create_directories(bin);
        if (c.installedFiles) {
            fs::create_directories(lng);
            for (const std::string& f : *c.installedFiles)
                fs::copy_file(fs::path(NEXO_TEST_LNG_DIR) / (f + ".qm"), lng / (f + ".qm"));
        }
        ScopedFolder folder;
        if (c.workingFiles)
            folder.provide(*c.workingFiles);
        lang.setProgramDir(bin.string());
        EXPECT_EQ(lang.dataDir(), (fs::path(root.dir()) / "share" / "nexo-backup").string());

        EXPECT_EQ(lang.select(c.id), c.expected != nullptr);
        EXPECT_EQ(lang.loadedFile(), c.expected ? c.expected : "");
        const fs::path from = c.expectedFrom == Installed ? lng : folder.path() / "lng";
        EXPECT_EQ(lang.loadedPath(), c.expected ? (from / (std::string(c.expected) + ".qm")).string() : "");
        lang.unload();
        lang.setProgramDir("");
    }
}
