// CPU time a thread spends while it waits for a gateway reply that never comes.
// Usage: bench_wait_cpu [seconds]   (default 3; the wait is real time, not scaled)
#include "gateway/CDataNetwork.h"
#include "gateway/CFrame.h"

#include "TestSupport.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace {

double threadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    const char* address = "127.250.0.1";
    // A peer that accepts (in the kernel's queue) and never answers.
    const int listener = testsupport::listenOn(address, CDataNetwork::kPort, 4);
    if (listener < 0) {
        std::perror("listen");
        return 1;
    }
    CDataNetwork net;
    if (!net.connect(address, CDataNetwork::kPort, CDataNetwork::kConnectTimeoutMs)) {
        std::fprintf(stderr, "connect failed: %d\n", net.getConnectError());
        return 1;
    }

    const uint32_t timeoutMs = static_cast<uint32_t>(seconds * 1000);
    CFrame frame;
    const double cpuBefore = threadCpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    const int got = net.receiveHeader(frame, CFrame::kShortHeader, timeoutMs);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    const double cpu = threadCpuSeconds() - cpuBefore;

    std::printf("waited %.3f s for a reply that never came (answer %d, error %d)\n", wall, got, net.getLastError());
    std::printf("thread CPU time: %.3f ms in total, %.3f ms per second of waiting\n", cpu * 1e3, cpu * 1e3 / wall);
    ::close(listener);
    return 0;
}
