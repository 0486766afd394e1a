#include "machine/vz200.h"

#include <cstring>

#include "rom/open_rom.h"

Vz200 vz200;

void clearMachine() { std::memset(&vz200, 0, sizeof vz200); }

MachineFiles powerOnMachine(const char* romPath, const char* fontPath)
{
    Z80State& s = vz200.processor;
    // Before the reset, which copies it into the first frame's budget.
    s.cyclesPerFrame = CYCLES_PER_FRAME;
    s.frameEndVector = FRAME_END_VECTOR;
    resetProcessor(s);
    MachineFiles files = {romPath && loadRomImage(vz200, romPath), fontPath && loadFontImage(vz200, fontPath)};
    if (!files.romRead) std::memcpy(vz200.memoryImage, openRomImage, sizeof openRomImage);
    if (!files.fontRead) std::memcpy(vz200.fontImage, openFontImage, sizeof openFontImage);
    buildGlyphAtlas(vz200);
    return files;
}

void runMachineFrame(const uint8_t* keys, const StickInput* sticks)
{
    if (keys) rebuildKeyboardMatrix(vz200.keyboardMatrix, keys);
    if (sticks) applyStickInput(vz200.joystick, *sticks);
    startPrinterFrame(vz200.printer);
    runFrame(vz200.processor);
    finishSpeakerFrame(vz200.speaker);
    finishTapeFrame(vz200.tapeDeck);
    renderScreen(vz200);
}
