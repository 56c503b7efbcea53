// Any bytes as a backup file: every key reads the same through each typed read before and
// after the file is saved and loaded again, decoding stays inside the space given, and a
// saved file saved once more comes out byte for byte the same. Its inspection reaches the
// verdict of the restore's own check of it, and neither writes the file.

#include "backupfile/CFileManager.h"
#include "backupfile/CProperty.h"
#include "job/CFileInspection.h"
#include "job/CRestoreCheck.h"

#include "FuzzCheck.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// A folder of this process's own, on a memory file system where there is one (saves fsync).
const std::string& folder()
{
    static const std::string dir = [] {
        std::string base = "/tmp";
        if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp)
            base = tmp;
        else if (::access("/dev/shm", W_OK) == 0)
            base = "/dev/shm";
        std::string pattern = base + "/nexo-fuzz-XXXXXX";
        FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
        return pattern;
    }();
    static const bool cleanup = (std::atexit([] {
                                     ::unlink((folder() + "/backup.mrk").c_str());
                                     ::rmdir(folder().c_str());
                                 }),
                                 true);
    (void)cleanup;
    return dir;
}

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The keys a file may hold: what stands before the first "=" of each line.
std::vector<std::string> candidateKeys(const std::string& content)
{
    std::vector<std::string> keys;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        const size_t equals = content.find('=', start);
        if (equals != std::string::npos && equals < end && equals > start)
            keys.push_back(content.substr(start, equals - start));
        start = end + 1;
    }
    return keys;
}

struct Reading
{
    bool present = false;
    int32_t integer = 0;
    uint32_t floatBits = 0;
    std::vector<uint8_t> data;

    bool operator==(const Reading&) const = default;
};

Reading readKey(CFileManager& file, const std::string& key)
{
    Reading r;
    r.present = file.containsKey(key);
    r.integer = file.getInt(key);
    const float f = file.getFloat(key);
    std::memcpy(&r.floatBits, &f, sizeof f);
    size_t size = 0;
    FUZZ_CHECK(file.dataSize(key, size) == r.present);
    if (!r.present)
        return r;
    // Exactly sized buffers: a byte written past the end is a heap overflow.
    for (const size_t room : {size / 2, size}) {
        std::unique_ptr<uint8_t[]> buffer(new uint8_t[room]);
        size_t decoded = SIZE_MAX;
        FUZZ_CHECK(file.readData(key, buffer.get(), room, &decoded));
        FUZZ_CHECK(decoded == room);
        if (room == size)
            r.data.assign(buffer.get(), buffer.get() + room);
    }
    return r;
}

std::vector<Reading> readAllKeys(const std::string& path, const std::vector<std::string>& keys)
{
    CFileManager file;
    file.open(path);
    std::vector<Reading> readings;
    for (const std::string& key : keys)
        readings.push_back(readKey(file, key));
    return readings;
}

// Loads the file, stores one pair again unchanged and saves; false when it holds no pair.
bool loadAndSave(const std::string& path, const std::vector<std::string>& keys)
{
    CProperty property(path);
    for (const std::string& key : keys) {
        std::string value;
        if (property.getValue(key, value)) {
            FUZZ_CHECK(property.setValue(key, value));
            FUZZ_CHECK(property.save());
            return true;
        }
    }
    return false;
}

// inspect and the restore's check may never disagree about a file.
void checkVerdicts(const std::string& path, const std::string& content)
{
    const CFileInspection inspection(path);
    FUZZ_CHECK(inspection.readable);
    CFileManager file;
    file.open(path);
    const CRestoreCheck check(file);
    using Verdict = CRestoreCheck::Verdict;
    const Verdict expected = inspection.verdict() == CFileInspection::Severity::Refused      ? Verdict::Refused
                             : inspection.verdict() == CFileInspection::Severity::Incomplete ? Verdict::Incomplete
                                                                                             : Verdict::Complete;
    FUZZ_CHECK(check.verdict == expected);
    FUZZ_CHECK(file.flush());
    FUZZ_CHECK(readAll(path) == content);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = folder() + "/backup.mrk";
    const std::string content(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        FUZZ_CHECK(out.good());
    }
    const std::vector<std::string> keys = candidateKeys(content);
    const std::vector<Reading> before = readAllKeys(path, keys);
    checkVerdicts(path, content);

    if (!loadAndSave(path, keys)) {
        for (const Reading& r : before)
            FUZZ_CHECK(!r.present);
        return 0;
    }
    const std::string saved = readAll(path);
    FUZZ_CHECK(readAllKeys(path, keys) == before);
    FUZZ_CHECK(loadAndSave(path, keys));
    FUZZ_CHECK(readAll(path) == saved);
    return 0;
}
