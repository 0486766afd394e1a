// One switch per instruction set: 256 case labels, each running the
// template instance of its opcode through call(n).
#pragma once

#define Z80_CASE(n, call) case (n): call(n); break;
#define Z80_CASES8(n, call)                                                                        \
    Z80_CASE(n, call) Z80_CASE(n + 1, call) Z80_CASE(n + 2, call) Z80_CASE(n + 3, call)             \
    Z80_CASE(n + 4, call) Z80_CASE(n + 5, call) Z80_CASE(n + 6, call) Z80_CASE(n + 7, call)
#define Z80_CASES64(n, call)                                                                       \
    Z80_CASES8(n, call) Z80_CASES8(n + 8, call) Z80_CASES8(n + 16, call) Z80_CASES8(n + 24, call)   \
    Z80_CASES8(n + 32, call) Z80_CASES8(n + 40, call) Z80_CASES8(n + 48, call) Z80_CASES8(n + 56, call)
#define Z80_CASES256(call) Z80_CASES64(0, call) Z80_CASES64(64, call) Z80_CASES64(128, call) Z80_CASES64(192, call)

// The switch over an opcode of one set.
#define Z80_DISPATCH(opcode, call) \
    switch (opcode) {              \
        Z80_CASES256(call)         \
    }
