#include "shell/emulator.h"

#include "machine/vz200.h"
#include "shell/frame_clock.h"
#include "shell/keyboard_service.h"
#include "shell/main_window.h"
#include "shell/sound.h"

int emulatorMain(HostInstance instance, int showCommand)
{
    if (!startEmulator(instance, showCommand)) return EXIT_FAILED_START;
    runMessageLoop();
    return stopEmulator();
}

bool startEmulator(HostInstance instance, int showCommand)
{
    if (!createMainWindow(instance, showCommand)) return false;
    initFrameClock();
    if (initHostKeyboard(mainWindow) < 0) {
        hostErrorBox(nullptr, "Error Initializing DirectInput", "Tessel");
        // WM_DESTROY shuts down and posts a quit that nobody reads.
        hostDestroyWindow(mainWindow);
        mainWindow = nullptr;
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
    HostMessage message;
    if (!hostPeekMessage(message)) {
        frameStep();
        return true;
    }
    // The quit message is delivered like any other before the loop ends.
    hostTranslateMessage(message);
    hostDispatchMessage(message);
    return message.message != WM_QUIT;
}

void frameStep()
{
    // While another application is in front the matrix keeps its last rows.
    runMachineFrame(isActive ? pollKeyboard() : nullptr);
    queueFrameSound();
    // Drawing comes before the wait, so the picture goes out at the deadline.
    waitForFrame();
    presentScreen();
}
