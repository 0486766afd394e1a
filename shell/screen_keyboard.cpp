#include "shell/screen_keyboard.h"

#include <initializer_list>

#include "machine/dik.h"
#include "shell/host.h"
#include "shell/key_typing.h"
#include "shell/shell.h"

bool screenKeyLatches(uint8_t keyCode) { return keyCode == DIK_LSHIFT || keyCode == DIK_LCONTROL; }

static const uint8_t latchingKeys[] = {DIK_LSHIFT, DIK_LCONTROL};

static bool machineSeesDown(const ScreenKey& key) { return key.held || key.latched || key.releaseWaiting; }

// SHIFT and CTRL stay down while a key typed with them still waits, so the
// machine never sees that key without them.
static bool keyWaitsForMachine()
{
    const ScreenKey* keys = shell.screenKeyboard.keys;
    for (int keyCode = 0; keyCode < HOST_KEY_COUNT; ++keyCode) {
        if (keys[keyCode].releaseWaiting && !screenKeyLatches(static_cast<uint8_t>(keyCode))) return true;
    }
    return false;
}

static void releaseSeenKeys()
{
    ScreenKey* keys = shell.screenKeyboard.keys;
    // SHIFT and CTRL in the second pass, after the keys they wait for.
    for (bool latching : {false, true}) {
        for (int keyCode = 0; keyCode < HOST_KEY_COUNT; ++keyCode) {
            ScreenKey& key = keys[keyCode];
            if (!key.releaseWaiting || screenKeyLatches(static_cast<uint8_t>(keyCode)) != latching) continue;
            if (key.framesSeen < KEY_HELD_FRAMES || (latching && keyWaitsForMachine())) continue;
            key.releaseWaiting = false;
            reportHostKey(static_cast<uint8_t>(keyCode), false);
        }
    }
}

static void pressForMachine(uint8_t keyCode)
{
    ScreenKey& key = shell.screenKeyboard.keys[keyCode];
    key.releaseWaiting = false;
    key.framesSeen = 0;
    reportHostKey(keyCode, true);
}

static void letGoForMachine(uint8_t keyCode)
{
    shell.screenKeyboard.keys[keyCode].releaseWaiting = true;
    releaseSeenKeys();
}

void screenPointerDown(int pointer, uint8_t keyCode)
{
    ScreenKeyboard& s = shell.screenKeyboard;
    ScreenKey& key = s.keys[keyCode];
    if (!machineReadsKey(keyCode) || key.held) return;
    if (key.latched) {
        key.latched = false;
        letGoForMachine(keyCode);
        return;
    }
    ScreenPointer* slot = nullptr;
    for (ScreenPointer& p : s.pointers) {
        if (p.keyCode == 0 && !slot) slot = &p;
    }
    if (!slot) return;
    *slot = ScreenPointer{pointer, keyCode};
    if (screenKeyLatches(keyCode)) {
        key.used = false;
    } else {
        for (uint8_t latching : latchingKeys) s.keys[latching].used = s.keys[latching].used || s.keys[latching].held;
    }
    key.held = true;
    pressForMachine(keyCode);
}

void screenPointerUp(int pointer)
{
    ScreenKeyboard& s = shell.screenKeyboard;
    for (ScreenPointer& p : s.pointers) {
        if (p.keyCode == 0 || p.id != pointer) continue;
        uint8_t keyCode = p.keyCode;
        p.keyCode = 0;
        ScreenKey& key = s.keys[keyCode];
        key.held = false;
        if (screenKeyLatches(keyCode) && !key.used) {
            key.latched = true;
            return;
        }
        letGoForMachine(keyCode);
        if (screenKeyLatches(keyCode)) return;
        // The key they were latched for has gone down and up.
        for (uint8_t latching : latchingKeys) {
            if (!s.keys[latching].latched) continue;
            s.keys[latching].latched = false;
            letGoForMachine(latching);
        }
        return;
    }
}

void screenKeysSeen(const uint8_t state[HOST_KEY_COUNT])
{
    ScreenKey* keys = shell.screenKeyboard.keys;
    for (int keyCode = 0; keyCode < HOST_KEY_COUNT; ++keyCode) {
        ScreenKey& key = keys[keyCode];
        if (machineSeesDown(key) && (state[keyCode] & HOST_KEY_DOWN) && key.framesSeen < KEY_HELD_FRAMES) {
            ++key.framesSeen;
        }
    }
    releaseSeenKeys();
}

void forgetScreenKeys() { shell.screenKeyboard = ScreenKeyboard{}; }

int screenKeyLook(uint8_t keyCode)
{
    const ScreenKey& key = shell.screenKeyboard.keys[keyCode];
    return (key.held ? SCREEN_KEY_HELD : 0) | (key.latched ? SCREEN_KEY_LATCHED : 0);
}

int screenKeysDown()
{
    int count = 0;
    for (const ScreenKey& key : shell.screenKeyboard.keys) count += machineSeesDown(key);
    return count;
}
