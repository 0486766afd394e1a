#include "machine/tape_deck.h"

#include <algorithm>

#include "machine/crc32.h"
#include "machine/vz200.h"

namespace {

TapeSignal inserted;
uint32_t insertedCrc;  // of its entries, taken once at the insert
TapeSignal recorded;
TapeSignalWriter recorder;

// Plays the tape on to the cycle; at its end the deck stops there and the
// lead rests.
void runTapeTo(TapeDeck& deck, int64_t cycle)
{
    while (deck.levelEnd <= cycle) {
        int64_t cycles = nextTapeLevel(inserted, deck.playIndex);
        if (cycles < 0) {
            deck.playing = false;
            deck.inputHigh = false;
            deck.levelEnd = 0;
            deck.played = inserted.length;
            return;
        }
        deck.inputHigh = (deck.levels++ & 1) != 0;
        deck.levelEnd += cycles;
    }
}

}  // namespace

// ---- Tapes in -----------------------------------------------------------

void beginTapeInsert(TapeInsert& insert, const TapeInsert* measured)
{
    insert = TapeInsert{};
    insert.keep = measured != nullptr;
    insert.inverted = measured && measured->format == TapeFormat::Wav && wavBalance(measured->wav) < 0;
    beginTapeSignal(insert.out, insert.keep ? &inserted : nullptr);
}

namespace {

void feedFormat(TapeInsert& insert, const uint8_t* bytes, size_t size)
{
    if (insert.format == TapeFormat::Cvz) feedCvz(insert.cvz, bytes, size, insert.out);
    else feedWav(insert.wav, bytes, size, insert.out);
}

// The format from the first bytes, which then go to its reader.
void chooseFormat(TapeInsert& insert)
{
    if (looksLikeCvz(insert.first, insert.firstCount)) {
        insert.format = TapeFormat::Cvz;
        beginCvz(insert.cvz);
    } else if (looksLikeWav(insert.first, insert.firstCount)) {
        insert.format = TapeFormat::Wav;
        beginWav(insert.wav, insert.inverted);
    } else {
        insert.failure = "it is neither a .cvz nor a .wav tape";
        return;
    }
    feedFormat(insert, insert.first, insert.firstCount);
}

}  // namespace

void feedTapeInsert(TapeInsert& insert, const uint8_t* bytes, size_t size)
{
    for (; size > 0 && insert.format == TapeFormat::Unknown && !insert.failure; ++bytes, --size) {
        insert.first[insert.firstCount++] = *bytes;
        if (insert.firstCount == sizeof insert.first) chooseFormat(insert);
    }
    if (size > 0 && !insert.failure) feedFormat(insert, bytes, size);
}

bool endTapeInsert(TapeDeck& deck, TapeInsert& insert, const char*& reason)
{
    // A file shorter than the bytes that tell the format.
    if (insert.format == TapeFormat::Unknown && insert.firstCount > 0 && !insert.failure) chooseFormat(insert);
    bool read = false;
    if (insert.failure) reason = insert.failure;
    else if (insert.format == TapeFormat::Unknown) reason = "it is empty";
    else if (insert.format == TapeFormat::Cvz) read = endCvz(insert.cvz, insert.out, reason);
    else read = endWav(insert.wav, insert.out, reason);
    if (read && insert.out.full) {
        reason = "it is longer than the 12 minutes or so of signal the deck holds";
        read = false;
    }
    if (insert.keep) {
        // The tape was being replaced: what is left of it is no tape.
        if (!read) {
            inserted.size = 0;
            inserted.length = 0;
        }
        insertedCrc = crc32(reinterpret_cast<const uint8_t*>(inserted.entries), inserted.size * sizeof inserted.entries[0]);
        rewindTape(deck);
    }
    return read;
}

