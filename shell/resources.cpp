#include "shell/resources.h"

#include "machine/vz200.h"
#include "shell/keyboard_service.h"
#include "shell/shell.h"
#include "shell/sound.h"

static const Surface backBuffer = backBufferSurface(vz200);

void holdBackBuffer() { shell.backBufferHeld = true; }

void releaseBackBuffer() { shell.backBufferHeld = false; }

const Surface* heldBackBuffer() { return shell.backBufferHeld ? &backBuffer : nullptr; }

void shutdownEmulator()
{
    releaseHostKeyboard();
    releaseBackBuffer();
    closeSound();
}
