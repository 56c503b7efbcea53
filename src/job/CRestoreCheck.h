#pragma once

#include "job/CProtocol.h"

#include <cstdint>
#include <vector>

class CFileManager;

// What a restore would meet in a backup file, asked of the rules the restore itself decides with
// (the gateway's file check and version rule, the SKD part's restore list, image, record and
// master rules), before anything connects. The job acts on it; the inspection of a file
// (CFileInspection) reaches its verdict on its own, and a test holds the two to the same one.
struct CRestoreCheck {
    enum class Verdict {
        Complete,    // everything in scope is restored and checked
        Incomplete,  // the restore runs but leaves something unrestored or unchecked
        Refused,     // the restore refuses the file before it writes anything
    };
    struct CutShort {
        int skd = 0;
        int32_t length = 0;
    };

    Verdict verdict = Verdict::Complete;
    // The gateway's file check fails on the objects or the version key.
    bool objectsDamaged = false;
    // An SKD image in scope decodes to another size than its DataLength: the file check fails.
    bool imagesDamaged = false;
    // No gateway version takes the file.
    bool versionRefused = false;
    // Images in scope that a backup stopped writing halfway: restoring one would clean the SKD
    // and leave the rest of its memory zero, so the job refuses the file before connecting.
    std::vector<CutShort> cutShort;

    // scope as the job restores it; the default is all of the file.
    CRestoreCheck(CFileManager& file, const CProtocol::RestoreScope& scope = {});
};
