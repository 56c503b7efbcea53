#pragma once

#include <string>

// The gateway takes passwords as bytes of the Windows-1252 code page (the 8-bit code page of
// every language of the program). False when the UTF-8 text holds a character that has no
// byte there, or is not valid UTF-8.
bool utf8ToCp1252(const std::string& utf8, std::string& bytes);
std::string cp1252ToUtf8(const std::string& bytes);
