// The host layer: the window system, keyboard, clock and dialogs the shell
// runs on, as free functions. Each host (headless, GTK, Win32) implements all
// of them; the shell above is written once against this header. Handles are
// opaque, so no toolkit type reaches the portable code.
#pragma once

#include <cstddef>
#include <cstdint>

struct Surface;

// Windows' own numbers, so every host feeds the same window procedure with the
// same messages and the keyboard service sees the same results. <windows.h>
// and <dinput.h> define the same names as macros.
#ifndef WM_NULL
constexpr uint32_t WM_NULL = 0x0000;  // a message that does nothing
#endif
#ifndef WM_DESTROY
constexpr uint32_t WM_DESTROY = 0x0002;
#endif
#ifndef WM_CLOSE
constexpr uint32_t WM_CLOSE = 0x0010;
#endif
#ifndef WM_QUIT
constexpr uint32_t WM_QUIT = 0x0012;
#endif
#ifndef WM_ACTIVATEAPP
constexpr uint32_t WM_ACTIVATEAPP = 0x001C;
#endif
#ifndef WM_COMMAND
constexpr uint32_t WM_COMMAND = 0x0111;
#endif
#ifndef WM_MBUTTONDOWN
constexpr uint32_t WM_MBUTTONDOWN = 0x0207;  // lParam: client x in the low 16 bits, y in the high
#endif
#ifndef WM_DROPFILES
constexpr uint32_t WM_DROPFILES = 0x0233;  // wParam: the drop, for the drop verbs
#endif
#ifndef DI_OK
constexpr int32_t DI_OK = 0;
#endif
#ifndef DI_NOEFFECT
constexpr int32_t DI_NOEFFECT = 1;  // already in the state asked for
#endif
#ifndef DIERR_GENERIC
constexpr int32_t DIERR_GENERIC = static_cast<int32_t>(0x80004005);
#endif
#ifndef DIERR_OTHERAPPHASPRIO
constexpr int32_t DIERR_OTHERAPPHASPRIO = static_cast<int32_t>(0x80070005);
#endif
#ifndef DIERR_NOTACQUIRED
constexpr int32_t DIERR_NOTACQUIRED = static_cast<int32_t>(0x8007000C);
#endif
#ifndef DIERR_INPUTLOST
constexpr int32_t DIERR_INPUTLOST = static_cast<int32_t>(0x8007001E);
#endif
#ifndef OFN_HIDEREADONLY
constexpr uint32_t OFN_HIDEREADONLY = 0x0004;
#endif
#ifndef OFN_FILEMUSTEXIST
constexpr uint32_t OFN_FILEMUSTEXIST = 0x1000;
#endif

// Each backend defines these records as it needs them; the shell only passes
// pointers to them around.
struct HostInstanceRecord;
struct HostWindowRecord;
struct HostKeyboardRecord;
struct HostAudioRecord;
using HostInstance = HostInstanceRecord*;  // the program's module, where a host has one
using HostWindow = HostWindowRecord*;
using HostKeyboard = HostKeyboardRecord*;  // an open key snapshot source
using HostAudio = HostAudioRecord*;        // an open sound stream

