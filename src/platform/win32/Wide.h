#pragma once

// UTF-8 text to and from the UTF-16 the wide Windows functions take.
#include <string>

namespace win32 {

// False when text is not valid UTF-8.
bool widen(const std::string& text, std::wstring& wide);
std::string narrow(const std::wstring& wide);

}  // namespace win32
