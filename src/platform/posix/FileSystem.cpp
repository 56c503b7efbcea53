// Files over POSIX: descriptors, fsync and rename(2).
#include "platform/FileSystem.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fsys {

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

int checkReplaceable(const std::string& path, std::string* resolved)
{
    std::string target;
    int error = 0;
    if (!resolveLinks(path, target, error))
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

bool readFile(const std::string& path, std::string& content)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::string read;
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
        read.append(buffer.data(), static_cast<size_t>(n));
    }
    ::close(fd);
    content = std::move(read);
    return true;
}

int replaceFile(const std::string& path, const std::string& content)
{
    std::string target;
    if (const int error = checkReplaceable(path, &target))
        return error;
    struct stat st;
    const bool exists = ::stat(target.c_str(), &st) == 0;

    std::string temporary;
    const int fd = createTemporary(dirName(target), temporary);
    if (fd < 0)
        return errno;

    auto discard = [&](int error) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return error;
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
        return closeError;
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.c_str());
        return renameError;
    }
    // Make the rename itself durable; the data is already safe, so this is best effort.
    const int dirFd = ::open(dirName(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
    return 0;
}

int checkPrivateFile(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOTDIR ? ENOENT : errno;
    if (!S_ISREG(st.st_mode))
        return EISDIR;
    if (::access(path.c_str(), R_OK) != 0)
        return EACCES;
    // As ssh refuses a key that others could read: the secret is no longer only the owner's.
    if ((st.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        return EPERM;
    return 0;
}

}  // namespace fsys
