#include "shell/keyboard_service.h"

#include <cstring>

#include "shell/key_typing.h"
#include "shell/screen_keyboard.h"
#include "shell/shell.h"

bool initHostKeyboard(HostWindow window)
{
    shell.keyboard.open = true;
    return hostOpenKeyboard(window);
}

void releaseHostKeyboard()
{
    if (!shell.keyboard.open) return;
    hostCloseKeyboard();
    shell.keyboard.open = false;
}

const uint8_t* pollKeyboard()
{
    KeyboardService& k = shell.keyboard;
    if (k.open && hostReadKeys(k.hostKeyState)) screenKeysSeen(k.hostKeyState);
    // Typed text presses its keys on top of the user's; the snapshot itself
    // stays what the host gave.
    std::memcpy(k.frameKeys, k.hostKeyState, sizeof k.frameKeys);
    pressTypedKeys(k.frameKeys);
    return k.frameKeys;
}

void reportHostKey(uint8_t keyCode, bool down) { shell.keyboard.reportedKeys[keyCode] = down ? HOST_KEY_DOWN : 0; }

void forgetHostKeys() { std::memset(shell.keyboard.reportedKeys, 0, sizeof shell.keyboard.reportedKeys); }

bool readReportedKeys(uint8_t state[256])
{
    std::memcpy(state, shell.keyboard.reportedKeys, sizeof shell.keyboard.reportedKeys);
    return true;
}

bool reportedKeysRefuseToOpen = false;

bool openReportedKeys() { return !reportedKeysRefuseToOpen; }
const StickInput* pollSticks()
{
    hostReadSticks(shell.sticks);
    return &shell.sticks;
}
