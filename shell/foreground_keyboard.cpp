#include "shell/foreground_keyboard.h"

#include <cstring>

#include "shell/host.h"

ForegroundKeyboard foregroundKeyboard;

int32_t openForegroundKeyboard()
{
    ForegroundKeyboard& k = foregroundKeyboard;
    k.open = true;
    k.acquired = false;
    k.lost = false;
    return k.openResult < 0 ? k.openResult : DI_OK;
}

int32_t acquireForegroundKeyboard(bool applicationInFront)
{
    ForegroundKeyboard& k = foregroundKeyboard;
    if (!applicationInFront) return DIERR_OTHERAPPHASPRIO;
    if (k.acquired) return DI_NOEFFECT;
    k.acquired = true;
    k.lost = false;
    return DI_OK;
}

int32_t unacquireForegroundKeyboard()
{
    ForegroundKeyboard& k = foregroundKeyboard;
    if (!k.acquired) return DI_NOEFFECT;
    k.acquired = false;
    return DI_OK;
}

int32_t readForegroundKeyboard(uint8_t state[256])
{
    const ForegroundKeyboard& k = foregroundKeyboard;
    if (!k.acquired) return k.lost ? DIERR_INPUTLOST : DIERR_NOTACQUIRED;
    std::memcpy(state, k.keys, sizeof k.keys);
    return DI_OK;
}

void releaseForegroundKeyboard()
{
    foregroundKeyboard.open = false;
    foregroundKeyboard.acquired = false;
}

void setForegroundKey(uint8_t keyCode, bool down) { foregroundKeyboard.keys[keyCode] = down ? 0x80 : 0x00; }

void releaseForegroundKeys() { std::memset(foregroundKeyboard.keys, 0, sizeof foregroundKeyboard.keys); }

void loseForegroundKeyboard()
{
    ForegroundKeyboard& k = foregroundKeyboard;
    if (!k.acquired) return;
    k.acquired = false;
    k.lost = true;
}
