// The browser host: the page's menu bar and canvas, the keys the page's key
// events report (the machine's keyboard drawn on the page is
// page_keyboard.cpp's, the joysticks page_joystick.cpp's), the page's clock, the browser's file chooser, a
// program named in the page's address, and Web Audio.
// The page's own scripts (page/) do the browser's side of each verb;
// page/host_library.js lists what this file calls there, and the exported
// functions below are what the page calls here. A browser cannot block, so
// the file chooser's answer, like everything else the page reports, comes
// later as an event.
#include <emscripten/emscripten.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "hosts/web/host_web.h"
#include "machine/dik.h"
#include "machine/keyboard.h"
#include "machine/loaders.h"
#include "machine/surface.h"
#include "machine/vz_file.h"
#include "machine/video.h"
#include "shell/host.h"
#include "shell/load_command.h"
#include "shell/screen_keyboard.h"
#include "shell/shell.h"

// The page's side, in page/host_library.js.
extern "C" {
void webCreatePage(const char* title, int clientWidth, int clientHeight, uint32_t background);
void webAddMenu(const char* title);
void webAddMenuItem(const char* title, int commandId);
void webShowPage(int shown);
void webPresent(const uint8_t* rgba, int width, int height, int x, int y);
int webOpenChooser(const char* title, const char* accept);
void webAlert(const char* text, const char* caption);
int webOpenSound(int sampleRate);
void webQueueSound(const int16_t* samples, int count);
int webQueuedSound();
void webCloseSound();
}

WebHost web;

static HostWindowRecord* const theWindow = &web.window;

// ---- The window --------------------------------------------------------------

HostWindow hostCreateWindow(const WindowDescription& description)
{
    if (web.window.exists) return nullptr;
    web.window.exists = true;
    ClientSize client = clientSize(description);
    webCreatePage(description.title, client.width, client.height, description.background);
    for (int m = 0; m < description.menuCount; ++m) {
        const Menu& menu = description.menus[m];
        webAddMenu(menu.title);
        for (int i = 0; i < menu.itemCount; ++i) webAddMenuItem(menu.items[i].title, menu.items[i].command);
    }
    return theWindow;
}

// The page is on screen already.
void hostShowWindow(HostWindow window)
{
    if (window == theWindow && web.window.exists) webShowPage(1);
}

void hostDestroyWindow(HostWindow window)
{
    if (window != theWindow || !web.window.exists) return;
    webShowPage(0);
    web.window.exists = false;
}

// ---- Events ------------------------------------------------------------------

// What the page reports is posted as it comes, between passes; an open
// chooser holds the frames back.
bool hostPollEvents() { return web.chooserOpen; }

static void post(const HostEvent& event)
{
    if (web.window.exists) postHostEvent(event);
}

extern "C" EMSCRIPTEN_KEEPALIVE void webMenuCommand(int command)
{
    post(HostEvent{.kind = HostEventKind::Command, .command = static_cast<uint16_t>(command)});
}

// ---- A program from the page's address -------------------------------------

// The frame before which the page launches a program named in its address,
// as tessel-run --run launches before its --load-at.
extern "C" EMSCRIPTEN_KEEPALIVE int webProgramStartFrame() { return PROGRAM_START_FRAME; }

// Frame steps since the start: the page launches that program once the one
// before its frame has run.
extern "C" EMSCRIPTEN_KEEPALIVE int webFramesRun() { return shell.scheduledLoad.framesRun; }

// The page has put that program at path: null when it can be launched, else
// why not, and the machine runs on as without it.
extern "C" EMSCRIPTEN_KEEPALIVE const char* webLinkedProgramRefusal(const char* path)
{
    struct stat file {};
    if (std::strlen(path) >= PROGRAM_PATH_SIZE) return "its name is too long";
    if (stat(path, &file) != 0) return "it could not be read";
    if (file.st_size < VZ_HEADER_SIZE || file.st_size > PROGRAM_FILE_MAX) {
        static char reason[128];
        std::snprintf(reason, sizeof reason, "%lld bytes is no program: a program is %d to %d bytes",
                      static_cast<long long>(file.st_size), VZ_HEADER_SIZE, PROGRAM_FILE_MAX);
        return reason;
    }
    return nullptr;
}

// ---- Drawing -----------------------------------------------------------------

