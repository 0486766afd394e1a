#include "shell/resources.h"

#include "machine/video.h"
#include "shell/keyboard_service.h"
#include "shell/sound.h"

HostWindow mainWindow = nullptr;

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
