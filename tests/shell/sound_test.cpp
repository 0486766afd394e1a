// The machine's sound on its way to the host: the queue held near its
// target against a drifting audio clock, exact samples for an ideal device,
// a clean restart after the queue ran dry, and a silent run without a device.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "machine/vz200.h"
#include "shell/emulator.h"
#include "shell/sound.h"
#include "tests/support/shell_reset.h"

namespace {

constexpr int FRAMES_IN_AN_HOUR = 60 * 60 * FRAMES_PER_SECOND;
// Hosts take their queue in blocks (SDL's device buffer of 512 samples).
constexpr int DEVICE_BLOCK = 512;

struct Drift {
    int lowest, highest;
    double meanLength;
};

// An hour of frames against an audio clock that runs rate times as fast as
// the frame clock, taking its queue a block at a time.
Drift runAnHour(double rate)
{
    resetSoundPacing();
    long long queuedInAll = AUDIO_QUEUE_TARGET;
    long long takenInAll = 0;
    Drift drift{AUDIO_QUEUE_TARGET, AUDIO_QUEUE_TARGET, 0};
    long long lengths = 0;
    for (int frame = 1; frame <= FRAMES_IN_AN_HOUR; ++frame) {
        double played = frame * double{SAMPLES_PER_FRAME} * rate;
        while (takenInAll < played) takenInAll += DEVICE_BLOCK;
        int queued = static_cast<int>(std::max(0LL, queuedInAll - takenInAll));
        int length = stretchedFrameLength(queued);
        queuedInAll += length;
        lengths += length;
        if (frame > 10 * FRAMES_PER_SECOND) {  // once it has settled
            drift.lowest = std::min(drift.lowest, queued);
            drift.highest = std::max(drift.highest, queued);
        }
    }
    drift.meanLength = double(lengths) / FRAMES_IN_AN_HOUR;
    return drift;
}

TEST(SoundPacing, AQueueOfAFasterOrSlowerClockStaysNearItsTargetForAnHour)
{
    for (double rate : {1.003, 0.997}) {
        SCOPED_TRACE(rate);
        Drift drift = runAnHour(rate);
        // Never dry (which would restart the stream), never growing.
        EXPECT_GT(drift.lowest, SAMPLES_PER_FRAME);
        EXPECT_LT(drift.highest, 2 * AUDIO_QUEUE_TARGET);
        EXPECT_NEAR(drift.meanLength, SAMPLES_PER_FRAME * rate, 0.05);
    }
}

TEST(SoundPacing, AClockInStepChangesNothing)
{
    resetSoundPacing();
    for (int frame = 0; frame < 100; ++frame) EXPECT_EQ(stretchedFrameLength(AUDIO_QUEUE_TARGET), SAMPLES_PER_FRAME);
}

TEST(SoundPacing, NoFrameIsStretchedByMoreThanAFewSamples)
{
    resetSoundPacing();
    for (int queued : {0, 100000, 0, 100000}) {
        for (int frame = 0; frame < 50; ++frame) {
            int length = stretchedFrameLength(queued);
            EXPECT_LE(std::abs(length - SAMPLES_PER_FRAME), MAX_FRAME_STRETCH);
        }
    }
}

struct SoundThroughTheShell : ::testing::Test {
    void SetUp() override
    {
        resetProgram();
        heard.clear();
        made.clear();
        headless.audio.keepSamples = true;
    }

