// One SKD template backup (485 reads and 485 write-backs) against the simulator over
// loopback, with progress reporting on (a front end reading it ten times a second) and off,
// next to a bare blocking request/reply loop with messages of the same sizes.

#include "Simulator.h"
#include "SimWire.h"
#include "TestSupport.h"

#include "backupfile/CFileManager.h"
#include "bus/CKandoNetwork.h"
#include "bus/CKandoProtocol.h"
#include "job/CJobProgress.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRuns = 15;
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

// A front end as far as progress goes: it reads the latest report ten times a second.
class PollingLink : public CDirectDialogLink
{
public:
    PollingLink()
        : m_reader([this] {
              while (!m_stop) {
                  CProgressReport report;
                  progressNow(report);
                  std::this_thread::sleep_for(std::chrono::milliseconds(100));
              }
          })
    {
    }
    ~PollingLink() override
    {
        m_stop = true;
        m_reader.join();
    }

protected:
    void onStatusLine(const std::string&) override {}
    long onMessage(unsigned, long, long) override { return 1; }
    bool onChooseFile(int, std::string&) override { return false; }
    void onMessageBox(const std::string&) override {}

private:
    std::atomic<bool> m_stop{false};
    std::thread m_reader;
};

struct BackupTimes {
    double withProgress = -1;
    double without = -1;
};

// Runs with and without progress take turns, so that both see the same machine.
BackupTimes templateBackupMs(const std::string& ip, testsupport::FakeDialog& dialog)
{
    sim::Config config;
    config.address = ip;
    config.skds = {1};
    sim::Simulator simulator(config);
    std::string error;
    if (!simulator.start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return {};
    }
    const testsupport::ScopedTempDir temp("nexo-bench-skd");
    getFileManager()->open(temp.path("skd.mrk"));
    if (!getKandoNetwork()->connect(ip, 11575, 30000)) {
        std::fprintf(stderr, "no bus connection\n");
        return {};
    }
    CKandoProtocol protocol;
    protocol.init(&dialog);
    PollingLink frontEnd;
    CJobProgress progress(&frontEnd);

    std::vector<double> on;
    std::vector<double> off;
    for (int run = 0; run < 2 * kRuns; ++run) {
        const bool reporting = run % 2 == 0;
        protocol.setProgress(reporting ? &progress : nullptr);
        const auto start = Clock::now();
        protocol.backupTemplates(0xC1);
        (reporting ? on : off).push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    const auto requests = simulator.busRequests().size();
    delete getKandoNetwork();
    delete getFileManager();
    if (requests != static_cast<size_t>(2 * kRuns * 2 * kChunks))
        std::fprintf(stderr, "unexpected request count %zu\n", requests);
    if (progress.current().done != 62000)
        std::fprintf(stderr, "progress ended at %llu bytes\n", static_cast<unsigned long long>(progress.current().done));
    return {*std::min_element(on.begin(), on.end()), *std::min_element(off.begin(), off.end())};
}

// The reporting alone, without the network: what one report costs the worker, with the
// front end reading as it does during a job.
double nanosecondsPerReport()
{
    constexpr int kReports = 200000;
    PollingLink frontEnd;
    CJobProgress progress(&frontEnd);
    const auto start = Clock::now();
    for (int i = 0; i < kReports; ++i) {
        if (i % kChunks == 0)
            progress.beginCount(ProgressStage::SkdBackup, ProgressUnit::Bytes, 62000, 1);
        progress.advance(static_cast<uint64_t>(i % kChunks + 1) * 128);
    }
    return std::chrono::duration<double, std::nano>(Clock::now() - start).count() / kReports;
}

}  // namespace

int main()
{
    testsupport::FakeDialog dialog;
    const BackupTimes backup = templateBackupMs(testsupport::loopbackAddress(1), dialog);
    const double bare = bareLoopMs(testsupport::loopbackAddress(2));
    const double perReport = nanosecondsPerReport();
    if (backup.withProgress < 0 || backup.without < 0 || bare < 0)
        return 1;
    const int exchanges = 2 * kChunks;
    std::printf("SKD template backup, %d exchanges (best of %d each):\n", exchanges, kRuns);
    std::printf("  backupTemplates, progress reported:    %8.2f ms  (%6.1f us per exchange)\n", backup.withProgress,
                1000.0 * backup.withProgress / exchanges);
    std::printf("  backupTemplates, no progress:          %8.2f ms  (%6.1f us per exchange)\n", backup.without,
                1000.0 * backup.without / exchanges);
    std::printf("  bare request/reply loop, same sizes:   %8.2f ms  (%6.1f us per exchange)\n", bare,
                1000.0 * bare / exchanges);
    std::printf("  progress costs %+.1f %%; ratio to the bare loop %.2f\n",
                100.0 * (backup.withProgress - backup.without) / backup.without, backup.without / bare);
    std::printf("  one progress report alone: %.0f ns, %d per transfer: %.3f ms (%.2f %% of the transfer)\n", perReport,
                kChunks, perReport * kChunks / 1e6, 100.0 * perReport * kChunks / 1e6 / backup.without);
    return 0;
}
