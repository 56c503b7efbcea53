#pragma once

#include "backupfile/CProperty.h"
#include "bus/SkdFileCheck.h"
#include "gateway/GatewayFileCheck.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What a restore would do with a backup file, found without any network. Every judgement is
// one of the restore's own checks (gw::objectState, gw::versionFit, bus::imageState,
// bus::recordUsable, bus::imageSource, ...), so an inspection and a restore never disagree.
// Texts are left to the front end: problems are kinds with their key and numbers.
struct CFileInspection {
    enum class Severity {
        Note,        // worked around without a word: nothing is lost that the file holds
        Incomplete,  // the restore runs but leaves something unrestored or fails a check
        Refused,     // the restore refuses the file before it sends anything
    };

    struct Problem {
        enum Kind {
            KeyMissing,          // key
            LengthNegative,      // key, value
            LengthTooLarge,      // key, value, limit
            LengthZero,          // key: an SKD image of length 0 is not written
            DataShort,           // key, value = decoded bytes, limit = length
            DataLonger,          // key, value = decoded bytes, limit = length (0 for an empty object)
            DataStray,           // key, value = decoded bytes: the length, and a lone character left over
            ImageCutShort,       // key, value = length, limit = template area: a backup that stopped halfway
            ImageBeyondArea,     // key, value = length, limit = template area
            RecordShort,         // key, value = decoded bytes, limit = record size
            RecordLonger,        // key, value = decoded bytes, limit = record size
            NumberNotPlain,      // key, text, value = what it reads as
            VersionTooOld,       // text, fileVersion
            VersionUnmatched,    // text, fileVersion: no gateway version equals it
            NoSkdPart,           // the file's version has no SKD part, but it holds SKD records
            NoSkdData,           // the SKD part writes nothing
            SkdNotListed,        // skd: records without DataLength, not restored
            SkdNeverAnswered,    // key: SKD64, left by an SKD that gave no reply to the backup
            MasterMissing,       // SKD records but no SKD0.MASTER: single mode
            MasterOdd,           // value = stored, limit = the address it reads as
            MasterWithoutImage,  // master mode and no image at all
            MasterImageElsewhere,  // skd = the SKD whose image is written to all, limit = master number
            MasterImagesUnused,  // skd: an image that master mode does not write
            UnknownKey,          // key
            LineIgnored,         // line, note kind, key
            LineReplaced,        // line, laterLine, key
            ByteOrderMark,       // the file begins with one, which loading skips
        };
        Kind kind = KeyMissing;
        Severity severity = Severity::Note;
        std::string key;
        int skd = 0;
        int64_t value = 0;
        int64_t limit = 0;
        std::string text;  // the value as stored, where it matters
        double reading = 0;  // NumberNotPlain, VersionTooOld, VersionUnmatched: what the restore reads
        size_t line = 0;
        size_t laterLine = 0;
        CProperty::LoadNote::Kind lineKind = CProperty::LoadNote::Blank;
    };

    struct Object {
        std::string name;
        gw::ObjectFacts facts;
        gw::ObjectState state = gw::ObjectState::Usable;
    };

    struct Skd {
        int number = 0;
        bus::SkdFacts facts;
        bool listed = false;  // has a DataLength: in the restore's list
        bus::ImageState image = bus::ImageState::Empty;
        bool crcUsable = false;
        bool cfgUsable = false;
    };

    explicit CFileInspection(const std::string& path);

    std::string path;
    bool readable = false;  // false: nothing else is filled in

    bool hasVersion = false;
    std::string versionText;
    float fileVersion = 0.0f;
    std::optional<int> restoresTo;  // the one gateway version it restores to
    bool skdPart = false;           // that gateway has a bus part

    std::array<Object, gw::OBJECT_COUNT> objects;

    bool hasMaster = false;
    int32_t masterStored = 0;
    uint8_t masterAddress = 0;
    bool masterMode = false;
    int masterNumber = 0;  // master mode: the master's SKD number

    std::vector<Skd> skds;  // numbers 1 to 8 with any record, in order
    std::vector<Problem> problems;

    // The restore would refuse the file (Refused), leave something out (Incomplete), or
    // restore all of it (Note: at most notes).
    Severity verdict() const;
    bool complete() const { return readable && verdict() == Severity::Note; }
    // Whether a restore of SKD number alone has an image to write: the SKD's own in single
    // mode, the master's in master mode, and a gateway version with a bus part.
    bool skdRestorable(int number) const;

private:
    void inspectVersion(CFileManager& file);
    void inspectObjects(CFileManager& file);
    void inspectSkds(CFileManager& file);
    void inspectKeys(CFileManager& file);
    void inspectNumber(CFileManager& file, const std::string& key);
    void add(Problem::Kind kind, Severity severity, const std::string& key, int64_t value = 0, int64_t limit = 0);
    std::vector<int> m_fileList;
};