// The canvas takes bytes R, G, B, A; the surfaces hold 0x00RRGGBB words.
void hostPresent(HostWindow window, const Surface& surface, int x, int y)
{
    if (window != theWindow || !web.window.exists || surface.width * surface.height > WEB_CANVAS_PIXELS) return;
    uint8_t* out = web.canvasPixels;
    for (int i = 0; i < surface.width * surface.height; ++i, out += 4) {
        uint32_t pixel = surface.pixels[i];
        out[0] = static_cast<uint8_t>(pixel >> 16);
        out[1] = static_cast<uint8_t>(pixel >> 8);
        out[2] = static_cast<uint8_t>(pixel);
        out[3] = 0xFF;
    }
    webPresent(web.canvasPixels, surface.width, surface.height, x, y);
}

// ---- Key snapshot ------------------------------------------------------------

// The browser names each key by its place on a US keyboard
// (KeyboardEvent.code); these are the key codes of the same places.
struct KeyName {
    const char* code;
    uint8_t keyCode;
};

static const KeyName keyNames[] = {
    {"Escape", DIK_ESCAPE},        {"Digit1", DIK_1},           {"Digit2", DIK_2},
    {"Digit3", DIK_3},             {"Digit4", DIK_4},           {"Digit5", DIK_5},
    {"Digit6", DIK_6},             {"Digit7", DIK_7},           {"Digit8", DIK_8},
    {"Digit9", DIK_9},             {"Digit0", DIK_0},           {"Minus", DIK_MINUS},
    {"Equal", DIK_EQUALS},         {"Backspace", DIK_BACK},     {"Tab", DIK_TAB},
    {"KeyQ", DIK_Q},               {"KeyW", DIK_W},             {"KeyE", DIK_E},
    {"KeyR", DIK_R},               {"KeyT", DIK_T},             {"KeyY", DIK_Y},
    {"KeyU", DIK_U},               {"KeyI", DIK_I},             {"KeyO", DIK_O},
    {"KeyP", DIK_P},               {"BracketLeft", DIK_LBRACKET}, {"BracketRight", DIK_RBRACKET},
    {"Enter", DIK_RETURN},         {"ControlLeft", DIK_LCONTROL}, {"KeyA", DIK_A},
    {"KeyS", DIK_S},               {"KeyD", DIK_D},             {"KeyF", DIK_F},
    {"KeyG", DIK_G},               {"KeyH", DIK_H},             {"KeyJ", DIK_J},
    {"KeyK", DIK_K},               {"KeyL", DIK_L},             {"Semicolon", DIK_SEMICOLON},
    {"Quote", DIK_APOSTROPHE},     {"Backquote", DIK_GRAVE},    {"ShiftLeft", DIK_LSHIFT},
    {"Backslash", DIK_BACKSLASH},  {"KeyZ", DIK_Z},             {"KeyX", DIK_X},
    {"KeyC", DIK_C},               {"KeyV", DIK_V},             {"KeyB", DIK_B},
    {"KeyN", DIK_N},               {"KeyM", DIK_M},             {"Comma", DIK_COMMA},
    {"Period", DIK_PERIOD},        {"Slash", DIK_SLASH},        {"ShiftRight", DIK_RSHIFT},
    {"NumpadMultiply", DIK_MULTIPLY}, {"AltLeft", DIK_LMENU},   {"Space", DIK_SPACE},
    {"CapsLock", DIK_CAPITAL},     {"F1", DIK_F1},              {"F2", DIK_F2},
    {"F3", DIK_F3},                {"F4", DIK_F4},              {"F5", DIK_F5},
    {"F6", DIK_F6},                {"F7", DIK_F7},              {"F8", DIK_F8},
    {"F9", DIK_F9},                {"F10", DIK_F10},            {"NumLock", DIK_NUMLOCK},
    {"ScrollLock", DIK_SCROLL},    {"Numpad7", DIK_NUMPAD7},    {"Numpad8", DIK_NUMPAD8},
    {"Numpad9", DIK_NUMPAD9},      {"NumpadSubtract", DIK_SUBTRACT}, {"Numpad4", DIK_NUMPAD4},
    {"Numpad5", DIK_NUMPAD5},      {"Numpad6", DIK_NUMPAD6},    {"NumpadAdd", DIK_ADD},
    {"Numpad1", DIK_NUMPAD1},      {"Numpad2", DIK_NUMPAD2},    {"Numpad3", DIK_NUMPAD3},
    {"Numpad0", DIK_NUMPAD0},      {"NumpadDecimal", DIK_DECIMAL}, {"IntlBackslash", DIK_OEM_102},
    {"F11", DIK_F11},              {"F12", DIK_F12},            {"NumpadEnter", DIK_NUMPADENTER},
    {"ControlRight", DIK_RCONTROL}, {"NumpadDivide", DIK_DIVIDE}, {"PrintScreen", DIK_SYSRQ},
    {"AltRight", DIK_RMENU},       {"Pause", DIK_PAUSE},        {"Home", DIK_HOME},
    {"ArrowUp", DIK_UP},           {"PageUp", DIK_PRIOR},       {"ArrowLeft", DIK_LEFT},
    {"ArrowRight", DIK_RIGHT},     {"End", DIK_END},            {"ArrowDown", DIK_DOWN},
    {"PageDown", DIK_NEXT},        {"Insert", DIK_INSERT},      {"Delete", DIK_DELETE},
    {"MetaLeft", DIK_LWIN},        {"MetaRight", DIK_RWIN},     {"ContextMenu", DIK_APPS},
};

