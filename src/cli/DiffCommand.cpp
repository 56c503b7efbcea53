// nexo-backup-cli diff: two backup files compared by what a restore reads from them, so line
// order, line ends and the lines loading skips make no difference.
#include "cli/FileCommands.h"

#include "backupfile/CFileManager.h"
#include "bus/SkdFileCheck.h"
#include "bus/SkdKeys.h"
#include "gateway/GatewayFileCheck.h"
#include "platform/Encoding.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <ostream>
#include <set>
#include <vector>

namespace {

// One item as one file holds it.
struct Side {
    bool present = false;
    std::string text;         // a number item: the value as stored
    double reading = 0;       // ... and as the restore reads it
    bool hasLength = false;   // a data item: its DataLength, when it has one
    int32_t length = 0;
    std::vector<uint8_t> raw;    // everything the value decodes to
    std::vector<uint8_t> bytes;  // what a restore reads of it
};

std::vector<uint8_t> decoded(CFileManager& file, const std::string& key)
{
    size_t size = 0;
    if (!file.dataSize(key, size))
        return {};
    std::vector<uint8_t> bytes(size);
    size_t written = 0;
    file.readData(key, bytes.data(), bytes.size(), &written);
    bytes.resize(written);
    return bytes;
}

Side numberSide(CFileManager& file, const std::string& key, double reading)
{
    Side side;
    side.present = file.getText(key, side.text);
    side.reading = reading;
    return side;
}

// lengthKey empty: a record, read as its first RECORD_SIZE bytes. Otherwise the restore reads
// DataLength bytes, of an SKD image no more than the template area takes.
Side dataSide(CFileManager& file, const std::string& lengthKey, const std::string& dataKey, size_t limit)
{
    Side side;
    side.hasLength = !lengthKey.empty() && file.containsKey(lengthKey);
    side.length = side.hasLength ? file.getInt(lengthKey) : 0;
    const bool hasData = file.containsKey(dataKey);
    side.present = side.hasLength || hasData;
    side.raw = decoded(file, dataKey);
    const size_t wanted = lengthKey.empty() ? limit : std::min(limit, static_cast<size_t>(std::max(0, side.length)));
    side.bytes.assign(side.raw.begin(), side.raw.begin() + static_cast<long>(std::min(wanted, side.raw.size())));
    return side;
}

std::string number(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string size(const std::vector<uint8_t>& bytes)
{
    return std::to_string(bytes.size()) + " bytes";
}

class Comparison
{
public:
    Comparison(std::ostream& out) : m_out(out) {}

    void number(const std::string& name, const Side& a, const Side& b)
    {
        if (!oneSided(name, a, b, cp1252ToUtf8(a.text), cp1252ToUtf8(b.text)))
            return;
        if (a.reading != b.reading) {
            differs(name, "A " + ::number(a.reading) + ", B " + ::number(b.reading));
            return;
        }
        m_out << name << ": equal (" << ::number(a.reading) << ")\n";
        if (a.text != b.text)
            note(name + " is " + cp1252ToUtf8(a.text) + " in A and " + cp1252ToUtf8(b.text) + " in B, both read as " +
                 ::number(a.reading));
    }

    // dataKey names the stored value in the notes.
    void data(const std::string& name, const std::string& dataKey, const Side& a, const Side& b)
    {
        if (!oneSided(name, a, b, size(a.bytes), size(b.bytes)))
            return;
        if (a.bytes != b.bytes) {
            const auto mismatch = std::mismatch(a.bytes.begin(), a.bytes.end(), b.bytes.begin(), b.bytes.end());
            const size_t offset = static_cast<size_t>(mismatch.first - a.bytes.begin());
            differs(name, "A " + size(a.bytes) + ", B " + size(b.bytes) + ", first difference at byte " +
                              std::to_string(offset));
            return;
        }
        m_out << name << ": equal (" << size(a.bytes) << ")\n";
        if (a.raw != b.raw)
            note(dataKey + " differs beyond the " + size(a.bytes) + " a restore reads (A " + size(a.raw) + ", B " +
                 size(b.raw) + ")");
        else if (a.hasLength != b.hasLength || a.length != b.length) {
            auto length = [](const Side& s) { return s.hasLength ? std::to_string(s.length) : std::string("missing"); };
            note(name + ": DataLength A " + length(a) + ", B " + length(b) + ", but a restore reads the same bytes");
        }
    }

    // Raw differences a restore never sees: listed after the items, never counted.
    void printNotes()
    {
        for (const std::string& line : m_notes)
            m_out << "note: " << line << '\n';
    }

    bool different() const { return m_different; }

private:
    // False when at most one file has the item (said so here).
    bool oneSided(const std::string& name, const Side& a, const Side& b, const std::string& aWhat,
                  const std::string& bWhat)
    {
        if (a.present && b.present)
            return true;
        if (a.present)
            differs(name, "only in A (" + aWhat + ")");
        else if (b.present)
            differs(name, "only in B (" + bWhat + ")");
        return false;
    }

    void differs(const std::string& name, const std::string& how)
    {
        m_different = true;
        m_out << name << ": " << (how.rfind("only", 0) == 0 ? how : "differs: " + how) << '\n';
    }

    void note(const std::string& text) { m_notes.push_back(text); }

    std::ostream& m_out;
    bool m_different = false;
    std::vector<std::string> m_notes;
};

// The SKD numbers with any record in the file, master key aside.
void collectSkdNumbers(CFileManager& file, std::set<int>& numbers)
{
    for (const std::string& key : file.keys()) {
        int n = 0;
        std::string field;
        if (bus::splitSkdKey(key, n, field) && n != 0 &&
            (field == "DataLength" || field == "Data" || field == "CFG" || field == "CRC"))
            numbers.insert(n);
    }
}

}  // namespace

int diffCommand(const std::string& pathA, const std::string& pathB, std::ostream& out, std::ostream& err)
{
    CFileManager a;
    CFileManager b;
    a.open(pathA);
    b.open(pathB);
    for (auto [file, path] : {std::pair{&a, &pathA}, std::pair{&b, &pathB}})
        if (!file->load()) {
            err << "nexo-backup-cli: the backup file " << *path << " cannot be read\n" << std::flush;
            return 2;
        }

    out << "A: " << pathA << "\nB: " << pathB << '\n';
    out << "Compared as a restore reads them; what a restore ignores is listed as notes.\n";
    Comparison c(out);
    c.number(gw::VERSION_KEY, numberSide(a, gw::VERSION_KEY, a.getFloat(gw::VERSION_KEY)),
             numberSide(b, gw::VERSION_KEY, b.getFloat(gw::VERSION_KEY)));
    const size_t anyLength = std::numeric_limits<size_t>::max();
    for (int i = 0; i < gw::OBJECT_COUNT; ++i)
        c.data(gw::objectName(i), gw::dataKey(i), dataSide(a, gw::lengthKey(i), gw::dataKey(i), anyLength),
               dataSide(b, gw::lengthKey(i), gw::dataKey(i), anyLength));
    c.number(bus::kMasterKey, numberSide(a, bus::kMasterKey, bus::readMaster(a)),
             numberSide(b, bus::kMasterKey, bus::readMaster(b)));
    std::set<int> numbers;
    collectSkdNumbers(a, numbers);
    collectSkdNumbers(b, numbers);
    for (int n : numbers) {
        const std::string skd = "SKD" + std::to_string(n);
        const std::string image = bus::skdKey(n, "Data");
        c.data(skd + " image", image, dataSide(a, bus::skdKey(n, "DataLength"), image, bus::TEMPLATE_SIZE),
               dataSide(b, bus::skdKey(n, "DataLength"), image, bus::TEMPLATE_SIZE));
        for (const char* record : {"CFG", "CRC"}) {
            const std::string key = bus::skdKey(n, record);
            c.data(key, key, dataSide(a, {}, key, bus::RECORD_SIZE), dataSide(b, {}, key, bus::RECORD_SIZE));
        }
    }
    c.printNotes();
    out << (c.different() ? "The files differ.\n" : "The files are equal.\n") << std::flush;
    return c.different() ? 1 : 0;
}
