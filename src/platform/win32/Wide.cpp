#include "platform/win32/Wide.h"

#include <windows.h>

#include <climits>

namespace win32 {

bool widen(const std::string& text, std::wstring& wide)
{
    wide.clear();
    if (text.empty())
        return true;
    if (text.size() > INT_MAX)
        return false;
    const int length = static_cast<int>(text.size());
    const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (n <= 0)
        return false;
    wide.resize(static_cast<size_t>(n));
    return ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, wide.data(), n) == n;
}

std::string narrow(const std::wstring& wide)
{
    if (wide.empty() || wide.size() > INT_MAX)
        return {};
    const int length = static_cast<int>(wide.size());
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return {};
    std::string text(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, text.data(), n, nullptr, nullptr);
    return text;
}

}  // namespace win32