using WindowProcedure = intptr_t (*)(HostWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// ---- Window and messages -------------------------------------------------

struct MenuItem {
    const char* title;
    uint16_t commandId;  // arrives as WM_COMMAND, the id in the low 16 bits of wParam
};

struct Menu {
    const char* title;
    const MenuItem* items;
    int itemCount;
};

struct WindowDescription {
    const char* title;
    const char* className;
    int pictureWidth, pictureHeight;  // the client area shows a picture of this size...
    int pictureX, pictureY;           // ...at this client position
    const Menu* menus;
    int menuCount;
    uint32_t background;  // 0x00RRGGBB, shown where the picture is not
    WindowProcedure procedure;
};

struct HostMessage {
    HostWindow window;  // null for thread messages such as WM_QUIT
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

// Null when the window cannot be created. The procedure may already receive
// messages during the call.
HostWindow hostCreateWindow(HostInstance instance, const WindowDescription& description);
// Showing may send WM_ACTIVATEAPP to the procedure before it returns.
void hostShowWindow(HostWindow window, int showCommand);
// Sends WM_DESTROY to the procedure before it returns.
void hostDestroyWindow(HostWindow window);

// Takes the next pending message without waiting; false when there is none.
bool hostPeekMessage(HostMessage& message);
void hostTranslateMessage(const HostMessage& message);
// Calls the window procedure of the message's window; a message without a
// window goes nowhere.
intptr_t hostDispatchMessage(const HostMessage& message);
// Leaves WM_QUIT, with the exit code in wParam, in the queue.
void hostPostQuitMessage(int exitCode);
// What the host does with a message the procedure leaves alone (a close
// request destroys the window).
intptr_t hostDefaultWindowProc(HostWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// ---- Drawing ---------------------------------------------------------------

// Copies the whole surface to the client area with its top-left at (x, y).
void hostPresent(HostWindow window, const Surface& surface, int x, int y);

// ---- Key snapshot ----------------------------------------------------------

// The results are 0 or a negative DirectInput code. A failed open may still
// set device; hostReleaseKeyboard accepts it either way.
int32_t hostOpenKeyboard(HostWindow window, HostKeyboard& device);
int32_t hostAcquireKeyboard(HostKeyboard device);
int32_t hostUnacquireKeyboard(HostKeyboard device);
// 256 bytes indexed by DirectInput key code, bit 7 set while the key is
// down. Fails while not acquired (and so while another application is in
// front); state is then left as it was.
int32_t hostReadKeyboard(HostKeyboard device, uint8_t state[256]);
void hostReleaseKeyboard(HostKeyboard device);

// ---- Audio -----------------------------------------------------------------

// The shell keeps about this many samples queued (50 ms at 48 kHz): enough to
// ride over a late frame, little enough not to be heard as a delay.
constexpr int AUDIO_QUEUE_TARGET = 2400;

// A stream of mono signed 16-bit samples at sampleRate, playing as soon as
// samples are queued. Null when the host has no sound device or cannot open
// one; failure then says why in a few words (the emulator runs silent).
HostAudio hostOpenAudio(int sampleRate, const char*& failure);
// Appends samples to what is queued; never waits.
void hostQueueAudio(HostAudio audio, const int16_t* samples, int count);
// Samples queued and not yet played.
int hostQueuedAudio(HostAudio audio);
void hostCloseAudio(HostAudio audio);

// ---- Clock -----------------------------------------------------------------

// False when the host has no high-resolution counter.
bool hostPerformanceFrequency(int64_t& ticksPerSecond);
int64_t hostPerformanceCounter();
// Milliseconds since the host started; wraps after 2^32.
uint32_t hostMilliseconds();

// ---- Drops and pasted text ------------------------------------------------

// A drop onto the window arrives as WM_DROPFILES, whose wParam names it to
// these verbs: files, of which the first counts, or text on hosts whose
// windows take it. The window procedure finishes each drop once.
// The first file's path; false when the drop holds no file or the path is
// not shorter than pathSize.
bool hostDroppedFile(uintptr_t drop, char* path, int pathSize);
// The dropped text, valid until the drop is finished; false when there is none.
bool hostDroppedText(uintptr_t drop, const char*& text, size_t& length);
void hostFinishDrop(uintptr_t drop);

// The text a middle click pastes: the primary selection where the host has
// one, else the clipboard. Valid until hostClosePastedText; false, with
// nothing to close, when there is none. May run a modal loop while the
// selection's owner answers.
bool hostOpenPastedText(HostWindow window, const char*& text, size_t& length);
void hostClosePastedText();

// ---- Dialogs ---------------------------------------------------------------

struct OpenFileRequest {
    HostWindow owner;
    const char* title;
    // Pairs of description and pattern, each NUL-terminated, the list ended
    // by an empty string.
    const char* filters;
    int filterIndex;  // 1 = the first pair
    char* path;       // in: the initial file name; out: the chosen path
    int pathSize;
    uint32_t flags;   // OFN_ bits
    const char* defaultExtension;
};

// Modal. 1 when a file was chosen (its path is then in request.path).
int hostOpenFileDialog(const OpenFileRequest& request);
// Modal error box with an OK button.
void hostErrorBox(HostWindow owner, const char* text, const char* caption);
