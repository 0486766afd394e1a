#include "machine/bus.h"

#include "machine/vz200.h"

// memRead and memWrite stay small, so that they inline into the processor's
// loop: the keyboard window and the latch are reached through calls.
uint8_t memRead(uint16_t address)
{
    if (address >= PROTECTED_END && address <= KEYBOARD_WINDOW_END) [[unlikely]]
        return readKeyboardWindow(vz200.keyboardMatrix, address);
    return vz200.memoryImage[address];
}

[[gnu::noinline]] static void writeOutputLatch(uint8_t value)
{
    vz200.outputLatch = value;
    // The budget was charged before the writing instruction ran, so this is
    // the moment the instruction ends.
    const Z80State& s = vz200.processor;
    speakerLatchWritten(vz200.speaker, value, s.cyclesPerFrame - s.cyclesLeft);
}

void memWrite(uint16_t address, uint8_t value)
{
    if (address < PROTECTED_END) [[unlikely]]
        return;
    vz200.memoryImage[address] = value;
    if (address <= KEYBOARD_WINDOW_END) [[unlikely]]
        writeOutputLatch(value);
}

uint8_t portIn(uint16_t) { return 0xFF; }
void portOut(uint16_t, uint8_t) {}
void patchHook(Z80State&) {}
