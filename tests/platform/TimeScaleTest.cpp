#include "platform/TimeScale.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace std::chrono;

TEST(TimeScale, PausesScaleFreelyTimeoutsKeepFloor)
{
    testsupport::ScopedTimeScale scale(0.001);
    EXPECT_EQ(scaledPause(60000), milliseconds(60));
    EXPECT_EQ(scaledPause(700), microseconds(700));  // sub-millisecond resolution kept
    EXPECT_EQ(scaledTimeout(60000), milliseconds(60));
    EXPECT_EQ(scaledTimeout(1000), milliseconds(50));
    EXPECT_EQ(scaledTimeout(300), milliseconds(50));
    EXPECT_EQ(scaledTimeout(20), milliseconds(20));  // shorter than the floor unscaled: its own length
}

TEST(TimeScale, InvalidScaleIgnored)
{
    testsupport::ScopedTimeScale scale(1.0);
    setTimeScale(0);
    setTimeScale(-2);
    EXPECT_EQ(timeScale(), 1.0);
    EXPECT_EQ(scaledPause(1000), milliseconds(1000));
}

TEST(TimeScale, HugeScaleStaysALongWaitInsteadOfOverflowing)
{
    // 60 s times 1e12 is far beyond what nanoseconds hold: it must not wrap to a short or
    // negative wait.
    testsupport::ScopedTimeScale scale(1e12);
    EXPECT_GT(scaledPause(60000), hours(24 * 365));
    EXPECT_GT(scaledTimeout(60000), hours(24 * 365));
    EXPECT_GE(scaledPause(60000), scaledPause(1));
    EXPECT_LT(steady_clock::now(), steady_clock::now() + scaledPause(60000));
}
