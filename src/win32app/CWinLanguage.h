#pragma once

// The language of the Windows program: one resource library lng\<file>.dll below the working
// directory (or, when the working directory has no lng\, beside the program), chosen by the
// user's default language id. Once loaded it answers every dialog template and every string;
// the program's own (Spanish) resources answer until then.
#include "platform/Resources.h"

#include <windows.h>

#include <cstdint>
#include <string>

class CWinLanguage : public CResourceModule
{
public:
    static constexpr const char* kNoLanguageText = "Not language file found!";

    static CWinLanguage& instance();
    ~CWinLanguage() override;

    // configure("lng", "english", 1033), then select the user's default language.
    bool setUp();
    // The first library of lang::fileTable() whose ids hold the id (the default language's
    // when none does), loaded as data and made the active resources. False when it is not
    // there or is no resource library; nothing is loaded then.
    bool select(uint16_t languageId);
    void unload();

    HMODULE library() const { return m_library; }
    const std::string& loadedFile() const { return m_file; }
    const std::string& loadedPath() const { return m_path; }
    // Where lng\ is looked up when the working directory has none; empty: beside the program.
    void setProgramDir(const std::string& dir) { m_programDir = dir; }

    // A template of the loaded library; the program's own when none is loaded or it lacks it.
    const DLGTEMPLATE* dialogTemplate(int id) const;
    // A string of the active resources (UTF-8); empty when missing.
    std::string text(int id) const;
    // A catalogue text under its key (ui::namedStrings()).
    std::string text(const char* key) const;

    // CResourceModule: strings of the loaded library.
    bool loadString(int id, std::string& text) const override;

    // Loads a library as resources only (its code never runs); nullptr on failure.
    static HMODULE loadResourceLibrary(const std::string& path);
    // A string of a module; false when it has none of that id.
    static bool moduleString(HMODULE module, int id, std::string& text);

private:
    CWinLanguage() = default;

    HMODULE m_library = nullptr;
    std::string m_folder = "lng";
    std::string m_defaultName = "english";
    uint16_t m_defaultLanguage = 1033;
    std::string m_file;
    std::string m_path;
    std::string m_programDir;
};
