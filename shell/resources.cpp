#include "shell/resources.h"

#include "machine/vz200.h"
#include "shell/keyboard_service.h"
#include "shell/sound.h"

HostWindow mainWindow = nullptr;

static Surface backBuffer = backBufferSurface(vz200);
static const Surface* backBufferHold = nullptr;

void holdBackBuffer() { backBufferHold = &backBuffer; }

void releaseBackBuffer() { backBufferHold = nullptr; }

const Surface* heldBackBuffer() { return backBufferHold; }

void shutdownEmulator()
{
    releaseHostKeyboard();
    releaseBackBuffer();
    closeSound();
}
