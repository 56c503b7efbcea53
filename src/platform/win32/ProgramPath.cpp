#include "platform/ProgramPath.h"

#include "platform/win32/Wide.h"

#include <windows.h>

#include <vector>

std::string programPath()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return std::string();
        // A full buffer means the name may have been cut off: try again with more room.
        if (n < buffer.size())
            return win32::narrow(std::wstring(buffer.data(), n));
        if (buffer.size() >= 32768)
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

std::string programDir()
{
    const std::string path = programPath();
    const size_t slash = path.find_last_of("\\/");
    if (path.empty() || slash == std::string::npos)
        return std::string();
    // A drive's root keeps its separator: "C:\".
    if (slash == 2 && path[1] == ':')
        return path.substr(0, 3);
    return path.substr(0, slash);
}
