#include "TestSupport.h"

#include "job/CMessage.h"
#include "platform/TimeScale.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace testsupport {

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

void FakeDialog::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lines.clear();
    m_messages.clear();
    m_boxes.clear();
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
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder " + pattern);
    m_dir = pattern;
}

ScopedTempDir::~ScopedTempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool writeFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
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
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
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

sockaddr_in ipv4Address(const std::string& ip, uint16_t port)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    ::inet_pton(AF_INET, ip.c_str(), &sa.sin_addr);
    return sa;
}

int listenOn(const std::string& ip, uint16_t port, int backlog)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    const sockaddr_in sa = ipv4Address(ip, port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0 || ::listen(fd, backlog) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int connectTo(const std::string& ip, uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const sockaddr_in sa = ipv4Address(ip, port);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool sendAll(int fd, const void* data, size_t n)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t sent = 0;
    while (sent < n) {
        const ssize_t r = ::send(fd, bytes + sent, n - sent, MSG_NOSIGNAL);
        if (r <= 0)
            return false;
        sent += static_cast<size_t>(r);
    }
    return true;
}

size_t readUpTo(int fd, void* dest, size_t n, int timeoutMs)
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
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, wait) <= 0)
            break;
        const ssize_t r = ::recv(fd, bytes + got, n - got, 0);
        if (r <= 0)
            break;
        got += static_cast<size_t>(r);
    }
    return got;
}

std::vector<uint8_t> readBusMessage(int fd, int timeoutMs)
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
