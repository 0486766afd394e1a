// The headless host: no window and no devices. Messages, held keys, dialog
// answers and the clock come from a script or a test; presented frames are
// kept for inspection. Everything it does is recorded in `headless`.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "shell/host.h"

// The one window there is; its address is the handle.
struct HostWindowRecord {
    bool exists;
    bool createFails;  // set to make the next creation fail
    int created, shown, destroyed;
    std::string title, className;
    int pictureWidth, pictureHeight, pictureX, pictureY;
    uint32_t background;
    std::vector<Menu> menus;
    WindowProcedure procedure;
};

using HeadlessWindow = HostWindowRecord;

// The keyboard's handle; the keys the user holds and the acquisition are
// the shell's foreground keyboard, as on the desktop. Here: what was asked.
struct HostKeyboardRecord {
    int opens, acquires, unacquires, reads, failedReads, releases;
};
using HeadlessKeyboard = HostKeyboardRecord;

// Either the host's monotonic clock, or one that moves only when read: each
// reading returns the value and then adds the step.
struct HeadlessClock {
    bool real;
    bool counterAvailable;
    int64_t frequency;
    int64_t counter, counterStep;
    uint32_t milliseconds, millisecondStep;  // wraps like the host's
    int readings;
};

// The sound stream's handle, and what was queued on it. The device is an
// ideal one whose queue stands at the shell's target, unless a test makes it
// report another level.
struct HostAudioRecord {
    bool open;
    bool openFails;           // set to make the next open fail
    int opens, closes;
    int sampleRate;
    long long queued;         // samples queued in all
    bool keepSamples;         // keep them in samples (tessel-run --wav)
    std::vector<int16_t> samples;
    int reportedQueue;        // what hostQueuedAudio answers; -1: the target
};
using HeadlessAudio = HostAudioRecord;

struct HeadlessOpenDialog {
    bool choose;             // the answer: choose answerPath, or cancel
    std::string answerPath;
    int shown;
    // What the last request asked for.
    HostWindow owner;
    std::string title, offeredPath, filters, defaultExtension;  // filters keeps its NULs
    int filterIndex, pathSize;
    uint32_t flags;
};

struct HeadlessErrorBox {
    int shown;
    HostWindow owner;
    std::string text, caption;
};

// A drop as the window procedure finds it through WM_DROPFILES.
struct HeadlessDrop {
    bool hasFile, hasText;
    std::string file, text;
};

struct HeadlessDrops {
    HeadlessDrop last;  // the last drop made
    int finished;
};

// What the next middle click pastes.
struct HeadlessPaste {
    bool available;
    std::string text;
    int opened, closed;
};

struct HeadlessScreen {
    int presents;
    int x, y;                     // where the last frame went
    int width, height;
    std::vector<uint32_t> pixels;  // the last presented frame, while frames are kept
};

struct HeadlessHost {
    bool active;  // the application is in front
    HeadlessWindow window;
    std::deque<HostMessage> queue;
    HeadlessKeyboard keyboard;
    HeadlessAudio audio;
    HeadlessClock clock;
    HeadlessOpenDialog openDialog;
    HeadlessErrorBox errorBox;
    HeadlessDrops drops;
    HeadlessPaste paste;
    HeadlessScreen screen;
    int translated, dispatched, defaultHandled;
    // One token per event, separated by spaces: "M<hex>" a message taken,
    // "E" an empty peek, "T<hex>" translated, "D<hex>" dispatched,
    // "S<hex>" sent straight to the procedure, "P" a frame presented.
    std::string log;
    bool logEvents;
    // Copy each presented frame into screen.pixels; a run that reads no
    // picture back may leave it off.
    bool keepFrames;
    // Called after each of these, for scripts and measurements.
    void (*onPresent)(int frameNumber);
    void (*onKeyboardRead)();
    void (*onClockRead)();
};

extern HeadlessHost headless;

// Back to the start: no window, empty queue, application in front, no key
// down, keyboard opens (foregroundKeyboard too), dialogs cancel, a scripted
// clock with a counter of 1 MHz that advances one frame period per reading,
// events logged and presented frames kept.
void headlessReset();
void headlessUseRealClock();

// Queues a message for the main window.
void headlessPost(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
// The user chooses a menu item.
void headlessCommand(uint16_t commandId);
// The system close command; the default window procedure destroys the window.
void headlessClose();
// Another application comes to the front (false) or this one returns (true):
// the keyboard loses its acquisition, and WM_ACTIVATEAPP is queued.
void headlessSetActive(bool active);
void headlessSetKey(uint8_t keyCode, bool down);
// The next Open dialog chooses path, or is cancelled when path is null.
void headlessAnswerOpenDialog(const char* path);

// The user drops a file, or text, on the window.
void headlessDropFile(const char* path);
void headlessDropText(const char* text);
// What a middle click pastes from now on; null for nothing.
void headlessSetPastedText(const char* text);
// The middle button goes down at client position (x, y).
void headlessMiddleClick(int x, int y);

// False when no frame was kept.
bool headlessWriteScreenshot(const char* path);
// The kept samples as a 16-bit mono WAV file at the stream's rate.
bool headlessWriteSound(const char* path);
// The pixel of the last kept frame at client position (x, y); the client
// background where the frame does not reach.
uint32_t headlessClientPixel(int x, int y);
