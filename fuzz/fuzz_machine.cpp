#include "fuzz_machine.h"

#include <cstring>

#include "machine/vz200.h"
#include "shell/emulator.h"
#include "shell/frame_clock.h"
#include "hosts/headless/host_headless.h"
#include "shell/keyboard_service.h"
#include "shell/machine_commands.h"
#include "shell/main_window.h"
#include "shell/shell.h"
#include "tests/support/shell_reset.h"

namespace {

constexpr int BOOT_FRAMES = 30;  // the open ROM shows its prompt well before

bool booted;
Vz200 bootedMachine;

// The shell's own state as at program start, then a window and a keyboard.
void openWindowAndKeyboard()
{
    resetProgram();
    createMainWindow();
    initFrameClock();
    initHostKeyboard(shell.mainWindow);
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

bool drainEvents()
{
    HostEvent event;
    while (takeHostEvent(event)) {
        mainWindowProc(event);
        if (event.kind == HostEventKind::Quit) return false;
    }
    return true;
}
