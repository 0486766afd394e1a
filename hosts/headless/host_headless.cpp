#include "hosts/headless/host_headless.h"

#include <chrono>
#include <cstdio>
#include <cstring>

#include "machine/surface.h"
#include "shell/foreground_keyboard.h"
#include "hosts/headless/png_file.h"
#include "hosts/headless/wav_file.h"

HeadlessHost headless;

static HostWindowRecord* const theWindow = &headless.window;

constexpr int64_t SCRIPTED_FREQUENCY = 1000000;

void headlessReset()
{
    headless.active = true;
    headless.window = HeadlessWindow{};
    headless.queue.clear();
    headless.keyboard = HeadlessKeyboard{};
    foregroundKeyboard = ForegroundKeyboard{};
    headless.audio = HeadlessAudio{};
    headless.audio.reportedQueue = -1;
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
    headless.drops = HeadlessDrops{};
    headless.paste = HeadlessPaste{};
    headless.screen = HeadlessScreen{};
    headless.translated = headless.dispatched = headless.defaultHandled = 0;
    headless.log.clear();
    headless.logEvents = true;
    headless.keepFrames = true;
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
    if (!active) loseForegroundKeyboard();
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
    if (headless.keepFrames) s.pixels.assign(surface.pixels, surface.pixels + surface.width * surface.height);
    ++s.presents;
    if (headless.logEvents) headless.log += "P ";
    if (headless.onPresent) headless.onPresent(s.presents);
}

uint32_t headlessClientPixel(int x, int y)
{
    const HeadlessScreen& s = headless.screen;
    int fx = x - s.x;
    int fy = y - s.y;
    if (fx < 0 || fy < 0 || fx >= s.width || fy >= s.height || s.pixels.empty()) return headless.window.background;
    return s.pixels[static_cast<size_t>(fy) * s.width + fx];
}

bool headlessWriteScreenshot(const char* path)
{
    const HeadlessScreen& s = headless.screen;
    if (s.pixels.empty()) return false;
    return writePng(path, s.pixels.data(), s.width, s.height);
}

// ---- Key snapshot ----------------------------------------------------------

int32_t hostOpenKeyboard(HostWindow, HostKeyboard& device)
{
    ++headless.keyboard.opens;
    device = &headless.keyboard;
    return openForegroundKeyboard();
}

int32_t hostAcquireKeyboard(HostKeyboard)
{
    ++headless.keyboard.acquires;
    return acquireForegroundKeyboard(headless.active);
}

int32_t hostUnacquireKeyboard(HostKeyboard)
{
    ++headless.keyboard.unacquires;
    return unacquireForegroundKeyboard();
}

int32_t hostReadKeyboard(HostKeyboard, uint8_t state[256])
{
    HeadlessKeyboard& k = headless.keyboard;
    ++k.reads;
    int32_t result = readForegroundKeyboard(state);
    if (result < 0) ++k.failedReads;
    if (headless.onKeyboardRead) headless.onKeyboardRead();
    return result;
}

void hostReleaseKeyboard(HostKeyboard)
{
    ++headless.keyboard.releases;
    releaseForegroundKeyboard();
}

void headlessSetKey(uint8_t keyCode, bool down) { setForegroundKey(keyCode, down); }

// ---- Audio -----------------------------------------------------------------

HostAudio hostOpenAudio(int sampleRate, const char*& failure)
{
    HeadlessAudio& a = headless.audio;
    ++a.opens;
    if (a.openFails) {
        failure = "the test's device refused to open";
        return nullptr;
    }
    a.open = true;
    a.sampleRate = sampleRate;
    return &a;
}

void hostQueueAudio(HostAudio audio, const int16_t* samples, int count)
{
    audio->queued += count;
    if (audio->keepSamples) audio->samples.insert(audio->samples.end(), samples, samples + count);
}

int hostQueuedAudio(HostAudio audio) { return audio->reportedQueue < 0 ? AUDIO_QUEUE_TARGET : audio->reportedQueue; }

void hostCloseAudio(HostAudio audio)
{
    ++audio->closes;
    audio->open = false;
}

bool headlessWriteSound(const char* path)
{
    const HeadlessAudio& a = headless.audio;
    return writeWav(path, a.samples.data(), static_cast<int>(a.samples.size()), a.sampleRate);
}

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

// ---- Drops and pasted text ------------------------------------------------

static void postDrop(const HeadlessDrop& drop)
{
    headless.drops.last = drop;
    headlessPost(WM_DROPFILES, reinterpret_cast<uintptr_t>(&headless.drops.last));
}

void headlessDropFile(const char* path) { postDrop(HeadlessDrop{true, false, path, ""}); }

void headlessDropText(const char* text) { postDrop(HeadlessDrop{false, true, "", text}); }

void headlessSetPastedText(const char* text)
{
    headless.paste.available = text != nullptr;
    headless.paste.text = text ? text : "";
}

void headlessMiddleClick(int x, int y)
{
    headlessPost(WM_MBUTTONDOWN, 0, static_cast<intptr_t>((y & 0xFFFF) << 16 | (x & 0xFFFF)));
}

// The drop being handled is always the last one made.
bool hostDroppedFile(uintptr_t, char* path, int pathSize)
{
    const HeadlessDrop& drop = headless.drops.last;
    if (!drop.hasFile || drop.file.size() + 1 > static_cast<size_t>(pathSize)) return false;
    std::memcpy(path, drop.file.c_str(), drop.file.size() + 1);
    return true;
}

bool hostDroppedText(uintptr_t, const char*& text, size_t& length)
{
    const HeadlessDrop& drop = headless.drops.last;
    if (!drop.hasText) return false;
    text = drop.text.data();
    length = drop.text.size();
    return true;
}

void hostFinishDrop(uintptr_t) { ++headless.drops.finished; }

bool hostOpenPastedText(HostWindow, const char*& text, size_t& length)
{
    if (!headless.paste.available) return false;
    ++headless.paste.opened;
    text = headless.paste.text.data();
    length = headless.paste.text.size();
    return true;
}

void hostClosePastedText() { ++headless.paste.closed; }
