#include "lang/CLangResources.h"

#include "platform/Language.h"
#include "platform/ProgramPath.h"
#include "resources/StringTable.h"
#include "platform/Resources.h"

#include <QFile>
#include <QTranslator>

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
        const char* named = namedStringKey(id);
        const std::string key = named ? named : "IDS_" + std::to_string(id);
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
    // The progress line under the status list: stage, amount, time left.
    {"APP_PROGRESS_WAIT_GATEWAY", "Esperando al NEXO"},
    {"APP_PROGRESS_CONNECT", "Conectando al puerto del bus, intento %1 de %2"},
    {"APP_PROGRESS_SETTLE", "Esperando a que el bus esté listo"},
    {"APP_PROGRESS_SCAN", "Buscando SKDs en el bus"},
    {"APP_PROGRESS_BACKUP", "Copia de seguridad del SKD %1"},
    {"APP_PROGRESS_RESTORE", "Restauración del SKD %1"},
    {"APP_PROGRESS_CLEAN", "Borrando el SKD %1"},
    {"APP_PROGRESS_CHECK", "Comprobando el CRC del SKD %1"},
    {"APP_PROGRESS_BYTES", "%1 de %2 bytes"},
    {"APP_PROGRESS_SECONDS", "%1 de %2 s"},
    {"APP_PROGRESS_SECONDS_MAX", "%1 s (máx. %2 s)"},
    {"APP_PROGRESS_STEPS", "dirección %1 de %2"},
    {"APP_PROGRESS_LEFT", "quedan %1"},
    {"APP_PROGRESS_LEFT_JOB", "quedan %1 (en total %2)"},
    {"APP_PROGRESS_DONE", "Trabajo terminado"},
};

// The data folder as seen from the programs' folder, fixed by the install layout.
#ifndef NEXO_DATA_FROM_BIN
#define NEXO_DATA_FROM_BIN "../share/nexo-backup"
#endif

}  // namespace

CLangResources::CLangResources()
{
    for (const lang::FileEntry& entry : lang::fileTable())
        m_files.push_back({entry.file, entry.ids});
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
    const std::filesystem::path path = folder / (entry.file + ".qm");
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    // Read the exact file ourselves: the translator's own loader would try other names.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
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
    for (int id = kFirstNamedId; id <= kLastNamedId; ++id)
        all.emplace_back(namedStringKey(id));
    return all;
}

QString CLangResources::builtinText(const char* key)
{
    if (!key)
        return QString();
    for (const DialogText& d : kDialogTexts)
        if (std::strcmp(d.key, key) == 0)
            return QString::fromUtf8(d.text);
    for (int id = kFirstNamedId; id <= kLastNamedId; ++id)
        if (std::strcmp(namedStringKey(id), key) == 0)
            return QString::fromUtf8(::builtinText(id));
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
    return lang::languageIdFromLocale(locale);
}

uint16_t CLangResources::userLanguageId()
{
    return lang::userLanguageId();
}

bool CLangResources::setUp()
{
    configure(lang::kFolder, lang::kDefaultName, lang::kDefaultLanguageId);
    return select(userLanguageId());
}


CLangResources* getLangResources()
{
    static CLangResources* instance = new CLangResources();
    return instance;
}
