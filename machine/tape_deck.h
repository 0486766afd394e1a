// The cassette recorder on the machine's tape lead. The machine does not
// switch its motor (the output latch has no bit for one: bits 1 and 2 are
// the cassette output, the others the speaker and the video chip), so a tape
// runs from the moment play is pressed until stop or its end, whatever the
// ROM is doing. Played, its signal reaches bit 6 of every keyboard window
// read, to the cycle; recording, the deck keeps every change of the latch's
// cassette bits, to the cycle, on a blank tape of its own. Neither changes
// anything else of the machine.
//
// The deck's place on the tape is in the machine's record; the tapes (the
// one played, the one recorded) are the deck's, outside it, and outlast a
// power-on as a cassette in a recorder does.
#pragma once

#include <cstddef>
#include <cstdint>

#include "machine/bus.h"
#include "machine/cvz_tape.h"
#include "machine/tape_signal.h"
#include "machine/wav_tape.h"

// Bit 6 of a keyboard window read (WINDOW_CASSETTE_INPUT): 1 while the lead
// is at rest (the input transistor is off), 0 while the tape's signal is
// high. CLOAD waits for a 0 at ROM 0x35E7 and times a bit from each 0 at
// ROM 0x378F.
// The latch's cassette output: CSAVE sets both bits for the high half of a
// pulse and clears both for the low (ROM 0x3545, 0x354E).
constexpr uint8_t LATCH_CASSETTE = 0x06;

// All zero: stopped at the start of the tape, not recording.
struct TapeDeck {
    bool playing;
    bool inputHigh;       // the played signal's level now, or where it stopped
    uint32_t playIndex;   // the next entry of the played tape
    uint32_t levels;      // levels of it begun; the first is low, the next high...
    int64_t levelEnd;     // the cycle of this frame at which the level ends
    int64_t played;       // cycles of the tape played before this frame
    bool recording;
    bool outputHigh;      // the cassette output as last recorded
    int64_t outputSince;  // the cycle of this frame it took that level (before it: below 0)
};

// ---- Tapes in -----------------------------------------------------------

// A tape of .cvz or .wav bytes, told apart by their first bytes, goes into
// the deck, stopped at its start. False, with reason set to a sentence and
// the deck and its tape as they were, when the bytes are neither, are cut
// short, hold no tape, or more than the deck holds (TAPE_SIGNAL_CAPACITY).
bool insertTape(TapeDeck& deck, const uint8_t* bytes, size_t size, const char*& reason);

// The same for a reader that has the bytes in pieces (a file): a pass that
// measures the tape (measured null), then, if it passed, one that keeps it,
// given the first. Each pass feeds every byte from the first, in order.
enum class TapeFormat : uint8_t { Unknown, Cvz, Wav };
struct TapeInsert {
    bool keep;
    bool inverted;  // a .wav recorded upside down
    TapeFormat format;
    CvzReader cvz;
    WavReader wav;
    TapeSignalWriter out;
    uint8_t first[4];     // the first bytes, which tell the format
    uint8_t firstCount;
    const char* failure;  // set by the reader when it could not read a piece
};
void beginTapeInsert(TapeInsert& insert, const TapeInsert* measured);
void feedTapeInsert(TapeInsert& insert, const uint8_t* bytes, size_t size);
bool endTapeInsert(TapeDeck& deck, TapeInsert& insert, const char*& reason);

// ---- The deck's keys, between two frames ------------------------------------

void playTape(TapeDeck& deck);  // at the tape's end it stops again at once
void stopTape(TapeDeck& deck);
void rewindTape(TapeDeck& deck);  // and stops
// Records from the next frame onto a blank tape, erasing the last
// recording; latch is the output latch now.
void recordTape(TapeDeck& deck, uint8_t latch);
void stopRecording(TapeDeck& deck);

struct TapeStatus {
    bool playing, recording;
    bool recordingFull;  // the recording filled the deck's tape; the rest is lost
    int64_t position, length;  // of the played tape, in cycles (TAPE_CYCLES_PER_SECOND)
    int64_t recorded;          // cycles recorded until the last stop
};
TapeStatus tapeStatus(const TapeDeck& deck);

// Whether the played tape has nothing more to say: it plays its last level,
// which lasts to its end (as the silence after a recording does, read as
// either level).
bool tapeInItsLastLevel(const TapeDeck& deck);

// The last recording, as it stood at its stop: its signal, for writing it
// out as a .wav (beginWavWriting, writeWavPiece), or the bytes CSAVE wrote
// in it as a .cvz (at most capacity; returns how many).
const TapeSignal& tapeRecording();
size_t tapeRecordingAsCvz(uint8_t* out, size_t capacity);

// The tape in the deck, told from others by its signal's CRC-32 and size,
// as a snapshot names the tape its position belongs to.
struct TapeIdentity {
    uint32_t crc, size;
};
TapeIdentity insertedTape();

// The deck goes to from's place on the tape, playing or not as from is;
// the recorder goes on as it was (a snapshot's restore).
void takeTapePosition(TapeDeck& deck, const TapeDeck& from);

// Stopped at the start of its tape, as at power-on and after a rewind:
// where it is does not depend on which tape is in.
bool tapeAtRest(const TapeDeck& deck);

// The bytes the tape in the deck carries, read from its signal as CLOAD
// reads them (at most capacity; returns how many).
size_t insertedTapeAsCvz(uint8_t* out, size_t capacity);

// ---- The machine's side --------------------------------------------------

// What bit 6 of a keyboard window read at this cycle of the frame gives.
uint8_t cassetteInput(TapeDeck& deck, int32_t cycle);
// A write of the latch at this cycle of the frame.
void cassetteOutputWritten(TapeDeck& deck, uint8_t latch, int32_t cycle);
// The frame has ended: the tape has run on to its end.
void finishTapeFrame(TapeDeck& deck);
