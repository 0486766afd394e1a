// How every instruction set starts an instruction: the 256 opcodes as the
// literal tokens 0x00 to 0xFF, each(n, arg) once for every opcode, for one
// case or one label each; and the opcode fetched and charged.
#pragma once

#define Z80_OPCODES16(high, each, arg)                                                                      \
    each(high##0, arg) each(high##1, arg) each(high##2, arg) each(high##3, arg) each(high##4, arg)          \
    each(high##5, arg) each(high##6, arg) each(high##7, arg) each(high##8, arg) each(high##9, arg)          \
    each(high##A, arg) each(high##B, arg) each(high##C, arg) each(high##D, arg) each(high##E, arg)          \
    each(high##F, arg)
#define Z80_OPCODES256(each, arg)                                                                           \
    Z80_OPCODES16(0x0, each, arg) Z80_OPCODES16(0x1, each, arg) Z80_OPCODES16(0x2, each, arg)               \
    Z80_OPCODES16(0x3, each, arg) Z80_OPCODES16(0x4, each, arg) Z80_OPCODES16(0x5, each, arg)               \
    Z80_OPCODES16(0x6, each, arg) Z80_OPCODES16(0x7, each, arg) Z80_OPCODES16(0x8, each, arg)               \
    Z80_OPCODES16(0x9, each, arg) Z80_OPCODES16(0xA, each, arg) Z80_OPCODES16(0xB, each, arg)               \
    Z80_OPCODES16(0xC, each, arg) Z80_OPCODES16(0xD, each, arg) Z80_OPCODES16(0xE, each, arg)               \
    Z80_OPCODES16(0xF, each, arg)

// Reads the opcode at PC into opcode and charges its cost from the set's
// table, before the instruction runs: every set starts its instructions so.
#define Z80_FETCH_AND_CHARGE(opcode, s, costs) \
    opcode = fetchByte(s);                     \
    (s).cyclesLeft -= (costs)[opcode]

// Runs the instruction of one set whose opcode is at PC: fetches and
// charges it, and switches to call(opcode), which runs the instance of
// that opcode.
#define Z80_CASE(n, call) \
    case n: call(n); break;
#define Z80_DISPATCH(s, costs, call)                 \
    {                                                 \
        uint8_t opcode;                               \
        Z80_FETCH_AND_CHARGE(opcode, s, costs);       \
        switch (opcode) {                             \
            Z80_OPCODES256(Z80_CASE, call)            \
        }                                             \
    }
