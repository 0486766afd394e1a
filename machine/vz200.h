// The VZ200 as one unit: everything the machine holds, in one static record,
// and what the machine does at start and in each frame. The shell drives it
// through these; nothing here calls the host. Each device takes the piece
// of the record it works on by reference; only the bus, which the processor
// calls without one, and this unit name the one machine.
#pragma once

#include <cstdint>

#include "machine/bus.h"
#include "machine/joystick.h"
#include "machine/keyboard.h"
#include "machine/loaders.h"
#include "machine/printer.h"
#include "machine/speaker.h"
#include "machine/tape_deck.h"
#include "machine/video.h"
#include "z80/z80.h"

// One frame is a fiftieth of a second of the machine's 3.58 MHz clock.
constexpr int FRAMES_PER_SECOND = 50;
constexpr int32_t CYCLES_PER_FRAME = 71600;
// The frame interrupt: mode 1 calls 0x0038, and in mode 0 the data bus
// reads as RST 38, which lands at the same address.
constexpr uint16_t FRAME_END_VECTOR = 0x0038;

struct Vz200 {
    Z80State processor;
    MemoryImage memoryImage;
    uint8_t outputLatch;  // the last byte written to 0x6800-0x6FFF
    KeyboardMatrix keyboardMatrix;
    FontImage fontImage;
    uint32_t glyphAtlas[ATLAS_WIDTH * ATLAS_HEIGHT];  // every cell picture, drawn from the font at power-on
    uint32_t backBuffer[BACK_BUFFER_WIDTH * BACK_BUFFER_HEIGHT];  // the picture of the last frame
    Speaker speaker;
    JoystickPorts joystick;  // the sticks' switches, from the frame's stick snapshot
    Printer printer;
    TapeDeck tapeDeck;
};

// All zero when the program starts, as the machine is before its power-on.
extern Vz200 vz200;

// Back to the program's start: every byte of the machine zero.
void clearMachine();

// Which machine files a power-on could read; the built-in open ROM and font
// stood in for the others.
struct MachineFiles {
    bool romRead, fontRead;
};

// Power-on: binds the memory, sets the frame length and the frame
// interrupt, resets the processor, loads the system ROM and the character
// generator from these paths (a null path reads nothing; the built-in open
// ROM and font stand in for files that cannot be read) and builds the atlas.
// Says nothing: the caller chose the paths and tells the user what stood in.
MachineFiles powerOnMachine(const char* romPath, const char* fontPath);

// The whole frame: the keyboard matrix from the frame's key snapshot (256
// bytes by key code; null keeps the last rows, as while another application
// is in front) and the joysticks from its stick snapshot (null keeps the
// last), the processor's frame ended by its frame interrupt, the frame's
// SAMPLES_PER_FRAME samples in vz200.speaker.samples, what it printed in
// vz200.printer.text, the tape run on to the frame's end, and its picture in
// vz200.backBuffer.
void runMachineFrame(const uint8_t* keys, const StickInput* sticks = nullptr);
