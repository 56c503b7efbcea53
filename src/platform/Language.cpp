#include "platform/Language.h"

#include <cctype>

namespace lang {

namespace {

std::vector<uint16_t> idsOf(uint16_t primary, int sublanguages)
{
    std::vector<uint16_t> ids;
    for (int sub = 1; sub <= sublanguages; ++sub)
        ids.push_back(static_cast<uint16_t>(primary + 1024 * sub));
    return ids;
}

// Platform language ids: primary language in the low 10 bits, sublanguage above.
struct Language {
    const char* code;
    uint16_t primary;
};

const Language kLanguages[] = {
    {"de", 7},  {"en", 9},  {"fr", 12}, {"nl", 19}, {"it", 16}, {"sv", 29}, {"da", 6},
    {"es", 10},
    // Languages without a catalogue: their own ids, so the choice falls back to English.
    {"ar", 1},  {"bg", 2},  {"ca", 3},  {"zh", 4},  {"cs", 5},  {"el", 8},  {"fi", 11},
    {"he", 13}, {"hu", 14}, {"is", 15}, {"ja", 17}, {"ko", 18}, {"nb", 20}, {"no", 20},
    {"pl", 21}, {"pt", 22}, {"ro", 24}, {"ru", 25}, {"hr", 26}, {"sk", 27}, {"sq", 28},
    {"th", 30}, {"tr", 31}, {"id", 33}, {"uk", 34}, {"sl", 36}, {"et", 37}, {"lv", 38},
    {"lt", 39}, {"vi", 42}, {"eu", 45}, {"gl", 86},
};

struct Country {
    const char* language;
    const char* country;
    uint16_t sublanguage;
};

// Sublanguages of the countries the platform numbers; any other country takes 1.
const Country kCountries[] = {
    {"de", "DE", 1},  {"de", "CH", 2},  {"de", "AT", 3},  {"de", "LU", 4},  {"de", "LI", 5},
    {"en", "US", 1},  {"en", "GB", 2},  {"en", "AU", 3},  {"en", "CA", 4},  {"en", "NZ", 5},
    {"en", "IE", 6},  {"en", "ZA", 7},  {"en", "JM", 8},  {"en", "029", 9}, {"en", "BZ", 10},
    {"en", "TT", 11},
    {"fr", "FR", 1},  {"fr", "BE", 2},  {"fr", "CA", 3},  {"fr", "CH", 4},  {"fr", "LU", 5},
    {"fr", "MC", 6},
    {"nl", "NL", 1},  {"nl", "BE", 2},
    {"it", "IT", 1},  {"it", "CH", 2},
    {"sv", "SE", 1},  {"sv", "FI", 2},
    {"da", "DK", 1},
    // Spain is the modern sort (3), which the platform reports today; 1 is the traditional one.
    {"es", "ES", 3},  {"es", "MX", 2},  {"es", "GT", 4},  {"es", "CR", 5},  {"es", "PA", 6},
    {"es", "DO", 7},  {"es", "VE", 8},  {"es", "CO", 9},  {"es", "PE", 10}, {"es", "AR", 11},
    {"es", "EC", 12}, {"es", "CL", 13}, {"es", "UY", 14}, {"es", "PY", 15}, {"es", "BO", 16},
    {"es", "SV", 17}, {"es", "HN", 18}, {"es", "NI", 19}, {"es", "PR", 20},
    {"pt", "BR", 1},  {"pt", "PT", 2},  {"zh", "TW", 1},  {"zh", "CN", 2},  {"zh", "HK", 3},
    {"zh", "SG", 4},  {"no", "NO", 1},  {"nb", "NO", 1},
};

// Neutral language, user default: in no entry of the table.
constexpr uint16_t kUnknownLanguage = 1024;

}  // namespace

const std::vector<FileEntry>& fileTable()
{
    static const std::vector<FileEntry> table = {
        {"blang_de", idsOf(7, 5)},  {"blang_en", idsOf(9, 11)}, {"blang_fr", idsOf(12, 6)},
        {"blang_nl", idsOf(19, 2)}, {"blang_it", idsOf(16, 2)}, {"blang_sv", idsOf(29, 2)},
        {"blang_da", idsOf(6, 1)},  {"blang_es", idsOf(10, 20)},
    };
    return table;
}

const FileEntry* entryFor(uint16_t languageId)
{
    for (const FileEntry& entry : fileTable())
        for (uint16_t id : entry.ids)
            if (id == languageId)
                return &entry;
    return nullptr;
}

uint16_t languageIdFromLocale(const std::string& locale)
{
    // language[_COUNTRY][.codeset][@modifier]
    std::string name = locale.substr(0, locale.find('@'));
    name = name.substr(0, name.find('.'));
    if (name == "C" || name == "POSIX")
        return kDefaultLanguageId;

    const size_t sep = name.find_first_of("_-");
    std::string language = name.substr(0, sep);
    std::string country = sep == std::string::npos ? std::string() : name.substr(sep + 1);
    for (char& c : language)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : country)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

    for (const Language& l : kLanguages) {
        if (language != l.code)
            continue;
        uint16_t sub = 1;
        for (const Country& c : kCountries)
            if (language == c.language && country == c.country)
                sub = c.sublanguage;
        return static_cast<uint16_t>(l.primary + 1024 * sub);
    }
    return kUnknownLanguage;
}

}  // namespace lang
