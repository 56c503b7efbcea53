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
