#include "job/CRestoreCheck.h"

#include "backupfile/CFileManager.h"
#include "bus/SkdFileCheck.h"
#include "bus/SkdKeys.h"
#include "gateway/GatewayFileCheck.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kNeverAnswered = 64;  // the SKD number of a reply from source address 0
constexpr float kHighestGatewayVersion = 255;  // the version travels as one byte

bool hasAnyRecord(CFileManager& file, int number)
{
    for (const char* field : {"DataLength", "Data", "CRC", "CFG"})
        if (file.containsKey(bus::skdKey(number, field)))
            return true;
    return false;
}

}  // namespace

CRestoreCheck::CRestoreCheck(CFileManager& file, const CProtocol::RestoreScope& scope)
{
    using Scope = CProtocol::RestoreScope;
    if (scope.gatewayObjects)
        objectsDamaged = !gw::objectsUsable(file);
    // The gateway's version is an integer: only a file of that very version is taken.
    const float version = file.getFloat(gw::VERSION_KEY);
    const float gateway = std::trunc(version);
    versionRefused = !(gateway >= 1 && gateway <= kHighestGatewayVersion &&
                       gw::versionFit(version, gateway) == gw::VersionFit::Fits);

    bool incomplete = false;
    const std::vector<int> list = bus::fileSkdList(file);
    const uint8_t master = bus::readMaster(file);
    const bool masterMode = bus::isMasterMode(master);
    const int masterNumber = masterMode ? bus::skdNumber(master) : 0;

    if (scope.skds != Scope::NoSkds && !(version > gw::VERSION_WITHOUT_SKDS)) {
        // That gateway has no bus part: SKD records in the file are never restored.
        bool records = file.containsKey(bus::kMasterKey) || hasAnyRecord(file, kNeverAnswered);
        for (int n = 1; n <= bus::MAX_SKDS && !records; ++n)
            records = hasAnyRecord(file, n);
        incomplete = records;
    } else if (scope.skds != Scope::NoSkds) {
        // The SKDs whose image the restore writes, by the number it reads the image from.
        std::vector<int> images;
        if (scope.skds == Scope::OneSkd || masterMode) {
            const int source = bus::imageSource(list, masterMode, scope.skd);
            if (source != 0)
                images.push_back(source);
            else
                incomplete = true;
        } else {
            images = list;
        }
        for (int n : images) {
            const bus::SkdFacts facts = bus::readSkd(file, n);
            const bus::ImageState state = bus::imageState(facts);
            if (bus::imageDamaged(state))
                imagesDamaged = true;
            else if (state == bus::ImageState::CutShort)
                cutShort.push_back({n, facts.length});
            else if (state != bus::ImageState::Usable)
                incomplete = true;
            if (!bus::recordUsable(facts.hasCrc, facts.crcBytes))
                incomplete = true;
            if (!masterMode && !bus::recordUsable(facts.hasCfg, facts.cfgBytes))
                incomplete = true;
        }
        if (masterMode) {
            // Every SKD gets the master's own configuration record, whichever image it gets.
            size_t bytes = 0;
            const bool present = file.dataSize(bus::skdKey(masterNumber, "CFG"), bytes);
            incomplete = incomplete || !bus::recordUsable(present, bytes);
        }
        if (scope.skds == Scope::AllSkds) {
            // Records the restore list leaves out: an SKD without DataLength, and one that gave
            // the backup no reply at all.
            for (int n = 1; n <= bus::MAX_SKDS; ++n)
                if (std::find(list.begin(), list.end(), n) == list.end() && !(masterMode && n == masterNumber) &&
                    hasAnyRecord(file, n))
                    incomplete = true;
            incomplete = incomplete || hasAnyRecord(file, kNeverAnswered);
        }
    }

    if (objectsDamaged || imagesDamaged || versionRefused || !cutShort.empty())
        verdict = Verdict::Refused;
    else if (incomplete)
        verdict = Verdict::Incomplete;
}
