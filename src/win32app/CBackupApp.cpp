#include "win32app/CBackupApp.h"

#include "platform/TimeScale.h"
#include "resources/Version.h"
#include "win32app/CBackupDlg.h"
#include "win32app/CWinLanguage.h"

#include <commctrl.h>

#include <cstdlib>

namespace {

void showUsage(const std::string& problem)
{
    std::string text = problem.empty() ? std::string() : problem + "\n\n";
    text += "nexo-backup [--time-scale FACTOR] [--version]";
    ::MessageBoxW(nullptr, winui::wide(text).c_str(), L"nexo-backup", MB_OK | (problem.empty() ? MB_ICONINFORMATION : MB_ICONERROR));
}

}  // namespace

int CBackupApp::run(const std::vector<std::string>& arguments)
{
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--time-scale" && i + 1 < arguments.size()) {
            char* end = nullptr;
            const double scale = std::strtod(arguments[++i].c_str(), &end);
            if (!end || *end || !(scale > 0)) {
                showUsage("--time-scale: " + arguments[i] + " is no positive number");
                return 2;
            }
            setTimeScale(scale);
        } else if (a == "--version") {
            ::MessageBoxW(nullptr, winui::wide(std::string("nexo-backup ") + kProgramVersion).c_str(), L"nexo-backup",
                          MB_OK | MB_ICONINFORMATION);
            return 0;
        } else if (a == "--help" || a == "-h") {
            showUsage(std::string());
            return 0;
        } else {
            showUsage("unknown argument " + a);
            return 2;
        }
    }
    return InitInstance();
}

int CBackupApp::InitInstance()
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    CWinLanguage& language = CWinLanguage::instance();
    if (!language.setUp()) {
        // Built into the program: without a language library there is nothing else to say it with.
        ::MessageBoxW(nullptr, winui::wide(CWinLanguage::kNoLanguageText).c_str(), L"nexo-backup", MB_OK | MB_ICONERROR);
        return 1;
    }
    {
        CBackupDlg dialog;
        dialog.runModal(nullptr);
    }
    language.unload();
    return 0;
}
