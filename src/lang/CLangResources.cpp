#include "lang/CLangResources.h"

#include "job/StringTable.h"
#include "platform/ProgramPath.h"
#include "platform/Resources.h"

#include <QFile>
#include <QTranslator>

#include <sys/stat.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>

// The string table of the loaded catalogue, as the active resources of the core.
class CLangModule : public CResourceModule
{
public:
    explicit CLangModule(const QTranslator& translator) : m_translator(translator) {}

    bool loadString(int id, std::string& text) const override
    {
        const std::string key = "IDS_" + std::to_string(id);
        const QString found = m_translator.translate("", key.c_str());
        if (found.isNull())
            return false;
        text = found.toStdString();
        return true;
    }

private:
    const QTranslator& m_translator;
};

namespace {

struct DialogText {
    const char* key;
    const char* text;
};

// The dialogs' built-in (Spanish) texts.
const DialogText kDialogTexts[] = {
    {"IDD_102_TITLE", "Copias de seguridad del NEXO"},
    {"IDD_102_CLOSE", "Cerrar"},
    {"IDD_102_ADDRESS_LABEL", "Dirección IP"},
    {"IDD_102_PORT_LABEL", "Port"},
    {"IDD_102_BACKUP", "&Copia de seguridad [PC<-NEXO] ..."},
    {"IDD_102_RESTORE", "&Restaurar [PC->NEXO] ..."},
    {"IDD_133_TITLE", "NEXO Contraseña"},
    {"IDD_133_OK", "Aceptar"},
    {"IDD_133_CANCEL", "Cancelar"},
    {"IDD_133_LABEL", "Contraseña:"},
    {"IDD_134_TITLE", "Crear copia de seguridad del SKD"},
    {"IDD_134_IDENTICAL", "Los datos son idénticos en todos los SKDs"},
    {"IDD_134_MASTER_LABEL", "SKD maestro:"},
    {"IDD_134_OK", "Aceptar"},
    {"IDD_134_CANCEL", "Cancelar"},
    {"APP_PASSWORD_CHARSET", "La contraseña contiene caracteres que el NEXO no admite."},
};

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

constexpr uint16_t kEnglishUS = 1033;
// Neutral language, user default: in no entry of the table.
constexpr uint16_t kUnknownLanguage = 1024;

// The data folder as seen from the programs' folder, fixed by the install layout.
#ifndef NEXO_DATA_FROM_BIN
#define NEXO_DATA_FROM_BIN "../share/nexo-backup"
#endif

}  // namespace

CLangResources::CLangResources()
{
    m_files = {
        {"blang_de", idsOf(7, 5)},  {"blang_en", idsOf(9, 11)}, {"blang_fr", idsOf(12, 6)},
        {"blang_nl", idsOf(19, 2)}, {"blang_it", idsOf(16, 2)}, {"blang_sv", idsOf(29, 2)},
        {"blang_da", idsOf(6, 1)},  {"blang_es", idsOf(10, 20)},
    };
}

CLangResources::~CLangResources()
{
    unload();
}

void CLangResources::configure(const std::string& folder, const std::string& defaultName,
                               uint16_t defaultLanguage)
{
    m_folder = folder;
    m_defaultName = defaultName;
    m_defaultLanguage = defaultLanguage;
}

const CLangResources::Entry* CLangResources::entryFor(uint16_t languageId) const
{
    for (const Entry& entry : m_files)
        for (uint16_t id : entry.ids)
            if (id == languageId)
                return &entry;
    return nullptr;
}

bool CLangResources::select(uint16_t languageId)
{
    if (const Entry* entry = entryFor(languageId))
        return selectFound(*entry);
    // A default outside the table would otherwise recurse for ever.
    const Entry* fallback = entryFor(m_defaultLanguage);
    if (!fallback) {
        unload();
        return false;
    }
    return selectFound(*fallback);
}

bool CLangResources::selectFound(const Entry& entry)
{
    unload();
    std::error_code error;
    const std::filesystem::path cwd = std::filesystem::current_path(error);
    if (error)
        return false;
    std::filesystem::path folder = cwd / m_folder;
    // A folder of the working directory always wins, even without the user's language in it.
    if (!std::filesystem::is_directory(folder, error)) {
        const std::string data = dataDir();
        if (data.empty())
            return false;
        folder = std::filesystem::path(data) / m_folder;
    }
    const std::string path = (folder / (entry.file + ".qm")).string();

    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return false;
    // Read the exact file ourselves: the translator's own loader would try other names.
    QFile file(QString::fromStdString(path));
    if (!S_ISREG(st.st_mode) || !file.open(QIODevice::ReadOnly))
        return false;
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;

    auto translator = std::make_unique<QTranslator>();
    m_data = std::move(data);
    if (m_data.isEmpty()
        || !translator->load(reinterpret_cast<const uchar*>(m_data.constData()), static_cast<int>(m_data.size()))) {
        m_data.clear();
        return false;
    }
    m_translator = std::move(translator);
    m_module = std::make_unique<CLangModule>(*m_translator);
    m_loadedFile = entry.file;
    m_loadedPath = path;
    setActiveResources(m_module.get());
    return true;
}

void CLangResources::unload()
{
    // Give the built-in table back before the catalogue goes away.
    if (activeResources() == m_module.get())
        setActiveResources(nullptr);
    m_module.reset();
    m_translator.reset();
    m_data.clear();
    m_loadedFile.clear();
    m_loadedPath.clear();
}

std::string CLangResources::dataDir() const
{
    const std::string program = m_programDir.empty() ? programDir() : m_programDir;
    if (program.empty())
        return std::string();
    return (std::filesystem::path(program) / NEXO_DATA_FROM_BIN).lexically_normal().string();
}

std::string CLangResources::loadedFile() const
{
    return m_loadedFile;
}

QString CLangResources::text(const char* key) const
{
    if (!key)
        return QString();
    if (!m_translator)
        return builtinText(key);
    const QString found = m_translator->translate("", key);
    return found.isNull() ? QString("") : found;
}

std::vector<std::string> CLangResources::keys()
{
    std::vector<std::string> all;
    for (const DialogText& d : kDialogTexts)
        all.emplace_back(d.key);
    for (int id = kFirstStringId; id <= kLastStringId; ++id)
        all.push_back("IDS_" + std::to_string(id));
    return all;
}

QString CLangResources::builtinText(const char* key)
{
    if (!key)
        return QString();
    for (const DialogText& d : kDialogTexts)
        if (std::strcmp(d.key, key) == 0)
            return QString::fromUtf8(d.text);
    if (std::strncmp(key, "IDS_", 4) == 0) {
        char* end = nullptr;
        const long id = std::strtol(key + 4, &end, 10);
        if (end != key + 4 && *end == '\0')
            if (const char* text = ::builtinText(static_cast<int>(id)))
                return QString::fromUtf8(text);
    }
    return QString("");
}

uint16_t CLangResources::languageIdFromLocale(const std::string& locale)
{
    // language[_COUNTRY][.codeset][@modifier]
    std::string name = locale.substr(0, locale.find('@'));
    name = name.substr(0, name.find('.'));
    if (name == "C" || name == "POSIX")
        return kEnglishUS;

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

uint16_t CLangResources::userLanguageId()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return languageIdFromLocale(value);
    }
    // Nothing set: the POSIX locale.
    return kEnglishUS;
}

CLangResources* getLangResources()
{
    static CLangResources* instance = new CLangResources();
    return instance;
}
