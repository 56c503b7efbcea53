#include "job/CFileInspection.h"

#include "backupfile/CFileManager.h"
#include "bus/SkdKeys.h"

#include <algorithm>

using Severity = CFileInspection::Severity;
using Problem = CFileInspection::Problem;

namespace {

constexpr int kHighestGatewayVersion = 255;  // the version travels as one byte
constexpr int kNeverAnswered = 64;           // the SKD number of a reply from source address 0

bool isSkdField(const std::string& field)
{
    return field == "DataLength" || field == "Data" || field == "CRC" || field == "CFG";
}

}  // namespace

CFileInspection::CFileInspection(const std::string& filePath) : path(filePath)
{
    CFileManager file;
    file.open(path);
    readable = file.load();
    if (!readable)
        return;
    inspectVersion(file);
    inspectObjects(file);
    inspectSkds(file);
    inspectKeys(file);
}

void CFileInspection::add(Problem::Kind kind, Severity severity, const std::string& key, int64_t value, int64_t limit)
{
    Problem problem;
    problem.kind = kind;
    problem.severity = severity;
    problem.key = key;
    problem.value = value;
    problem.limit = limit;
    problems.push_back(std::move(problem));
}

void CFileInspection::inspectNumber(CFileManager& file, const std::string& key)
{
    std::string text;
    if (!file.getText(key, text))
        return;
    const int32_t reading = file.getInt(key);
    if (text == std::to_string(reading))
        return;
    add(Problem::NumberNotPlain, Severity::Note, key);
    problems.back().text = text;
    problems.back().reading = reading;
}

void CFileInspection::inspectVersion(CFileManager& file)
{
    hasVersion = file.containsKey(gw::VERSION_KEY);
    file.getText(gw::VERSION_KEY, versionText);
    fileVersion = file.getFloat(gw::VERSION_KEY);
    for (int gateway = 1; gateway <= kHighestGatewayVersion && !restoresTo; ++gateway)
        if (gw::versionFit(fileVersion, static_cast<float>(gateway)) == gw::VersionFit::Fits)
            restoresTo = gateway;
    // The restore's test of the version, on the gateway it would restore to.
    skdPart = restoresTo && static_cast<float>(*restoresTo) > gw::VERSION_WITHOUT_SKDS;

    if (!hasVersion) {
        add(Problem::KeyMissing, Severity::Refused, gw::VERSION_KEY);
        return;
    }
    auto addVersionProblem = [&](Problem::Kind kind, Severity severity) {
        add(kind, severity, gw::VERSION_KEY);
        problems.back().text = versionText;
        problems.back().reading = fileVersion;
    };
    // Against a gateway of its own version, only its age can refuse a file.
    if (gw::versionFit(fileVersion, fileVersion) == gw::VersionFit::FileTooOld)
        addVersionProblem(Problem::VersionTooOld, Severity::Refused);
    else if (!restoresTo)
        addVersionProblem(Problem::VersionUnmatched, Severity::Refused);
    else if (versionText != std::to_string(*restoresTo))
        addVersionProblem(Problem::NumberNotPlain, Severity::Note);
}

void CFileInspection::inspectObjects(CFileManager& file)
{
    for (int i = 0; i < gw::OBJECT_COUNT; ++i) {
        Object& object = objects[static_cast<size_t>(i)];
        object.name = gw::objectName(i);
        object.facts = gw::readObject(file, i);
        object.state = gw::objectState(object.facts);
        const gw::ObjectFacts& f = object.facts;
        switch (object.state) {
        case gw::ObjectState::LengthMissing:
            add(Problem::KeyMissing, Severity::Refused, gw::lengthKey(i));
            break;
        case gw::ObjectState::LengthNegative:
            add(Problem::LengthNegative, Severity::Refused, gw::lengthKey(i), f.length);
            break;
        case gw::ObjectState::LengthTooLarge:
            add(Problem::LengthTooLarge, Severity::Refused, gw::lengthKey(i), f.length, gw::MAX_DATA_LENGTH);
            break;
        case gw::ObjectState::DataMissing:
            add(Problem::KeyMissing, Severity::Refused, gw::dataKey(i));
            break;
        case gw::ObjectState::DataShort:
            add(Problem::DataShort, Severity::Refused, gw::dataKey(i), static_cast<int64_t>(f.dataBytes), f.length);
            break;
        case gw::ObjectState::DataLonger:
            add(Problem::DataLonger, Severity::Refused, gw::dataKey(i), static_cast<int64_t>(f.dataBytes), f.length);
            break;
        case gw::ObjectState::DataStray:
            add(Problem::DataStray, Severity::Refused, gw::dataKey(i), static_cast<int64_t>(f.dataBytes), f.length);
            break;
        case gw::ObjectState::Usable:
            break;
        }
        inspectNumber(file, gw::lengthKey(i));
    }
}

