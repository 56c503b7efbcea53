#pragma once

#include <istream>
#include <string>
#include <vector>

// The terminal the tool's standard input may be: whether someone types there, and the echo of
// what they type; and whether its error stream is a terminal that can show the progress line.
// The tool reaches it only through this interface, so tests can run the tool in-process with a
// fake; each platform has its one implementation file (posix/Terminal.cpp).
class CTerminal
{
public:
    virtual ~CTerminal() = default;

    // True when standard input is a terminal someone types at (not a pipe or a file).
    virtual bool isInteractive() = 0;
    // Typed characters are not shown until echoOn(); the line end still is. An interrupt in
    // between puts the echo back before the program ends.
    virtual void echoOff() = 0;
    virtual void echoOn() = 0;

    // True when the error stream is a terminal that keeps a line rewritten in place.
    virtual bool errorIsTerminal() { return false; }
    // Its width in characters; 0 when not known.
    virtual int errorColumns() { return 0; }
    // While on, an interrupt (Ctrl-C, or a request to end) takes the progress line away before
    // the program ends, so the shell's prompt comes on a clean line.
    virtual void guardProgressLine(bool /*on*/) {}
    // Its height in lines; 0 when not known.
    virtual int errorRows() { return 0; }
    // Whether it moves the cursor on escape sequences; a console that shows them as
    // characters gets its progress line rubbed out with spaces instead.
    virtual bool errorTakesEscapes() { return true; }
    // One line typed there, without its line end, as UTF-8; false at the end of input. A
    // console whose bytes are not UTF-8 (Windows) reads its own characters instead of in.
    virtual bool readLine(std::istream& in, std::string& line) { return static_cast<bool>(std::getline(in, line)); }
};

// The terminal of this process. On Windows, where a console shows characters rather than
// bytes, its first use also makes std::cout and std::cerr write to a console as characters.
CTerminal& systemTerminal();

// The program's arguments as UTF-8, as runCli takes them: argv itself on POSIX; on Windows,
// where argv is in the local code page, the wide command line.
std::vector<std::string> systemArguments(int argc, char** argv);
