// The headless host: no window and no devices. Events, held keys, chooser
// answers and the clock come from a script or a test; presented frames are
// kept for inspection. What it was asked to do is recorded in `headless`.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "machine/joystick.h"
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
};

using HeadlessWindow = HostWindowRecord;

// What the key source was asked; the keys themselves are the ones the
// spine keeps for hosts that report them.
struct HeadlessKeyboard {
    bool open;
    int opens, reads, closes;
};

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
// ideal one whose queue stands at the spine's target, unless a test makes it
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

struct HeadlessChooser {
    bool choose;             // the answer: choose answerPath, or cancel
    std::string answerPath;
    int shown;
    // What the last request asked for.
    HostWindow owner;
    std::string title, initialPath;
    std::vector<FileFilter> filters;
};

struct HeadlessErrorBox {
    int shown;
    std::string text, caption;
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
    HeadlessWindow window;
    HeadlessKeyboard keyboard;
    HeadlessAudio audio;
    HeadlessClock clock;
    HeadlessChooser chooser;
    HeadlessErrorBox errorBox;
    HeadlessPaste paste;
    HeadlessScreen screen;
    StickInput sticks;  // the controls the script holds on the two sticks
    int polls;  // looks at the toolkit there is not
    // Copy each presented frame into screen.pixels; a run that reads no
    // picture back may leave it off.
    bool keepFrames;
    // Called after each of these, for scripts and measurements.
    void (*onPresent)(int frameNumber);
    void (*onKeyboardRead)();
    void (*onClockRead)();
};

extern HeadlessHost headless;

// Back to the start: no window, no key down, choosers cancelled, a scripted
// clock with a counter of 1 MHz that advances one frame period per reading,
// presented frames kept.
void headlessReset();
void headlessUseRealClock();

// The user chooses a menu item.
void headlessCommand(uint16_t command);
// The user closes the window.
void headlessClose();
// Another application comes to the front (false) or this one returns (true).
void headlessSetActive(bool active);
void headlessSetKey(uint8_t keyCode, bool down);
// The next file chooser chooses path, or is cancelled when path is null.
void headlessAnswerChooser(const char* path);

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
