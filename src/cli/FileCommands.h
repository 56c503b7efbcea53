#pragma once

#include <iosfwd>
#include <string>

// The commands of the tool that read backup files only, without any network.

// inspect FILE [--json]: what a restore would do with the file. Answers 0 when a restore
// would find it complete, 1 when it would refuse it or restore it incompletely, 2 when the
// file cannot be read.
int inspectCommand(const std::string& file, bool json, std::ostream& out, std::ostream& err);

// diff A B: Global.Version, each object and each SKD record as a restore reads them, equal,
// different or in one file only; raw differences a restore never reads follow as notes.
// Answers 0 when all are equal, 1 when something differs, 2 when a file cannot be read.
int diffCommand(const std::string& a, const std::string& b, std::ostream& out, std::ostream& err);
