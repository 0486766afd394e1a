// A key snapshot kept from a toolkit's key events that behaves like a
// DirectInput keyboard opened exclusive and foreground: it can be acquired
// only while the application is in front, and loses the acquisition when the
// application goes to the back, so the next read fails and the keyboard
// service acquires it again. Hosts without DirectInput (GTK, headless) feed
// it and answer the key snapshot verbs from it.
#pragma once

#include <cstdint>

struct ForegroundKeyboard {
    uint8_t keys[256];  // 0x80 while down, by DirectInput key code
    bool open, acquired;
    bool lost;          // taken away when the application went to the back
    // What opening answers: 0, or a negative code to try the start-up's
    // failure path (no real key source here ever fails to open).
    int32_t openResult;
};

// The program's one keyboard.
extern ForegroundKeyboard foregroundKeyboard;

// Opens unacquired, the keys as they are; returns openResult. A failed open
// still leaves a device to release, as DirectInput can.
int32_t openForegroundKeyboard();
int32_t acquireForegroundKeyboard(bool applicationInFront);
int32_t unacquireForegroundKeyboard();
// Fails while not acquired, leaving state as it was.
int32_t readForegroundKeyboard(uint8_t state[256]);
void releaseForegroundKeyboard();

void setForegroundKey(uint8_t keyCode, bool down);
// Keys released where we cannot see it (in another window) are forgotten.
void releaseForegroundKeys();
// The application went to the back: the acquisition is lost.
void loseForegroundKeyboard();
