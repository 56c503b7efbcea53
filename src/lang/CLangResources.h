#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QTranslator;
class CLangModule;

// The language of the user interface: a catalogue file lng/<file>.qm below the current working
// directory, chosen by a language id of the platform's numbering (primary language + 1024 x
// sublanguage). Once selected it answers every dialog text and every string of the table.
// When the working directory has no lng/, the catalogues of an installed program are looked
// up in its data folder beside the program's own folder (bin/../share/nexo-backup/lng).
class CLangResources
{
public:
    struct Entry {
        std::string file;
        std::vector<uint16_t> ids;
    };

    CLangResources();
    virtual ~CLangResources();
    CLangResources(const CLangResources&) = delete;
    CLangResources& operator=(const CLangResources&) = delete;

    void configure(const std::string& folder, const std::string& defaultName, uint16_t defaultLanguage);
    // The start-up of both front ends: configure with the folder "lng", "english" and 1033,
    // then select the user's language. True when a language file was loaded.
    bool setUp();

    // True when <cwd>/<folder>/<file>.qm of the first entry holding the id was loaded and made
    // the active resources; <dataDir>/<folder>/<file>.qm instead when <cwd>/<folder> is no
    // folder. An id of no entry takes the default language. On false nothing is loaded (the
    // built-in texts answer).
    bool select(uint16_t languageId);
    void unload();

    // e.g. "blang_es"; empty when none is loaded.
    std::string loadedFile() const;
    // The path the loaded file was read from; empty when none is loaded.
    const std::string& loadedPath() const { return m_loadedPath; }

    // The installed program's data folder, found from the program's own folder; empty when
    // that is unknown. The folder need not exist (it does not in a build tree).
    std::string dataDir() const;
    // Takes dir as the program's own folder instead of the running program's (for tests);
    // empty goes back to the running program's.
    void setProgramDir(const std::string& dir) { m_programDir = dir; }

    // A dialog text ("IDD_102_CLOSE", ...) or a string ("IDS_143") of the loaded language;
    // the built-in Spanish text when no file is loaded. Empty for a key the source lacks.
    QString text(const char* key) const;

    // The file entry whose ids hold the language id; nullptr when none does.
    const Entry* entryFor(uint16_t languageId) const;
    const std::vector<Entry>& entries() const { return m_files; }
    const std::string& folder() const { return m_folder; }
    const std::string& defaultName() const { return m_defaultName; }
    uint16_t defaultLanguage() const { return m_defaultLanguage; }

    // The user's language id from LC_ALL, then LC_MESSAGES, then LANG (empty ones skipped).
    static uint16_t userLanguageId();
    // One locale name ("es_ES.UTF-8", "de_CH@euro", "C") as a language id.
    static uint16_t languageIdFromLocale(const std::string& locale);

    // Every key a catalogue carries: the dialog texts, then IDS_103 ... IDS_168.
    static std::vector<std::string> keys();
    // The built-in Spanish text of a key; empty for an unknown key.
    static QString builtinText(const char* key);

private:
    bool selectFound(const Entry& entry);

    std::string m_defaultName = "english";
    std::string m_folder;
    std::vector<Entry> m_files;
    uint16_t m_defaultLanguage = 1033;
    std::string m_loadedFile;
    std::string m_loadedPath;
    std::string m_programDir;
    QByteArray m_data;  // the translator reads from this buffer for its whole life
    std::unique_ptr<QTranslator> m_translator;
    std::unique_ptr<CLangModule> m_module;
};

// The process-wide instance, created on first use and kept for the program's life.
CLangResources* getLangResources();
