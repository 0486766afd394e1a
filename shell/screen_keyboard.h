// The machine's keys drawn on a screen and pressed by pointers (fingers, a
// mouse): each pointer holds one key. A key let go before the machine has
// seen it stays down until it has been in as many frames' key snapshots as
// typed text holds a key, so a quick tap types one character, as a typed
// one does. SHIFT and CTRL tapped alone latch: they stay down for the next
// key and go up after it, or at a second tap; held while another key goes
// down, they go up with their own pointer.
#pragma once

#include <cstdint>

#include "machine/keyboard.h"

struct ScreenKey {
    bool held;            // a pointer is on it
    bool latched;         // SHIFT or CTRL tapped alone, down for the next key
    bool used;            // SHIFT or CTRL held while another key went down
    bool releaseWaiting;  // let go, and still down for the machine
    uint8_t framesSeen;   // snapshots it has been in since it went down
};

// Pointers on the keys at once, at most: a pair of hands.
constexpr int SCREEN_POINTER_COUNT = 10;

struct ScreenPointer {
    int id;
    uint8_t keyCode;  // 0: none
};

struct ScreenKeyboard {
    ScreenKey keys[HOST_KEY_COUNT];
    ScreenPointer pointers[SCREEN_POINTER_COUNT];
};

// A pointer went down on the key, or up wherever it is now. Keys the
// machine does not read, and a key another pointer holds, take nothing.
void screenPointerDown(int pointer, uint8_t keyCode);
void screenPointerUp(int pointer);

// The frame's key snapshot, as the machine reads it: each screen key in it
// has been seen once more.
void screenKeysSeen(const uint8_t state[HOST_KEY_COUNT]);

// Every key up at once, as the host's keys are when the application goes
// behind.
void forgetScreenKeys();

// SHIFT and CTRL, the keys that latch.
bool screenKeyLatches(uint8_t keyCode);

// How a key is drawn: held by a pointer, latched, or neither.
constexpr int SCREEN_KEY_HELD = 1;
constexpr int SCREEN_KEY_LATCHED = 2;
int screenKeyLook(uint8_t keyCode);

// The screen keys the machine still sees down.
int screenKeysDown();
