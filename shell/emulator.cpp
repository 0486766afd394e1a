#include "shell/emulator.h"

#include <cstdio>
#include <cstring>

#include "machine/bus.h"
#include "machine/loaders.h"
#include "machine/video.h"
#include "rom/open_rom.h"
#include "shell/frame_clock.h"
#include "shell/host_keyboard.h"
#include "shell/main_window.h"

Z80State z80;
bool isActive = true;

int emulatorMain(HostInstance instance, int showCommand)
{
    if (!createMainWindow(instance, showCommand)) return EXIT_FAILED_START;
    initFrameClock();
    if (initHostKeyboard(mainWindow) < 0) {
        hostErrorBox(nullptr, "Error Initializing DirectInput", "Tessel");
        // WM_DESTROY shuts down and posts a quit that nobody reads.
        hostDestroyWindow(mainWindow);
        mainWindow = nullptr;
        return EXIT_FAILED_START;
    }
    startMachine();
    runMessageLoop();
    shutdownEmulator();
    return EXIT_AFTER_CLOSE;
}

void startMachine()
{
    bindMemoryImage(memoryImage);
    // Before the reset, which copies it into the first frame's budget.
    z80.cyclesPerFrame = CYCLES_PER_FRAME;
    resetProcessor(z80);
    if (!loadRomImage(ROM_FILE)) {
        std::memcpy(memoryImage, openRomImage, sizeof openRomImage);
        std::fprintf(stderr, "tessel: no %s here, running the built-in open ROM\n", ROM_FILE);
    }
    if (!loadFontImage(FONT_FILE)) {
        std::memcpy(fontImage, openFontImage, sizeof openFontImage);
        std::fprintf(stderr, "tessel: no %s here, using the built-in open font\n", FONT_FILE);
    }
    buildGlyphAtlas();
}

void runMessageLoop()
{
    bool quit = false;
    while (!quit) {
        HostMessage message;
        if (hostPeekMessage(message)) {
            // The quit message is delivered like any other before the loop ends.
            if (message.message == WM_QUIT) quit = true;
            hostTranslateMessage(message);
            hostDispatchMessage(message);
        } else {
            frameStep();
        }
    }
}

void frameStep()
{
    // While another application is in front the matrix keeps its last rows.
    if (isActive) pollKeyboard();
    runFrame(z80);
    renderScreen();
    // Drawing comes before the wait, so the picture goes out at the deadline.
    waitForFrame();
    presentScreen();
}

void shutdownEmulator()
{
    releaseHostKeyboard();
    releaseBackBuffer();
}
