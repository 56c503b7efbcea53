// nexo-backup-cli inspect: the facts and problems of CFileInspection as text or JSON.
#include "cli/FileCommands.h"

#include "bus/SkdKeys.h"
#include "job/CFileInspection.h"
#include "platform/Encoding.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <sstream>

namespace {

using Problem = CFileInspection::Problem;
using Severity = CFileInspection::Severity;

// Keys and values are bytes of the system's code page; the terminal and JSON take UTF-8.
std::string shown(const std::string& bytes)
{
    return cp1252ToUtf8(bytes);
}

std::string number(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

const char* severityName(Severity severity)
{
    switch (severity) {
    case Severity::Refused:
        return "refused";
    case Severity::Incomplete:
        return "incomplete";
    case Severity::Note:
        break;
    }
    return "note";
}

const char* code(Problem::Kind kind)
{
    switch (kind) {
    case Problem::KeyMissing: return "key-missing";
    case Problem::LengthNegative: return "length-negative";
    case Problem::LengthTooLarge: return "length-too-large";
    case Problem::LengthZero: return "length-zero";
    case Problem::DataShort: return "data-short";
    case Problem::DataLonger: return "data-longer";
    case Problem::DataStray: return "data-stray";
    case Problem::ImageCutShort: return "image-cut-short";
    case Problem::ImageBeyondArea: return "image-beyond-area";
    case Problem::RecordShort: return "record-short";
    case Problem::RecordLonger: return "record-longer";
    case Problem::NumberNotPlain: return "number-not-plain";
    case Problem::VersionTooOld: return "version-too-old";
    case Problem::VersionUnmatched: return "version-unmatched";
    case Problem::NoSkdPart: return "no-skd-part";
    case Problem::NoSkdData: return "no-skd-data";
    case Problem::SkdNotListed: return "skd-not-listed";
    case Problem::SkdNeverAnswered: return "skd-never-answered";
    case Problem::MasterMissing: return "master-missing";
    case Problem::MasterOdd: return "master-odd";
    case Problem::MasterWithoutImage: return "master-without-image";
    case Problem::MasterImageElsewhere: return "master-image-elsewhere";
    case Problem::MasterImagesUnused: return "master-image-unused";
    case Problem::UnknownKey: return "unknown-key";
    case Problem::LineIgnored: return "line-ignored";
    case Problem::LineReplaced: return "line-replaced";
    case Problem::ByteOrderMark: return "byte-order-mark";
    }
    return "unknown";
}

// The SKD number of an "SKD<n>." key, 0 for any other.
int skdOf(const std::string& key)
{
    if (key.rfind("SKD", 0) != 0)
        return 0;
    return std::atoi(key.c_str() + 3);
}

bool endsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// What the problem costs the restore, after the facts.
std::string consequence(const Problem& p, const CFileInspection& r)
{
    if (p.severity == Severity::Refused)
        return "the restore refuses the file";
    const int n = skdOf(p.key);
    const std::string skd = "SKD " + std::to_string(n);
    if (endsWith(p.key, ".CRC"))
        return r.masterMode ? "the SKDs cannot be checked and count as not restored"
                            : skd + " cannot be checked and counts as not restored";
    if (endsWith(p.key, ".CFG"))
        return r.masterMode ? "no configuration record is sent" : skd + " gets no configuration record";
    return r.masterMode ? "no SKD is restored" : skd + " is not restored";
}

std::string message(const Problem& p, const CFileInspection& r)
{
    const std::string key = shown(p.key);
    const std::string value = std::to_string(p.value);
    const std::string limit = std::to_string(p.limit);
    switch (p.kind) {
    case Problem::KeyMissing:
        return key + " is missing: " + consequence(p, r);
    case Problem::LengthNegative:
        return key + " is negative (" + value + "): " + consequence(p, r);
    case Problem::LengthTooLarge:
        return key + " is " + value + ", above the limit of " + limit + " bytes: " + consequence(p, r);
    case Problem::LengthZero:
        return key + " is 0: " + consequence(p, r);
    case Problem::DataShort:
        return key + " decodes to " + value + " bytes, fewer than its DataLength of " + limit + ": " +
               consequence(p, r);
    case Problem::DataLonger:
        return key + " decodes to " + value + " bytes, more than its DataLength of " + limit + ": " + consequence(p, r);
    case Problem::DataStray:
        return key + " decodes to " + value + " bytes and one stray character: " + consequence(p, r);
    case Problem::ImageCutShort:
        return key + " is incomplete: " + value + " of the " + limit +
               " bytes of the template area (the backup was cut short): " + consequence(p, r) +
               (r.masterMode ? ", --skd none restores the gateway alone" : ", --skd restores the other SKDs alone");
    case Problem::ImageBeyondArea:
        return key + " is " + value + ": only the first " + limit + " bytes fit the template area and are written";
    case Problem::RecordShort:
        return key + " holds " + value + " bytes, not " + limit + ": " + consequence(p, r);
    case Problem::RecordLonger:
        return key + " holds " + value + " bytes: only the first " + limit + " are used";
    case Problem::NumberNotPlain:
        return key + " is \"" + shown(p.text) + "\", read as " + number(p.reading);
    case Problem::VersionTooOld:
        return key + " is \"" + shown(p.text) + "\": files older than version 104 are not restored";
    case Problem::VersionUnmatched:
        return key + " is \"" + shown(p.text) + "\": no gateway has that version, so the file restores to none";
    case Problem::NoSkdPart:
        return "the file holds SKD records, but a gateway of version " + std::to_string(r.restoresTo.value_or(0)) +
               " has no SKDs: they are not restored";
    case Problem::NoSkdData:
        return "the file holds no SKD image: the restore writes no SKD";
    case Problem::SkdNotListed:
        return "SKD " + std::to_string(p.skd) + " has records but no DataLength: it is not restored";
    case Problem::SkdNeverAnswered:
        return key + ": an SKD did not answer during the backup, and its data is not in the file";
    case Problem::MasterMissing:
        return "SKD0.MASTER is missing: single mode";
    case Problem::MasterOdd: {
        const uint8_t address = static_cast<uint8_t>(p.limit);
        std::string mode = "single mode";
        if (bus::isMasterMode(address))
            mode = "master mode with master SKD " + std::to_string(bus::skdNumber(address));
        return "SKD0.MASTER is " + value + ", read as the address " + limit + ": " + mode;
    }
    case Problem::MasterWithoutImage:
        return "master mode with master SKD " + std::to_string(r.masterNumber) +
               ", but the file holds no SKD image: no SKD is restored";
    case Problem::MasterImageElsewhere:
        return "master mode with master SKD " + limit + ", but the image and CRC written to every SKD are SKD " +
               std::to_string(p.skd) + "'s";
    case Problem::MasterImagesUnused:
        return "master mode: the image of SKD " + std::to_string(p.skd) +
               " is not restored, every SKD gets the master's";
    case Problem::UnknownKey:
        return key + " is no key the restore reads";
    case Problem::LineIgnored: {
        const std::string line = "line " + std::to_string(p.line);
        switch (p.lineKind) {
        case CProperty::LoadNote::Blank:
            return line + " is empty";
        case CProperty::LoadNote::NoEquals:
            return line + " has no \"=\" and is ignored";
        case CProperty::LoadNote::EmptyKey:
            return line + " begins with \"=\" and is ignored";
        case CProperty::LoadNote::EmptyValue:
            return line + " (" + key + ") has an empty value and is ignored";
        case CProperty::LoadNote::KeyTooLong:
            return line + " has a key longer than 254 bytes and is ignored";
        case CProperty::LoadNote::Replaced:
        case CProperty::LoadNote::ByteOrderMark:
            break;
        }
        return line + " is ignored";
    }
    case Problem::LineReplaced:
        return "line " + std::to_string(p.line) + " (" + key + ") is replaced by line " + std::to_string(p.laterLine) +
               ": the later line wins";
    case Problem::ByteOrderMark:
        return "the file begins with a UTF-8 byte order mark, which is skipped";
    }
    return key;
}

const char* verdictName(const CFileInspection& r)
{
    switch (r.verdict()) {
    case Severity::Refused:
        return "refused";
    case Severity::Incomplete:
        return "incomplete";
    case Severity::Note:
        break;
    }
    return "complete";
}

std::string versionLine(const CFileInspection& r)
{
    if (!r.hasVersion)
        return "missing";
    std::string line = shown(r.versionText);
    if (r.restoresTo)
        line += " (restores to a gateway of version " + std::to_string(*r.restoresTo) + " only)";
    else
        line += " (restores to no gateway)";
    return line;
}

std::string recordText(bool present, size_t bytes, bool usable)
{
    if (!present)
        return "missing";
    if (!usable)
        return "short (" + std::to_string(bytes) + " bytes)";
    return "there";
}

void printText(const CFileInspection& r, std::ostream& out)
{
    out << "File: " << r.path << '\n';
    out << "Gateway version: " << versionLine(r) << '\n';
    out << "Objects:\n";
    for (const CFileInspection::Object& o : r.objects) {
        out << "  " << o.name << ": ";
        if (o.facts.hasLength)
            out << o.facts.length << " bytes\n";
        else
            out << "no DataLength\n";
    }
    if (r.masterMode)
        out << "SKDs: master mode, master SKD " << r.masterNumber << '\n';
    else
        out << "SKDs: single mode\n";
    for (const CFileInspection::Skd& s : r.skds) {
        out << "  SKD " << s.number << ": ";
        if (s.facts.hasLength)
            out << "template image " << s.facts.length << " bytes";
        else
            out << "no DataLength";
        out << ", CFG " << recordText(s.facts.hasCfg, s.facts.cfgBytes, s.cfgUsable) << ", CRC "
            << recordText(s.facts.hasCrc, s.facts.crcBytes, s.crcUsable) << '\n';
    }
    if (r.problems.empty()) {
        out << "Problems: none\n";
    } else {
        out << "Problems:\n";
        for (const Problem& p : r.problems)
            out << "  " << severityName(p.severity) << ": " << message(p, r) << '\n';
    }
    switch (r.verdict()) {
    case Severity::Refused:
        out << "Verdict: refused: a restore would refuse this file\n";
        break;
    case Severity::Incomplete:
        out << "Verdict: incomplete: a restore would leave part of this file unrestored\n";
        break;
    case Severity::Note:
        out << "Verdict: complete: a restore would find this file complete\n";
        break;
    }
}

using Json = nlohmann::ordered_json;

template <typename T>
Json optional(bool present, T value)
{
    return present ? Json(value) : Json(nullptr);
}

void printJson(const CFileInspection& r, std::ostream& out)
{
    Json doc;
    doc["file"] = r.path;
    // The version as the text shows it ("%g"), not the float's binary digits; a whole number
    // as an integer.
    if (r.hasVersion && std::isfinite(r.fileVersion)) {
        const double shownVersion = std::strtod(number(r.fileVersion).c_str(), nullptr);
        if (shownVersion == std::trunc(shownVersion) && std::fabs(shownVersion) < 1e15)
            doc["version"] = static_cast<int64_t>(shownVersion);
        else
            doc["version"] = shownVersion;
    } else {
        doc["version"] = nullptr;
    }
    doc["restoresTo"] = optional(r.restoresTo.has_value(), r.restoresTo.value_or(0));
    Json objects = Json::array();
    for (const CFileInspection::Object& o : r.objects)
        objects.push_back({{"name", o.name},
                           {"dataLength", optional(o.facts.hasLength, o.facts.length)},
                           {"dataBytes", optional(o.facts.hasData, o.facts.dataBytes)}});
    doc["objects"] = std::move(objects);
    doc["mode"] = r.masterMode ? "master" : "single";
    doc["master"] = optional(r.masterMode, r.masterNumber);
    Json skds = Json::array();
    for (const CFileInspection::Skd& s : r.skds)
        skds.push_back({{"number", s.number},
                        {"dataLength", optional(s.facts.hasLength, s.facts.length)},
                        {"dataBytes", optional(s.facts.hasData, s.facts.dataBytes)},
                        {"cfgBytes", optional(s.facts.hasCfg, s.facts.cfgBytes)},
                        {"crcBytes", optional(s.facts.hasCrc, s.facts.crcBytes)},
                        {"cfg", s.cfgUsable},
                        {"crc", s.crcUsable}});
    doc["skds"] = std::move(skds);
    Json problems = Json::array();
    for (const Problem& p : r.problems)
        problems.push_back({{"severity", severityName(p.severity)},
                            {"code", code(p.kind)},
                            {"key", p.key.empty() ? Json(nullptr) : Json(shown(p.key))},
                            {"line", optional(p.line != 0, p.line)},
                            {"message", message(p, r)}});
    doc["problems"] = std::move(problems);
    doc["verdict"] = verdictName(r);
    // The path is the command line's bytes, which need not be UTF-8.
    out << doc.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

}  // namespace

int inspectCommand(const std::string& file, bool json, std::ostream& out, std::ostream& err)
{
    const CFileInspection inspection(file);
    if (!inspection.readable) {
        err << "nexo-backup-cli: the backup file " << file << " cannot be read\n" << std::flush;
        return 2;
    }
    if (json)
        printJson(inspection, out);
    else
        printText(inspection, out);
    out.flush();
    return inspection.complete() ? 0 : 1;
}
