// Files over the wide Windows functions: the write flushed with FlushFileBuffers, the rename
// with MoveFileExW. Paths are UTF-8 and taken to UTF-16; Windows errors become errno values.
#include "platform/FileSystem.h"

#include "platform/win32/Wide.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <vector>

namespace fsys {

namespace {

int errnoFromWin32(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL:
        return ENOSPC;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_PARAMETER:
        return EINVAL;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_CANT_RESOLVE_FILENAME:
        return ELOOP;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    default:
        return EIO;
    }
}

// The path as the wide functions take it: paths of MAX_PATH characters and more (a long
// target plus the temporary name's 30) only in the extended-length form, which takes no "/",
// "." or "..", so the full path is made first. Shorter paths stay as they are.
std::wstring apiPath(const std::wstring& path)
{
    // 248: CreateDirectoryW's limit, below CreateFileW's 260.
    constexpr size_t kShortEnough = 248;
    if (path.size() < kShortEnough || path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\\\.\\", 0) == 0)
        return path;
    const DWORD n = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return path;
    std::wstring full(n, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    if (length == 0 || length >= n)
        return path;
    full.resize(length);
    if (full.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

DWORD attributesOf(const std::wstring& path)
{
    return ::GetFileAttributesW(apiPath(path).c_str());
}

HANDLE openFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
    return ::CreateFileW(apiPath(path).c_str(), access, share, nullptr, disposition, flags, nullptr);
}

// What goes before a name to put it in the path's folder: empty (the current folder), a
// drive ("C:", its current folder) or the folder with its trailing separator.
std::wstring folderPrefix(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"/\\");
    if (slash != std::wstring::npos)
        return path.substr(0, slash + 1);
    if (path.size() >= 2 && path[1] == L':')
        return path.substr(0, 2);
    return {};
}

// The folder itself, to ask about it: "." for the current folder; a root keeps its separator.
std::wstring folderOf(const std::wstring& path)
{
    std::wstring folder = folderPrefix(path);
    if (folder.empty())
        return L".";
    if (folder.back() == L':')
        return folder + L".";
    if (folder.size() > 1 && folder[folder.size() - 2] != L':')
        folder.pop_back();
    return folder;
}

// A path that cannot be reached: ENOTDIR when the nearest thing that exists on the way is a
// file, else ENOENT, as POSIX tells the two apart.
int unreachableError(const std::wstring& path)
{
    std::wstring current = path;
    for (int depth = 0; depth < 256; ++depth) {
        const std::wstring up = folderOf(current);
        if (up == L"." || up == current)
            break;
        const DWORD attributes = attributesOf(up);
        if (attributes != INVALID_FILE_ATTRIBUTES)
            return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ENOENT : ENOTDIR;
        current = up;
    }
    return ENOENT;
}

// Virus scanners and the search indexer open a file that has just been written for a moment,
// without letting it be deleted or replaced: such a refusal is tried again for about a second
// before it counts.
bool retriedWhileBusy(const std::function<bool()>& attempt)
{
    constexpr DWORD kPausesMs[] = {10, 20, 40, 80, 150, 250, 450};
    for (const DWORD pause : kPausesMs) {
        if (attempt())
            return true;
        const DWORD error = ::GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED && error != ERROR_LOCK_VIOLATION)
            return false;
        ::Sleep(pause);
        ::SetLastError(error);
    }
    return attempt();
}

class Handle
{
public:
    explicit Handle(HANDLE h) : m_h(h) {}
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return m_h != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return m_h; }
    bool close()
    {
        const bool ok = !valid() || ::CloseHandle(m_h);
        m_h = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE m_h;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

struct Target {
    std::wstring path;      // the file a save writes: links followed
    bool exists = false;
    DWORD attributes = 0;   // of the existing file
};

// The checks of checkReplaceable, answering the target for the save.
int examine(const std::wstring& path, Target& target)
{
    target.path = path;
    // Of the name itself: a symbolic link is not followed here.
    const DWORD ownAttributes = attributesOf(path);
    {
        // Follows links to the file they name.
        Handle h(openFile(path, FILE_READ_ATTRIBUTES, kShareAll, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
        if (!h.valid()) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_PATH_NOT_FOUND || error == ERROR_DIRECTORY)
                return unreachableError(path);
            if (error != ERROR_FILE_NOT_FOUND)
                return errnoFromWin32(error);
            // A link whose file is gone: where it leads cannot be asked, so nothing is written.
            if (ownAttributes != INVALID_FILE_ATTRIBUTES)
                return ENOENT;
        } else {
            // Renaming over a device or a pipe would replace it with a plain file.
            if (::GetFileType(h.get()) != FILE_TYPE_DISK)
                return EINVAL;
            BY_HANDLE_FILE_INFORMATION info;
            if (!::GetFileInformationByHandle(h.get(), &info))
                return errnoFromWin32(::GetLastError());
            if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                return EISDIR;
            // Replacing by rename would get round the read-only mark; refuse instead.
            if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
                return EACCES;
            target.exists = true;
            target.attributes = info.dwFileAttributes;
            if (ownAttributes != INVALID_FILE_ATTRIBUTES && (ownAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                std::vector<wchar_t> buffer(MAX_PATH);
                for (;;) {
                    const DWORD n = ::GetFinalPathNameByHandleW(h.get(), buffer.data(),
                                                                static_cast<DWORD>(buffer.size()), 0);
                    if (n == 0)
                        return errnoFromWin32(::GetLastError());
                    if (n < buffer.size()) {
                        target.path.assign(buffer.data(), n);
                        break;
                    }
                    buffer.resize(n + 1);
                }
            }
        }
    }
    if (target.exists) {
        // The rename needs to write and delete the old file: refused by its permissions or
        // by a program that holds it open without letting it go.
        HANDLE h = INVALID_HANDLE_VALUE;
        if (!retriedWhileBusy([&] {
                h = openFile(target.path, GENERIC_WRITE | DELETE, kShareAll, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
                return h != INVALID_HANDLE_VALUE;
            }))
            return errnoFromWin32(::GetLastError());
        ::CloseHandle(h);
    }
    const std::wstring folder = folderOf(target.path);
    const DWORD folderAttributes = attributesOf(folder);
    if (folderAttributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? unreachableError(target.path)
                                                                             : errnoFromWin32(error);
    }
    if (!(folderAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return ENOTDIR;
    return 0;
}

std::wstring temporaryName(const std::wstring& target)
{
    static std::atomic<unsigned> sequence{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    return folderPrefix(target) + L".nexo-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(sequence++) + L"-" +
           std::to_wstring(static_cast<unsigned long long>(ticks) % 1000000007ULL) + L".tmp";
}

// A new file next to the target, named so that no other save (of this or another process)
// can pick the same name; CREATE_NEW guarantees we never open someone else's file.
HANDLE createTemporary(const std::wstring& target, DWORD attributes, std::wstring& name, DWORD& error)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = temporaryName(target);
        const HANDLE h = openFile(name, GENERIC_WRITE, 0, CREATE_NEW, attributes);
        if (h != INVALID_HANDLE_VALUE)
            return h;
        error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return INVALID_HANDLE_VALUE;
    }
    return INVALID_HANDLE_VALUE;
}

bool writeAll(HANDLE h, const std::string& data)
{
    const char* p = data.data();
    size_t left = data.size();
    while (left > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(left, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(h, p, chunk, &written, nullptr) || written == 0)
            return false;
        p += written;
        left -= written;
    }
    return true;
}

}  // namespace

int checkReplaceable(const std::string& path, std::string* resolved)
{
    if (path.empty())
        return ENOENT;
    std::wstring wide;
    if (!win32::widen(path, wide))
        return EINVAL;
    Target target;
    if (const int error = examine(wide, target))
        return error;
    // Whether the folder takes the temporary file is known only by making one.
    std::wstring probe;
    DWORD error = 0;
    const HANDLE h = createTemporary(target.path, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, probe, error);
    if (h == INVALID_HANDLE_VALUE)
        return errnoFromWin32(error);
    ::CloseHandle(h);
    if (resolved)
        *resolved = target.path == wide ? path : win32::narrow(target.path);
    return 0;
}

bool readFile(const std::string& path, std::string& content)
{
    std::wstring wide;
    if (path.empty() || !win32::widen(path, wide))
        return false;
    Handle h(openFile(wide, GENERIC_READ, kShareAll, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN));
    if (!h.valid())
        return false;
    std::string read;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(h.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &n, nullptr))
            return false;
        if (n == 0)
            break;
        read.append(buffer.data(), n);
    }
    content = std::move(read);
    return true;
}

int replaceFile(const std::string& path, const std::string& content)
{
    if (path.empty())
        return ENOENT;
    std::wstring wide;
    if (!win32::widen(path, wide))
        return EINVAL;
    Target target;
    if (const int error = examine(wide, target))
        return error;

    // What stands for the mode here: the old file's marks go to the new one.
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    DWORD attributes = target.exists ? target.attributes & kKept : 0;
    if (attributes == 0)
        attributes = FILE_ATTRIBUTE_NORMAL;

    std::wstring temporary;
    DWORD createError = 0;
    Handle h(createTemporary(target.path, attributes, temporary, createError));
    if (!h.valid())
        return errnoFromWin32(createError);

    auto discard = [&](DWORD error) {
        h.close();
        ::DeleteFileW(apiPath(temporary).c_str());
        return errnoFromWin32(error);
    };
    if (!writeAll(h.get(), content))
        return discard(::GetLastError());
    if (!::FlushFileBuffers(h.get()))
        return discard(::GetLastError());
    if (!h.close())
        return discard(::GetLastError());
    // Write-through: the call returns once the rename is on the disk too.
    const std::wstring from = apiPath(temporary);
    const std::wstring to = apiPath(target.path);
    if (!retriedWhileBusy([&] {
            return ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        }))
        return discard(::GetLastError());
    return 0;
}

int checkPrivateFile(const std::string& path)
{
    std::wstring wide;
    if (!win32::widen(path, wide))
        return ENOENT;
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return ENOENT;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return EISDIR;
    const HANDLE h = ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return EACCES;
    ::CloseHandle(h);
    return 0;
}

}  // namespace fsys
