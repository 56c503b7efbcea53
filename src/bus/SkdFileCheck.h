#pragma once

#include "bus/BusDefs.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class CFileManager;

// The SKD part of a backup file as a restore reads it. The restore's own readers
// (CKandoProtocol::loadSKDData, loadSKDCrc, loadSKDCfg, loadMaster and the file side of
// compareSKDLists) decide with these rules, and the inspection of a file asks the same
// ones, so the two never disagree about a file.
namespace bus {

// One SKD's records, as read.
struct SkdFacts {
    bool hasLength = false;
    int32_t length = 0;     // the DataLength as a restore reads it (0 when missing)
    bool hasData = false;
    size_t dataBytes = 0;   // what each value decodes to
    bool dataStray = false; // the image's Data has a lone character left over
    bool hasCrc = false;
    size_t crcBytes = 0;
    bool hasCfg = false;
    size_t cfgBytes = 0;
};
SkdFacts readSkd(CFileManager& file, int number);

enum class ImageState {
    Usable,
    Empty,           // length 0 (or no DataLength): nothing to write, the SKD is not touched
    LengthNegative,
    LengthTooLarge,  // above the reply buffer
    DataMissing,
    DataShort,       // Data decodes to fewer bytes than the length
    DataLonger,      // ... to more, or to the length with a stray character: a backup never writes that
    CutShort,        // shorter than the template area: a backup that stopped halfway
};
ImageState imageState(int32_t length, bool hasData, size_t dataBytes, bool stray = false);
inline ImageState imageState(const SkdFacts& skd)
{
    return imageState(skd.length, skd.hasData, skd.dataBytes, skd.dataStray);
}
// Data that disagrees with its DataLength: the file is damaged, and the restore's file check
// refuses it before anything is written.
inline bool imageDamaged(ImageState state)
{
    return state == ImageState::DataShort || state == ImageState::DataLonger;
}

// A CRC or configuration record is read back as exactly RECORD_SIZE bytes; a shorter one is
// no record at all.
constexpr size_t RECORD_SIZE = 5;
static_assert(RECORD_SIZE == CRC_SIZE && RECORD_SIZE == CFG_SIZE);
inline bool recordUsable(bool present, size_t bytes)
{
    return present && bytes >= RECORD_SIZE;
}

// The master address: the low 8 bits of the stored SKD0.MASTER (0 when it is missing).
inline uint8_t masterAddress(int32_t stored)
{
    return static_cast<uint8_t>(stored);
}
// Above 192: one image for every SKD. Only 0 lets the restore warn of SKDs on the bus alone.
inline bool isMasterMode(uint8_t master)
{
    return master > ADDR_SKD_BASE;
}
uint8_t readMaster(CFileManager& file);

// The file side of the restore list: the numbers 1 to 8 that have a DataLength, in order.
std::vector<int> fileSkdList(CFileManager& file);

// The SKD number whose image and CRC a restore of SKD target writes: in master mode the
// first of the file's list (the master's, in a file a backup wrote), else target itself
// when it is listed; 0 when there is none.
int imageSource(const std::vector<int>& list, bool masterMode, int target);

}  // namespace bus
