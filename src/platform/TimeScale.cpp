#include "platform/TimeScale.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {
std::atomic<double> gScale{1.0};
}

double timeScale()
{
    return gScale.load();
}

void setTimeScale(double scale)
{
    if (std::isfinite(scale) && scale > 0)
        gScale.store(scale);
}

std::chrono::nanoseconds scaledPause(uint32_t ms)
{
    const double ns = static_cast<double>(ms) * 1e6 * timeScale();
    // A huge scale must stay a long wait: past what nanoseconds hold it would wrap, and the
    // deadline (now + wait) must not overflow either. 2^62 ns is over a century.
    constexpr double kLongest = 4611686018427387904.0;
    return std::chrono::nanoseconds(static_cast<int64_t>(std::llround(std::min(ns, kLongest))));
}

std::chrono::nanoseconds scaledTimeout(uint32_t ms)
{
    const std::chrono::nanoseconds scaled = scaledPause(ms);
    // A time-out shorter than the floor unscaled keeps its own length.
    const std::chrono::nanoseconds floor = std::min<std::chrono::nanoseconds>(
        kTimeoutFloor, std::chrono::milliseconds(ms));
    return std::max(scaled, floor);
}
