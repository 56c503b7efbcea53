#include "platform/ProgramPath.h"

#include <unistd.h>

#include <vector>

std::string programPath()
{
    // The kernel's link to the executable: the real file, whatever name or link started it.
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return std::string();
        if (static_cast<size_t>(n) < buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(n));
        // Possibly cut off: try again with more room.
        buffer.resize(buffer.size() * 2);
    }
}

std::string programDir()
{
    const std::string path = programPath();
    const size_t slash = path.rfind('/');
    if (path.empty() || path[0] != '/' || slash == std::string::npos)
        return std::string();
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}
