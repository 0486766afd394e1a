#include "shell/emulator.h"

#include <memory>

#include "machine/vz200.h"
#include "shell/frame_clock.h"
#include "shell/keyboard_service.h"
#include "shell/load_command.h"
#include "shell/machine_commands.h"
#include "shell/main_window.h"
#include "shell/resources.h"
#include "shell/shell.h"
#include "shell/sound.h"

Shell shell;

// In place: the record is too large for a temporary on a small stack.
void resetShell()
{
    std::destroy_at(&shell);
    std::construct_at(&shell);
}

int emulatorMain()
{
    if (!startEmulator()) return EXIT_FAILED_START;
    runMessageLoop();
    return stopEmulator();
}

bool startEmulator()
{
    if (!createMainWindow()) return false;
    initFrameClock();
    if (!initHostKeyboard(shell.mainWindow)) {
        hostErrorBox("Error Initializing DirectInput", "Tessel");
        // The window's end shuts down and asks to quit, though no loop
        // will take the request.
        destroyMainWindow();
        return false;
    }
    openSound();
    startMachine();
    return true;
}

int stopEmulator()
{
    shutdownEmulator();
    return EXIT_AFTER_CLOSE;
}

void runMessageLoop()
{
    while (messageLoopPass()) {
    }
}

bool messageLoopPass()
{
    // An event posted earlier, else what one look at the toolkit brings.
    HostEvent event;
    bool taken = takeHostEvent(event);
    bool hostHandledOne = false;
    if (!taken) {
        hostHandledOne = hostPollEvents();
        taken = takeHostEvent(event);
    }
    if (taken) {
        mainWindowProc(event);
        return event.kind != HostEventKind::Quit;
    }
    // An event of the toolkit's own (a paint, the pointer) spent this pass.
    if (!hostHandledOne) frameStep();
    return true;
}

static void runFrame()
{
    // While another application is in front the matrix keeps its last rows,
    // and the sticks their last switches.
    runMachineFrame(shell.isActive ? pollKeyboard() : nullptr, shell.isActive ? pollSticks() : nullptr);
}

void frameStep()
{
    runFrame();
    queueFrameSound();
    // Drawing comes before the wait, so the picture goes out at the deadline.
    waitForFrame();
    presentScreen();
    frameRanForScheduledLoad();
}

void unpacedFrameStep()
{
    runFrame();
    frameRanForScheduledLoad();
}
