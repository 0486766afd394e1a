#include "shell/frame_clock.h"

#include <gtest/gtest.h>

#include "hosts/headless/host_headless.h"
#include "shell/shell.h"

namespace {

constexpr int64_t FREQUENCY = 1000000;
constexpr int64_t PERIOD = FREQUENCY / 50;

struct FrameClockTest : ::testing::Test {
    void SetUp() override
    {
        resetShell();
        headlessReset();
        headless.clock.frequency = FREQUENCY;
        headless.clock.counter = 5000;
        headless.clock.counterStep = 1;
    }
    int readingsOf(void (*operation)())
    {
        int before = headless.clock.readings;
        operation();
        return headless.clock.readings - before;
    }
};

TEST_F(FrameClockTest, PeriodIsTheCounterRateOverFiftyTruncated)
{
    headless.clock.frequency = 10000000;
    initFrameClock();
    EXPECT_TRUE(shell.frameClock.perfCounterAvailable);
    EXPECT_EQ(shell.frameClock.ticksPerFrame, 200000u);

    headless.clock.frequency = 3579545;
    initFrameClock();
    EXPECT_EQ(shell.frameClock.ticksPerFrame, 71590u);
}

TEST_F(FrameClockTest, FirstWaitReturnsAfterOneReading)
{
    initFrameClock();
    EXPECT_EQ(shell.frameClock.nextFrameTime, 5000);
    EXPECT_EQ(readingsOf(waitForFrame), 1);
    EXPECT_EQ(shell.frameClock.clockNow, 5001);
    EXPECT_EQ(shell.frameClock.nextFrameTime, 5001 + PERIOD);
}

TEST_F(FrameClockTest, NextWaitEndsOnePeriodAfterTheReadingThatEndedTheLast)
{
    initFrameClock();
    waitForFrame();
    int64_t ended = shell.frameClock.clockNow;
    headless.clock.counter = ended + 1000;
    headless.clock.counterStep = 1000;
    EXPECT_EQ(readingsOf(waitForFrame), PERIOD / 1000);
    EXPECT_EQ(shell.frameClock.clockNow, ended + PERIOD);
}

TEST_F(FrameClockTest, ASlowFrameIsNotMadeUp)
{
    initFrameClock();
    waitForFrame();
    // The frame took three periods.
    headless.clock.counter = shell.frameClock.clockNow + 3 * PERIOD;
    headless.clock.counterStep = PERIOD / 4;
    EXPECT_EQ(readingsOf(waitForFrame), 1);
    int64_t late = shell.frameClock.clockNow;
    EXPECT_EQ(shell.frameClock.nextFrameTime, late + PERIOD);
    // The schedule starts afresh from the late reading: the next frame waits
    // a full period.
    EXPECT_EQ(readingsOf(waitForFrame), 4);
    EXPECT_EQ(shell.frameClock.clockNow, late + PERIOD);
}

TEST_F(FrameClockTest, DeadlineReachedOnlyFromTheDeadlineOnAndWithoutMovingIt)
{
    initFrameClock();
    waitForFrame();
    int64_t deadline = shell.frameClock.nextFrameTime;
    int64_t lastWait = shell.frameClock.clockNow;
    headless.clock.counter = deadline - 2;
    EXPECT_FALSE(frameDeadlineReached());
    EXPECT_FALSE(frameDeadlineReached());
    EXPECT_TRUE(frameDeadlineReached());  // reads the deadline itself
    EXPECT_TRUE(frameDeadlineReached());
    EXPECT_EQ(shell.frameClock.nextFrameTime, deadline);
    EXPECT_EQ(shell.frameClock.clockNow, lastWait);
    // The wait that follows still takes its own reading and measures the
    // next period from it.
    EXPECT_EQ(readingsOf(waitForFrame), 1);
    EXPECT_EQ(shell.frameClock.clockNow, deadline + 2);
    EXPECT_EQ(shell.frameClock.nextFrameTime, deadline + 2 + PERIOD);
}

TEST_F(FrameClockTest, WithoutACounterFramesAreTwentyMillisecondsApart)
{
    headless.clock.counterAvailable = false;
    headless.clock.milliseconds = 700;
    headless.clock.millisecondStep = 1;
    initFrameClock();
    EXPECT_FALSE(shell.frameClock.perfCounterAvailable);
    EXPECT_EQ(shell.frameClock.ticksPerFrame, 20u);
    EXPECT_EQ(readingsOf(waitForFrame), 1);
    EXPECT_EQ(readingsOf(waitForFrame), 20);
    EXPECT_EQ(shell.frameClock.clockNow, 721);
}

TEST_F(FrameClockTest, MillisecondWrapNeitherHangsNorEndsTheWaitEarly)
{
    headless.clock.counterAvailable = false;
    headless.clock.milliseconds = 0xFFFFFFF0u;
    headless.clock.millisecondStep = 7;
    initFrameClock();
    EXPECT_EQ(readingsOf(waitForFrame), 1);  // reads 0xFFFFFFF7; deadline 20 ms on, past the wrap
    // Readings 0xFFFFFFFE, 0x00000005 (wrapped, only 14 ms later), 0x0000000C.
    EXPECT_EQ(readingsOf(waitForFrame), 3);
    EXPECT_EQ(headless.clock.milliseconds, 0x13u);

    // And the schedule goes on after the wrap.
    EXPECT_EQ(readingsOf(waitForFrame), 3);
}

}  // namespace
