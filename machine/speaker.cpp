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

// The filter's last output after one more sample with no input step.
int64_t decayed(int64_t output) { return (output * HIGH_PASS_POLE) >> HIGH_PASS_SHIFT; }

// A sample's output, rounded from 1/65536ths and clamped to 16 bits.
int16_t sampleOf(int64_t output)
{
    int64_t rounded = (output + (int64_t{1} << (OUTPUT_FRACTION_BITS - 1))) >> OUTPUT_FRACTION_BITS;
    return static_cast<int16_t>(std::clamp<int64_t>(rounded, INT16_MIN, INT16_MAX));
}

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

// True when the frame held one level throughout, the level the filter last
// saw, and the filter has settled where its decay no longer moves it (0, or
// a small negative value the shift rounds down onto itself) and that rounds
// to a silent sample: every sample of the frame is then 0 and the filter
// stays, so the sums and the filter steps can be skipped. A quiet machine
// is in this state.
static bool settledFrame(const Speaker& speaker)
{
    return speaker.position == 0 && meanLevel(speaker.level * SPEAKER_TICKS_PER_SAMPLE) == speaker.lastInput &&
           decayed(speaker.lastOutput) == speaker.lastOutput && sampleOf(speaker.lastOutput) == 0;
}

void finishSpeakerFrame(Speaker& speaker)
{
    if (settledFrame(speaker)) {
        std::fill_n(speaker.samples, SAMPLES_PER_FRAME, int16_t{0});
        return;
    }
    holdSpeakerLevelToFrameEnd(speaker);
    for (int i = 0; i < SAMPLES_PER_FRAME; ++i) {
        int32_t input = meanLevel(speaker.sampleSums[i]);
        speaker.sampleSums[i] = 0;
        speaker.lastOutput = (int64_t{input - speaker.lastInput} << OUTPUT_FRACTION_BITS) +
                             decayed(speaker.lastOutput);
        speaker.lastInput = input;
        speaker.samples[i] = sampleOf(speaker.lastOutput);
    }
    speaker.position = 0;
}

bool speakerStateInRange(const Speaker& speaker)
{
    auto within = [](int64_t value, int64_t bound) { return value >= -bound && value <= bound; };
    if (!within(speaker.level, 1) || speaker.position < 0 || speaker.position > FRAME_TICKS) return false;
    for (int32_t i = 0; i < SAMPLES_PER_FRAME; ++i) {
        int32_t ticksBefore = std::clamp(speaker.position - i * SPEAKER_TICKS_PER_SAMPLE, 0, SPEAKER_TICKS_PER_SAMPLE);
        if (!within(speaker.sampleSums[i], ticksBefore)) return false;
    }
    // The output is the input less a decaying mean of the inputs before it,
    // so it stays within twice the largest mean level; the rounding of the
    // decay adds less than a sample step.
    int32_t largestInput = meanLevel(SPEAKER_TICKS_PER_SAMPLE);
    int64_t largestOutput = (int64_t{2} * largestInput + 1) << OUTPUT_FRACTION_BITS;
    return within(speaker.lastInput, largestInput) && within(speaker.lastOutput, largestOutput);
}
