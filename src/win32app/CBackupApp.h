#pragma once

#include <string>
#include <vector>

// The Windows program: reads its command line, chooses the language library, shows the main
// dialog modally and ends with it.
class CBackupApp
{
public:
    // Answers the exit status: 0 after the dialog was closed, 1 when no language library was
    // found (the dialog never shows), 2 for a bad command line.
    int run(const std::vector<std::string>& arguments);
    // The dialog part of run(), for programs that set up the process themselves (the tests).
    static int InitInstance();
};
