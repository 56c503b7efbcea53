// The Windows dialogs tested in-process: the program's own dialog code runs on the main thread
// as in the program, and a driver thread finds its windows by control id and works them with
// window messages (WM_SETTEXT, BM_CLICK, LB_GETTEXT, ...). A watchdog ends a run that hangs.
// Prints "N passed, N failed"; the exit status is 0 only when nothing failed.
//
//   nexo-win32-test resources             libraries, strings, templates, language choice
//   nexo-win32-test dialog                the main dialog without a job
//   nexo-win32-test job backup|restore ADDRESS FILE EXPECTED PASSWORD SCALE [SHOTS]
//       a whole job through the real dialog against a gateway at ADDRESS; the status list must
//       equal the lines of EXPECTED (UTF-8, the file's name written as <FILE>; - for no
//       comparison); SHOTS: a folder for screenshots (BMP) of the dialogs on the way
//
// Runs from the build folder (it holds lng\).
#include "cli/CompiledLanguages.h"
#include "platform/DialogLink.h"
#include "platform/Language.h"
#include "platform/ProgramPath.h"
#include "platform/TimeScale.h"
#include "resources/StringIds.h"
#include "resources/Version.h"
#include "ui/DialogLogic.h"
#include "ui/DialogTemplates.h"
#include "win32app/CBackupApp.h"
#include "win32app/CWinLanguage.h"
#include "win32app/WinUi.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

std::span<const CompiledCatalogue> catalogueTexts();

