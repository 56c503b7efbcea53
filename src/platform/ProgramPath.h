#pragma once

#include <string>

// The running program's own file as an absolute path, links resolved; empty when the system
// cannot tell. Installed data is found relative to it.
std::string programPath();

// The folder that holds the running program; empty when unknown.
std::string programDir();
