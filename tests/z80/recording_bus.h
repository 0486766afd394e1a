// A flat 64 KB bus that records every memory and port access in order, for
// tests that check what an instruction reads and writes, and in which order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "z80/bus.h"
#include "z80/z80.h"

constexpr int RECORDED_MEMORY_SIZE = 65536;

enum class Access : uint8_t { READ, WRITE, PORT_IN, PORT_OUT };

struct BusEvent {
    Access kind;
    uint16_t address;  // memory address or port number
    uint8_t value;
    bool operator==(const BusEvent&) const = default;
};

extern uint8_t recordedMemory[RECORDED_MEMORY_SIZE];
extern std::vector<BusEvent> busLog;

// Port reads take the next byte of portInputQueue, then portInputValue.
extern std::vector<uint8_t> portInputQueue;
extern uint8_t portInputValue;

// What the trap opcode ED FE saw, and what it does to the state: nothing
// while patchHookAction is null.
extern int patchHookCalls;
extern uint16_t patchHookPC;
extern Z80State patchHookState;
extern void (*patchHookAction)(Z80State& s);

// While set, the budget of this state at each memory or port write, in order,
// and the budget each memory read was handed, by address.
extern const Z80State* budgetWatched;
extern std::vector<int32_t> writeBudgets;
extern std::vector<std::pair<uint16_t, int32_t>> readBudgets;

// Clears memory, the log, the port input, the trap record and action, and
// the budget watch.
void resetRecordingBus();

std::size_t countAccesses(Access kind);
