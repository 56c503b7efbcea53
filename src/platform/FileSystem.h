#pragma once

#include <string>

// Whole-file reads and atomic replacement of files named by UTF-8 paths. Errors are errno
// values (<cerrno>) on every platform, so callers and status lines need no platform code.
namespace fsys {

// Whether replaceFile could replace (or create) path: 0, or the error it would fail with.
// An existing target must be a regular file that may be written (EISDIR for a folder, EINVAL
// for a pipe or device), and its folder must take the temporary file. resolved gets the file
// a save writes (symbolic links followed, so the links themselves stay).
int checkReplaceable(const std::string& path, std::string* resolved = nullptr);

// The whole file; false when it cannot be opened or read (content is then left as it was).
bool readFile(const std::string& path, std::string& content);

// Replaces the file with content so that it is either the old file or the new one, never a
// mix: a temporary file with a unique name in the target's folder, flushed to the disk, then
// renamed over the target. An existing target keeps its permissions. 0 or the error; on
// failure the previous file is left as it was and the temporary is removed.
int replaceFile(const std::string& path, const std::string& content);

// Whether a secret (a password file) may be used: 0; ENOENT when it does not exist, EISDIR
// when it is no regular file, EACCES when it cannot be read, EPERM when group or others may
// read or write it (POSIX; Windows keeps such rights in access lists, which are left to the
// folder's owner).
int checkPrivateFile(const std::string& path);

}  // namespace fsys