namespace {

std::atomic<int> g_passed{0};
std::atomic<int> g_failed{0};
DWORD g_dialogThread = 0;

void check(bool ok, const std::string& what)
{
    if (ok) {
        ++g_passed;
        return;
    }
    ++g_failed;
    std::fprintf(stderr, "FAILED: %s\n", what.c_str());
    std::fflush(stderr);
}

void checkText(const std::string& got, const std::string& expected, const std::string& what)
{
    check(got == expected, what + ": \"" + got + "\", expected \"" + expected + "\"");
}

int report()
{
    std::printf("%d passed, %d failed\n", g_passed.load(), g_failed.load());
    std::fflush(stdout);
    return g_failed ? 1 : 0;
}

void startWatchdog(int seconds)
{
    std::thread([seconds] {
        ::Sleep(static_cast<DWORD>(seconds) * 1000);
        std::fprintf(stderr, "watchdog: no end after %d s\n", seconds);
        report();
        std::fflush(stderr);
        ::ExitProcess(3);
    }).detach();
}

const CompiledCatalogue* catalogue(const std::string& file)
{
    for (const CompiledCatalogue& c : catalogueTexts())
        if (file == c.file)
            return &c;
    return nullptr;
}

std::string catalogueText(const CompiledCatalogue& c, const char* key)
{
    for (const CompiledText* t = c.named; t && t->key; ++t)
        if (std::strcmp(t->key, key) == 0)
            return t->text;
    return std::string();
}

const char* catalogueString(const CompiledCatalogue& c, int id)
{
    return c.texts[id - kFirstStringId];
}

std::wstring currentFolder()
{
    wchar_t buffer[MAX_PATH * 4];
    const DWORD n = ::GetCurrentDirectoryW(MAX_PATH * 4, buffer);
    return std::wstring(buffer, n);
}

std::string className(HWND w)
{
    wchar_t name[64];
    const int n = ::GetClassNameW(w, name, 64);
    return winui::utf8(name, static_cast<size_t>(n > 0 ? n : 0));
}

// ---------------------------------------------------------------------------------------------
// Windows of the dialog thread.

struct Search {
    std::function<bool(HWND)> match;
    HWND found = nullptr;
};

BOOL CALLBACK searchWindow(HWND w, LPARAM p)
{
    auto* s = reinterpret_cast<Search*>(p);
    if (s->match(w)) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

HWND findTopLevel(const std::function<bool(HWND)>& match)
{
    Search s{match};
    ::EnumThreadWindows(g_dialogThread, searchWindow, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND findChild(HWND parent, const std::function<bool(HWND)>& match)
{
    Search s{match};
    ::EnumChildWindows(parent, searchWindow, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

// A visible dialog of the dialog thread that has a control of that id.
HWND dialogWith(int controlId)
{
    return findTopLevel([controlId](HWND w) {
        return ::IsWindowVisible(w) && className(w) == "#32770" && ::GetDlgItem(w, controlId);
    });
}

HWND waitFor(const std::function<HWND()>& find, int ms, const std::string& what)
{
    for (int waited = 0; waited <= ms; waited += 20) {
        if (HWND w = find())
            return w;
        ::Sleep(20);
    }
    check(false, "no " + what + " within " + std::to_string(ms) + " ms");
    return nullptr;
}

bool waitUntil(const std::function<bool()>& done, int ms)
{
    for (int waited = 0; waited <= ms; waited += 20) {
        if (done())
            return true;
        ::Sleep(20);
    }
    return false;
}

// Returns once the dialog thread has handled everything posted to w before.
void sync(HWND w)
{
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
}

void setText(HWND w, const std::string& text)
{
    const std::wstring t = winui::wide(text);
    ::SendMessageW(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(t.c_str()));
}

// Posted: the click may open a modal dialog, which would hold a sent message.
void click(HWND button)
{
    ::PostMessageW(button, BM_CLICK, 0, 0);
}

std::vector<std::string> listLines(HWND list)
{
    std::vector<std::string> lines;
    const LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
        const LRESULT n = ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(n > 0 ? n : 0));
        lines.push_back(winui::utf8(text));
    }
    return lines;
}

bool enabled(HWND dialog, int id)
{
    return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE;
}

// The window as the screen shows it, as a 24-bit BMP file.
void screenshot(HWND w, const std::string& folder, const std::string& name)
{
    if (folder.empty() || !w)
        return;
    ::RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    ::Sleep(400);
    RECT r;
    ::GetWindowRect(w, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    ::SelectObject(memory, old);
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const int stride = (width * 3 + 3) & ~3;
    std::vector<char> pixels(static_cast<size_t>(stride) * static_cast<size_t>(height));
    ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
                DIB_RGB_COLORS);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(winui::wide(folder + "\\" + name + ".bmp").c_str(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    check(out.good(), "screenshot " + name + " written");
}

// ---------------------------------------------------------------------------------------------
// Resources: every library, its strings and its templates.

// The template's rectangle in pixels as the dialog manager maps it (position and size each on
// their own), the horizontal unit widened by factor.
RECT templateRect(HWND dialog, const ui::UnitRect& u, double factor)
{
    RECT at{u.x, u.y, 0, 0};
    RECT size{0, 0, u.width, u.height};
    ::MapDialogRect(dialog, &at);
    ::MapDialogRect(dialog, &size);
    const LONG left = std::lround(at.left * factor);
    return RECT{left, at.top, left + std::lround(size.right * factor), at.top + size.bottom};
}

double widenOf(HWND dialog)
{
    return static_cast<double>(reinterpret_cast<INT_PTR>(::GetPropW(dialog, winui::kWidenProperty))) / 1000.0;
}

class CProbeDialog : public winui::CModalDialog
{
public:
    using CModalDialog::CModalDialog;
};

void checkTemplate(const ui::DialogTemplate& t, const CompiledCatalogue& cat)
{
    const std::string where = std::string(cat.file) + " template " + std::to_string(t.id);
    CProbeDialog probe(t.id);
    HWND dialog = probe.createHidden(nullptr);
    check(dialog != nullptr, where + " creates");
    if (!dialog)
        return;
    checkText(winui::windowText(dialog), catalogueText(cat, t.titleKey), where + " title");
    const double factor = widenOf(dialog);
    check(factor >= 1.0 && factor <= ui::kMaxWiden, where + " widened by " + std::to_string(factor));
    RECT client;
    ::GetClientRect(dialog, &client);
    const RECT size = templateRect(dialog, t.rect, factor);
    check(std::labs(client.right - size.right) <= (factor > 1.0 ? 1 : 0) && client.bottom == size.bottom, where + " size");

    // Child windows in creation order are the tab order.
    std::vector<HWND> children;
    for (HWND c = ::GetWindow(dialog, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
        children.push_back(c);
    check(children.size() == t.controls.size(), where + " has " + std::to_string(t.controls.size()) + " controls");
    for (size_t i = 0; i < children.size() && i < t.controls.size(); ++i) {
        const ui::TemplateControl& c = t.controls[i];
        HWND w = children[i];
        const std::string cw = where + " control " + std::to_string(i) + " (id " + std::to_string(c.id) + ")";
        const int id = ::GetDlgCtrlID(w);
        check(c.id == -1 ? (id == -1 || id == 0xFFFF) : id == c.id, cw + " id");
        RECT r;
        ::GetWindowRect(w, &r);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        const RECT want = templateRect(dialog, c.rect, factor);
        // A closed combo box is one line high; its template height includes the list.
        const bool sameHeight = c.kind == ui::ControlKind::Combobox || r.bottom - r.top == want.bottom - want.top;
        // A widened dialog rounds each pixel once more.
        const LONG slack = factor > 1.0 ? 1 : 0;
        check(std::labs(r.left - want.left) <= slack && r.top == want.top
                  && std::labs((r.right - r.left) - (want.right - want.left)) <= slack && sameHeight,
              cw + " position: " + std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x"
                  + std::to_string(r.bottom - r.top) + ", expected " + std::to_string(want.left) + "," + std::to_string(want.top) + " "
                  + std::to_string(want.right - want.left) + "x" + std::to_string(want.bottom - want.top));
        const LONG style = ::GetWindowLongW(w, GWL_STYLE);
        check(((style & WS_VISIBLE) != 0) == c.visible(), cw + " visibility");
        check(((style & WS_DISABLED) != 0) == ((c.styles & ui::Style::Disabled) != 0), cw + " enabled state");
        if (c.kind == ui::ControlKind::Edit)
            check(((style & ES_PASSWORD) != 0) == ((c.styles & ui::Style::Password) != 0), cw + " password style");
        if (!c.textKey)
            continue;
        const std::string expected = catalogueText(cat, c.textKey);
        checkText(winui::windowText(w), expected, cw + " text");
        int height = 0;
        const int width = winui::textWidth(w, expected, &height);
        RECT box;
        ::GetClientRect(w, &box);
        const int room = winui::textRoom(w, c.kind);
        check(width <= room && height <= box.bottom,
              cw + " text fits: \"" + expected + "\" needs " + std::to_string(width) + "x" + std::to_string(height)
                  + " px, has " + std::to_string(room) + "x" + std::to_string(box.bottom));
    }
    ::DestroyWindow(dialog);
}

std::wstring libraryPath(const std::string& file)
{
    return currentFolder() + L"\\lng\\" + winui::wide(file) + L".dll";
}

void testResources()
{
    CWinLanguage& language = CWinLanguage::instance();
    for (const lang::FileEntry& entry : lang::fileTable()) {
        const CompiledCatalogue* cat = catalogue(entry.file);
        check(cat != nullptr, entry.file + " has a catalogue");
        if (!cat)
            continue;
        HMODULE library = CWinLanguage::loadResourceLibrary(winui::utf8(libraryPath(entry.file)));
        check(library != nullptr, entry.file + ".dll loads");
        if (!library)
            continue;
        for (int id = kFirstStringId; id <= kLastStringId; ++id) {
            std::string text;
            const bool has = CWinLanguage::moduleString(library, id, text);
            const char* expected = catalogueString(*cat, id);
            check(has == (expected != nullptr), entry.file + " has string " + std::to_string(id) + " as its catalogue");
            if (has && expected)
                checkText(text, expected, entry.file + " string " + std::to_string(id));
        }
        for (const ui::NamedString& s : ui::namedStrings()) {
            std::string text;
            CWinLanguage::moduleString(library, s.id, text);
            checkText(text, catalogueText(*cat, s.key), entry.file + " " + s.key);
        }
        ::FreeLibrary(library);

        check(language.select(entry.ids.front()), entry.file + " selected by language id " + std::to_string(entry.ids.front()));
        checkText(language.loadedFile(), entry.file, "language id " + std::to_string(entry.ids.front()));
        checkText(loadResourceText(MSG_TOOL_TITLE), catalogueString(*cat, MSG_TOOL_TITLE), entry.file + " active string 104");
        for (const ui::DialogTemplate& t : ui::dialogTemplates())
            checkTemplate(t, *cat);
    }

    // The program's own resources are the built-in Spanish set.
    language.unload();
    const CompiledCatalogue* es = catalogue("blang_es");
    for (int id = kFirstStringId; id <= kLastStringId && es; ++id) {
        std::string text;
        CWinLanguage::moduleString(winui::programModule(), id, text);
        checkText(text, catalogueString(*es, id) ? catalogueString(*es, id) : "", "program string " + std::to_string(id));
    }
    for (const ui::DialogTemplate& t : ui::dialogTemplates())
        if (es)
            checkTemplate(t, *es);
}

// The choice of the language library: ids against the table, the working directory's lng
// folder first, the program's own when the working directory has none.
void testLanguageChoice()
{
    CWinLanguage& language = CWinLanguage::instance();
    const std::wstring build = currentFolder();
    struct Case {
        uint16_t id;
        const char* file;
    } cases[] = {{3082, "blang_es"}, {1046, "blang_en"}, {2055, "blang_de"}, {1030, "blang_da"}, {2077, "blang_sv"}};
    for (const Case& c : cases) {
        check(language.select(c.id), "language id " + std::to_string(c.id) + " loads");
        checkText(language.loadedFile(), c.file, "language id " + std::to_string(c.id));
    }

    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring only = std::wstring(temp) + L"nexo-win32-test-" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring empty = only + L"-none";
    ::CreateDirectoryW(only.c_str(), nullptr);
    ::CreateDirectoryW((only + L"\\lng").c_str(), nullptr);
    ::CreateDirectoryW(empty.c_str(), nullptr);
    check(::CopyFileW(libraryPath("blang_en").c_str(), (only + L"\\lng\\blang_en.dll").c_str(), FALSE) != 0,
          "blang_en.dll copied");

    // The user's language is in the table but its library is missing: no English instead.
    ::SetCurrentDirectoryW(only.c_str());
    check(!language.select(1031), "German without blang_de.dll fails, blang_en.dll beside it");
    check(language.loadedFile().empty(), "nothing loaded after the failure");
    check(language.select(1033), "English from the working directory's lng");

    // No lng\ in the working directory: the one beside the program.
    ::SetCurrentDirectoryW(empty.c_str());
    check(language.select(1031), "German from the program's lng");
    const std::string expectedPath = programDir() + "\\lng\\blang_de.dll";
    checkText(language.loadedPath(), expectedPath, "path of the program's library");
    language.setProgramDir(winui::utf8(empty));
    check(!language.select(1031), "neither folder has lng");
    language.setProgramDir(std::string());

    ::SetCurrentDirectoryW(build.c_str());
    ::DeleteFileW((only + L"\\lng\\blang_en.dll").c_str());
    ::RemoveDirectoryW((only + L"\\lng").c_str());
    ::RemoveDirectoryW(only.c_str());
    language.unload();

    // No library at all: the built-in box, then a clean end without the dialog.
    ::SetCurrentDirectoryW(empty.c_str());
    language.setProgramDir(winui::utf8(empty));
    std::thread answer([] {
        HWND box = waitFor(
            [] {
                return findTopLevel([](HWND w) {
                    return ::IsWindowVisible(w) && findChild(w, [](HWND c) {
                               return winui::windowText(c) == CWinLanguage::kNoLanguageText;
                           });
                });
            },
            10000, "\"Not language file found!\" box");
        check(!dialogWith(ui::IDC_BACKUP), "no main dialog without a language");
        if (box)
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    const int status = CBackupApp::InitInstance();
    answer.join();
    check(status == 1, "no language: exit status 1, got " + std::to_string(status));
    language.setProgramDir(std::string());
    ::SetCurrentDirectoryW(build.c_str());
    ::RemoveDirectoryW(empty.c_str());
}

// ---------------------------------------------------------------------------------------------
// The main dialog.

const CompiledCatalogue* userCatalogue()
{
    const lang::FileEntry* entry = lang::entryFor(lang::userLanguageId());
    if (!entry)
        entry = lang::entryFor(lang::kDefaultLanguageId);
    return entry ? catalogue(entry->file) : nullptr;
}

HWND toolTipsOf(HWND dialog)
{
    return findTopLevel([dialog](HWND w) { return className(w) == "tooltips_class32" && ::GetWindow(w, GW_OWNER) == dialog; });
}

void checkIdleDialog(HWND main, const CompiledCatalogue& cat)
{
    checkText(winui::windowText(main), std::string(catalogueString(cat, MSG_TOOL_TITLE)) + " " + kProgramVersion, "title");
    checkText(winui::windowText(::GetDlgItem(main, ui::IDC_ADDRESS)), "", "address at the start");
    checkText(winui::windowText(::GetDlgItem(main, ui::IDC_PORT)), "11574", "port text");
    check(!::IsWindowVisible(::GetDlgItem(main, ui::IDC_PORT)), "port edit hidden");
    check(::SendMessageW(::GetDlgItem(main, ui::IDC_ADDRESS), EM_GETLIMITTEXT, 0, 0) == 16, "address limit 16");
    check(::SendMessageW(::GetDlgItem(main, ui::IDC_STATUS_LIST), LB_GETHORIZONTALEXTENT, 0, 0) == 10240,
          "status list extent 10240");
    for (int id : {ui::IDC_CANCEL, ui::IDC_BACKUP, ui::IDC_RESTORE, ui::IDC_ADDRESS})
        check(enabled(main, id), "control " + std::to_string(id) + " enabled when idle");
    check(::SendMessageW(main, WM_GETICON, ICON_BIG, 0) != 0 && ::SendMessageW(main, WM_GETICON, ICON_SMALL, 0) != 0,
          "program icon set");

    // The band under the template: the dialog grew, the controls stayed.
    const ui::DialogTemplate* t = ui::dialogTemplate(ui::IDD_BACKUP);
    RECT client;
    ::GetClientRect(main, &client);
    const double factor = widenOf(main);
    const RECT grown = templateRect(main, {0, 0, t->rect.width, t->rect.height + t->bandGrow}, factor);
    check(client.bottom == grown.bottom && std::labs(client.right - grown.right) <= 1, "dialog grown by the band");
    HWND bar = ::GetDlgItem(main, ui::IDC_PROGRESS_BAR);
    check(bar && className(bar) == "msctls_progress32", "progress bar");
    RECT list = templateRect(main, t->control(ui::IDC_STATUS_LIST)->rect, factor);
    RECT r;
    ::GetWindowRect(::GetDlgItem(main, ui::IDC_STATUS_LIST), &r);
    ::MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
    check(std::labs(r.left - list.left) <= 1 && r.top == list.top, "status list in its place");

    // One tool per control; the hidden port edit's can never show.
    HWND tips = toolTipsOf(main);
    check(tips != nullptr, "tool-tip control");
    if (!tips)
        return;
    const LRESULT count = ::SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0);
    check(count == static_cast<LRESULT>(ui::toolTips().size()), "one tool per control");
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[512] = {};
        TOOLINFOW info{};
        info.cbSize = sizeof info;
        info.lpszText = text;
        ::SendMessageW(tips, TTM_ENUMTOOLSW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info));
        const int id = ::GetDlgCtrlID(reinterpret_cast<HWND>(info.uId));
        int textId = 0;
        for (const ui::ToolTip& tip : ui::toolTips())
            if (tip.controlId == id)
                textId = tip.textId;
        check(textId != 0, "tool of control " + std::to_string(id));
        if (textId)
            checkText(winui::utf8(text), catalogueString(cat, textId), "tool tip of control " + std::to_string(id));
        check(::IsWindowVisible(reinterpret_cast<HWND>(info.uId)) == (id != ui::IDC_PORT),
              "tool of control " + std::to_string(id) + " shows only on a visible control");
    }
}

int testDialog()
{
    const CompiledCatalogue* cat = userCatalogue();
    int status = -1;
    std::thread driver([cat] {
        HWND main = waitFor([] { return dialogWith(ui::IDC_BACKUP); }, 20000, "main dialog");
        if (!main || !cat)
            return;
        checkIdleDialog(main, *cat);

        // The prompt as the worker asks for it: a password the gateway cannot receive is
        // refused with a box and the prompt stays; Escape then cancels it.
        std::thread worker([main] { check(::SendMessageW(main, WM_ASK_PASSWORD, 0, 0) == 1, "WM_ASK_PASSWORD answers 1"); });
        HWND prompt = waitFor([] { return dialogWith(ui::IDC_PASSWORD); }, 10000, "password prompt");
        if (prompt) {
            check(!::IsWindowEnabled(main), "the main dialog disabled under the prompt");
            setText(::GetDlgItem(prompt, ui::IDC_PASSWORD), "schnee-\xe2\x98\x83");
            click(::GetDlgItem(prompt, IDOK));
            const std::string refusal = catalogueText(*cat, "APP_PASSWORD_CHARSET");
            HWND box = waitFor(
                [&] {
                    return findTopLevel([&](HWND w) {
                        return ::IsWindowVisible(w) && ::GetWindow(w, GW_OWNER) == prompt
                            && findChild(w, [&](HWND c) { return winui::windowText(c) == refusal; });
                    });
                },
                10000, "box refusing the password");
            if (box)
                ::PostMessageW(box, WM_COMMAND, IDOK, 0);
            check(waitUntil([box] { return !::IsWindow(box); }, 10000), "the box ends");
            check(::IsWindow(prompt) && ::IsWindowVisible(prompt), "the prompt stays after the refusal");
            ::PostMessageW(prompt, WM_COMMAND, IDCANCEL, 0);
            check(waitUntil([prompt] { return !::IsWindow(prompt); }, 10000), "Escape ends the prompt");
        }
        worker.join();

        // Idle, Escape ends the dialog as its close button does.
        ::PostMessageW(main, WM_COMMAND, IDCANCEL, 0);
        check(waitUntil([main] { return !::IsWindow(main); }, 10000), "Escape ends the idle dialog");
    });
    status = CBackupApp::InitInstance();
    driver.join();
    check(status == 0, "the program ends with 0 after its dialog");
    return report();
}

// ---------------------------------------------------------------------------------------------
// A whole job through the dialog.

std::vector<std::string> readLines(const std::string& path)
{
    std::ifstream in(winui::wide(path).c_str());
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string replaced(std::string text, const std::string& what, const std::string& with)
{
    for (size_t at = text.find(what); !what.empty() && at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

// While a job runs the dialog must stay, whatever asks it to end.
void checkNoEnd(HWND main, const std::string& when)
{
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    ::PostMessageW(main, WM_COMMAND, IDCANCEL, 0);
    ::PostMessageW(main, WM_COMMAND, IDOK, 0);
    ::PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    sync(main);
    check(::IsWindow(main) && ::IsWindowVisible(main), "the dialog stays when asked to end " + when);
}

HWND fileDialog(HWND main)
{
    return findTopLevel([main](HWND w) {
        return ::IsWindowVisible(w) && className(w) == "#32770" && ::GetWindow(w, GW_OWNER) == main
            && (::GetDlgItem(w, 0x47c) || ::GetDlgItem(w, 0x480));
    });
}

struct JobArgs {
    bool backup;
    std::string address, file, expected, password, shots;
};

void driveJob(const JobArgs& a, const CompiledCatalogue& cat)
{
    HWND main = waitFor([] { return dialogWith(ui::IDC_BACKUP); }, 20000, "main dialog");
    if (!main)
        return;
    checkIdleDialog(main, cat);
    screenshot(main, a.shots, "main-idle");

    setText(::GetDlgItem(main, ui::IDC_ADDRESS), a.address);
    click(::GetDlgItem(main, a.backup ? ui::IDC_BACKUP : ui::IDC_RESTORE));
    HWND files = waitFor([main] { return fileDialog(main); }, 20000, "file dialog");
    for (int id : ui::jobControls())
        check(!enabled(main, id), "control " + std::to_string(id) + " disabled while the job runs");
    if (!files)
        return;
    screenshot(files, a.shots, a.backup ? "file-save" : "file-open");
    for (int id : {0x47c, 0x480})
        if (HWND name = ::GetDlgItem(files, id))
            setText(name, a.file);
    ::PostMessageW(files, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(files, IDOK)));

    HWND prompt = waitFor([] { return dialogWith(ui::IDC_PASSWORD); }, 30000, "password prompt");
    if (!prompt)
        return;
    checkText(winui::windowText(prompt), catalogueText(cat, "IDD_133_TITLE"), "password prompt title");
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    ::GetGUIThreadInfo(g_dialogThread, &gui);
    check(gui.hwndFocus == ::GetDlgItem(prompt, IDOK), "the prompt's focus starts on OK");
    check((::GetWindowLongW(::GetDlgItem(prompt, ui::IDC_PASSWORD), GWL_STYLE) & ES_PASSWORD) != 0, "masked edit");
    setText(::GetDlgItem(prompt, ui::IDC_PASSWORD), a.password);
    screenshot(prompt, a.shots, "password");
    screenshot(main, a.shots, "main-password");
    checkNoEnd(main, "during the password prompt");
    click(::GetDlgItem(prompt, IDOK));
    check(waitUntil([prompt] { return !::IsWindow(prompt); }, 10000), "the prompt ends with OK");

    bool progressSeen = false;
    bool runningShot = false;
    auto watchProgress = [&] {
        HWND bar = ::GetDlgItem(main, ui::IDC_PROGRESS_BAR);
        const std::string line = winui::windowText(::GetDlgItem(main, ui::IDC_PROGRESS_TEXT));
        if (!line.empty() && ::SendMessageW(bar, PBM_GETPOS, 0, 0) > 0) {
            progressSeen = true;
            if (!runningShot) {
                runningShot = true;
                checkNoEnd(main, "while the job runs");
                screenshot(main, a.shots, "main-running");
            }
        }
    };

    if (a.backup) {
        HWND choice = waitFor(
            [&] {
                watchProgress();
                return dialogWith(ui::IDC_IDENTICAL);
            },
            120000, "SKD choice");
        if (!choice)
            return;
        checkText(winui::windowText(choice), catalogueText(cat, "IDD_134_TITLE"), "SKD choice title");
        HWND combo = ::GetDlgItem(choice, ui::IDC_MASTER);
        check(!::IsWindowEnabled(combo), "the combo box starts disabled");
        const std::string skd = catalogueString(cat, MSG_SKD);
        const LRESULT count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
        check(count == 3, "three SKDs found, got " + std::to_string(count));
        const char* numbers[] = {"1", "2", "5"};
        for (LRESULT i = 0; i < count && i < 3; ++i) {
            wchar_t text[64] = {};
            ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            checkText(winui::utf8(text), skd + " " + numbers[i], "combo entry " + std::to_string(i));
        }
        check(::SendMessageW(combo, CB_GETCURSEL, 0, 0) == 0, "the first entry selected");
        HWND box = ::GetDlgItem(choice, ui::IDC_IDENTICAL);
        ::SendMessageW(box, BM_CLICK, 0, 0);
        check(::IsWindowEnabled(combo) != FALSE, "ticked: the combo box can be used");
        screenshot(choice, a.shots, "skd-choice");
        screenshot(main, a.shots, "main-skd-choice");
        ::SendMessageW(box, BM_CLICK, 0, 0);
        check(!::IsWindowEnabled(combo), "unticked again: the combo box disabled");
        // OK without the tick: every SKD, as the command-line tool does by default.
        click(::GetDlgItem(choice, IDOK));
        check(waitUntil([choice] { return !::IsWindow(choice); }, 10000), "the SKD choice ends with OK");
    }

    check(waitUntil(
              [&] {
                  watchProgress();
                  return enabled(main, ui::IDC_CANCEL);
              },
              400000),
          "the job ends (close enabled again)");
    for (int id : {ui::IDC_BACKUP, ui::IDC_RESTORE, ui::IDC_ADDRESS, ui::IDC_PORT})
        check(!enabled(main, id), "after the job control " + std::to_string(id) + " stays disabled");
    check(progressSeen, "the progress band showed the job's progress");
    check(::SendMessageW(::GetDlgItem(main, ui::IDC_PROGRESS_BAR), PBM_GETPOS, 0, 0) == 1000, "the bar full at the end");
    checkText(winui::windowText(::GetDlgItem(main, ui::IDC_PROGRESS_TEXT)), catalogueText(cat, "APP_PROGRESS_DONE"),
              "the band's last line");
    screenshot(main, a.shots, "main-finished");

    std::vector<std::string> lines = listLines(::GetDlgItem(main, ui::IDC_STATUS_LIST));
    for (std::string& line : lines)
        line = replaced(line, a.file, "<FILE>");
    // "-": no lines to compare (screenshots).
    const std::vector<std::string> expected = a.expected == "-" ? lines : readLines(a.expected);
    check(!expected.empty(), "expected lines read from " + a.expected);
    check(lines == expected, "the status list equals the command-line tool's lines");
    if (lines != expected) {
        for (size_t i = 0; i < std::max(lines.size(), expected.size()); ++i)
            std::fprintf(stderr, "  %s %s\n   %s %s\n", i < lines.size() ? "dialog:" : "dialog -", i < lines.size() ? lines[i].c_str() : "",
                         i < expected.size() ? "cli:   " : "cli -   ", i < expected.size() ? expected[i].c_str() : "");
    }
    check(::SendMessageW(::GetDlgItem(main, ui::IDC_STATUS_LIST), LB_GETCURSEL, 0, 0) == LB_ERR, "no line selected");

    click(::GetDlgItem(main, ui::IDC_CANCEL));
    check(waitUntil([main] { return !::IsWindow(main); }, 10000), "close ends the dialog after the job");
}

int testJob(const JobArgs& a, double scale)
{
    setTimeScale(scale);
    const CompiledCatalogue* cat = userCatalogue();
    check(cat != nullptr, "a catalogue for the user's language");
    if (!cat)
        return report();
    std::thread driver([&] { driveJob(a, *cat); });
    const int status = CBackupApp::InitInstance();
    driver.join();
    check(status == 0, "the program ends with 0 after its dialog");
    return report();
}

}  // namespace

int main(int argc, char** argv)
{
    g_dialogThread = ::GetCurrentThreadId();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "resources") {
        startWatchdog(120);
        testResources();
        testLanguageChoice();
        return report();
    }
    if (mode == "dialog") {
        startWatchdog(60);
        return testDialog();
    }
    if (mode == "job" && argc >= 8) {
        // Arguments in UTF-8 from the wide command line: paths may hold any character.
        std::vector<std::string> args;
        int count = 0;
        if (LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
            for (int i = 0; i < count; ++i)
                args.push_back(winui::utf8(wide[i]));
            ::LocalFree(wide);
        }
        if (args.size() < 8)
            return 2;
        startWatchdog(600);
        JobArgs a{args[2] == "backup", args[3], args[4], args[5], args[6], args.size() > 8 ? args[8] : std::string()};
        return testJob(a, std::strtod(args[7].c_str(), nullptr));
    }
    std::fprintf(stderr, "usage: nexo-win32-test resources | dialog | job backup|restore ADDRESS FILE EXPECTED PASSWORD SCALE [SHOTS]\n");
    return 2;
}