void CFileInspection::inspectSkds(CFileManager& file)
{
    m_fileList = bus::fileSkdList(file);
    hasMaster = file.containsKey(bus::kMasterKey);
    masterStored = file.getInt(bus::kMasterKey);
    masterAddress = bus::readMaster(file);
    masterMode = bus::isMasterMode(masterAddress);
    masterNumber = masterMode ? bus::skdNumber(masterAddress) : 0;

    for (int n = 1; n <= bus::MAX_SKDS; ++n) {
        Skd skd;
        skd.number = n;
        skd.facts = bus::readSkd(file, n);
        const bus::SkdFacts& f = skd.facts;
        if (!f.hasLength && !f.hasData && !f.hasCrc && !f.hasCfg)
            continue;
        skd.listed = f.hasLength;
        skd.image = bus::imageState(f);
        skd.crcUsable = bus::recordUsable(f.hasCrc, f.crcBytes);
        skd.cfgUsable = bus::recordUsable(f.hasCfg, f.cfgBytes);
        skds.push_back(skd);
    }

    if (hasVersion && !(fileVersion > gw::VERSION_WITHOUT_SKDS)) {
        // A file refused anyway needs no word on its SKDs.
        if (restoresTo && (!skds.empty() || hasMaster))
            add(Problem::NoSkdPart, Severity::Incomplete, {});
        return;
    }

    if (hasMaster) {
        inspectNumber(file, bus::kMasterKey);
        const bool plainMaster = masterAddress == bus::ADDR_SKD_BASE ||
                                 (masterAddress >= bus::ADDR_FIRST_SKD && masterAddress <= bus::ADDR_LAST_SKD);
        if (!plainMaster || masterStored != masterAddress)
            add(Problem::MasterOdd, Severity::Note, bus::kMasterKey, masterStored, masterAddress);
    } else if (!skds.empty()) {
        add(Problem::MasterMissing, Severity::Note, bus::kMasterKey);
    }
    if (skds.empty() && !masterMode) {
        add(Problem::NoSkdData, Severity::Note, {});
        return;
    }

    auto find = [this](int n) -> const Skd* {
        for (const Skd& skd : skds)
            if (skd.number == n)
                return &skd;
        return nullptr;
    };
    auto imageProblems = [&](const Skd& skd) {
        const std::string lengthKey = bus::skdKey(skd.number, "DataLength");
        const std::string dataKey = bus::skdKey(skd.number, "Data");
        const bus::SkdFacts& f = skd.facts;
        switch (skd.image) {
        case bus::ImageState::Empty:
            add(Problem::LengthZero, Severity::Incomplete, lengthKey);
            break;
        case bus::ImageState::LengthNegative:
            add(Problem::LengthNegative, Severity::Incomplete, lengthKey, f.length);
            break;
        case bus::ImageState::LengthTooLarge:
            add(Problem::LengthTooLarge, Severity::Incomplete, lengthKey, f.length, bus::REPLY_BUFFER);
            break;
        case bus::ImageState::DataMissing:
            add(Problem::KeyMissing, Severity::Incomplete, dataKey);
            break;
        // The restore's file check refuses Data of the wrong size before anything is written,
        // and the job a cut image before it connects.
        case bus::ImageState::DataShort:
            add(Problem::DataShort, Severity::Refused, dataKey, static_cast<int64_t>(f.dataBytes), f.length);
            break;
        case bus::ImageState::DataLonger:
            add(f.dataBytes > static_cast<size_t>(f.length) ? Problem::DataLonger : Problem::DataStray,
                Severity::Refused, dataKey, static_cast<int64_t>(f.dataBytes), f.length);
            break;
        case bus::ImageState::CutShort:
            add(Problem::ImageCutShort, Severity::Refused, dataKey, f.length, bus::TEMPLATE_SIZE);
            break;
        case bus::ImageState::Usable:
            if (static_cast<uint32_t>(f.length) > bus::TEMPLATE_SIZE)
                add(Problem::ImageBeyondArea, Severity::Note, lengthKey, f.length, bus::TEMPLATE_SIZE);
            break;
        }
        inspectNumber(file, lengthKey);
    };
    // Checked without a CRC, configured without a CFG: both leave the restore incomplete.
    auto recordProblems = [&](int number, const char* field, bool present, size_t bytes) {
        const std::string key = bus::skdKey(number, field);
        if (!present)
            add(Problem::KeyMissing, Severity::Incomplete, key);
        else if (!bus::recordUsable(present, bytes))
            add(Problem::RecordShort, Severity::Incomplete, key, static_cast<int64_t>(bytes), bus::RECORD_SIZE);
        else if (bytes > bus::RECORD_SIZE)
            add(Problem::RecordLonger, Severity::Note, key, static_cast<int64_t>(bytes), bus::RECORD_SIZE);
    };

    if (masterMode) {
        const int source = bus::imageSource(m_fileList, true, 0);
        if (source == 0) {
            add(Problem::MasterWithoutImage, Severity::Incomplete, bus::kMasterKey);
        } else {
            const Skd& image = *find(source);
            imageProblems(image);
            recordProblems(source, "CRC", image.facts.hasCrc, image.facts.crcBytes);
            if (source != masterNumber) {
                add(Problem::MasterImageElsewhere, Severity::Note, bus::skdKey(source, "Data"), 0, masterNumber);
                problems.back().skd = source;
            }
            for (int n : m_fileList)
                if (n != source) {
                    add(Problem::MasterImagesUnused, Severity::Note, bus::skdKey(n, "Data"));
                    problems.back().skd = n;
                }
        }
        // The configuration record is the master's, whichever image is written.
        size_t cfgBytes = 0;
        const bool hasCfg = file.dataSize(bus::skdKey(masterNumber, "CFG"), cfgBytes);
        recordProblems(masterNumber, "CFG", hasCfg, cfgBytes);
    } else {
        for (const Skd& skd : skds) {
            if (!skd.listed)
                continue;
            imageProblems(skd);
            recordProblems(skd.number, "CRC", skd.facts.hasCrc, skd.facts.crcBytes);
            recordProblems(skd.number, "CFG", skd.facts.hasCfg, skd.facts.cfgBytes);
        }
    }
    for (const Skd& skd : skds) {
        if (skd.listed || (masterMode && skd.number == masterNumber))
            continue;
        add(Problem::SkdNotListed, Severity::Incomplete, bus::skdKey(skd.number, "DataLength"));
        problems.back().skd = skd.number;
    }
}

