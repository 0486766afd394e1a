// The seam between the portable spine and a host, in the emulator's own
// terms: what the spine needs of a window system, a keyboard, a clock, a
// sound device and a file chooser, as free functions that each host
// (hosts/<name>/) implements, and the events a host hands the spine. The
// spine is written once against this header; each host translates its
// toolkit into these terms. Handles are opaque, so no toolkit type reaches
// the portable code.
//
// Which side writes what:
// - The host implements every function named host... (hostPollEvents,
//   hostCreateWindow, hostReadKeys, hostOpenAudio, hostMilliseconds,
//   hostRequestOpenFile, hostErrorBox and the rest), and the spine alone
//   calls them.
// - The spine implements postHostEvent (shell/events.cpp) and the key
//   source for hosts whose keys come as events, reportHostKey,
//   forgetHostKeys, readReportedKeys and openReportedKeys
//   (shell/keyboard_service.cpp); hosts call them. clientSize is written
//   here, for hosts.
#pragma once

#include <cstddef>
#include <cstdint>

struct Surface;
struct StickInput;

// Each host defines these records as it needs them; the spine only passes
// pointers to them around.
struct HostWindowRecord;
struct HostAudioRecord;
using HostWindow = HostWindowRecord*;
using HostAudio = HostAudioRecord*;  // an open sound stream

// ---- Events ------------------------------------------------------------------

enum class HostEventKind : uint8_t {
    Command,      // a menu item was chosen: command
    Activated,    // the application came to the front
    Deactivated,  // another application is in front
    Close,        // the user asks to close the main window
    Quit,         // the program is asked to end
    DroppedFile,  // text: the path of the (first) file dropped on the window
    DroppedText,  // text: text dropped on the window
    Paste,        // x, y: the middle button went down at this client position
    FileChosen,   // text: the path the user chose for hostRequestOpenFile
};

struct HostEvent {
    HostEventKind kind;
    uint16_t command = 0;
    int x = 0, y = 0;
    const char* text = nullptr;  // NUL-terminated, length bytes before the NUL
    size_t length = 0;
};

// Hands an event to the spine, which takes one a pass of its loop, in the
// order they came, and only between frames. The text is copied, and cut
// where the queue's text space ends. A queue full of events, or with no room
// left for a text, drops the new one.
void postHostEvent(const HostEvent& event);

// One look at the toolkit without waiting: whatever it reports is posted.
// True when the host handled an event of its own there (a paint, the
// pointer), which is that pass's event, so no frame runs in it.
bool hostPollEvents();

// ---- Window ------------------------------------------------------------------

struct MenuItem {
    const char* title;
    uint16_t command;  // what a Command event carries when the item is chosen
};

struct Menu {
    const char* title;
    const MenuItem* items;
    int itemCount;
};

struct WindowDescription {
    const char* title;
    const char* className;  // the program's name to the window system
    int pictureWidth, pictureHeight;  // the client area shows a picture of this size...
    int pictureX, pictureY;           // ...at this client position
    const Menu* menus;
    int menuCount;
    uint32_t background;  // 0x00RRGGBB, shown where the picture is not
};

// The client area a window gives its picture: as much background right and
// below the picture as left and above it.
struct ClientSize {
    int width, height;
};
inline ClientSize clientSize(const WindowDescription& description)
{
    return {2 * description.pictureX + description.pictureWidth, 2 * description.pictureY + description.pictureHeight};
}

// Null when the window cannot be created.
HostWindow hostCreateWindow(const WindowDescription& description);
// As the program was asked to start: normally, or minimised where the host
// has such a request.
void hostShowWindow(HostWindow window);
void hostDestroyWindow(HostWindow window);
// Copies the whole surface to the client area with its top-left at (x, y).
void hostPresent(HostWindow window, const Surface& surface, int x, int y);

// ---- Key snapshot ------------------------------------------------------------

// False when the host's keys cannot be read at all; what a failed open left
// behind is still released by hostCloseKeyboard.
bool hostOpenKeyboard(HostWindow window);
// 256 bytes by key code (machine/dik.h), bit 7 set while the key is down.
// False while the keys cannot be read because another application is in
// front; state is then left as it was.
bool hostReadKeys(uint8_t state[256]);
void hostCloseKeyboard();

// Hosts whose toolkit reports keys one event at a time (GTK, the browser,
// the headless host) keep them here and answer hostReadKeys from it. Keys
// released while another window had the focus never arrive: the spine
// forgets them all when the application goes behind, and a host forgets
// them where its own windows take the keys (a menu, a dialog).
void reportHostKey(uint8_t keyCode, bool down);
void forgetHostKeys();
bool readReportedKeys(uint8_t state[256]);
// Opening such a key source cannot fail, except when a test program asks it
// to, to try the start-up's failure path: the program's state leaves that
// flag out, and only a test sets it.
bool openReportedKeys();
extern bool reportedKeysRefuseToOpen;

// ---- Joysticks ---------------------------------------------------------------

// The controls of the two sticks held now (machine/joystick.h): the host's
// first two game controllers, or its script. A host with none holds none.
void hostReadSticks(StickInput& sticks);

// ---- Audio -------------------------------------------------------------------

// The spine keeps about this many samples queued (50 ms at 48 kHz): enough
// to ride over a late frame, little enough not to be heard as a delay.
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

// ---- Clock -------------------------------------------------------------------

// False when the host has no high-resolution counter.
bool hostPerformanceFrequency(int64_t& ticksPerSecond);
int64_t hostPerformanceCounter();
// Milliseconds since the host started; wraps after 2^32.
uint32_t hostMilliseconds();

// ---- Files, text and messages ------------------------------------------------

struct FileFilter {
    const char* name;
    const char* extension;  // without the dot, any case; null for every file
};

struct OpenFileRequest {
    const char* title;
    const FileFilter* filters;  // the first one is chosen at the start
    int filterCount;
    const char* initialPath;  // the last choice, or empty
};

// Asks the user for a file to open. The answer is a FileChosen event, or
// nothing when the user cancels; a host whose chooser blocks (a modal
// dialog) has posted it when this returns.
void hostRequestOpenFile(HostWindow owner, const OpenFileRequest& request);

// The text a middle click pastes: the primary selection where the host has
// one, else the clipboard. Valid until hostClosePastedText; false, with
// nothing to close, when there is none. May run a modal loop while the
// selection's owner answers.
bool hostOpenPastedText(HostWindow window, const char*& text, size_t& length);
void hostClosePastedText();

// A modal error message with an OK button, owned by no window.
void hostErrorBox(const char* text, const char* caption);
