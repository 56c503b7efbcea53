// nexo-backup-cli inspect: the facts and problems of CFileInspection as text or JSON.
#include "cli/FileCommands.h"

#include "bus/SkdKeys.h"
#include "job/CFileInspection.h"
#include "platform/Encoding.h"

#include <cmath>
#include <cstdio>
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
    case Problem::DataWithoutLength: return "data-without-length";
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
        return key + " decodes to " + value + " bytes, more than its DataLength of " + limit + ": only the first " +
               limit + " are restored";
    case Problem::DataWithoutLength:
        return key + " is there but its DataLength is 0: the object is restored empty";
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
            break;
        }
        return line + " is ignored";
    }
    case Problem::LineReplaced:
        return "line " + std::to_string(p.line) + " (" + key + ") is replaced by line " + std::to_string(p.laterLine) +
               ": the later line wins";
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

std::string jsonString(const std::string& utf8)
{
    std::string out = "\"";
    for (const char ch : utf8) {
        const unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

template <typename T>
std::string jsonOptional(bool present, T value)
{
    return present ? std::to_string(value) : "null";
}

void printJson(const CFileInspection& r, std::ostream& out)
{
    out << "{\n";
    out << "  \"file\": " << jsonString(r.path) << ",\n";
    const bool version = r.hasVersion && std::isfinite(r.fileVersion);
    out << "  \"version\": " << (version ? number(r.fileVersion) : "null") << ",\n";
    out << "  \"restoresTo\": " << jsonOptional(r.restoresTo.has_value(), r.restoresTo.value_or(0)) << ",\n";
    out << "  \"objects\": [";
    for (size_t i = 0; i < r.objects.size(); ++i) {
        const CFileInspection::Object& o = r.objects[i];
        out << (i ? ",\n" : "\n") << "    {\"name\": " << jsonString(o.name)
            << ", \"dataLength\": " << jsonOptional(o.facts.hasLength, o.facts.length)
            << ", \"dataBytes\": " << jsonOptional(o.facts.hasData, o.facts.dataBytes) << "}";
    }
    out << "\n  ],\n";
    out << "  \"mode\": \"" << (r.masterMode ? "master" : "single") << "\",\n";
    out << "  \"master\": " << jsonOptional(r.masterMode, r.masterNumber) << ",\n";
    out << "  \"skds\": [";
    for (size_t i = 0; i < r.skds.size(); ++i) {
        const CFileInspection::Skd& s = r.skds[i];
        out << (i ? ",\n" : "\n") << "    {\"number\": " << s.number
            << ", \"dataLength\": " << jsonOptional(s.facts.hasLength, s.facts.length)
            << ", \"dataBytes\": " << jsonOptional(s.facts.hasData, s.facts.dataBytes)
            << ", \"cfgBytes\": " << jsonOptional(s.facts.hasCfg, s.facts.cfgBytes)
            << ", \"crcBytes\": " << jsonOptional(s.facts.hasCrc, s.facts.crcBytes)
            << ", \"cfg\": " << (s.cfgUsable ? "true" : "false") << ", \"crc\": " << (s.crcUsable ? "true" : "false")
            << "}";
    }
    out << (r.skds.empty() ? "],\n" : "\n  ],\n");
    out << "  \"problems\": [";
    for (size_t i = 0; i < r.problems.size(); ++i) {
        const Problem& p = r.problems[i];
        out << (i ? ",\n" : "\n") << "    {\"severity\": \"" << severityName(p.severity) << "\", \"code\": \""
            << code(p.kind) << "\", \"key\": " << (p.key.empty() ? "null" : jsonString(shown(p.key)))
            << ", \"line\": " << jsonOptional(p.line != 0, p.line) << ", \"message\": " << jsonString(message(p, r))
            << "}";
    }
    out << (r.problems.empty() ? "],\n" : "\n  ],\n");
    out << "  \"verdict\": \"" << verdictName(r) << "\"\n";
    out << "}\n";
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
