#include "platform/Encoding.h"

#include <gtest/gtest.h>

TEST(Encoding, PasswordBytesInWindows1252)
{
    struct Case {
        std::string utf8;
        bool ok;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"", true, ""},
        {"abc 123", true, "abc 123"},
        {"contraseña", true, "contrase\xF1" "a"},
        {"Größe€", true, "Gr\xF6\xDF" "e\x80"},
        {"ŒŸ", true, "\x8C\x9F"},
        {"日本", false, ""},          // no byte in the code page
        {"\xC3", false, ""},          // cut UTF-8
        {"\xFF\xFE", false, ""},      // not UTF-8
        {"😀", false, ""},
        {std::string("\xC0\x80", 2), false, ""},  // overlong forms are not UTF-8: no hidden NUL
        {"\xC1\x81", false, ""},                   // overlong "A"
        {"\xE0\x81\x81", false, ""},
    };
    for (const Case& c : cases) {
        std::string out = "untouched";
        EXPECT_EQ(utf8ToCp1252(c.utf8, out), c.ok) << c.utf8;
        if (c.ok) {
            EXPECT_EQ(out, c.bytes);
            EXPECT_EQ(cp1252ToUtf8(out), c.utf8);
        } else {
            EXPECT_EQ(out, "untouched");
        }
    }
}
