#pragma once

// The terminal the tool's standard input may be: whether someone types there, and the echo of
// what they type. The tool reaches it only through this interface, so tests can run the tool
// in-process with a fake; each platform has its one implementation file (posix/Terminal.cpp).
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
};

// Standard input of this process.
CTerminal& systemTerminal();
