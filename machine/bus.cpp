#include "machine/bus.h"

#include "machine/field_sync.h"
#include "machine/vz200.h"

// Processor time since the frame began, from the budget: charged for the
// instruction that reads or writes, so the moment it ends.
static int32_t frameCycle(int32_t cyclesLeft) { return CYCLES_PER_FRAME - cyclesLeft; }

// Out of line, so that memRead stays small enough to inline into the
// processor's loop.
[[gnu::noinline]] static uint8_t readKeyboardWindowAt(uint16_t address, int32_t cyclesLeft)
{
    int32_t cycle = frameCycle(cyclesLeft);
    uint8_t value = readKeyboardWindow(vz200.keyboardMatrix, address) & WINDOW_KEY_BITS;
    value |= cassetteInput(vz200.tapeDeck, cycle);
    if (fieldSyncHigh(cycle)) value |= WINDOW_FIELD_SYNC;
    return value;
}

// memRead and memWrite stay small, so that they inline into the processor's
// loop: the keyboard window and the latch are reached through calls.
uint8_t memRead(uint16_t address, int32_t cyclesLeft)
{
    if (address >= PROTECTED_END && address <= KEYBOARD_WINDOW_END) [[unlikely]]
        return readKeyboardWindowAt(address, cyclesLeft);
    return vz200.memoryImage[address];
}

[[gnu::noinline]] static void writeOutputLatch(uint8_t value)
{
    vz200.outputLatch = value;
    int32_t cycle = frameCycle(vz200.processor.cyclesLeft);
    speakerLatchWritten(vz200.speaker, value, cycle);
    cassetteOutputWritten(vz200.tapeDeck, value, cycle);
}

void memWrite(uint16_t address, uint8_t value)
{
    if (address < PROTECTED_END) [[unlikely]]
        return;
    vz200.memoryImage[address] = value;
    if (address <= KEYBOARD_WINDOW_END) [[unlikely]]
        writeOutputLatch(value);
}

// The devices decode the low byte of the port: the one an IN A,(n) puts on
// A0-A7, or C of an IN r,(C).
uint8_t portIn(uint16_t port)
{
    uint8_t line = static_cast<uint8_t>(port);
    if (isJoystickPort(line)) return readJoystickPort(vz200.joystick, line);
    if (line == PRINTER_STATUS_PORT) return printerStatus();
    return 0xFF;
}

void portOut(uint16_t port, uint8_t value)
{
    if (static_cast<uint8_t>(port) == PRINTER_DATA_PORT) printerStrobe(vz200.printer, value);
}

void patchHook(Z80State&) {}
