// .cvz tapes: the bytes the ROM's CSAVE writes, in its order: a leader of
// 0x80 bytes, sync bytes 0xFE, the type, the name and a 0, the start and end
// addresses (low byte first), the body from start up to end, a 16-bit
// checksum, and a trailer of 0x00 bytes. Read into the signal CSAVE would
// make of them, to the cycle; written back from a signal of the machine's
// cassette output.
#pragma once

#include <cstddef>
#include <cstdint>

#include "machine/tape_signal.h"

constexpr uint8_t CVZ_LEADER = 0x80;  // ROM 0x355D: CSAVE writes 255 of them
constexpr uint8_t CVZ_SYNC = 0xFE;    // ROM 0x356A: and 5 of these

// The largest .cvz that means anything: a header, a body that fills the
// whole address space, and the rest.
constexpr size_t CVZ_FILE_MAX = 1024 + 65536;

enum class CvzPart : uint8_t { Leader, Sync, Type, Name, Addresses, Body, Checksum, Trailer, Refused };

// Reads a .cvz in pieces of any size, writing its signal as it goes; part
// names the piece of the file (leader, sync, ...) the last byte belongs to.
struct CvzReader {
    CvzPart part;
    int count;           // bytes read of this piece of the file
    uint8_t addresses[4];  // start and end
    uint32_t bodyLeft;
    const char* reason;  // why it is refused
};

// Whether bytes can begin a .cvz: the first is a leader byte.
bool looksLikeCvz(const uint8_t* bytes, size_t size);

void beginCvz(CvzReader& reader);
void feedCvz(CvzReader& reader, const uint8_t* bytes, size_t size, TapeSignalWriter& out);
// False with a reason when the tape is refused or ends before a program's
// checksum.
bool endCvz(CvzReader& reader, TapeSignalWriter& out, const char*& reason);

// The bytes a signal of the machine's cassette output carries, as CSAVE
// writes them: each burst of the signal from its first bit; at most capacity
// bytes. Returns how many.
size_t cvzFromSignal(const TapeSignal& signal, uint8_t* out, size_t capacity);
