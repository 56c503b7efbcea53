#include "win32app/CBackupApp.h"
#include "win32app/WinUi.h"

#include <windows.h>
#include <shellapi.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    std::vector<std::string> arguments;
    int count = 0;
    if (LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i)
            arguments.push_back(winui::utf8(argv[i]));
        ::LocalFree(argv);
    }
    CBackupApp app;
    return app.run(arguments);
}
