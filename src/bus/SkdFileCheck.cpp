#include "bus/SkdFileCheck.h"

#include "backupfile/CFileManager.h"
#include "bus/SkdKeys.h"

#include <algorithm>

namespace bus {

SkdFacts readSkd(CFileManager& file, int number)
{
    SkdFacts facts;
    facts.hasLength = file.containsKey(skdKey(number, "DataLength"));
    facts.length = file.getInt(skdKey(number, "DataLength"));
    facts.hasData = file.dataSize(skdKey(number, "Data"), facts.dataBytes, &facts.dataStray);
    facts.hasCrc = file.dataSize(skdKey(number, "CRC"), facts.crcBytes);
    facts.hasCfg = file.dataSize(skdKey(number, "CFG"), facts.cfgBytes);
    return facts;
}

ImageState imageState(int32_t length, bool hasData, size_t dataBytes, bool stray)
{
    if (length == 0)
        return ImageState::Empty;
    if (length < 0)
        return ImageState::LengthNegative;
    if (static_cast<size_t>(length) > REPLY_BUFFER)
        return ImageState::LengthTooLarge;
    if (!hasData)
        return ImageState::DataMissing;
    if (dataBytes < static_cast<size_t>(length))
        return ImageState::DataShort;
    if (dataBytes > static_cast<size_t>(length) || stray)
        return ImageState::DataLonger;
    // Restoring it would clean the SKD and leave the rest of its memory zero.
    if (static_cast<uint32_t>(length) < TEMPLATE_SIZE)
        return ImageState::CutShort;
    return ImageState::Usable;
}

uint8_t readMaster(CFileManager& file)
{
    return masterAddress(file.getInt(kMasterKey));
}

std::vector<int> fileSkdList(CFileManager& file)
{
    std::vector<int> list;
    for (int n = 1; n <= MAX_SKDS; ++n)
        if (file.containsKey(skdKey(n, "DataLength")))
            list.push_back(n);
    return list;
}

int imageSource(const std::vector<int>& list, bool masterMode, int target)
{
    if (list.empty())
        return 0;
    if (masterMode)
        return list.front();
    return std::find(list.begin(), list.end(), target) != list.end() ? target : 0;
}

}  // namespace bus