    static inline std::vector<int16_t> made;  // what the machine made, frame by frame
    static inline std::vector<int16_t> heard;
};

TEST_F(SoundThroughTheShell, AnIdealDeviceGetsEveryFrameAsTheMachineMadeIt)
{
    headless.onPresent = [](int frame) {
        made.insert(made.end(), vz200.speaker.samples, vz200.speaker.samples + SAMPLES_PER_FRAME);
        if (frame == 1) vz200.speaker.level = 1;  // pushed from here on: a step in frame 2
        if (frame == 5) headlessClose();
    };
    EXPECT_EQ(emulatorMain(), EXIT_AFTER_CLOSE);
    EXPECT_EQ(headless.audio.samples, made);
    EXPECT_EQ(made.size(), 5u * SAMPLES_PER_FRAME);
    EXPECT_EQ(made[SAMPLES_PER_FRAME], SPEAKER_AMPLITUDE);
    EXPECT_EQ(headless.audio.opens, 1);
    EXPECT_EQ(headless.audio.closes, 1) << "shut down twice, closed once";
}

TEST_F(SoundThroughTheShell, AQueueThatRanDryStartsAgainFromSilenceAndFadesIn)
{
    headless.onPresent = [](int frame) {
        if (frame == 2) {
            vz200.speaker.level = 1;
            headless.audio.reportedQueue = 0;  // the host played everything
        }
        if (frame == 3) {
            headless.audio.reportedQueue = -1;
            made.assign(vz200.speaker.samples, vz200.speaker.samples + SAMPLES_PER_FRAME);
            headlessClose();
        }
    };
    EXPECT_EQ(emulatorMain(), EXIT_AFTER_CLOSE);
    const std::vector<int16_t>& queued = headless.audio.samples;
    size_t restart = 2 * SAMPLES_PER_FRAME;
    int silence = AUDIO_QUEUE_TARGET;
    ASSERT_EQ(queued.size(), restart + silence + made.size());
    for (int i = 0; i < silence; ++i) ASSERT_EQ(queued[restart + i], 0) << i;
    // Then the frame, rising from nothing to full over the fade.
    const int16_t* frame = queued.data() + restart + silence;
    EXPECT_EQ(frame[0], 0);
    EXPECT_EQ(frame[SOUND_FADE_SAMPLES / 2], made[SOUND_FADE_SAMPLES / 2] / 2);
    for (size_t i = SOUND_FADE_SAMPLES; i < made.size(); ++i) ASSERT_EQ(frame[i], made[i]) << i;
}

TEST_F(SoundThroughTheShell, AQueueFarTooLongFadesOutAndLeavesFramesOutUntilItIsBack)
{
    headless.onPresent = [](int frame) {
        if (frame == 1) vz200.speaker.level = 1;
        if (frame == 2) headless.audio.reportedQueue = 3 * AUDIO_QUEUE_LIMIT;  // frame 3: over the limit
        if (frame == 4) headless.audio.reportedQueue = -1;                     // frame 5: at the target again
        if (frame == 5) {
            made.assign(vz200.speaker.samples, vz200.speaker.samples + SAMPLES_PER_FRAME);
            headlessClose();
        }
    };
    EXPECT_EQ(emulatorMain(), EXIT_AFTER_CLOSE);
    const std::vector<int16_t>& queued = headless.audio.samples;
    // Frames 1 and 2 whole, frame 3 shrunk as far as it goes and faded out,
    // frame 4 left out, frame 5 faded in.
    size_t frame5 = 3 * SAMPLES_PER_FRAME - MAX_FRAME_STRETCH;
    ASSERT_EQ(queued.size(), frame5 + SAMPLES_PER_FRAME);
    EXPECT_EQ(queued[frame5 - 1], 0) << "frame 3 ends in silence";
    EXPECT_NE(queued[frame5 - SOUND_FADE_SAMPLES - 1], 0);
    EXPECT_EQ(queued[frame5], 0) << "frame 5 starts from silence";
    EXPECT_EQ(queued.back(), made.back());
}

TEST_F(SoundThroughTheShell, WithoutADeviceTheEmulatorRunsSilentAndSaysSo)
{
    headless.audio.openFails = true;
    headless.onPresent = [](int frame) {
        if (frame == 3) headlessClose();
    };
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(emulatorMain(), EXIT_AFTER_CLOSE);
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("tessel: no sound (the test's device refused to open); running silent\n"), std::string::npos)
        << said;
    EXPECT_EQ(headless.screen.presents, 3);
    EXPECT_TRUE(headless.audio.samples.empty());
    EXPECT_EQ(headless.audio.closes, 0);
}

}  // namespace
