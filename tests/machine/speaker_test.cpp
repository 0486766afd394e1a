// The speaker: where level changes land in the frame's samples, what is
// silent, and the high-pass that lets a held level fade out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "machine/speaker.h"
#include "machine/vz200.h"

namespace {

constexpr uint8_t PUSH = LATCH_SPEAKER_A;  // +1
constexpr uint8_t PULL = LATCH_SPEAKER_B;  // -1
constexpr int32_t TICKS = SPEAKER_TICKS_PER_SAMPLE;  // 895 in a sample, 12 in a cycle

struct SpeakerTest : ::testing::Test {
    Speaker speaker{};

    void write(uint8_t latch, int32_t cycle) { speakerLatchWritten(speaker, latch, cycle); }

    // The mean levels of the frame so far, as level x ticks per sample.
    const int32_t* box()
    {
        holdSpeakerLevelToFrameEnd(speaker);
        return speaker.sampleSums;
    }

    int peak() const
    {
        int most = 0;
        for (int16_t s : speaker.samples) most = std::max(most, std::abs(int{s}));
        return most;
    }
};

TEST_F(SpeakerTest, ALevelChangeWeighsEachSampleByTheTimeOnEachSide)
{
    write(PUSH, 37);  // tick 444 of sample 0's 895
    const int32_t* sums = box();
    EXPECT_EQ(sums[0], 451);
    EXPECT_EQ(sums[1], 895);
    EXPECT_EQ(sums[SAMPLES_PER_FRAME - 1], 895);
}

TEST_F(SpeakerTest, TwoChangesInsideOneSample)
{
    write(PUSH, 100);  // tick 1200, in sample 1 (895-1789)
    write(PULL, 150);  // tick 1800, in sample 2 (1790-2684)
    const int32_t* sums = box();
    EXPECT_EQ(sums[0], 0);
    EXPECT_EQ(sums[1], 1790 - 1200);
    EXPECT_EQ(sums[2], (1800 - 1790) - (2685 - 1800));
    EXPECT_EQ(sums[3], -895);
}

TEST_F(SpeakerTest, EqualSidesAndTheOtherLatchBitsAreSilent)
{
    const uint8_t silent[] = {0x00, PUSH | PULL, LATCH_GRAPHICS, LATCH_COLOR_SET, LATCH_GRAPHICS | LATCH_COLOR_SET,
                              0xFF, 0x06 /* the cassette bits */};
    int32_t cycle = 0;
    for (int frame = 0; frame < 3; ++frame) {
        for (int i = 0; i < 200; ++i) write(silent[i % std::size(silent)], cycle += 300);
        finishSpeakerFrame(speaker);
        cycle = 0;
        EXPECT_EQ(peak(), 0) << "frame " << frame;
    }
}

TEST_F(SpeakerTest, AWriteNeverLandsBeforeAnEarlierOne)
{
    write(PUSH, 1000);
    write(PULL, 500);  // as after the budget was given back at the end of an EI delay
    const int32_t* sums = box();
    long long total = 0;
    for (int i = 0; i < SAMPLES_PER_FRAME; ++i) total += sums[i];
    EXPECT_EQ(total, -(SAMPLES_PER_FRAME * TICKS - 1000 * SPEAKER_TICKS_PER_CYCLE));
}

TEST_F(SpeakerTest, WritesPastTheFrameLandAtItsEnd)
{
    write(PUSH, CYCLES_PER_FRAME + 11);  // the last instruction ran over the budget
    for (int i = 0; i < SAMPLES_PER_FRAME; ++i) ASSERT_EQ(box()[i], 0) << i;
    finishSpeakerFrame(speaker);
    EXPECT_EQ(box()[0], 895) << "pushed from the start of the next frame";
}

TEST_F(SpeakerTest, AStepIsHeardAtFullScaleAndFadesToSilence)
{
    write(PUSH, 0);
    finishSpeakerFrame(speaker);
    EXPECT_EQ(speaker.samples[0], SPEAKER_AMPLITUDE);
    // A corner near 20 Hz is a time constant near 8 ms: 20 ms later the
    // step is down to about 8 %.
    EXPECT_GT(speaker.samples[SAMPLES_PER_FRAME - 1], SPEAKER_AMPLITUDE * 5 / 100);
    EXPECT_LT(speaker.samples[SAMPLES_PER_FRAME - 1], SPEAKER_AMPLITUDE * 12 / 100);
    for (int frame = 0; frame < 10; ++frame) finishSpeakerFrame(speaker);  // 0.2 s held
    EXPECT_EQ(peak(), 0);

    // Let go again: the same step the other way, then silence once more.
    write(0x00, 0);
    finishSpeakerFrame(speaker);
    EXPECT_EQ(speaker.samples[0], -SPEAKER_AMPLITUDE);
    for (int frame = 0; frame < 10; ++frame) finishSpeakerFrame(speaker);
    EXPECT_EQ(peak(), 0);
}

TEST_F(SpeakerTest, TheWidestSwingStaysInsideSixteenBits)
{
    write(PUSH, 0);
    for (int frame = 0; frame < 10; ++frame) finishSpeakerFrame(speaker);  // settled at +1
    write(PULL, 0);
    finishSpeakerFrame(speaker);
    EXPECT_EQ(speaker.samples[0], -2 * SPEAKER_AMPLITUDE);
}

TEST_F(SpeakerTest, ASettledSpeakerSkipsNoSample)
{
    // The twin ends each frame the long way (its level held to the frame's
    // end first), so every frame runs the filter sample by sample; a quiet
    // frame of ours may take the short way, and must not differ.
    Speaker twin{};
    int settledFrames = 0;
    auto frames = [&](int count) {
        for (int frame = 0; frame < count; ++frame) {
            int64_t before = speaker.lastOutput;
            finishSpeakerFrame(speaker);
            holdSpeakerLevelToFrameEnd(twin);
            finishSpeakerFrame(twin);
            ASSERT_TRUE(std::equal(speaker.samples, speaker.samples + SAMPLES_PER_FRAME, twin.samples)) << frame;
            ASSERT_EQ(speaker.lastOutput, twin.lastOutput);
            if (speaker.lastOutput == before && peak() == 0) ++settledFrames;
        }
    };
    auto both = [&](uint8_t latch, int32_t cycle) {
        write(latch, cycle);
        speakerLatchWritten(twin, latch, cycle);
    };
    frames(3);
    both(PUSH, 1000);
    frames(20);  // held at +1
    both(PULL, 0);  // at the frame's very start
    frames(20);  // held at -1
    both(0x00, 70000);
    frames(20);  // let go
    for (int32_t cycle = 0; cycle < 3 * CYCLES_PER_FRAME; cycle += 37) {  // a short tone
        both((cycle / 37) % 2 ? PUSH : PULL, cycle % CYCLES_PER_FRAME);
        if (cycle % CYCLES_PER_FRAME + 37 >= CYCLES_PER_FRAME) frames(1);
    }
    frames(20);
    EXPECT_GT(settledFrames, 40);
}

}  // namespace
