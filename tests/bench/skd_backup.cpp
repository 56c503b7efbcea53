// One SKD template backup (485 reads and 485 write-backs) against the simulator over
// loopback, next to a bare blocking request/reply loop with messages of the same sizes.

#include "Simulator.h"
#include "SimWire.h"
#include "TestSupport.h"

#include "backupfile/CFileManager.h"
#include "bus/CKandoNetwork.h"
#include "bus/CKandoProtocol.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRuns = 5;
constexpr int kChunks = 485;

bool readAll(int fd, uint8_t* buffer, size_t n)
{
    size_t got = 0;
    while (got < n) {
        const ssize_t r = ::recv(fd, buffer + got, n - got, 0);
        if (r <= 0)
            return false;
        got += static_cast<size_t>(r);
    }
    return true;
}

bool writeAll(int fd, const Bytes& bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t r = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (r <= 0)
            return false;
        sent += static_cast<size_t>(r);
    }
    return true;
}

bool readMessage(int fd)
{
    uint8_t header[4];
    if (!readAll(fd, header, 4))
        return false;
    uint8_t frame[1024];
    return readAll(fd, frame, static_cast<size_t>(header[2] | header[3] << 8));
}

sockaddr_in addressOf(const std::string& ip, uint16_t port)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    ::inet_pton(AF_INET, ip.c_str(), &sa.sin_addr);
    return sa;
}

// The bare loop: the same request and reply sizes, blocking sockets, no protocol work.
double bareLoopMs(const std::string& ip)
{
    const Bytes chunk(128, 0x5A);
    CBusMessage read;
    buildReadChunk(read, 0xC1, 0x30000, 128);
    CBusMessage write;
    buildWriteChunk(write, 0xC1, 0x30000, chunk.data(), 128);
    auto wire = [](const CBusMessage& m) {
        Bytes out{0x01, m.type, static_cast<uint8_t>(m.length), static_cast<uint8_t>(m.length >> 8)};
        out.insert(out.end(), m.frame, m.frame + m.length);
        return out;
    };
    const Bytes readRequest = wire(read);
    const Bytes writeRequest = wire(write);
    const Bytes readReply = sim::wire::busMessage(1, sim::wire::busFrame(0xF0, 0x03, 0xC1, chunk));
    const Bytes writeReply = sim::wire::busMessage(1, sim::wire::busFrame(0xF0, 0x04, 0xC1, {}));

    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    const int one = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in sa = addressOf(ip, 11575);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || ::listen(listener, 1) != 0) {
        std::perror("bare loop listener");
        return -1;
    }
    std::thread server([&] {
        const int fd = ::accept(listener, nullptr, nullptr);
        for (int i = 0; i < kRuns * kChunks; ++i) {
            if (!readMessage(fd) || !writeAll(fd, readReply) || !readMessage(fd) || !writeAll(fd, writeReply))
                break;
        }
        ::close(fd);
    });

    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    ::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    std::vector<double> runs;
    uint8_t buffer[1024];
    for (int run = 0; run < kRuns; ++run) {
        const auto start = Clock::now();
        for (int i = 0; i < kChunks; ++i) {
            writeAll(fd, readRequest);
            readAll(fd, buffer, readReply.size());
            writeAll(fd, writeRequest);
            readAll(fd, buffer, writeReply.size());
        }
        runs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    ::close(fd);
    server.join();
    ::close(listener);
    return *std::min_element(runs.begin(), runs.end());
}

double templateBackupMs(const std::string& ip, testsupport::FakeDialog& dialog)
{
    sim::Config config;
    config.address = ip;
    config.skds = {1};
    sim::Simulator simulator(config);
    std::string error;
    if (!simulator.start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return -1;
    }
    const std::string file = "/tmp/bench_skd_backup.mrk";
    getFileManager()->open(file);
    if (!getKandoNetwork()->connect(ip, 11575, 30000)) {
        std::fprintf(stderr, "no bus connection\n");
        return -1;
    }
    CKandoProtocol protocol;
    protocol.init(&dialog);

    std::vector<double> runs;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = Clock::now();
        protocol.backupTemplates(0xC1);
        runs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    const auto requests = simulator.busRequests().size();
    delete getKandoNetwork();
    delete getFileManager();
    std::remove(file.c_str());
    if (requests != static_cast<size_t>(kRuns * 2 * kChunks))
        std::fprintf(stderr, "unexpected request count %zu\n", requests);
    return *std::min_element(runs.begin(), runs.end());
}

}  // namespace

int main()
{
    testsupport::FakeDialog dialog;
    const double backup = templateBackupMs(testsupport::loopbackAddress(1), dialog);
    const double bare = bareLoopMs(testsupport::loopbackAddress(2));
    if (backup < 0 || bare < 0)
        return 1;
    const int exchanges = 2 * kChunks;
    std::printf("SKD template backup, %d exchanges (best of %d):\n", exchanges, kRuns);
    std::printf("  backupTemplates against the simulator: %8.2f ms  (%6.1f us per exchange)\n", backup,
                1000.0 * backup / exchanges);
    std::printf("  bare request/reply loop, same sizes:   %8.2f ms  (%6.1f us per exchange)\n", bare,
                1000.0 * bare / exchanges);
    std::printf("  ratio: %.2f\n", backup / bare);
    return 0;
}
