#include "fuzz_machine.h"

#include <cstring>

#include "machine/bus.h"
#include "machine/keyboard_matrix.h"
#include "shell/emulator.h"
#include "shell/frame_clock.h"
#include "shell/host_headless.h"
#include "shell/host_keyboard.h"
#include "shell/main_window.h"
#include "tests/shell/shell_test_support.h"

namespace {

constexpr int BOOT_FRAMES = 30;  // the open ROM shows its prompt well before

struct Booted {
    bool done;
    MemoryImage memory;
    Z80State processor;
    uint8_t latch;
    KeyboardMatrix matrix;
};

Booted booted;

// The shell's own state as at program start, then a window and a keyboard.
void openWindowAndKeyboard()
{
    resetShell();
    headless.logEvents = false;  // a fuzzing process would keep an endless record
    createMainWindow(nullptr, 1);
    initFrameClock();
    initHostKeyboard(mainWindow);
}

}  // namespace

void restoreBootedMachine()
{
    if (!booted.done) {
        openWindowAndKeyboard();
        keyboardMatrix = KeyboardMatrix{};
        startMachine();
        for (int frame = 0; frame < BOOT_FRAMES; ++frame) frameStep();
        std::memcpy(booted.memory, memoryImage, sizeof booted.memory);
        booted.processor = z80;
        booted.latch = outputLatch;
        booted.matrix = keyboardMatrix;
        booted.done = true;
    }
    openWindowAndKeyboard();
    std::memcpy(memoryImage, booted.memory, sizeof memoryImage);
    z80 = booted.processor;
    outputLatch = booted.latch;
    keyboardMatrix = booted.matrix;
}

bool messageLoopPass()
{
    HostMessage message;
    if (hostPeekMessage(message)) {
        hostTranslateMessage(message);
        hostDispatchMessage(message);
        return message.message != WM_QUIT;
    }
    frameStep();
    return true;
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
