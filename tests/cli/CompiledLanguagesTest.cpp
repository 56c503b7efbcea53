// The language table compiled into the tool from the catalogues.
#include "cli/CompiledLanguages.h"

#include "platform/Language.h"
#include "resources/StringTable.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

// The table of tests/cli/data/table_fixture.ts.
std::span<const CompiledCatalogue> fixtureCatalogues();

namespace {

std::vector<std::string> marksOf(const std::string& text)
{
    static const std::regex mark("%[adfs]");
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), mark); it != std::sregex_iterator(); ++it)
        found.push_back(it->str());
    return found;
}

TEST(CompiledLanguages, EveryFileOfTheLanguageTableIsCompiledInWithEveryText)
{
    // The tool has no other source of its languages, so a file the table names but the
    // build did not compile in would silently give another language.
    EXPECT_EQ(compiledCatalogues().size(), lang::fileTable().size());
    for (const lang::FileEntry& entry : lang::fileTable()) {
        SCOPED_TRACE(entry.file);
        const CompiledCatalogue* catalogue = compiledCatalogue(entry.file);
        ASSERT_NE(catalogue, nullptr);
        const CCompiledLanguage module(*catalogue);
        for (int id = kFirstStringId; id <= kLastStringId; ++id) {
            std::string text;
            ASSERT_TRUE(module.loadString(id, text)) << id;
            EXPECT_EQ(marksOf(text), marksOf(builtinText(id))) << id << ": " << text;
        }
        // The status lines beyond the table, by their keys.
        for (int id = kFirstNamedId; id <= kLastNamedId; ++id) {
            std::string text;
            ASSERT_TRUE(module.loadString(id, text)) << id;
            EXPECT_EQ(marksOf(text), marksOf(builtinText(id))) << id << ": " << text;
        }
        std::string text;
        EXPECT_FALSE(module.loadString(kFirstStringId - 1, text));
        EXPECT_FALSE(module.loadString(kLastStringId + 1, text));
        // The progress line's words.
        for (const char* key : {"APP_PROGRESS_WAIT_GATEWAY", "APP_PROGRESS_CONNECT", "APP_PROGRESS_SETTLE",
                                "APP_PROGRESS_SCAN", "APP_PROGRESS_BACKUP", "APP_PROGRESS_RESTORE", "APP_PROGRESS_CLEAN",
                                "APP_PROGRESS_CHECK", "APP_PROGRESS_LEFT", "APP_PROGRESS_LEFT_JOB"})
            EXPECT_NE(compiledText(*catalogue, key), nullptr) << key;
    }
}

TEST(CompiledLanguages, TextsAreCarriedAsLreleaseCompilesThem)
{
    // Characters, entities and message states the real catalogues hardly use.
    ASSERT_EQ(fixtureCatalogues().size(), 1u);
    const CompiledCatalogue& catalogue = fixtureCatalogues()[0];
    EXPECT_STREQ(catalogue.file, "table_fixture");
    struct Case {
        int id;
        const char* text;  // nullptr: none, the lookup fails
    };
    const std::vector<Case> cases = {
        {103, "Quote \" \" backslash \\ \\n; semicolon [brackets] \?\?= %s 100%"},
        {104, "two\nlines\tand a tab"},
        {105, "&<>'\xE2\x82\xAC\xC3\xA4\xF0\x9F\x98\x80&amp;"},
        {106, "Gr\xC3\xB6\xC3\x9F" "e 1a \xC3\xA4" "b"},
        {107, "unfertig"},         // unfinished: carried
        {108, "Fuente & origen"},  // unfinished and empty: the source text
        {109, "Fuente"},           // ... also written as an empty element
        {110, nullptr},            // finished but empty
        {111, nullptr},            // vanished
        {112, nullptr},            // obsolete
        {113, nullptr},            // not in the catalogue
        {114, "  spaced  "},
        {115, "after a comment"},
    };
    const CCompiledLanguage module(catalogue);
    for (const Case& c : cases) {
        std::string text;
        EXPECT_EQ(module.loadString(c.id, text), c.text != nullptr) << c.id;
        if (c.text) {
            EXPECT_EQ(text, c.text) << c.id;
        }
    }
    // Named keys: those asked for and translated, and only those.
    EXPECT_STREQ(compiledText(catalogue, "KEY_CARRIED"), "%1 & %2 \xE2\x80\x93 named");
    EXPECT_EQ(compiledText(catalogue, "KEY_VANISHED"), nullptr);
    EXPECT_EQ(compiledText(catalogue, "KEY_MISSING"), nullptr);
    EXPECT_EQ(compiledText(catalogue, "KEY_NOT_ASKED_FOR"), nullptr);
}

}  // namespace
