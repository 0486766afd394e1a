#include "shell/host_headless.h"

#include <chrono>
#include <cstdio>
#include <cstring>

#include "machine/surface.h"
#include "tools/png_file.h"

HeadlessHost headless;

// The one window there is; its address is the handle.
static HostWindowRecord* const theWindow = reinterpret_cast<HostWindowRecord*>(&headless.window);
static HostKeyboardRecord* const theKeyboard = reinterpret_cast<HostKeyboardRecord*>(&headless.keyboard);

constexpr int64_t SCRIPTED_FREQUENCY = 1000000;

void headlessReset()
{
    headless.active = true;
    headless.window = HeadlessWindow{};
    headless.queue.clear();
    headless.keyboard = HeadlessKeyboard{};
    headless.clock = HeadlessClock{
        .real = false,
        .counterAvailable = true,
        .frequency = SCRIPTED_FREQUENCY,
        .counter = 1,
        .counterStep = SCRIPTED_FREQUENCY / 50,
        .milliseconds = 1,
        .millisecondStep = 20,
        .readings = 0,
    };
    headless.openDialog = HeadlessOpenDialog{};
    headless.errorBox = HeadlessErrorBox{};
    headless.screen = HeadlessScreen{};
    headless.translated = headless.dispatched = headless.defaultHandled = 0;
    headless.log.clear();
    headless.logEvents = true;
    headless.onPresent = nullptr;
    headless.onKeyboardRead = nullptr;
    headless.onClockRead = nullptr;
}

// Usable without a call to headlessReset.
static const bool resetAtStart = (headlessReset(), true);

void headlessUseRealClock()
{
    headless.clock.real = true;
    headless.clock.counterAvailable = true;
}

static void logEvent(char kind, uint32_t message)
{
    if (!headless.logEvents) return;
    char token[16];
    std::snprintf(token, sizeof token, "%c%X ", kind, static_cast<unsigned>(message));
    headless.log += token;
}

// ---- Window and messages -------------------------------------------------

HostWindow hostCreateWindow(HostInstance, const WindowDescription& description)
{
    HeadlessWindow& w = headless.window;
    if (w.createFails) return nullptr;
    w.exists = true;
    ++w.created;
    w.title = description.title;
    w.className = description.className;
    w.pictureWidth = description.pictureWidth;
    w.pictureHeight = description.pictureHeight;
    w.pictureX = description.pictureX;
    w.pictureY = description.pictureY;
    w.background = description.background;
    w.menus.assign(description.menus, description.menus + description.menuCount);
    w.procedure = description.procedure;
    return theWindow;
}

static intptr_t sendMessage(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    logEvent('S', message);
    return headless.window.procedure(theWindow, message, wParam, lParam);
}

void hostShowWindow(HostWindow, int)
{
    ++headless.window.shown;
    // A window shown in front activates the application.
    if (headless.active) sendMessage(WM_ACTIVATEAPP, 1, 0);
}

void hostDestroyWindow(HostWindow window)
{
    if (window != theWindow || !headless.window.exists) return;
    ++headless.window.destroyed;
    sendMessage(WM_DESTROY, 0, 0);
    // Messages still queued for it are taken but go nowhere.
    headless.window.exists = false;
}

bool hostPeekMessage(HostMessage& message)
{
    if (headless.queue.empty()) {
        if (headless.logEvents) headless.log += "E ";
        return false;
    }
    message = headless.queue.front();
    headless.queue.pop_front();
    logEvent('M', message.message);
    return true;
}

void hostTranslateMessage(const HostMessage& message)
{
    ++headless.translated;
    logEvent('T', message.message);
}

intptr_t hostDispatchMessage(const HostMessage& message)
{
    ++headless.dispatched;
    logEvent('D', message.message);
    if (message.window != theWindow || !headless.window.exists) return 0;
    return headless.window.procedure(message.window, message.message, message.wParam, message.lParam);
}

void hostPostQuitMessage(int exitCode)
{
    headless.queue.push_back(HostMessage{nullptr, WM_QUIT, static_cast<uintptr_t>(exitCode), 0});
}

intptr_t hostDefaultWindowProc(HostWindow window, uint32_t message, uintptr_t, intptr_t)
{
    ++headless.defaultHandled;
    if (message == WM_CLOSE) hostDestroyWindow(window);
    return 0;
}

void headlessPost(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    headless.queue.push_back(HostMessage{theWindow, message, wParam, lParam});
}

void headlessCommand(uint16_t commandId) { headlessPost(WM_COMMAND, commandId, 0); }

void headlessClose() { headlessPost(WM_CLOSE); }

void headlessSetActive(bool active)
{
    headless.active = active;
    if (!active && headless.keyboard.acquired) {
        headless.keyboard.acquired = false;
        headless.keyboard.lost = true;
    }
    headlessPost(WM_ACTIVATEAPP, active ? 1 : 0);
}

// ---- Drawing ---------------------------------------------------------------

void hostPresent(HostWindow, const Surface& surface, int x, int y)
{
    HeadlessScreen& s = headless.screen;
    s.x = x;
    s.y = y;
    s.width = surface.width;
    s.height = surface.height;
    s.pixels.assign(surface.pixels, surface.pixels + surface.width * surface.height);
    ++s.presents;
    if (headless.logEvents) headless.log += "P ";
    if (headless.onPresent) headless.onPresent(s.presents);
}

