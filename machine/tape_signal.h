// A tape's signal as the cassette lead carries it, after the machine's
// one-transistor input or before its output: two levels, low (the lead at
// rest) and high, kept as the lengths of successive levels in processor
// cycles, low first. The tape decoders write it, the deck plays and records
// it, the encoders read it.
#pragma once

#include <cstdint>

// Cycles of the processor in a second of tape: the machine's 3.58 MHz.
constexpr int64_t TAPE_CYCLES_PER_SECOND = 3580000;

// A level of up to 0x7FFF cycles takes one entry; a longer one two, the
// first marked by its top bit. Longer than TAPE_LEVEL_LONGEST (ten minutes)
// is kept as that.
constexpr int64_t TAPE_LEVEL_LONGEST = 0x7FFFFFFF;

// 2M entries, 4 MB: some 12 minutes of the ROM's signal (about 2,900 levels a
// second), more than the largest program the machine's RAM can hold takes.
constexpr uint32_t TAPE_SIGNAL_CAPACITY = 1u << 21;

struct TapeSignal {
    uint16_t entries[TAPE_SIGNAL_CAPACITY];
    uint32_t size;   // entries in use
    int64_t length;  // cycles of all its levels
};

// Writes levels one after another, joining a level to the one before when
// they are the same. With no signal it only counts, so that a tape can be
// measured before it replaces the one in the deck.
struct TapeSignalWriter {
    TapeSignal* signal;  // null: count only
    uint32_t entries;    // written, or that would have been
    int64_t length;
    bool high;           // the level being held
    int64_t held;        // its cycles so far, not yet written
    bool full;           // a level did not fit
};

void beginTapeSignal(TapeSignalWriter& writer, TapeSignal* signal);
// The level for cycles more (none: nothing happens).
void holdTapeLevel(TapeSignalWriter& writer, bool high, int64_t cycles);
// Writes the level still held; the signal's size and length then stand.
void endTapeSignal(TapeSignalWriter& writer);

// The length of the level at entry index (its first level is low), moving
// index past it; -1 at the end.
int64_t nextTapeLevel(const TapeSignal& signal, uint32_t& index);
