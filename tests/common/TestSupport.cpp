#include "TestSupport.h"

#include "job/CMessage.h"
#include "platform/TimeScale.h"

#include <algorithm>
#include <cstdio>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <stdexcept>

namespace testsupport {

bool inCi()
{
    const char* ci = std::getenv("CI");
    return ci && *ci;
}

std::string loopbackAddress(int n)
{
    const char* env = std::getenv("NEXO_TEST_NET");
    int index = env ? std::atoi(env) : 200;
    if (index < 1 || index > 254)
        index = 200;
    // Each build folder has a slot of its own, so two builds' suites can run at once.
    const char* slotEnv = std::getenv("NEXO_TEST_SLOT");
    const int slot = slotEnv ? std::atoi(slotEnv) : 0;
    return "127." + std::to_string(index) + "." + std::to_string((slot + n / 250) % 256) + "." +
           std::to_string(n % 250 + 1);
}

ScopedTimeScale::ScopedTimeScale(double scale) : m_old(timeScale())
{
    setTimeScale(scale);
}

ScopedTimeScale::~ScopedTimeScale()
{
    setTimeScale(m_old);
}

FakeDialog::FakeDialog()
{
    CMessage::getInstance()->setListBox(this);
}

FakeDialog::~FakeDialog()
{
    CMessage::getInstance()->setListBox(nullptr);
}

std::vector<std::string> FakeDialog::lines() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lines;
}

std::vector<unsigned> FakeDialog::messages() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_messages;
}

std::vector<std::string> FakeDialog::boxes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_boxes;
}

std::vector<CProgressReport> FakeDialog::progressReports() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_progress;
}

void FakeDialog::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lines.clear();
    m_messages.clear();
    m_boxes.clear();
    m_progress.clear();
}

void FakeDialog::onProgressReport(const CProgressReport& report)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_progress.push_back(report);
}

std::vector<std::vector<CProgressReport>> progressStages(const std::vector<CProgressReport>& reports)
{
    std::vector<std::vector<CProgressReport>> stages;
    for (const CProgressReport& r : reports) {
        if (stages.empty() || stages.back().back().instance != r.instance)
            stages.emplace_back();
        stages.back().push_back(r);
    }
    return stages;
}

void FakeDialog::onStatusLine(const std::string& line)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lines.push_back(line);
}

long FakeDialog::onMessage(unsigned message, long, long)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_messages.push_back(message);
    }
    return onMessageHandler ? onMessageHandler(message) : 1;
}

bool FakeDialog::onChooseFile(int, std::string& path)
{
    if (filePath.empty())
        return false;
    path = filePath;
    return true;
}

void FakeDialog::onMessageBox(const std::string& text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_boxes.push_back(text);
}

ScopedTempDir::ScopedTempDir(const std::string& prefix)
{
    // A name nobody has taken: create_directory answers false for one that exists.
    static std::mt19937_64 random(std::random_device{}() ^
                                  static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    static std::mutex mutex;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        uint64_t value;
        {
            std::lock_guard<std::mutex> lock(mutex);
            value = random();
        }
        char name[17];
        std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(value));
        const std::filesystem::path dir = base / (prefix + "-" + std::string(name, 8));
        std::error_code error;
        if (std::filesystem::create_directory(dir, error)) {
            const std::u8string name = dir.generic_u8string();
            m_dir.assign(name.begin(), name.end());
            return;
        }
        if (error)
            throw std::runtime_error("cannot make a temporary folder in " + base.string() + ": " + error.message());
    }
    throw std::runtime_error("cannot make a temporary folder in " + base.string());
}

ScopedTempDir::~ScopedTempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
}

std::filesystem::path utf8Path(const std::string& path)
{
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::string utf8Name(const std::filesystem::path& path)
{
    const std::u8string name = path.u8string();
    return std::string(name.begin(), name.end());
}

std::string readFile(const std::string& path)
{
    std::ifstream in(utf8Path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool writeFile(const std::string& path, const std::string& content)
{
    std::ofstream out(utf8Path(path), std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    return !out.fail();
}

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

std::vector<std::string> folderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(utf8Path(folder)))
        names.push_back(utf8Name(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

bool anyLineContains(const std::vector<std::string>& lines, const std::string& part)
{
    return linesContaining(lines, part) > 0;
}

int linesContaining(const std::vector<std::string>& lines, const std::string& part)
{
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.find(part) != std::string::npos;
    }));
}

Socket listenOn(const std::string& ip, uint16_t port, int backlog)
{
    return portable::listenOn(ip, port, backlog, false);
}

Socket connectTo(const std::string& ip, uint16_t port)
{
    return portable::connectTo(ip, port);
}

bool sendAll(Socket fd, const void* data, size_t n)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t sent = 0;
    while (sent < n) {
        const long r = portable::sendSome(fd, bytes + sent, n - sent);
        if (r <= 0)
            return false;
        sent += static_cast<size_t>(r);
    }
    return true;
}

bool waitReadable(Socket fd, int timeoutMs)
{
    const auto wait = timeoutMs < 0 ? std::chrono::nanoseconds(-1) : std::chrono::milliseconds(timeoutMs);
    return portable::waitFor(fd, portable::Readable, wait, nullptr) > 0;
}

size_t readUpTo(Socket fd, void* dest, size_t n, int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    auto* bytes = static_cast<uint8_t*>(dest);
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    size_t got = 0;
    while (got < n) {
        int wait = -1;
        if (timeoutMs >= 0) {
            wait = static_cast<int>(
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
            if (wait <= 0)
                break;
        }
        if (!waitReadable(fd, wait))
            break;
        const long r = portable::receiveSome(fd, bytes + got, n - got);
        if (r <= 0)
            break;
        got += static_cast<size_t>(r);
    }
    return got;
}

std::vector<uint8_t> readBusMessage(Socket fd, int timeoutMs)
{
    std::vector<uint8_t> message(4);
    if (readUpTo(fd, message.data(), 4, timeoutMs) != 4)
        return {};
    const size_t length = message[2] | message[3] << 8;
    message.resize(4 + length);
    if (readUpTo(fd, message.data() + 4, length, timeoutMs) != length)
        return {};
    return message;
}

}  // namespace testsupport