void hostClientSize(HostWindow, int& width, int& height)
{
    // The picture and a one-pixel margin at the top and left.
    width = headless.window.pictureX + headless.window.pictureWidth;
    height = headless.window.pictureY + headless.window.pictureHeight;
}

uint32_t headlessClientPixel(int x, int y)
{
    const HeadlessScreen& s = headless.screen;
    int fx = x - s.x;
    int fy = y - s.y;
    if (fx < 0 || fy < 0 || fx >= s.width || fy >= s.height) return headless.window.background;
    return s.pixels[static_cast<size_t>(fy) * s.width + fx];
}

bool headlessWriteScreenshot(const char* path)
{
    const HeadlessScreen& s = headless.screen;
    if (s.presents == 0) return false;
    return writePng(path, s.pixels.data(), s.width, s.height);
}

// ---- Key snapshot ----------------------------------------------------------

// Result codes of DirectInput that are not errors.
constexpr int32_t DI_OK = 0;
constexpr int32_t DI_NOEFFECT = 1;

int32_t hostOpenKeyboard(HostWindow, HostKeyboard& device)
{
    HeadlessKeyboard& k = headless.keyboard;
    ++k.opens;
    // Like DirectInput failing on the cooperative level, after the device
    // was created: the caller still has something to release.
    k.open = true;
    k.acquired = false;
    k.lost = false;
    device = theKeyboard;
    return k.openResult < 0 ? k.openResult : DI_OK;
}

int32_t hostAcquireKeyboard(HostKeyboard)
{
    HeadlessKeyboard& k = headless.keyboard;
    ++k.acquires;
    if (!headless.active) return DIERR_OTHERAPPHASPRIO;
    if (k.acquired) return DI_NOEFFECT;
    k.acquired = true;
    k.lost = false;
    return DI_OK;
}

int32_t hostUnacquireKeyboard(HostKeyboard)
{
    HeadlessKeyboard& k = headless.keyboard;
    ++k.unacquires;
    if (!k.acquired) return DI_NOEFFECT;
    k.acquired = false;
    return DI_OK;
}

int32_t hostReadKeyboard(HostKeyboard, uint8_t state[256])
{
    HeadlessKeyboard& k = headless.keyboard;
    ++k.reads;
    int32_t result = DI_OK;
    if (k.acquired) {
        std::memcpy(state, k.keys, sizeof k.keys);
    } else {
        ++k.failedReads;
        result = k.lost ? DIERR_INPUTLOST : DIERR_NOTACQUIRED;
    }
    if (headless.onKeyboardRead) headless.onKeyboardRead();
    return result;
}

void hostReleaseKeyboard(HostKeyboard)
{
    HeadlessKeyboard& k = headless.keyboard;
    ++k.releases;
    k.open = false;
    k.acquired = false;
}

void headlessSetKey(uint8_t keyCode, bool down) { headless.keyboard.keys[keyCode] = down ? 0x80 : 0x00; }

// ---- Clock -----------------------------------------------------------------

static int64_t steadyNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool hostPerformanceFrequency(int64_t& ticksPerSecond)
{
    const HeadlessClock& c = headless.clock;
    if (!c.counterAvailable) return false;
    ticksPerSecond = c.real ? 1000000000 : c.frequency;
    return true;
}

int64_t hostPerformanceCounter()
{
    HeadlessClock& c = headless.clock;
    ++c.readings;
    int64_t value = c.real ? steadyNanoseconds() : c.counter;
    if (!c.real) c.counter += c.counterStep;
    if (headless.onClockRead) headless.onClockRead();
    return value;
}

uint32_t hostMilliseconds()
{
    HeadlessClock& c = headless.clock;
    ++c.readings;
    uint32_t value = c.real ? static_cast<uint32_t>(steadyNanoseconds() / 1000000) : c.milliseconds;
    if (!c.real) c.milliseconds += c.millisecondStep;
    if (headless.onClockRead) headless.onClockRead();
    return value;
}

// ---- Dialogs ---------------------------------------------------------------

void headlessAnswerOpenDialog(const char* path)
{
    headless.openDialog.choose = path != nullptr;
    headless.openDialog.answerPath = path ? path : "";
}

static std::string filterList(const char* filters)
{
    // Up to and including the empty string that ends the list.
    const char* end = filters;
    while (*end) end += std::strlen(end) + 1;
    return std::string(filters, end + 1);
}

int hostOpenFileDialog(const OpenFileRequest& request)
{
    HeadlessOpenDialog& d = headless.openDialog;
    ++d.shown;
    d.owner = request.owner;
    d.title = request.title;
    d.offeredPath = request.path;
    d.filters = filterList(request.filters);
    d.filterIndex = request.filterIndex;
    d.pathSize = request.pathSize;
    d.flags = request.flags;
    d.defaultExtension = request.defaultExtension;
    if (!d.choose || d.answerPath.size() + 1 > static_cast<size_t>(request.pathSize)) return 0;
    std::memcpy(request.path, d.answerPath.c_str(), d.answerPath.size() + 1);
    return 1;
}

void hostErrorBox(HostWindow owner, const char* text, const char* caption)
{
    HeadlessErrorBox& b = headless.errorBox;
    ++b.shown;
    b.owner = owner;
    b.text = text;
    b.caption = caption;
}
