#pragma once

#include "cli/Cli.h"

#include <string>

// nexo-backup-cli fleet INVENTORY: a backup of every site of the inventory into the archive,
// up to jobs at a time, each site's job in a child process of its own (this program again,
// backup --report-stream), then a report. Answers 0 when every site succeeded, 1 when any did
// not, 2 for a bad inventory or usage.
struct FleetOptions {
    std::string inventory;
    std::string archive;
    int jobs = 16;
    int keep = 30;
    std::string json;
    double timeScale = 1.0;
    bool progress = false;
    bool noProgress = false;
};

int fleetCommand(const FleetOptions& options, const CliIo& io);

// The lines a child writes with backup --report-stream, one a line, each a tag and a tab:
//   S<tab>status line    M<tab>message    P<tab>percent<tab>stage    F<tab>index
// F comes last: the index (from 0) of the first status line of failure weight, -1 for none.
// Any other line the child writes counts as a message.
namespace reportstream {
constexpr char kStatus = 'S';
constexpr char kMessage = 'M';
constexpr char kProgress = 'P';
constexpr char kFirstFailure = 'F';
// tag, tab, text: line ends inside the text become blanks.
std::string line(char tag, const std::string& text);
}  // namespace reportstream
