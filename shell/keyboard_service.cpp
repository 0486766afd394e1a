#include "shell/keyboard_service.h"

#include <cstring>

#include "machine/keyboard.h"
#include "shell/key_typing.h"

bool isActive = true;
HostKeyboard keyboardDevice = nullptr;
uint8_t hostKeyState[256];

int32_t initHostKeyboard(HostWindow window)
{
    // A failed open may leave a device behind; the shutdown that follows
    // releases it.
    return hostOpenKeyboard(window, keyboardDevice);
}

int32_t releaseHostKeyboard()
{
    if (keyboardDevice) {
        hostUnacquireKeyboard(keyboardDevice);
        hostReleaseKeyboard(keyboardDevice);
        keyboardDevice = nullptr;
    }
    return 0;
}

int32_t readHostKeyState()
{
    if (!keyboardDevice) return 0;
    if (hostReadKeyboard(keyboardDevice, hostKeyState) >= 0) return 0;
    // Lost or never acquired: acquire again, and read at the next call.
    int32_t result = 0;
    for (int attempt = 0; attempt < ACQUIRE_ATTEMPTS; ++attempt) {
        result = hostAcquireKeyboard(keyboardDevice);
        if (result != DIERR_INPUTLOST && result != DIERR_OTHERAPPHASPRIO) break;
    }
    return result < 0 ? result : 0;
}

const uint8_t* pollKeyboard()
{
    // The first read may only re-acquire the device; the second then reads.
    readHostKeyState();
    readHostKeyState();
    // Typed text presses its keys on top of the user's; the snapshot itself
    // stays what the host gave.
    static uint8_t keys[HOST_KEY_COUNT];
    std::memcpy(keys, hostKeyState, sizeof keys);
    pressTypedKeys(keys);
    return keys;
}

int32_t setKeyboardAcquired()
{
    if (!keyboardDevice) return 1;
    if (isActive) {
        hostAcquireKeyboard(keyboardDevice);
    } else {
        hostUnacquireKeyboard(keyboardDevice);
    }
    return 0;
}
