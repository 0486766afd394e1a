#include "hosts/headless/host_headless.h"

#include <chrono>
#include <cstring>

#include "hosts/headless/png_file.h"
#include "hosts/headless/wav_file.h"
#include "machine/surface.h"
#include "machine/vz200.h"

HeadlessHost headless;

static HostWindowRecord* const theWindow = &headless.window;

constexpr int64_t SCRIPTED_FREQUENCY = 1000000;

void headlessReset()
{
    headless.window = HeadlessWindow{};
    headless.keyboard = HeadlessKeyboard{};
    headless.audio = HeadlessAudio{};
    headless.audio.reportedQueue = -1;
    headless.clock = HeadlessClock{
        .real = false,
        .counterAvailable = true,
        .frequency = SCRIPTED_FREQUENCY,
        .counter = 1,
        .counterStep = SCRIPTED_FREQUENCY / FRAMES_PER_SECOND,
        .milliseconds = 1,
        .millisecondStep = 1000 / FRAMES_PER_SECOND,
        .readings = 0,
    };
    headless.chooser = HeadlessChooser{};
    headless.errorBox = HeadlessErrorBox{};
    headless.paste = HeadlessPaste{};
    headless.screen = HeadlessScreen{};
    headless.sticks = StickInput{};
    headless.polls = 0;
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

// ---- Window and events -------------------------------------------------------

HostWindow hostCreateWindow(const WindowDescription& description)
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
    return theWindow;
}

void hostShowWindow(HostWindow) { ++headless.window.shown; }

void hostDestroyWindow(HostWindow window)
{
    if (window != theWindow || !headless.window.exists) return;
    ++headless.window.destroyed;
    headless.window.exists = false;
}

// Every event is posted as the script or test makes it.
bool hostPollEvents()
{
    ++headless.polls;
    return false;
}

void headlessCommand(uint16_t command) { postHostEvent(HostEvent{.kind = HostEventKind::Command, .command = command}); }

void headlessClose() { postHostEvent(HostEvent{.kind = HostEventKind::Close}); }

void headlessSetActive(bool active)
{
    postHostEvent(HostEvent{.kind = active ? HostEventKind::Activated : HostEventKind::Deactivated});
}

// ---- Drawing -----------------------------------------------------------------

void hostPresent(HostWindow, const Surface& surface, int x, int y)
{
    HeadlessScreen& s = headless.screen;
    s.x = x;
    s.y = y;
    s.width = surface.width;
    s.height = surface.height;
    if (headless.keepFrames) s.pixels.assign(surface.pixels, surface.pixels + surface.width * surface.height);
    ++s.presents;
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

// ---- Joysticks -------------------------------------------------------------------

void hostReadSticks(StickInput& sticks) { sticks = headless.sticks; }

// ---- Key snapshot --------------------------------------------------------------

bool hostOpenKeyboard(HostWindow)
{
    ++headless.keyboard.opens;
    headless.keyboard.open = true;
    return openReportedKeys();
}

bool hostReadKeys(uint8_t state[256])
{
    ++headless.keyboard.reads;
    bool read = readReportedKeys(state);
    if (headless.onKeyboardRead) headless.onKeyboardRead();
    return read;
}

void hostCloseKeyboard()
{
    ++headless.keyboard.closes;
    headless.keyboard.open = false;
}

void headlessSetKey(uint8_t keyCode, bool down) { reportHostKey(keyCode, down); }

// ---- Audio -----------------------------------------------------------------------

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

// ---- Clock -----------------------------------------------------------------------

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

// ---- Files, text and messages ------------------------------------------------

void headlessAnswerChooser(const char* path)
{
    headless.chooser.choose = path != nullptr;
    headless.chooser.answerPath = path ? path : "";
}

// Like a modal dialog: the answer is posted before the request returns.
void hostRequestOpenFile(HostWindow owner, const OpenFileRequest& request)
{
    HeadlessChooser& c = headless.chooser;
    ++c.shown;
    c.owner = owner;
    c.title = request.title;
    c.initialPath = request.initialPath;
    c.filters.assign(request.filters, request.filters + request.filterCount);
    if (!c.choose) return;
    postHostEvent(HostEvent{.kind = HostEventKind::FileChosen, .text = c.answerPath.c_str(), .length = c.answerPath.size()});
}

void hostErrorBox(const char* text, const char* caption)
{
    HeadlessErrorBox& b = headless.errorBox;
    ++b.shown;
    b.text = text;
    b.caption = caption;
}

void headlessDropFile(const char* path)
{
    postHostEvent(HostEvent{.kind = HostEventKind::DroppedFile, .text = path, .length = std::strlen(path)});
}

void headlessDropText(const char* text)
{
    postHostEvent(HostEvent{.kind = HostEventKind::DroppedText, .text = text, .length = std::strlen(text)});
}

void headlessSetPastedText(const char* text)
{
    headless.paste.available = text != nullptr;
    headless.paste.text = text ? text : "";
}

void headlessMiddleClick(int x, int y) { postHostEvent(HostEvent{.kind = HostEventKind::Paste, .x = x, .y = y}); }

bool hostOpenPastedText(HostWindow, const char*& text, size_t& length)
{
    if (!headless.paste.available) return false;
    ++headless.paste.opened;
    text = headless.paste.text.data();
    length = headless.paste.text.size();
    return true;
}

void hostClosePastedText() { ++headless.paste.closed; }
