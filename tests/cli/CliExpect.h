#pragma once

// The status lines the command-line tests expect, built from the program's own texts.
#include "job/CMessage.h"

#include <algorithm>
#include <string>
#include <vector>

namespace clitest {

inline const std::vector<std::string> kObjects = {"UserManagerConfig", "ConfigManager", "DayLightConfig",
                                                  "SystemTimeConfig"};

template <typename... A>
std::string text(int id, const A&... args)
{
    return CMessage::getInstance()->formatText(id, args...);
}

inline bool hasLine(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// A gateway backup up to its end line, without the close.
inline std::vector<std::string> gatewayBackupLines(int version, const std::string& file)
{
    std::vector<std::string> lines = {text(MSG_GATEWAY_VERSION, double(version)), text(MSG_SAVE_TO, file)};
    for (const std::string& o : kObjects) {
        lines.push_back(text(MSG_OBJECT_LOADING, o));
        lines.push_back(text(MSG_OBJECT_SAVED, o));
        lines.push_back(text(MSG_OBJECT_LOAD_DONE, o));
    }
    lines.push_back(text(MSG_BACKUP_DONE));
    return lines;
}

}  // namespace clitest