static uint8_t keyCodeOf(const char* code)
{
    for (const KeyName& key : keyNames) {
        if (std::strcmp(key.code, code) == 0) return key.keyCode;
    }
    return 0;
}

// A key went down or up. True when the machine reads that key, so that the
// page keeps it from the browser; every other key keeps its browser meaning.
extern "C" EMSCRIPTEN_KEEPALIVE int webKey(const char* code, int down)
{
    uint8_t keyCode = keyCodeOf(code);
    if (keyCode == 0) return 0;
    reportHostKey(keyCode, down != 0);
    return machineReadsKey(keyCode);
}

// The page gained or lost the focus: the application's activation.
extern "C" EMSCRIPTEN_KEEPALIVE void webFocus(int focused)
{
    if ((focused != 0) == web.pageFocused) return;
    web.pageFocused = focused != 0;
    // The spine forgets every key on the way behind; so do the page's keys.
    if (!web.pageFocused) {
        forgetScreenKeys();
        forgetPageSticks();
    }
    post(HostEvent{.kind = web.pageFocused ? HostEventKind::Activated : HostEventKind::Deactivated});
}

bool hostOpenKeyboard(HostWindow) { return openReportedKeys(); }

bool hostReadKeys(uint8_t state[256]) { return readReportedKeys(state); }

void hostCloseKeyboard()
{
    forgetScreenKeys();
    forgetHostKeys();
}

// ---- Audio -------------------------------------------------------------------


HostAudio hostOpenAudio(int sampleRate, const char*& failure)
{
    if (!webOpenSound(sampleRate)) {
        failure = "no Web Audio worklet: the page must come from https or localhost";
        return nullptr;
    }
    return &web.audio;
}

void hostQueueAudio(HostAudio audio, const int16_t* samples, int count)
{
    if (audio) webQueueSound(samples, count);
}

int hostQueuedAudio(HostAudio audio) { return audio ? webQueuedSound() : 0; }

void hostCloseAudio(HostAudio audio)
{
    if (audio) webCloseSound();
}

// ---- Pasted text -------------------------------------------------------------

// A browser keeps the middle click for its own paste.
bool hostOpenPastedText(HostWindow, const char*&, size_t&) { return false; }

void hostClosePastedText() {}

// ---- Clock -------------------------------------------------------------------

bool hostPerformanceFrequency(int64_t& ticksPerSecond)
{
    ticksPerSecond = WEB_CLOCK_TICKS_PER_SECOND;
    return true;
}

// emscripten_get_now is the page's monotonic clock, in milliseconds.
int64_t hostPerformanceCounter()
{
    return static_cast<int64_t>(emscripten_get_now() * WEB_CLOCK_TICKS_PER_MILLISECOND);
}

uint32_t hostMilliseconds() { return static_cast<uint32_t>(static_cast<int64_t>(emscripten_get_now())); }

// ---- Files and messages ------------------------------------------------------

void hostRequestOpenFile(HostWindow, const OpenFileRequest& request)
{
    // The chooser takes one filter: the first one's extension.
    char accept[32] = "";
    const char* extension = request.filterCount > 0 ? request.filters[0].extension : nullptr;
    if (extension && std::strlen(extension) + 2 <= sizeof accept) std::snprintf(accept, sizeof accept, ".%s", extension);
    web.chooserOpen = webOpenChooser(request.title, accept) != 0;
}

static void postPath(HostEventKind kind, const char* path)
{
    post(HostEvent{.kind = kind, .text = path, .length = std::strlen(path)});
}

// A file was chosen in the chooser, and the page has put it at path.
extern "C" EMSCRIPTEN_KEEPALIVE void webFileChosen(const char* path)
{
    web.chooserOpen = false;
    postPath(HostEventKind::FileChosen, path);
}

extern "C" EMSCRIPTEN_KEEPALIVE void webChooserClosed() { web.chooserOpen = false; }

// The browser's own alert box is modal, as the Windows one is.
void hostErrorBox(const char* text, const char* caption) { webAlert(text, caption); }
