// Arbitrary bytes as a tape (.cvz or .wav) put into the machine's tape deck,
// over a tape of our own already in it. The bytes fed in pieces (their size
// chosen by the input's length) and all at once must get the same answer; a
// refused tape leaves the deck and its tape as they were; a .cvz taken must
// play the signal that decodes to its own bytes; a tape taken plays on in
// the machine, to its end at the most.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz_machine.h"
#include "machine/vz200.h"

namespace {

[[noreturn]] void finding(const char* what, long detail)
{
    std::fprintf(stderr, "tape: %s (%ld)\n", what, detail);
    std::abort();
}

// A program of three bytes as CSAVE writes it, with a short leader.
const uint8_t ownTape[] = {0x80, 0x80, 0x80, 0x80, 0xFE, 0xFE, 0xFE, 0xFE, 0xFE, 0xF0, 'O', 0, 0xE9, 0x7A,
                           0xEC, 0x7A, 0x11, 0x22, 0x33, 0x1C, 0xD6, 0, 0, 0, 0};

bool insertInPieces(const uint8_t* data, size_t size, size_t piece, const char*& reason)
{
    static TapeInsert passes[2];
    for (int pass = 0; pass < 2; ++pass) {
        beginTapeInsert(passes[pass], pass == 0 ? nullptr : &passes[0]);
        for (size_t at = 0; at < size; at += piece) {
            feedTapeInsert(passes[pass], data + at, size - at < piece ? size - at : piece);
        }
        if (!endTapeInsert(vz200.tapeDeck, passes[pass], reason)) return false;
    }
    return true;
}

// A .cvz's signal, made apart from the deck, read back into bytes.
void checkRoundTrip(const uint8_t* data, size_t size)
{
    static TapeSignal signal;
    static uint8_t decoded[CVZ_FILE_MAX];
    TapeSignalWriter writer;
    beginTapeSignal(writer, &signal);
    CvzReader reader;
    beginCvz(reader);
    feedCvz(reader, data, size, writer);
    const char* reason = nullptr;
    if (!endCvz(reader, writer, reason)) finding("a .cvz the deck took is refused alone", 0);
    if (signal.length != tapeStatus(vz200.tapeDeck).length) finding("the deck's tape is not the .cvz's", signal.length);
    size_t count = cvzFromSignal(signal, decoded, sizeof decoded);
    if (count != size || std::memcmp(decoded, data, size) != 0) finding("the signal decodes to other bytes", static_cast<long>(count));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    restoreBootedMachine();
    const char* reason = nullptr;
    if (!insertTape(vz200.tapeDeck, ownTape, sizeof ownTape, reason)) finding("our own tape is refused", 0);
    const TapeDeck deckBefore = vz200.tapeDeck;
    const int64_t lengthBefore = tapeStatus(vz200.tapeDeck).length;

    const char* pieceReason = nullptr;
    bool inPieces = insertInPieces(data, size, size % 61 + 1, pieceReason);
    if (!inPieces) {
        if (!pieceReason) finding("refused without a reason", 0);
        if (std::memcmp(&vz200.tapeDeck, &deckBefore, sizeof deckBefore) != 0) finding("a refusal moved the deck", 0);
        if (tapeStatus(vz200.tapeDeck).length != lengthBefore) finding("a refusal changed the tape", 0);
    }
    const char* wholeReason = nullptr;
    bool whole = insertTape(vz200.tapeDeck, data, size, wholeReason);
    if (whole != inPieces || (!whole && std::strcmp(wholeReason, pieceReason) != 0)) {
        finding("pieces and the whole disagree", static_cast<long>(size % 61 + 1));
    }
    if (!whole) return 0;

    if (looksLikeCvz(data, size)) checkRoundTrip(data, size);
    int64_t length = tapeStatus(vz200.tapeDeck).length;
    if (length <= 0) finding("a tape taken holds nothing", 0);
    playTape(vz200.tapeDeck);
    constexpr int FRAMES = 3;
    for (int frame = 0; frame < FRAMES; ++frame) runMachineFrame(nullptr);
    int64_t position = tapeStatus(vz200.tapeDeck).position;
    int64_t expected = length < FRAMES * CYCLES_PER_FRAME ? length : FRAMES * CYCLES_PER_FRAME;
    if (position != expected) finding("the tape did not run with the machine", static_cast<long>(position - expected));
    return 0;
}
