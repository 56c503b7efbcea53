#pragma once

#include <iosfwd>
#include <string>
#include <vector>

class CTerminal;

// What the tool reads and writes: the process's own streams and terminal in main, string
// streams and a fake terminal in tests. Status lines go to out, message boxes and diagnostics
// to err, the password prompt reads in.
struct CliIo {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    CTerminal& terminal;
};

// The whole tool: args as main's argv (args[0] the program name). Answers the exit status:
// 0 the job completed without an error, 1 it failed, 2 bad usage.
int runCli(const std::vector<std::string>& args, const CliIo& io);
// The same with an input that is no terminal (a pipe or a file).
int runCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);
