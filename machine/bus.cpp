#include "machine/bus.h"

#include "machine/vz200.h"

// The budget was charged before the instruction that reads or writes the
// window ran, so this is the moment the instruction ends.
static int32_t cycleOfFrame()
{
    const Z80State& s = vz200.processor;
    return s.cyclesPerFrame - s.cyclesLeft;
}

// The keys of the selected rows, and the cassette input in bit 6.
[[gnu::noinline]] static uint8_t readWindow(uint16_t address)
{
    uint8_t keys = readKeyboardWindow(vz200.keyboardMatrix, address);
    uint8_t cassette = cassetteInput(vz200.tapeDeck, cycleOfFrame());
    return static_cast<uint8_t>((keys & ~CASSETTE_INPUT) | cassette);
}

// memRead and memWrite stay small, so that they inline into the processor's
// loop: the keyboard window and the latch are reached through calls.
uint8_t memRead(uint16_t address)
{
    if (address >= PROTECTED_END && address <= KEYBOARD_WINDOW_END) [[unlikely]]
        return readWindow(address);
    return vz200.memoryImage[address];
}

[[gnu::noinline]] static void writeOutputLatch(uint8_t value)
{
    vz200.outputLatch = value;
    speakerLatchWritten(vz200.speaker, value, cycleOfFrame());
    cassetteOutputWritten(vz200.tapeDeck, value, cycleOfFrame());
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
