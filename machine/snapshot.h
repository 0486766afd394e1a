// Machine snapshots: everything that decides what the machine does next, as
// a fixed number of bytes that read the same on every host. A snapshot is
// taken and restored between two frames, like a program load. It holds no
// ROM and no font, only their CRCs: it restores onto a machine that has the
// same ones.
#pragma once

#include <cstddef>
#include <cstdint>

#include "machine/bus.h"

struct Vz200;

// The layout, little-endian throughout, signed numbers in two's complement:
//
//     0     12  "TESSEL-STATE"
//    12      4  format version, 2 (1 ends with memory)
//    16      4  total length, SNAPSHOT_SIZE (42896; version 1: 42857)
//    20      4  CRC-32 of every byte of the snapshot but these four
//    24      4  CRC-32 of memory 0x0000-0x67FF: the ROM and what else the
//               machine cannot write
//    28      4  CRC-32 of the character generator (3072 bytes)
//    32      2  AF        (the processor)
//    34      2  BC
//    36      2  DE
//    38      2  HL
//    40      2  IX
//    42      2  IY
//    44      2  PC
//    46      2  SP
//    48      2  AF'
//    50      2  BC'
//    52      2  DE'
//    54      2  HL'
//    56      1  interrupt flags: IFF1 0x01, IM 1 0x02, IM 2 0x04, EI delay
//               running 0x20, IFF2 0x40, halted 0x80
//    57      1  I
//    58      4  cycles per frame, 71600
//    62      4  cycles left of the frame's budget
//    66      4  the budget put aside while an EI delay runs
//    70      2  the interrupt vector an EI delay ends in (0xFFFF: none)
//    72      2  the frame interrupt's vector, 0x0038
//    74      4  prefixed forms that cost nothing, still free in this frame
//    78      1  the frame's budget ran out on a HALT: 0 or 1
//    79      1  the output latch
//    80      8  keyboard matrix rows 0-7
//    88      1  speaker level: -1, 0 or +1 (the speaker)
//    89      4  speaker ticks of the frame already summed
//    93   3840  960 sample sums, 4 bytes each
//  3933      4  the high-pass filter's last input
//  3937      8  the high-pass filter's last output
//  3945  38912  memory 0x6800-0xFFFF
// From version 2:
// 42857      4  the joystick interface's closed switches, by address line
//               A0-A3: bit b pulls data bit b low
// 42861      1  the printer had a carriage return last: 0 or 1
// 42862      1  the tape deck is playing: 0 or 1
// 42863      1  the played signal is high: 0 or 1
// 42864      4  the tape's next entry
// 42868      4  the tape's levels begun
// 42872      8  the cycle of the next frame at which the level ends
// 42880      8  cycles of the tape played before the next frame
// 42888      4  CRC-32 of the tape's signal, and
// 42892      4  its entries (both 0 while the deck is at rest at the start:
//               then it is the same place on every tape)
//
// A deck at rest restores to the start of whatever tape is in; one away
// from the start goes to its place if its tape is in, and is refused if it
// was playing another tape; a stopped one on another tape leaves the deck
// as it is. The recorder is not in a snapshot: a restore leaves what it
// records, and what it has recorded, as they were.
//
// Each field from 32 on has the width its line states: the field list
// (snapshot.cpp) writes and reads each one as a named width (u8, u16,
// s32...), a field whose type in the machine no longer has that width does
// not compile there, and the offsets below are checked against the sum of
// the widths before them.
//
// Versions. A later version keeps the layout before it whole and appends
// its own fields at the end of the field list, under "if (version < n)
// return" for the version n that brought them: the writer and the reader go
// through the fields of the version they write or read, and the measure gives
// each version's length. So every offset here holds in every version. A version 1 snapshot
// is checked against version 1's length and read to the end of its memory,
// and the fields it does not have take what the machine has at power-on
// (no switch closed, no carriage return, the deck at rest at the start of
// its tape). One of a version this program does not know is refused on its
// version alone.
constexpr size_t SNAPSHOT_VERSION_AT = 12;
constexpr size_t SNAPSHOT_LENGTH_AT = 16;
constexpr size_t SNAPSHOT_CRC_AT = 20;
constexpr size_t SNAPSHOT_ROM_CRC_AT = 24;
constexpr size_t SNAPSHOT_FONT_CRC_AT = 28;
constexpr size_t SNAPSHOT_PROCESSOR_AT = 32;
constexpr size_t SNAPSHOT_PC_AT = 44;
constexpr size_t SNAPSHOT_INTERRUPT_FLAGS_AT = 56;
constexpr size_t SNAPSHOT_FRAME_CYCLES_AT = 58;
constexpr size_t SNAPSHOT_BUDGET_AT = 62;
constexpr size_t SNAPSHOT_EI_BUDGET_AT = 66;
constexpr size_t SNAPSHOT_FRAME_VECTOR_AT = 72;
constexpr size_t SNAPSHOT_ZERO_COST_AT = 74;
constexpr size_t SNAPSHOT_HALT_RAN_AT = 78;
constexpr size_t SNAPSHOT_LATCH_AT = 79;
constexpr size_t SNAPSHOT_SPEAKER_AT = 88;
constexpr size_t SNAPSHOT_SPEAKER_POSITION_AT = 89;
constexpr size_t SNAPSHOT_SAMPLE_SUMS_AT = 93;
constexpr size_t SNAPSHOT_FILTER_INPUT_AT = 3933;
constexpr size_t SNAPSHOT_FILTER_OUTPUT_AT = 3937;
constexpr size_t SNAPSHOT_MEMORY_AT = 3945;
constexpr size_t SNAPSHOT_VERSION_1_SIZE = SNAPSHOT_MEMORY_AT + (MEMORY_SIZE - PROTECTED_END);
constexpr size_t SNAPSHOT_JOYSTICK_AT = SNAPSHOT_VERSION_1_SIZE;
constexpr size_t SNAPSHOT_PRINTER_AT = 42861;
constexpr size_t SNAPSHOT_TAPE_AT = 42862;
constexpr size_t SNAPSHOT_TAPE_INDEX_AT = 42864;
constexpr size_t SNAPSHOT_TAPE_CRC_AT = 42888;
constexpr size_t SNAPSHOT_SIZE = 42896;

constexpr uint32_t SNAPSHOT_VERSION = 2;

// The checksum that belongs at SNAPSHOT_CRC_AT of these size bytes (24 or
// more): the CRC-32 of all of them but its own four.
uint32_t snapshotChecksum(const uint8_t* data, size_t size);

void saveSnapshot(const Vz200& machine, uint8_t out[SNAPSHOT_SIZE]);

// False, with reason set to a sentence in plain words and nothing of the
// machine changed, unless every check passes: what it is, its version,
// length and checksum, the ROM and font it was saved with, that the
// processor and speaker values are ones they can run from, and that a tape
// it was playing is the one in the recorder (the layout above). Then the
// machine takes the snapshot's state, the atlas is rebuilt and the picture
// drawn from video memory; the last frame's samples, which the host has
// had, read as silence.
bool restoreSnapshot(Vz200& machine, const uint8_t* data, size_t size, const char*& reason);

// The same through a file, for front ends; a file that cannot be opened or
// read is refused with a reason too. Reading stops one byte past the size
// a snapshot has, so a big file is refused without being read whole. Both
// share one static buffer: one call at a time.
bool writeSnapshotFile(const Vz200& machine, const char* path);
bool restoreSnapshotFile(Vz200& machine, const char* path, const char*& reason);
