#include "gateway/GatewayFileCheck.h"

#include "backupfile/CFileManager.h"

namespace gw {

namespace {

const char* const kObjectNames[OBJECT_COUNT] = {"UserManagerConfig", "ConfigManager", "DayLightConfig",
                                                "SystemTimeConfig"};
static_assert(OBJECT_USER_MANAGER == 0 && OBJECT_CONFIG_MANAGER == 1 && OBJECT_DAYLIGHT == 2 &&
              OBJECT_SYSTEM_TIME == 3);

}  // namespace

std::string objectName(int index)
{
    if (index < 0 || index >= OBJECT_COUNT)
        return std::string();
    return kObjectNames[index];
}

std::string lengthKey(int index)
{
    return objectName(index) + ".DataLength";
}

std::string dataKey(int index)
{
    return objectName(index) + ".Data";
}

ObjectFacts readObject(CFileManager& file, int index)
{
    ObjectFacts facts;
    facts.hasLength = file.containsKey(lengthKey(index));
    facts.length = file.getInt(lengthKey(index));
    facts.hasData = file.dataSize(dataKey(index), facts.dataBytes, &facts.dataStray);
    return facts;
}

ObjectState objectState(const ObjectFacts& object)
{
    if (!object.hasLength)
        return ObjectState::LengthMissing;
    if (object.length < 0)
        return ObjectState::LengthNegative;
    if (static_cast<uint32_t>(object.length) > MAX_DATA_LENGTH)
        return ObjectState::LengthTooLarge;
    // An empty object needs no Data item.
    if (object.length == 0)
        return object.hasData && object.dataBytes > 0 ? ObjectState::DataLonger : ObjectState::Usable;
    if (!object.hasData)
        return ObjectState::DataMissing;
    if (object.dataBytes < static_cast<size_t>(object.length))
        return ObjectState::DataShort;
    if (object.dataBytes > static_cast<size_t>(object.length))
        return ObjectState::DataLonger;
    if (object.dataStray)
        return ObjectState::DataStray;
    return ObjectState::Usable;
}

bool objectsUsable(CFileManager& file)
{
    bool ok = file.containsKey(VERSION_KEY);
    for (int i = 0; ok && i < OBJECT_COUNT; ++i)
        ok = objectState(readObject(file, i)) == ObjectState::Usable;
    return ok;
}

VersionFit versionFit(float fileVersion, float gatewayVersion)
{
    // Files older than this cannot be restored (the message names 107, the rule is 104).
    if (fileVersion < OLDEST_FILE_VERSION)
        return VersionFit::FileTooOld;
    return gatewayVersion == fileVersion ? VersionFit::Fits : VersionFit::Differs;
}

}  // namespace gw
