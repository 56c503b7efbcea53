// One SKD template backup (485 reads and 485 write-backs) against the simulator over
// loopback, next to a bare blocking request/reply loop with messages of the same sizes.

#include "Simulator.h"
#include "SimWire.h"
#include "TestSupport.h"

#include "backupfile/CFileManager.h"
#include "bus/CKandoNetwork.h"
#include "bus/CKandoProtocol.h"

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

    const int listener = testsupport::listenOn(ip, 11575, 1);
    if (listener < 0) {
        std::perror("bare loop listener");
        return -1;
    }
    std::thread server([&] {
        const int fd = ::accept(listener, nullptr, nullptr);
        for (int i = 0; i < kRuns * kChunks; ++i) {
            if (testsupport::readBusMessage(fd).empty() || !testsupport::sendAll(fd, readReply)
                || testsupport::readBusMessage(fd).empty() || !testsupport::sendAll(fd, writeReply))
                break;
        }
        ::close(fd);
    });

    const int fd = testsupport::connectTo(ip, 11575);
    std::vector<double> runs;
    uint8_t buffer[1024];
    for (int run = 0; run < kRuns; ++run) {
        const auto start = Clock::now();
        for (int i = 0; i < kChunks; ++i) {
            testsupport::sendAll(fd, readRequest);
            testsupport::readUpTo(fd, buffer, readReply.size());
            testsupport::sendAll(fd, writeRequest);
            testsupport::readUpTo(fd, buffer, writeReply.size());
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
    const testsupport::ScopedTempDir temp("nexo-bench-skd");
    getFileManager()->open(temp.path("skd.mrk"));
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
