#include "fuzz_machine.h"

#include <cstring>

#include "machine/vz200.h"
#include "shell/emulator.h"
#include "shell/frame_clock.h"
#include "hosts/headless/host_headless.h"
#include "shell/keyboard_service.h"
#include "shell/main_window.h"
#include "tests/support/shell_reset.h"

namespace {

constexpr int BOOT_FRAMES = 30;  // the open ROM shows its prompt well before

bool booted;
Vz200 bootedMachine;

// The shell's own state as at program start, then a window and a keyboard.
void openWindowAndKeyboard()
{
    resetProgram();
    headless.logEvents = false;  // a fuzzing process would keep an endless record
    createMainWindow(nullptr, 1);
    initFrameClock();
    initHostKeyboard(mainWindow);
}

}  // namespace

void restoreBootedMachine()
{
    if (!booted) {
        openWindowAndKeyboard();
        startMachine();
        for (int frame = 0; frame < BOOT_FRAMES; ++frame) frameStep();
        std::memcpy(&bootedMachine, &vz200, sizeof vz200);
        booted = true;
    }
    openWindowAndKeyboard();
    std::memcpy(&vz200, &bootedMachine, sizeof vz200);
}

bool drainMessages()
{
    bool quit = false;
    HostMessage message;
    while (hostPeekMessage(message)) {
        hostTranslateMessage(message);
        hostDispatchMessage(message);
        if (message.message == WM_QUIT) quit = true;
    }
    return !quit;
}
