// nexo-backup-cli diff: two backup files compared by what a restore reads from them, so line
// order, line ends and the lines loading skips make no difference.
#include "cli/FileCommands.h"

#include "backupfile/CFileManager.h"
#include "bus/SkdKeys.h"
#include "gateway/GatewayFileCheck.h"
#include "platform/Encoding.h"

#include <algorithm>
#include <cstdio>
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
    std::vector<uint8_t> bytes;
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

Side numberSide(CFileManager& file, const std::string& key, bool asFloat)
{
    Side side;
    side.present = file.getText(key, side.text);
    side.reading = asFloat ? file.getFloat(key) : file.getInt(key);
    return side;
}

// lengthKey empty: a record without a length.
Side dataSide(CFileManager& file, const std::string& lengthKey, const std::string& dataKey)
{
    Side side;
    side.hasLength = !lengthKey.empty() && file.containsKey(lengthKey);
    side.length = side.hasLength ? file.getInt(lengthKey) : 0;
    const bool hasData = file.containsKey(dataKey);
    side.present = side.hasLength || hasData;
    side.bytes = decoded(file, dataKey);
    return side;
}

std::string number(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string size(const Side& side)
{
    return std::to_string(side.bytes.size()) + " bytes";
}

class Comparison
{
public:
    Comparison(std::ostream& out) : m_out(out) {}

    void number(const std::string& name, const Side& a, const Side& b)
    {
        if (!oneSided(name, a, b, cp1252ToUtf8(a.text), cp1252ToUtf8(b.text)))
            return;
        if (a.reading == b.reading)
            m_out << name << ": equal (" << ::number(a.reading) << ")\n";
        else
            differs(name, "A " + ::number(a.reading) + ", B " + ::number(b.reading));
    }

    void data(const std::string& name, const Side& a, const Side& b)
    {
        if (!oneSided(name, a, b, size(a), size(b)))
            return;
        if (a.bytes != b.bytes) {
            const auto mismatch = std::mismatch(a.bytes.begin(), a.bytes.end(), b.bytes.begin(), b.bytes.end());
            const size_t offset = static_cast<size_t>(mismatch.first - a.bytes.begin());
            differs(name, "A " + size(a) + ", B " + size(b) + ", first difference at byte " + std::to_string(offset));
        } else if (a.hasLength != b.hasLength || a.length != b.length) {
            auto length = [](const Side& s) { return s.hasLength ? std::to_string(s.length) : std::string("missing"); };
            differs(name, "DataLength A " + length(a) + ", B " + length(b) + ", the data is equal");
        } else {
            m_out << name << ": equal (" << size(a) << ")\n";
        }
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

    std::ostream& m_out;
    bool m_different = false;
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
    Comparison c(out);
    c.number(gw::VERSION_KEY, numberSide(a, gw::VERSION_KEY, true), numberSide(b, gw::VERSION_KEY, true));
    for (int i = 0; i < gw::OBJECT_COUNT; ++i)
        c.data(gw::objectName(i), dataSide(a, gw::lengthKey(i), gw::dataKey(i)),
               dataSide(b, gw::lengthKey(i), gw::dataKey(i)));
    c.number(bus::kMasterKey, numberSide(a, bus::kMasterKey, false), numberSide(b, bus::kMasterKey, false));
    std::set<int> numbers;
    collectSkdNumbers(a, numbers);
    collectSkdNumbers(b, numbers);
    for (int n : numbers) {
        const std::string skd = "SKD" + std::to_string(n);
        c.data(skd + " image", dataSide(a, bus::skdKey(n, "DataLength"), bus::skdKey(n, "Data")),
               dataSide(b, bus::skdKey(n, "DataLength"), bus::skdKey(n, "Data")));
        c.data(skd + ".CFG", dataSide(a, {}, bus::skdKey(n, "CFG")), dataSide(b, {}, bus::skdKey(n, "CFG")));
        c.data(skd + ".CRC", dataSide(a, {}, bus::skdKey(n, "CRC")), dataSide(b, {}, bus::skdKey(n, "CRC")));
    }
    out << (c.different() ? "The files differ.\n" : "The files are equal.\n") << std::flush;
    return c.different() ? 1 : 0;
}
