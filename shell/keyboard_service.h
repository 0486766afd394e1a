// The host keyboard service: a snapshot of the host keys once per frame,
// turned into the machine's keyboard matrix, while the application is the
// active one.
#pragma once

#include <cstdint>

#include "shell/host.h"

// Acquisition keeps failing while another application is in front, and the
// message loop waits for us: give up after this many tries and let the next
// frame try again.
constexpr int ACQUIRE_ATTEMPTS = 8;

extern bool isActive;                // the application is in front; true at start
extern HostKeyboard keyboardDevice;  // null while closed
extern uint8_t hostKeyState[256];    // the last snapshot that could be read

// 0, or the host's negative code when the keyboard cannot be opened. The
// device is not acquired yet.
int32_t initHostKeyboard(HostWindow window);
// Safe to call again when already closed.
int32_t releaseHostKeyboard();
// 0, or the negative code of a failed re-acquisition.
int32_t readHostKeyState();
// The frame's key snapshot: the host's keys with typed text pressed on top.
const uint8_t* pollKeyboard();
// Follows isActive; 1 when no device is open.
int32_t setKeyboardAcquired();
