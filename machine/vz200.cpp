#include "machine/vz200.h"

#include <cstdio>
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

void startMachine()
{
    MachineFiles files = powerOnMachine(ROM_FILE, FONT_FILE);
    if (!files.romRead) std::fprintf(stderr, "tessel: no %s here, running the built-in open ROM\n", ROM_FILE);
    if (!files.fontRead) std::fprintf(stderr, "tessel: no %s here, using the built-in open font\n", FONT_FILE);
}

void restartMachine()
{
    clearMachine();
    startMachine();
}

void runMachineFrame(const uint8_t* keys)
{
    if (keys) rebuildKeyboardMatrix(vz200.keyboardMatrix, keys);
    runFrame(vz200.processor);
    finishSpeakerFrame(vz200.speaker);
    finishTapeFrame(vz200.tapeDeck);
    renderScreen(vz200);
}
