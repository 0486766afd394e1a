// The piezo speaker between latch bit 0 (A) and latch bit 5 (B): +1 while
// A = 1 and B = 0, -1 while A = 0 and B = 1, 0 while they are equal. Each
// frame becomes exactly 960 samples at 48 kHz: the mean level over each
// sample's share of the frame (a level change inside a sample weighs by the
// time on each side), then a DC-blocking high-pass, as the speaker is
// AC-coupled: a level held for long fades to silence.
#pragma once

#include <cstdint>

constexpr int SPEAKER_SAMPLE_RATE = 48000;
constexpr int SAMPLES_PER_FRAME = 960;  // a fiftieth of a second

constexpr uint8_t LATCH_SPEAKER_A = 0x01;
constexpr uint8_t LATCH_SPEAKER_B = 0x20;

// Full scale of the level 1: about half of the 16-bit range, so that even a
// jump from -1 to +1 through the high-pass stays inside it.
constexpr int SPEAKER_AMPLITUDE = 16000;

// Time inside a frame is counted in twelfths of a cycle: a sample is then a
// whole 895 of them (71,600 cycles / 960 samples = 74 7/12 cycles).
constexpr int32_t SPEAKER_TICKS_PER_CYCLE = 12;
constexpr int32_t SPEAKER_TICKS_PER_SAMPLE = 895;

struct Speaker {
    int8_t level;          // -1, 0 or +1 since the last change
    int32_t position;      // ticks of this frame already added into sampleSums
    int32_t sampleSums[SAMPLES_PER_FRAME];  // level x ticks, each within +-895
    int32_t lastInput;     // the high-pass filter's state: the last mean level...
    int64_t lastOutput;    // ...and its last output, in 1/65536ths of a sample step
    int16_t samples[SAMPLES_PER_FRAME];     // the last finished frame
};

// A write to the latch at cycle of the frame (processor time since the
// frame began; clamped into the frame, and never before an earlier change).
void speakerLatchWritten(Speaker& speaker, uint8_t latch, int32_t cycle);

// Ends the frame: the level held to its end, the mean levels of its 960
// samples through the high-pass into samples, and a new frame from the level
// the speaker is at. The first step alone leaves sampleSums whole.
void holdSpeakerLevelToFrameEnd(Speaker& speaker);
void finishSpeakerFrame(Speaker& speaker);

// Whether the speaker can be in this state at some moment of a frame: the
// level -1, 0 or +1, position within the frame, each sum no larger than the
// ticks of its sample before position, and the filter within what the mean
// levels can drive it to. A restored snapshot is checked with it.
bool speakerStateInRange(const Speaker& speaker);
