#pragma once

#include "BackupText.h"

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// A whole backup (BackupText::complete) damaged one way, with what inspect says of it: each
// problem line (without its indent) and its exit status. The one table of damaged files, so
// the inspection and the restore's own check are held to the same verdict on each.
struct DamagedBackup {
    const char* what;
    std::function<void(BackupText&)> damage;
    std::vector<std::string> problems;
    int status;  // 0 complete, 1 refused or incomplete
};
const std::vector<DamagedBackup>& damagedBackups();

}  // namespace testsupport
