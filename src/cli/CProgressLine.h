#pragma once

#include "platform/Progress.h"

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <mutex>
#include <string>

// One line at the bottom of a terminal that shows the job's progress, rewritten in place on
// the error stream. Anything else the tool writes goes through around(), which takes the line
// away first and puts it back after, so the line never mixes with a status line, a message
// or a prompt. Any thread.
//
// Without escapes (a console that knows no escape sequences) the line is rubbed out with
// spaces instead of erased to its end.
class CProgressLine
{
public:
    explicit CProgressLine(std::ostream& err, bool escapes = true) : m_err(err), m_escapes(escapes) {}

    // Draws text in place of the line shown (the same text is not drawn again).
    void show(const std::string& text);
    // Where the latest text comes from. It is read under the line's lock, so a drawing is
    // always of what was latest when it was drawn: two threads drawing in turn can never put
    // an older stage back over a newer one.
    void setSource(std::function<std::string()> latest);
    // Draws the source's text (nothing while it has none).
    void redraw();
    // Runs write with the line taken away; the line comes back after it: as after when that
    // is given, else as the source has it now.
    void around(const std::function<void()>& write, const std::string& after = {});
    // Takes the line away for good (until the next show).
    void clear();

private:
    void erase();
    void draw();

    std::mutex m_mutex;
    std::ostream& m_err;
    const bool m_escapes;
    std::function<std::string()> m_source;
    std::string m_text;
    bool m_drawn = false;
    // The characters on the terminal's line now, for the spaces that rub them out.
    size_t m_shownWidth = 0;
};

// "[########------------]  40%  Backup of SKD 3 – 0:42 left", cut to fit columns - 1 characters
// (the last column would wrap the line on some terminals).
std::string terminalProgressText(const CProgressReport& report, const ProgressTexts& texts,
                                 const std::string& allSkds, size_t columns);
