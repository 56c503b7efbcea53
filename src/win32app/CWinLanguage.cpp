#include "win32app/CWinLanguage.h"

#include "platform/Language.h"
#include "platform/ProgramPath.h"
#include "ui/DialogTemplates.h"
#include "win32app/WinUi.h"

CWinLanguage& CWinLanguage::instance()
{
    // Kept for the program's life.
    static CWinLanguage* language = new CWinLanguage();
    return *language;
}

CWinLanguage::~CWinLanguage()
{
    unload();
}

bool CWinLanguage::setUp()
{
    m_folder = lang::kFolder;
    m_defaultName = lang::kDefaultName;
    m_defaultLanguage = lang::kDefaultLanguageId;
    return select(lang::userLanguageId());
}

namespace {

bool isFolder(const std::wstring& path)
{
    const DWORD a = ::GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring currentFolder()
{
    const DWORD n = ::GetCurrentDirectoryW(0, nullptr);
    if (n == 0)
        return std::wstring();
    std::wstring cwd(n, L'\0');
    const DWORD got = ::GetCurrentDirectoryW(n, cwd.data());
    cwd.resize(got < n ? got : 0);
    return cwd;
}

std::wstring joined(std::wstring folder, const std::wstring& name)
{
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/')
        folder += L'\\';
    return folder + name;
}

}  // namespace

bool CWinLanguage::select(uint16_t languageId)
{
    const lang::FileEntry* entry = lang::entryFor(languageId);
    if (!entry)
        entry = lang::entryFor(m_defaultLanguage);
    unload();
    if (!entry)
        return false;

    // A folder of the working directory always wins, even without the user's language in it.
    std::wstring folder = joined(currentFolder(), winui::wide(m_folder));
    if (!isFolder(folder)) {
        const std::string program = m_programDir.empty() ? programDir() : m_programDir;
        if (program.empty())
            return false;
        folder = joined(winui::wide(program), winui::wide(m_folder));
    }
    const std::wstring path = joined(folder, winui::wide(entry->file + ".dll"));
    const DWORD a = ::GetFileAttributesW(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    HMODULE library = loadResourceLibrary(winui::utf8(path));
    if (!library)
        return false;
    m_library = library;
    m_file = entry->file;
    m_path = winui::utf8(path);
    setActiveResources(this);
    return true;
}

void CWinLanguage::unload()
{
    if (activeResources() == this)
        setActiveResources(nullptr);
    if (m_library)
        ::FreeLibrary(m_library);
    m_library = nullptr;
    m_file.clear();
    m_path.clear();
}

HMODULE CWinLanguage::loadResourceLibrary(const std::string& path)
{
    return ::LoadLibraryExW(winui::wide(path).c_str(), nullptr,
                            LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
}

bool CWinLanguage::moduleString(HMODULE module, int id, std::string& text)
{
    const wchar_t* p = nullptr;
    // Length 0 hands out a read-only pointer into the resource, not terminated.
    const int n = ::LoadStringW(module, static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&p), 0);
    if (n <= 0 || !p)
        return false;
    text = winui::utf8(p, static_cast<size_t>(n));
    return true;
}

bool CWinLanguage::loadString(int id, std::string& text) const
{
    return m_library && moduleString(m_library, id, text);
}

const DLGTEMPLATE* CWinLanguage::dialogTemplate(int id) const
{
    for (HMODULE module : {static_cast<HMODULE>(m_library), static_cast<HMODULE>(winui::programModule())}) {
        if (!module)
            continue;
        HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), reinterpret_cast<LPCWSTR>(RT_DIALOG));
        if (!found)
            continue;
        HGLOBAL loaded = ::LoadResource(module, found);
        if (loaded)
            return static_cast<const DLGTEMPLATE*>(::LockResource(loaded));
    }
    return nullptr;
}

std::string CWinLanguage::text(int id) const
{
    return loadResourceText(id);
}

std::string CWinLanguage::text(const char* key) const
{
    const int id = ui::namedStringId(key);
    if (!id)
        return std::string();
    std::string found;
    // The named texts are not in the core's built-in table: the program's own resources hold them.
    if (m_library ? moduleString(m_library, id, found) : moduleString(winui::programModule(), id, found))
        return found;
    return std::string();
}
