#include "machine/speaker.h"

#include <algorithm>

#include "machine/vz200.h"

namespace {

constexpr int32_t FRAME_TICKS = SAMPLES_PER_FRAME * SPEAKER_TICKS_PER_SAMPLE;
static_assert(FRAME_TICKS == CYCLES_PER_FRAME * SPEAKER_TICKS_PER_CYCLE);
static_assert(SAMPLES_PER_FRAME * FRAMES_PER_SECOND == SPEAKER_SAMPLE_RATE);

// The high-pass y[n] = x[n] - x[n-1] + R y[n-1] with its corner near 20 Hz:
// R = 1 - 2 pi 20 / 48000, in 1/2^30ths.
constexpr int HIGH_PASS_SHIFT = 30;
constexpr int64_t HIGH_PASS_POLE =
    static_cast<int64_t>((1.0 - 2.0 * 3.141592653589793 * 20.0 / SPEAKER_SAMPLE_RATE) * (int64_t{1} << HIGH_PASS_SHIFT));
constexpr int OUTPUT_FRACTION_BITS = 16;

int8_t levelOf(uint8_t latch)
{
    bool a = (latch & LATCH_SPEAKER_A) != 0;
    bool b = (latch & LATCH_SPEAKER_B) != 0;
    if (a == b) return 0;
    return a ? 1 : -1;
}

// Adds the level held since the last change, up to tick, into the sums: a
// part of the first and last samples, the whole of those between.
void holdLevelUntil(Speaker& speaker, int32_t tick)
{
    if (tick <= speaker.position) return;
    if (speaker.level != 0) {
        int32_t first = speaker.position / SPEAKER_TICKS_PER_SAMPLE;
        int32_t last = (tick - 1) / SPEAKER_TICKS_PER_SAMPLE;
        int32_t* sums = speaker.sampleSums;
        if (first == last) {
            sums[first] += speaker.level * (tick - speaker.position);
        } else {
            sums[first] += speaker.level * ((first + 1) * SPEAKER_TICKS_PER_SAMPLE - speaker.position);
            int32_t whole = speaker.level * SPEAKER_TICKS_PER_SAMPLE;
            for (int32_t sample = first + 1; sample < last; ++sample) sums[sample] += whole;
            sums[last] += speaker.level * (tick - last * SPEAKER_TICKS_PER_SAMPLE);
        }
    }
    speaker.position = tick;
}

// The mean level of a sample, scaled to the amplitude and rounded: a sum of
// level x ticks times amplitude / 895, as a multiplication in 1/65536ths.
constexpr int MEAN_SHIFT = 16;
constexpr int64_t MEAN_SCALE = (int64_t{SPEAKER_AMPLITUDE} << MEAN_SHIFT) / SPEAKER_TICKS_PER_SAMPLE + 1;

int32_t meanLevel(int32_t sum)
{
    return static_cast<int32_t>((sum * MEAN_SCALE + (int64_t{1} << (MEAN_SHIFT - 1))) >> MEAN_SHIFT);
}

}  // namespace

void speakerLatchWritten(Speaker& speaker, uint8_t latch, int32_t cycle)
{
    int8_t level = levelOf(latch);
    if (level == speaker.level) return;
    // Late writes of a frame that ran over its budget land at its end.
    int64_t tick = std::clamp(int64_t{cycle} * SPEAKER_TICKS_PER_CYCLE, int64_t{speaker.position}, int64_t{FRAME_TICKS});
    holdLevelUntil(speaker, static_cast<int32_t>(tick));
    speaker.level = level;
}

void holdSpeakerLevelToFrameEnd(Speaker& speaker) { holdLevelUntil(speaker, FRAME_TICKS); }

void finishSpeakerFrame(Speaker& speaker)
{
    holdSpeakerLevelToFrameEnd(speaker);
    for (int i = 0; i < SAMPLES_PER_FRAME; ++i) {
        int32_t input = meanLevel(speaker.sampleSums[i]);
        speaker.sampleSums[i] = 0;
        speaker.lastOutput = (int64_t{input - speaker.lastInput} << OUTPUT_FRACTION_BITS) +
                             ((speaker.lastOutput * HIGH_PASS_POLE) >> HIGH_PASS_SHIFT);
        speaker.lastInput = input;
        int64_t rounded = (speaker.lastOutput + (int64_t{1} << (OUTPUT_FRACTION_BITS - 1))) >> OUTPUT_FRACTION_BITS;
        speaker.samples[i] = static_cast<int16_t>(std::clamp<int64_t>(rounded, INT16_MIN, INT16_MAX));
    }
    speaker.position = 0;
}
