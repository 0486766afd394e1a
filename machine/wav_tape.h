// .wav tapes: a recording of a cassette, read through a comparator with
// hysteresis as the machine's one-transistor input reads the lead (PCM, 8 or
// 16 bits, mono or stereo, 8 to 96 kHz, with whatever noise and offset the
// recording has); and the machine's cassette output written as 48 kHz 16-bit
// mono, through the AC coupling a recorder's input has.
#pragma once

#include <cstddef>
#include <cstdint>

#include "machine/tape_signal.h"

constexpr int WAV_HEADER_SIZE = 44;  // the plain PCM header we write
constexpr uint32_t TAPE_WAV_RATE = 48000;

// The header of a 16-bit mono PCM file of samples at rate.
void makeWavHeader(uint8_t header[WAV_HEADER_SIZE], uint32_t rate, uint32_t samples);

// Whether bytes can begin a .wav: "RIFF".
bool looksLikeWav(const uint8_t* bytes, size_t size);

enum class WavPart : uint8_t { Riff, ChunkHeader, Format, Skip, Data, Done, Refused };

// A slope of the signal: its steps' sum, and the cycle of its middle.
struct WavSlope {
    int64_t sum, cycle;
};

// The comparator: the lead's AC coupling (a high-pass), the envelope of the
// signal, and the level, which turns high above a quarter of the envelope
// and low below minus a quarter, at the middle of the steepest slope that
// took it there. Values in 1/256ths of a 16-bit sample.
struct WavComparator {
    int64_t lastInput, filtered, envelope;
    int64_t pole, decay;  // the high-pass's and the envelope's, in 1/2^30ths
    bool high;
    int64_t sample;       // samples taken
    int64_t lastChange;   // the cycle of the last change of level
    uint32_t changes;
    bool pending;         // the level has changed; its moment comes with the slope's end
    WavSlope steepest[2];  // since the last change, downwards and upwards
    int64_t lastHigh;     // cycles of the last high level
    int64_t balance;      // the short lows less the short highs before them
    int8_t slopeDirection;  // of the slope the signal is on: 1 up, -1 down, 0 flat
    int64_t slopeStart, slopeSum, slopeMoment;  // its first sample, steps, steps x samples from its first
};

// Reads a .wav in pieces of any size, writing its signal as it goes.
struct WavReader {
    WavPart part;
    uint8_t held[40];        // a header, the format, or a sample frame split between pieces
    uint32_t heldCount, heldWanted;
    uint64_t left;           // bytes of the chunk still to read or skip
    bool formatSeen;
    uint16_t channels, bytesPerSample;
    uint32_t rate;
    bool inverted;           // the recording's high is the lead's low
    WavComparator comparator;
    const char* reason;
};

// Recorders differ in which way up they play a tape back. CSAVE's lows
// last 40 to 60 cycles longer than its short pulses; a reading whose short
// highs come out longer than the lows after them (wavBalance below 0) was
// upside down, and the next reading of the file can turn it over.
void beginWav(WavReader& reader, bool inverted);
int64_t wavBalance(const WavReader& reader);
void feedWav(WavReader& reader, const uint8_t* bytes, size_t size, TapeSignalWriter& out);
// False with a reason when the file is refused, ends before its samples do,
// or nothing in it crosses the comparator's thresholds.
bool endWav(WavReader& reader, TapeSignalWriter& out, const char*& reason);

// Writes a signal of the machine's cassette output as a .wav in pieces:
// the header, then the samples, each the mean level over its 1/48000 s.
struct WavWriter {
    uint32_t index;     // the signal's next entry
    bool high;
    int64_t levelLeft;  // ticks (1/12 cycle) of the current level still to come
    int64_t sample, samples;
    int64_t lastInput, filtered;
};

// The whole file's size for the signal.
uint64_t beginWavWriting(WavWriter& writer, const TapeSignal& signal);
// The next bytes of the file into out; 0 once all are written.
size_t writeWavPiece(WavWriter& writer, const TapeSignal& signal, uint8_t* out, size_t capacity);
