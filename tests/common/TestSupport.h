#pragma once

#include "platform/DialogLink.h"

#include "Portable.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace testsupport {

// Whether the tests run in CI (the environment variable CI is set and not empty).
bool inCi();

// Skips the test when the machine lacks something it needs (a locale, a package, a user):
// a reason to fix the machine, not a pass. In CI the test fails instead, so that a green run
// never stands for a path nobody tested. Use in the test body only, like GTEST_SKIP.
#define SKIP_FOR_MISSING(what)                                                               \
    do {                                                                                     \
        if (::testsupport::inCi())                                                           \
            FAIL() << "missing on this machine (CI is set, so not skipped): " << what;        \
        GTEST_SKIP() << "missing on this machine: " << what;                                 \
    } while (0)

// A loopback address of this test program's own: 127.<NEXO_TEST_NET>.<hi>.<lo>.
// The index comes from CMake (fixed per test program), n from the test itself.
std::string loopbackAddress(int n);

// Sets the process-wide time scale for one test and puts it back afterwards.
class ScopedTimeScale
{
public:
    explicit ScopedTimeScale(double scale);
    ~ScopedTimeScale();

private:
    double m_old;
};

// The dialog thread of a test: records every request and answers from its fields.
// Attaches itself to the status sink on construction and detaches on destruction.
class FakeDialog : public CDirectDialogLink
{
public:
    FakeDialog();
    ~FakeDialog() override;

    std::vector<std::string> lines() const;
    std::vector<unsigned> messages() const;
    std::vector<std::string> boxes() const;
    // Every progress report as it was made.
    std::vector<CProgressReport> progressReports() const;
    void clear();

    // Handlers for the synchronous messages; the default answers 1 and does nothing else.
    std::function<long(unsigned)> onMessageHandler;
    // File choice: the path to answer, or an empty path for a cancelled dialog.
    std::string filePath;

protected:
    void onStatusLine(const std::string& line) override;
    long onMessage(unsigned message, long wParam, long lParam) override;
    bool onChooseFile(int jobMode, std::string& path) override;
    void onMessageBox(const std::string& text) override;
    void onProgressReport(const CProgressReport& report) override;

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
    std::vector<unsigned> m_messages;
    std::vector<std::string> m_boxes;
    std::vector<CProgressReport> m_progress;
};

// The reports of each stage begun, in order: one list per stage instance.
std::vector<std::vector<CProgressReport>> progressStages(const std::vector<CProgressReport>& reports);

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes. Throws when the folder cannot be made, so a fixture holding one fails its test.
class ScopedTempDir
{
public:
    explicit ScopedTempDir(const std::string& prefix = "nexo-test");
    ~ScopedTempDir();
    ScopedTempDir(const ScopedTempDir&) = delete;
    ScopedTempDir& operator=(const ScopedTempDir&) = delete;

    const std::string& dir() const { return m_dir; }
    std::string path(const std::string& name) const { return m_dir + "/" + name; }

private:
    std::string m_dir;
};

// Paths and names are UTF-8 on every platform, as the tool takes them.
std::filesystem::path utf8Path(const std::string& path);
std::string utf8Name(const std::filesystem::path& path);
// The whole file as bytes; empty when it cannot be read.
std::string readFile(const std::string& path);
// Replaces the file with content; false when it did not all get written.
bool writeFile(const std::string& path, const std::string& content);
// The lines of a text, without their line ends.
std::vector<std::string> splitLines(const std::string& text);
// The names in a folder, sorted.
std::vector<std::string> folderEntries(const std::string& folder);

bool anyLineContains(const std::vector<std::string>& lines, const std::string& part);
int linesContaining(const std::vector<std::string>& lines, const std::string& part);

// Plain blocking sockets for peers and clients that stand apart from the tool's transport.
using Socket = portable::Socket;
constexpr Socket kNoSocket = portable::kNoSocket;
// A listener on ip:port with SO_REUSEADDR; kNoSocket when the address cannot be had.
Socket listenOn(const std::string& ip, uint16_t port, int backlog);
// A connected socket; kNoSocket when the connect failed.
Socket connectTo(const std::string& ip, uint16_t port);
bool sendAll(Socket fd, const void* data, size_t n);
inline bool sendAll(Socket fd, const std::vector<uint8_t>& bytes)
{
    return sendAll(fd, bytes.data(), bytes.size());
}
// Waits up to timeoutMs (-1: no limit) for something to read, the end of the stream or an
// error; false after the time-out.
bool waitReadable(Socket fd, int timeoutMs);
// Reads until n bytes came, the peer closed or timeoutMs passed in all (-1: no limit).
// Answers the number of bytes read.
size_t readUpTo(Socket fd, void* dest, size_t n, int timeoutMs = -1);
// One message of the bus-module port: the 4-byte header (frame length in bytes 2 and 3, low
// byte first) and its frame. Empty when a part did not all come within timeoutMs.
std::vector<uint8_t> readBusMessage(Socket fd, int timeoutMs = -1);

}  // namespace testsupport
