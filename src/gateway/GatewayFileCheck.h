#pragma once

#include "gateway/GatewayDefs.h"

#include <cstddef>
#include <cstdint>
#include <string>

class CFileManager;

// The gateway part of a backup file as a restore reads it. The restore's own checks
// (CDataProtocol::checkDataFile and checkVersion) are these, and the inspection of a file
// asks the same ones, so the two never disagree about a file.
namespace gw {

constexpr const char* VERSION_KEY = "Global.Version";

// "UserManagerConfig", "ConfigManager", "DayLightConfig", "SystemTimeConfig"; "" otherwise.
std::string objectName(int index);
std::string lengthKey(int index);  // <name>.DataLength
std::string dataKey(int index);    // <name>.Data

// An object's two keys, as read.
struct ObjectFacts {
    bool hasLength = false;
    int32_t length = 0;     // the DataLength as a restore reads it (0 when missing)
    bool hasData = false;
    size_t dataBytes = 0;   // what the Data value decodes to
    bool dataStray = false; // ... with a lone character left over
};
ObjectFacts readObject(CFileManager& file, int index);

// A backup writes Data that decodes to exactly DataLength bytes (none for an empty object):
// any other count, or a stray character, is damage, and the rest would reach the gateway shifted.
enum class ObjectState {
    Usable,          // length 0 without Data, or Data that decodes to exactly length bytes
    LengthMissing,
    LengthNegative,
    LengthTooLarge,  // above MAX_DATA_LENGTH: no gateway frame carries it
    DataMissing,
    DataShort,
    DataLonger,      // more bytes than the length (an empty object with Data included)
    DataStray,       // the right count, and a lone character left over
};
// The file check's rule for one object; a restore refuses the file unless every object is Usable.
ObjectState objectState(const ObjectFacts& object);
// The file check of a restore that writes the objects: Global.Version and every object usable.
bool objectsUsable(CFileManager& file);

enum class VersionFit {
    Fits,
    FileTooOld,  // below OLDEST_FILE_VERSION: refused whatever the gateway
    Differs,     // a file restores only to a gateway of its very version
};
VersionFit versionFit(float fileVersion, float gatewayVersion);

}  // namespace gw
