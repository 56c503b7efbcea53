#include "backupfile/CProperty.h"

#include "backupfile/CMyMap.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <map>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string dirName(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// The file a save replaces: the end of a chain of symbolic links, so the link itself stays.
// A dangling link resolves to the path it names, which the save then creates.
bool resolveLinks(const std::string& path, std::string& target, int& error)
{
    std::string current = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st;
        if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            target = current;
            return true;
        }
        std::vector<char> buffer(PATH_MAX + 1);
        const ssize_t length = readlink(current.c_str(), buffer.data(), buffer.size());
        if (length < 0) {
            error = errno;
            return false;
        }
        if (static_cast<size_t>(length) >= buffer.size()) {
            error = ENAMETOOLONG;
            return false;
        }
        const std::string link(buffer.data(), static_cast<size_t>(length));
        current = (!link.empty() && link[0] == '/') ? link : dirName(current) + "/" + link;
    }
    error = ELOOP;
    return false;
}

bool writeAll(int fd, const std::string& data)
{
    const char* p = data.data();
    size_t left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

// A new file next to the target, named so that no other save (of this or another process)
// can pick the same name; O_EXCL guarantees we never open someone else's file.
int createTemporary(const std::string& folder, std::string& name)
{
    static std::atomic<unsigned> sequence{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
        name = folder + "/.nexo-" + std::to_string(getpid()) + "-" + std::to_string(sequence++) + "-" +
               std::to_string(static_cast<unsigned long long>(ticks) % 1000000007ULL) + ".tmp";
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

}  // namespace

int CProperty::checkSaveTarget(const std::string& fileName, std::string* resolved)
{
    std::string target;
    int error = 0;
    if (!resolveLinks(fileName, target, error))
        return error;

    struct stat st;
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return EISDIR;
        // Renaming over a device or a pipe would replace it with a plain file.
        if (!S_ISREG(st.st_mode))
            return EINVAL;
        // Replacing by rename would get round a missing write permission; refuse instead.
        if (::access(target.c_str(), W_OK) != 0)
            return errno;
    } else if (errno != ENOENT) {
        return errno;
    }
    // The temporary file is made beside the target.
    if (::access(dirName(target).c_str(), W_OK | X_OK) != 0)
        return errno;
    if (resolved)
        *resolved = target;
    return 0;
}

CProperty::CProperty(const std::string& fileName) : m_fileName(fileName), m_map(std::make_unique<CMyMap>()) {}

CProperty::~CProperty()
{
    // After a failed save the caller has been told and has reported it; a save here could
    // not be reported, so the file is not written again behind its back.
    if (!m_saveFailed)
        flush();
}

bool CProperty::load()
{
    const int fd = ::open(m_fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Read everything first so that a read error leaves the tree untouched.
    std::string content;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        content.append(buffer.data(), static_cast<size_t>(n));
    }
    ::close(fd);

    m_loadNotes.clear();
    std::map<std::string, size_t> lineOfKey;  // where each stored key came from
    size_t start = 0;
    for (size_t number = 1; start < content.size(); ++number) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        size_t lineEnd = end;
        if (lineEnd > start && content[lineEnd - 1] == '\r')
            --lineEnd;
        const std::string_view line(content.data() + start, lineEnd - start);
        start = end + 1;
        const size_t equals = line.find('=');
        // No "=", "=" first or nothing after it: not a pair. Over-long keys are refused
        // by the tree and so skipped too. Each skip is noted for the file's inspection.
        if (line.empty()) {
            m_loadNotes.push_back({LoadNote::Blank, number, {}});
            continue;
        }
        if (equals == std::string_view::npos) {
            m_loadNotes.push_back({LoadNote::NoEquals, number, {}});
            continue;
        }
        if (equals == 0) {
            m_loadNotes.push_back({LoadNote::EmptyKey, number, {}});
            continue;
        }
        std::string key(line.substr(0, equals));
        if (equals + 1 == line.size()) {
            m_loadNotes.push_back({LoadNote::EmptyValue, number, std::move(key)});
            continue;
        }
        if (!m_map->insert(key, std::string(line.substr(equals + 1)))) {
            m_loadNotes.push_back({LoadNote::KeyTooLong, number, std::move(key)});
            continue;
        }
        auto [it, fresh] = lineOfKey.try_emplace(key, number);
        if (!fresh) {
            m_loadNotes.push_back({LoadNote::Replaced, it->second, key, number});
            it->second = number;
        }
    }
    // Replaced lines are found late; the notes read best in line order.
    std::stable_sort(m_loadNotes.begin(), m_loadNotes.end(),
                     [](const LoadNote& a, const LoadNote& b) { return a.line < b.line; });
    return true;
}

bool CProperty::save()
{
    std::string content;
    std::vector<std::string> keys;
    m_map->getKeys(keys);
    for (const std::string& key : keys) {
        std::string value;
        m_map->getValue(key, value);
        content.append(key).append(1, '=').append(value).append("\r\n");
    }

    auto fail = [this](int error) {
        m_lastError = error;
        m_saveFailed = true;
        return false;
    };

    std::string target;
    if (const int error = checkSaveTarget(m_fileName, &target))
        return fail(error);
    struct stat st;
    const bool exists = ::stat(target.c_str(), &st) == 0;

    std::string temporary;
    const int fd = createTemporary(dirName(target), temporary);
    if (fd < 0)
        return fail(errno);

    auto discard = [&](int errorNumber) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return fail(errorNumber);
    };
    if (exists) {
        if (::fchmod(fd, st.st_mode & 07777) != 0)
            return discard(errno);
        // Keeps the owner when root saves someone else's file; others cannot and need not.
        if (st.st_uid != ::geteuid() || st.st_gid != ::getegid())
            (void)!::fchown(fd, st.st_uid, st.st_gid);
    }
    if (!writeAll(fd, content))
        return discard(errno);
    if (::fsync(fd) != 0)
        return discard(errno);
    if (::close(fd) != 0) {
        const int closeError = errno;
        ::unlink(temporary.c_str());
        return fail(closeError);
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.c_str());
        return fail(renameError);
    }
    // Make the rename itself durable; the data is already safe, so this is best effort.
    const int dirFd = ::open(dirName(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
    m_dirty = false;
    m_saveFailed = false;
    m_lastError = 0;
    return true;
}

bool CProperty::flush()
{
    return m_dirty ? save() : true;
}

void CProperty::loadOnDemand()
{
    if (m_map->getCounter() == 0)
        load();
}

bool CProperty::setValue(const std::string& key, const std::string& value)
{
    if (!m_map->insert(key, value))
        return false;
    m_dirty = true;
    return true;
}

bool CProperty::getValue(const std::string& key, std::string& value)
{
    loadOnDemand();
    return m_map->getValue(key, value);
}

std::vector<std::string> CProperty::keys()
{
    loadOnDemand();
    std::vector<std::string> list;
    m_map->getKeys(list);
    return list;
}

bool CProperty::contains(const std::string& key)
{
    loadOnDemand();
    return m_map->contains(key);
}
