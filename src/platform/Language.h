#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The user-interface languages: the language files and the platform language ids each one
// serves (primary language in the low 10 bits, + 1024 x sublanguage). Both front ends choose
// their language from this one table with the same rules.
namespace lang {

struct FileEntry {
    std::string file;           // "blang_de", ...
    std::vector<uint16_t> ids;  // in the order they are searched
};

// The eight files, in the order they are searched.
const std::vector<FileEntry>& fileTable();
// The first entry whose ids hold the id; nullptr when none does.
const FileEntry* entryFor(uint16_t languageId);

// Where the language files lie below the working directory, and the language of last resort.
constexpr const char* kFolder = "lng";
constexpr const char* kDefaultName = "english";
constexpr uint16_t kDefaultLanguageId = 1033;

// One locale name ("es_ES.UTF-8", "de_CH@euro", "C") as a language id; a language the
// platform numbers but the table lacks gets its own id, so the choice falls back to English.
uint16_t languageIdFromLocale(const std::string& locale);

// The user's default language id: on Windows the system's (GetUserDefaultLangID); on POSIX
// from LC_ALL, then LC_MESSAGES, then LANG (empty ones skipped; none set is the POSIX locale).
uint16_t userLanguageId();

}  // namespace lang
