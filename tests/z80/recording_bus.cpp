#include "tests/z80/recording_bus.h"

#include <algorithm>
#include <cstring>

uint8_t recordedMemory[RECORDED_MEMORY_SIZE];
std::vector<BusEvent> busLog;
std::vector<uint8_t> portInputQueue;
uint8_t portInputValue = 0xFF;
int patchHookCalls = 0;
uint16_t patchHookPC = 0;
Z80State patchHookState{};
void (*patchHookAction)(Z80State& s) = nullptr;
const Z80State* budgetWatched = nullptr;
std::vector<int32_t> writeBudgets;
std::vector<std::pair<uint16_t, int32_t>> readBudgets;

static void noteBudget()
{
    if (budgetWatched) writeBudgets.push_back(budgetWatched->cyclesLeft);
}

uint8_t memRead(uint16_t address, int32_t cyclesLeft)
{
    if (budgetWatched) readBudgets.emplace_back(address, cyclesLeft);
    uint8_t value = recordedMemory[address];
    busLog.push_back({Access::READ, address, value});
    return value;
}

void memWrite(uint16_t address, uint8_t value)
{
    recordedMemory[address] = value;
    busLog.push_back({Access::WRITE, address, value});
    noteBudget();
}

uint8_t portIn(uint16_t port)
{
    uint8_t value = portInputValue;
    if (!portInputQueue.empty()) {
        value = portInputQueue.front();
        portInputQueue.erase(portInputQueue.begin());
    }
    busLog.push_back({Access::PORT_IN, port, value});
    return value;
}

void portOut(uint16_t port, uint8_t value)
{
    busLog.push_back({Access::PORT_OUT, port, value});
    noteBudget();
}

void patchHook(Z80State& s)
{
    ++patchHookCalls;
    patchHookPC = s.PC;
    patchHookState = s;
    if (patchHookAction) patchHookAction(s);
}

void resetRecordingBus()
{
    std::memset(recordedMemory, 0, sizeof recordedMemory);
    busLog.clear();
    portInputQueue.clear();
    portInputValue = 0xFF;
    patchHookCalls = 0;
    patchHookPC = 0;
    patchHookState = Z80State{};
    patchHookAction = nullptr;
    budgetWatched = nullptr;
    writeBudgets.clear();
    readBudgets.clear();
}

std::size_t countAccesses(Access kind)
{
    return static_cast<std::size_t>(
        std::count_if(busLog.begin(), busLog.end(), [kind](const BusEvent& e) { return e.kind == kind; }));
}