void CFileInspection::inspectKeys(CFileManager& file)
{
    bool neverAnswered = false;
    for (const std::string& key : file.keys()) {
        if (key == gw::VERSION_KEY || key == bus::kMasterKey)
            continue;
        bool objectKey = false;
        for (int i = 0; i < gw::OBJECT_COUNT && !objectKey; ++i)
            objectKey = key == gw::lengthKey(i) || key == gw::dataKey(i);
        if (objectKey)
            continue;
        int number = 0;
        std::string field;
        if (bus::splitSkdKey(key, number, field) && isSkdField(field)) {
            if (number >= 1 && number <= bus::MAX_SKDS)
                continue;
            if (masterMode && number == masterNumber && field == "CFG")
                continue;  // the master's record, read by a master restore
            if (number == kNeverAnswered) {
                // Named once, by the first of its keys.
                if (!neverAnswered)
                    add(Problem::SkdNeverAnswered, Severity::Incomplete, key);
                neverAnswered = true;
                continue;
            }
        }
        add(Problem::UnknownKey, Severity::Note, key);
    }
    for (const CProperty::LoadNote& note : file.loadNotes()) {
        Problem problem;
        problem.kind = note.kind == CProperty::LoadNote::Replaced        ? Problem::LineReplaced
                       : note.kind == CProperty::LoadNote::ByteOrderMark ? Problem::ByteOrderMark
                                                                         : Problem::LineIgnored;
        problem.severity = Severity::Note;
        problem.key = note.key;
        problem.line = note.line;
        problem.laterLine = note.laterLine;
        problem.lineKind = note.kind;
        problems.push_back(std::move(problem));
    }
}

Severity CFileInspection::verdict() const
{
    Severity worst = Severity::Note;
    for (const Problem& problem : problems)
        worst = std::max(worst, problem.severity);
    return worst;
}

bool CFileInspection::skdRestorable(int number) const
{
    if (!readable || !skdPart || number < 1 || number > bus::MAX_SKDS)
        return false;
    const int source = bus::imageSource(m_fileList, masterMode, number);
    for (const Skd& skd : skds)
        if (skd.number == source)
            return skd.image == bus::ImageState::Usable;
    return false;
}
