#include "job/CTimer.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace std::chrono;
using testsupport::ScopedTimeScale;

namespace {
double msSince(steady_clock::time_point t0)
{
    return duration<double, std::milli>(steady_clock::now() - t0).count();
}
}  // namespace

TEST(Timer, ScaledPauseLastsScaledInterval)
{
    ScopedTimeScale scale(0.001);
    CTimer timer;
    const auto t0 = steady_clock::now();
    timer.start(60000);
    EXPECT_TRUE(timer.isRunning());
    timer.wait();
    const double took = msSince(t0);
    EXPECT_GE(took, 59.0);
    EXPECT_LT(took, 2000.0);
    EXPECT_FALSE(timer.isRunning());
}

TEST(Timer, WaitAndStopOnIdleTimerReturnAtOnce)
{
    CTimer timer;
    const auto t0 = steady_clock::now();
    timer.wait();
    timer.stop();
    EXPECT_LT(msSince(t0), 50.0);
    EXPECT_FALSE(timer.isRunning());
    EXPECT_EQ(timer.interval(), 1000u);
}

TEST(Timer, StopEndsCountdownAtOnce)
{
    CTimer timer;
    const auto t0 = steady_clock::now();
    timer.start(2000);
    timer.stop();
    timer.wait();  // nothing left to wait for
    EXPECT_LT(msSince(t0), 500.0);
    EXPECT_FALSE(timer.isRunning());
    EXPECT_EQ(timer.remaining(), nanoseconds::zero());
}

TEST(Timer, RestartReplacesEarlierCountdown)
{
    ScopedTimeScale scale(0.01);
    CTimer timer;
    timer.start(100000);  // 1 s scaled
    const auto t0 = steady_clock::now();
    timer.start(5000);    // 50 ms scaled: only this one counts
    EXPECT_EQ(timer.interval(), 5000u);
    timer.wait();
    const double took = msSince(t0);
    EXPECT_GE(took, 49.0);
    EXPECT_LT(took, 900.0);
}

TEST(Timer, ExpiresWhilePolled)
{
    ScopedTimeScale scale(0.001);
    CTimer timer;
    timer.start(20000);  // 20 ms
    std::this_thread::sleep_for(milliseconds(40));
    EXPECT_FALSE(timer.isRunning());
    timer.stop();  // after expiry: returns at once
}

TEST(Timer, TimeoutHasFloorOfFiftyMilliseconds)
{
    ScopedTimeScale scale(0.0001);
    CTimer timer;
    timer.start(60000, CTimer::Timeout);  // would be 6 ms, held at 50 ms
    EXPECT_GT(timer.remaining(), milliseconds(40));
    const auto t0 = steady_clock::now();
    timer.wait();
    EXPECT_GE(msSince(t0), 40.0);
}

TEST(Timer, DestructorStopsCountingTimer)
{
    const auto t0 = steady_clock::now();
    {
        CTimer timer;
        timer.start(60000);
    }
    EXPECT_LT(msSince(t0), 100.0);
}