bool insertTape(TapeDeck& deck, const uint8_t* bytes, size_t size, const char*& reason)
{
    static TapeInsert passes[2];
    for (int pass = 0; pass < 2; ++pass) {
        beginTapeInsert(passes[pass], pass == 0 ? nullptr : &passes[0]);
        feedTapeInsert(passes[pass], bytes, size);
        if (!endTapeInsert(deck, passes[pass], reason)) return false;
    }
    return true;
}

// ---- The deck's keys --------------------------------------------------------

void playTape(TapeDeck& deck) { deck.playing = true; }

void stopTape(TapeDeck& deck) { deck.playing = false; }

void rewindTape(TapeDeck& deck)
{
    deck.playing = false;
    deck.inputHigh = false;
    deck.playIndex = 0;
    deck.levels = 0;
    // The first level begins with the first cycle that plays.
    deck.levelEnd = 0;
    deck.played = 0;
}

void recordTape(TapeDeck& deck, uint8_t latch)
{
    beginTapeSignal(recorder, &recorded);
    endTapeSignal(recorder);
    deck.recording = true;
    deck.outputHigh = (latch & LATCH_CASSETTE) != 0;
    deck.outputSince = 0;
}

void stopRecording(TapeDeck& deck)
{
    if (!deck.recording) return;
    holdTapeLevel(recorder, deck.outputHigh, -deck.outputSince);
    endTapeSignal(recorder);
    deck.recording = false;
}

bool tapeInItsLastLevel(const TapeDeck& deck) { return deck.playing && deck.playIndex >= inserted.size; }

TapeStatus tapeStatus(const TapeDeck& deck)
{
    return TapeStatus{deck.playing, deck.recording, recorder.full, deck.played, inserted.length, recorded.length};
}

const TapeSignal& tapeRecording() { return recorded; }

void takeTapePosition(TapeDeck& deck, const TapeDeck& from)
{
    deck.playing = from.playing;
    deck.inputHigh = from.inputHigh;
    deck.playIndex = from.playIndex;
    deck.levels = from.levels;
    deck.levelEnd = from.levelEnd;
    deck.played = from.played;
}

TapeIdentity insertedTape() { return TapeIdentity{insertedCrc, inserted.size}; }

bool tapeAtRest(const TapeDeck& deck)
{
    return !deck.playing && !deck.inputHigh && deck.playIndex == 0 && deck.levels == 0 && deck.levelEnd == 0 &&
           deck.played == 0;
}

size_t tapeRecordingAsCvz(uint8_t* out, size_t capacity) { return cvzFromSignal(recorded, out, capacity); }

size_t insertedTapeAsCvz(uint8_t* out, size_t capacity) { return cvzFromSignal(inserted, out, capacity); }

// ---- The machine's side --------------------------------------------------

uint8_t cassetteInput(TapeDeck& deck, int32_t cycle)
{
    // Stopped, the lead rests, whichever level the tape stopped on.
    if (!deck.playing) return WINDOW_CASSETTE_INPUT;
    runTapeTo(deck, cycle);
    return deck.inputHigh ? 0 : WINDOW_CASSETTE_INPUT;
}

void cassetteOutputWritten(TapeDeck& deck, uint8_t latch, int32_t cycle)
{
    bool outputHigh = (latch & LATCH_CASSETTE) != 0;
    if (!deck.recording || outputHigh == deck.outputHigh) return;
    // Never before a change already kept, as a late write of a frame that ran
    // over its budget could be.
    int64_t at = std::max<int64_t>(cycle, deck.outputSince);
    holdTapeLevel(recorder, deck.outputHigh, at - deck.outputSince);
    deck.outputHigh = outputHigh;
    deck.outputSince = at;
}

void finishTapeFrame(TapeDeck& deck)
{
    if (deck.playing) {
        runTapeTo(deck, CYCLES_PER_FRAME);
        if (deck.playing) {
            deck.levelEnd -= CYCLES_PER_FRAME;
            deck.played += CYCLES_PER_FRAME;
        }
    }
    if (deck.recording) deck.outputSince -= CYCLES_PER_FRAME;
}
