// tessel-run: the emulator on the headless host, for automation and tests.
// The real start-up, frame loop and shutdown run in the current directory;
// the options script the user's side: keys, File > Load, a dropped program,
// closing the window.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <span>

#include "machine/character_set.h"
#include "machine/key_table.h"
#include "machine/loaders.h"
#include "machine/launch.h"
#include "machine/snapshot.h"
#include "machine/vz200.h"
#include "shell/emulator.h"
#include "shell/frame_clock.h"
#include "hosts/headless/host_headless.h"
#include "shell/key_typing.h"
#include "shell/load_command.h"
#include "shell/machine_commands.h"
#include "shell/main_window.h"
#include "shell/tape_file.h"

static const char usage[] =
    "Usage: tessel-run [options]\n"
    "Runs the Tessel emulator without a window, in the current directory: the\n"
    "machine files vzrom.v20 and vz200.fnt are read from there, and the built-in\n"
    "open ROM and font stand in for missing ones. Frames are numbered from 1.\n"
    "\n"
    "  --frames N         run N frames, then stop: the run closes the window itself,\n"
    "                     as there is none to close (default: 150, or longer when\n"
    "                     --type, --load, --run or --tape-in need it, with 50 to\n"
    "                     spare)\n"
    "  --fast             run as fast as possible, a tape too; otherwise 50 frames\n"
    "                     a second, and a tape takes as long as on the machine\n"
    "  --load FILE        choose File > Load before frame --load-at and answer the\n"
    "                     Open dialog with FILE (a .vz program; a path of 259\n"
    "                     characters at most, as the dialog takes): its body goes\n"
    "                     into memory and machine code runs, but BASIC's pointers\n"
    "                     stay as they were\n"
    "  --run FILE         launch FILE before frame --load-at as a program dropped\n"
    "                     on the window launches (a path of 259 characters at\n"
    "                     most): machine code runs from its load\n"
    "                     address; a BASIC program (type 0xF0) at BASIC's program\n"
    "                     start gets BASIC's pointers as the ROM's CLOAD leaves\n"
    "                     them, and RUN is typed right after; any other file is\n"
    "                     loaded as data, with one line that says so\n"
    "  --load-at FRAME    the frame before which the load or launch happens\n"
    "                     (default %d)\n"
    "  --type TEXT        type TEXT on the host keyboard, each key held 3 frames\n"
    "                     and released 3 frames, left Shift for shifted characters;\n"
    "                     \\n (or a newline) is Return. Typeable: letters (lower\n"
    "                     case as upper case), digits, space , . ; : - and\n"
    "                     ! \" # $ %% & ' ( ) @ + * = < > / ?\n"
    "  --type-at FRAME    the frame in which the first key goes down (default 50)\n"
    "  --joystick N:CONTROLS@FROM-TO\n"
    "                     hold CONTROLS of joystick N (1 or 2) from frame FROM\n"
    "                     through frame TO: up, down, left, right, fire and arm,\n"
    "                     joined by + (e.g. 1:up+fire@200-260); may be repeated\n"
    "  --printer FILE     write what the machine prints (BASIC's LPRINT, LLIST) to\n"
    "                     FILE as text, a line for each carriage return\n"
    "  --tape-in FILE     put the tape FILE (.cvz, or a .wav recording of a tape)\n"
    "                     into the cassette recorder and press play in frame\n"
    "                     --tape-at; it plays to its end, whatever the machine\n"
    "                     does, as the machine does not switch the motor. Type\n"
    "                     CLOAD or CRUN (with --type) to load from it\n"
    "  --tape-at FRAME    the frame in which play is pressed (default 1)\n"
    "  --tape-out FILE    record the cassette output of the whole run (CSAVE) and\n"
    "                     write it to FILE after the last frame: as a .wav (48 kHz,\n"
    "                     16-bit mono) or, as the ROM wrote its bytes, a .cvz\n"
    "  --screenshot FILE  write the last presented frame (320x240) as PNG\n"
    "  --wav FILE         write the sound of every frame as a WAV file: 960\n"
    "                     samples a frame, 48,000 a second, 16-bit mono, exactly\n"
    "                     as the machine made them\n"
    "  --load-state FILE  restore the machine from the snapshot FILE before the\n"
    "                     first frame, after the start has loaded the ROM and font\n"
    "                     (a snapshot restores only onto the ROM and font it was\n"
    "                     saved with)\n"
    "  --save-state FILE  write a snapshot of the machine after the last frame:\n"
    "                     processor, memory from 0x6800, latch, keyboard rows,\n"
    "                     speaker, joysticks, printer and the tape deck's place,\n"
    "                     for --load-state to run on from exactly there\n"
    "  --save-program FILE\n"
    "                     write BASIC's program after the last frame as a .vz of\n"
    "                     type 0xF0 that --run launches back to the same listing,\n"
    "                     named after FILE (in capitals, 16 characters at most);\n"
    "                     with no BASIC program, or no BASIC in the ROM, nothing\n"
    "                     is written, and the run ends with status 1 and the reason\n"
    "  --print-screen     print text video memory 0x7000-0x71FF as 16 lines of 32\n"
    "                     characters: normal text, codes 0x40-0x7F, as its\n"
    "                     characters (up and left arrows as ^ and _), inverse\n"
    "                     codes 0x00-0x3F as the lower-case letter, or ~ for\n"
    "                     inverse non-letters (the cursor is an inverse space),\n"
    "                     semigraphics 0x80-0xFF as #\n"
    "  --stats            print frames, emulated T-states, host seconds, the ratio\n"
    "                     to real time, and microseconds per frame for running the\n"
    "                     processor, rendering and presenting (rendering is timed\n"
    "                     by drawing each frame a second time, which --fast leaves\n"
    "                     out of the host seconds; running is the rest of the time\n"
    "                     from the keyboard poll to the end of drawing)\n"
    "  -h, --help         show this text\n"
    "  --version          show the version\n"
    "\n"
    "Numbers go up to 100000000. A --screenshot, --wav, --printer, --save-state,\n"
    "--save-program or --tape-out FILE that cannot be written is refused before\n"
    "the run, and so is a --load-state FILE that cannot be restored or a --tape-in\n"
    "FILE that is no tape, with the reason. Exit status 0 after the run, 1 on bad\n"
    "options, files or a failed start, no BASIC program for --save-program, or a\n"
    ".cvz --tape-out of a run that saved nothing.\n";

struct RunOptions {
    int frames = 150;
    bool framesGiven = false;
    bool fast = false;
    const char* loadFile = nullptr;
    int loadAt = PROGRAM_START_FRAME;
    int typeAt = 50;
    const char* screenshot = nullptr;
    const char* wav = nullptr;
    const char* loadState = nullptr;
    const char* saveState = nullptr;
    const char* printer = nullptr;
    const char* tapeIn = nullptr;
    int tapeAt = 1;
    const char* tapeOut = nullptr;
    bool printScreen = false;
    bool stats = false;
};

static RunOptions options;

// A --joystick: controls of one stick held through a span of frames.
struct StickHold {
    int stick;  // 0 or 1
    uint8_t controls;  // bits of machine/joystick.h
    int from, to;
};

constexpr int STICK_HOLDS_MAX = 256;
static StickHold stickHolds[STICK_HOLDS_MAX];
static int stickHoldCount = 0;

// Where --printer writes, open through the run.
static std::FILE* printerFile = nullptr;
// --run: the load file is dropped on the window, which launches it.
static bool launchLoadFile = false;
static const char* saveProgram = nullptr;

// What --type types, as the keys go down: '\n' is Return.
static char typedText[TYPING_CAPACITY];
static int typedLength = 0;

static int fail(const char* what, const char* detail)
{
    std::fprintf(stderr, "tessel-run: %s%s\n", what, detail);
    return 1;
}

// An option's value that will not do: the option, what is wrong, and the way
// to the help, on one line.
static int refuse(const char* option, const char* problem, const char* value)
{
    std::fprintf(stderr, "tessel-run: %s: %s%s; see tessel-run --help\n", option, problem, value);
    return 1;
}

constexpr long FRAME_MAX = 100000000;

// 0 when text is a frame number, else an option error.
static int parseFrame(const char* option, const char* text, int& value)
{
    char* end = nullptr;
    errno = 0;
    long number = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || number < 1) return refuse(option, "not a frame number (1 or more): ", text);
    if (errno == ERANGE || number > FRAME_MAX) return refuse(option, "too large (at most 100000000): ", text);
    value = static_cast<int>(number);
    return 0;
}

// Whether a file can be written at path: found out by opening it to append,
// and a file that only this made is removed again.
static bool canWrite(const char* path)
{
    std::error_code error;
    bool existed = std::filesystem::exists(path, error);
    std::FILE* file = std::fopen(path, "ab");
    if (!file) return false;
    std::fclose(file);
    if (!existed) std::remove(path);
    return true;
}

// ---- Typing ------------------------------------------------------------------

constexpr int SPARE_FRAMES = 50;

// Sets up the user's side for the frame about to run.
static void scriptFrame(int frame)
{
    headless.sticks = StickInput{};
    for (const StickHold& hold : std::span(stickHolds, stickHoldCount)) {
        if (frame >= hold.from && frame <= hold.to) headless.sticks.held[hold.stick] |= hold.controls;
    }
    // The first key goes down at this frame's keyboard poll.
    if (frame == options.typeAt) queueTypedText(typedText, static_cast<size_t>(typedLength));
    if (options.loadFile && frame == options.loadAt) {
        if (launchLoadFile) {
            headlessDropFile(options.loadFile);
        } else {
            headlessAnswerChooser(options.loadFile);
            headlessCommand(ID_FILE_LOAD);
        }
    }
    // Both between two frames, as a user's hand on the recorder would be.
    if (options.tapeIn && frame == options.tapeAt) playTape(vz200.tapeDeck);
    if (options.tapeOut && frame == 1) recordTape(vz200.tapeDeck, vz200.outputLatch);
}

// ---- Timing ------------------------------------------------------------------

using Clock = std::chrono::steady_clock;

static struct {
    Clock::time_point keysRead;   // the poll, just before the processor runs
    Clock::time_point waitEnded;  // the last clock reading of the wait
    bool waiting;  // no frame is being measured until the first poll
    double runAndRender, render, present;  // seconds, summed over the frames
} timing = {{}, {}, true, 0, 0, 0};

static double secondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

static void keysRead()
{
    timing.keysRead = Clock::now();
    timing.waiting = false;
}

// The first reading of the wait comes right after the frame was drawn.
static void clockRead()
{
    if (!timing.waiting) {
        timing.waiting = true;
        Clock::time_point drawn = Clock::now();
        timing.runAndRender += secondsBetween(timing.keysRead, drawn);
        // Nothing has changed since the frame was drawn, so drawing it once
        // more costs what drawing it did.
        renderScreen(vz200);
        timing.render += secondsBetween(drawn, Clock::now());
    }
    timing.waitEnded = Clock::now();
}

static void measurePresentedFrame() { timing.present += secondsBetween(timing.waitEnded, Clock::now()); }

static void framePresented(int frame)
{
    if (options.stats) measurePresentedFrame();
    const Printer& printer = vz200.printer;
    if (printerFile) std::fwrite(printer.text, 1, static_cast<size_t>(printer.length), printerFile);
    if (frame >= options.frames) {
        headlessClose();
        return;
    }
    scriptFrame(frame + 1);
}

// ---- Output ------------------------------------------------------------------

static void printScreen()
{
    for (int row = 0; row < TEXT_ROWS; ++row) {
        char line[SCREEN_COLUMNS + 1];
        for (int column = 0; column < SCREEN_COLUMNS; ++column) {
            line[column] = screenCharacter(vz200.memoryImage[VIDEO_MEMORY + SCREEN_COLUMNS * row + column]);
        }
        line[SCREEN_COLUMNS] = '\0';
        std::printf("%s\n", line);
    }
}

static void printStats(double hostSeconds)
{
    int frames = headless.screen.presents;
    long long tStates = static_cast<long long>(frames) * CYCLES_PER_FRAME;
    double emulatedSeconds = static_cast<double>(frames) / FRAMES_PER_SECOND;
    double perFrame = frames > 0 ? 1e6 / frames : 0.0;
    // Both figures are measured, so their difference can come out a little
    // below zero when the processor sleeps through its frames.
    double run = std::max(0.0, timing.runAndRender - timing.render);
    std::printf("frames: %d\n", frames);
    std::printf("emulated T-states: %lld (%.2f s)\n", tStates, emulatedSeconds);
    std::printf("host seconds: %.3f\n", hostSeconds);
    std::printf("ratio to real time: %.2f\n", hostSeconds > 0 ? emulatedSeconds / hostSeconds : 0.0);
    std::printf("per frame (us): run %.1f, render %.1f, present %.1f\n", run * perFrame, timing.render * perFrame,
                timing.present * perFrame);
}

// ---- Options -----------------------------------------------------------------

// 0 when every character of text can be typed, else an option error.
static int takeText(const char* text)
{
    for (const char* p = text; *p;) {
        char c = takeTypedCharacter(p);
        TypedKey typed{};
        if (!keyForCharacter(c, typed)) {
            const char quoted[4] = {'\'', c, '\'', '\0'};
            return refuse("--type", "no key of the machine types ", quoted);
        }
        if (typedLength == TYPING_CAPACITY) return refuse("--type", "too long to type (65536 characters at most)", "");
        typedText[typedLength++] = c;
    }
    return 0;
}

// "N:CONTROLS@FROM-TO", e.g. "1:up+fire@200-260"; 0 when it is one, else an
// option error.
static int takeStickHold(const char* text)
{
    const char* option = "--joystick";
    if (stickHoldCount == STICK_HOLDS_MAX) return refuse(option, "given too often (256 times at most): ", text);
    StickHold hold{};
    if ((text[0] != '1' && text[0] != '2') || text[1] != ':') return refuse(option, "not N:CONTROLS@FROM-TO with N 1 or 2: ", text);
    hold.stick = text[0] - '1';
    const char* at = std::strchr(text, '@');
    if (!at) return refuse(option, "no @FROM-TO after the controls: ", text);
    for (const char* name = text + 2;;) {
        const char* end = name;
        while (end < at && *end != '+') ++end;
        StickControl control{};
        if (!stickControlNamed(name, static_cast<size_t>(end - name), control)) {
            return refuse(option, "controls are up, down, left, right, fire and arm, joined by +: ", text);
        }
        hold.controls |= stickBit(control);
        if (end == at) break;
        name = end + 1;
    }
    const char* dash = std::strchr(at, '-');
    if (!dash) return refuse(option, "not a frame range FROM-TO after @: ", text);
    char from[16] = {};
    std::memcpy(from, at + 1, std::min(static_cast<size_t>(dash - at - 1), sizeof from - 1));
    if (parseFrame(option, from, hold.from) != 0 || parseFrame(option, dash + 1, hold.to) != 0) return 1;
    if (hold.to < hold.from) return refuse(option, "the range ends before it starts: ", text);
    stickHolds[stickHoldCount++] = hold;
    return 0;
}

static int parseOptions(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        auto is = [&](const char* name) { return std::strcmp(option, name) == 0; };
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (is("--help") || is("-h")) {
            std::printf(usage, PROGRAM_START_FRAME);
            std::exit(0);
        } else if (is("--version")) {
            std::printf("tessel-run (Tessel) %s\n", TESSEL_VERSION);
            std::exit(0);
        } else if (is("--fast")) {
            options.fast = true;
        } else if (is("--print-screen")) {
            options.printScreen = true;
        } else if (is("--stats")) {
            options.stats = true;
        } else if (is("--frames") || is("--load-at") || is("--type-at") || is("--tape-at")) {
            const char* text = value();
            if (!text) return refuse(option, "a number must follow", "");
            int& target = is("--frames")    ? options.frames
                          : is("--load-at") ? options.loadAt
                          : is("--type-at") ? options.typeAt
                                            : options.tapeAt;
            if (parseFrame(option, text, target) != 0) return 1;
            if (is("--frames")) options.framesGiven = true;
        } else if (is("--tape-in")) {
            const char* text = value();
            if (!text) return refuse(option, "a value must follow", "");
            const char* reason = nullptr;
            // Read now: a file that is no tape is refused before the run.
            if (!insertTapeFromPath(vz200, text, reason)) {
                std::fprintf(stderr, "tessel-run: --tape-in %s: %s\n", text, reason);
                return 1;
            }
            options.tapeIn = text;
        } else if (is("--load") || is("--run") || is("--type") || is("--screenshot") || is("--wav") ||
                   is("--load-state") || is("--save-state") || is("--save-program") || is("--printer") ||
                   is("--joystick") || is("--tape-out")) {
            const char* text = value();
            if (!text) return refuse(option, "a value must follow", "");
            if (is("--load") || is("--run")) {
                // The Open dialog's buffer, and the drop's, would refuse it,
                // and the run would go on without the program.
                if (std::strlen(text) >= PROGRAM_PATH_SIZE) {
                    return refuse(option, "too long for the Open dialog: ", text);
                }
                std::FILE* file = std::fopen(text, "rb");
                if (!file) return refuse(option, "cannot open the program file ", text);
                std::fclose(file);
                options.loadFile = text;
                launchLoadFile = is("--run");
            } else if (is("--type")) {
                if (takeText(text) != 0) return 1;
            } else if (is("--joystick")) {
                if (takeStickHold(text) != 0) return 1;
            } else if (is("--load-state")) {
                // Checked once the machine has its ROM and font to compare.
                options.loadState = text;
            } else {
                if (is("--tape-out") && tapeFileKind(text) == TapeFileKind::None) {
                    return refuse(option, "the name must end in .wav or .cvz: ", text);
                }
                // Found out now, not after a run of many frames.
                if (!canWrite(text)) return refuse(option, "cannot write ", text);
                (is("--wav")            ? options.wav
                 : is("--save-state")   ? options.saveState
                 : is("--save-program") ? saveProgram
                 : is("--printer")      ? options.printer
                 : is("--tape-out")     ? options.tapeOut
                                        : options.screenshot) = text;
            }
        } else {
            return refuse(option, "unknown option", "");
        }
    }
    if (!options.framesGiven) {
        int typingEnds = typedLength == 0 ? 0 : options.typeAt + KEY_FRAMES * typedLength;
        int runTyped = launchLoadFile ? KEY_FRAMES * static_cast<int>(sizeof BASIC_RUN - 1) : 0;
        int loadEnds = options.loadFile ? options.loadAt + runTyped : 0;
        int holdsEnd = 0;
        for (const StickHold& hold : std::span(stickHolds, stickHoldCount)) holdsEnd = std::max(holdsEnd, hold.to);
        int64_t tapeFrames = (tapeStatus(vz200.tapeDeck).length + CYCLES_PER_FRAME - 1) / CYCLES_PER_FRAME;
        int tapeEnds = options.tapeIn ? static_cast<int>(std::min<int64_t>(options.tapeAt + tapeFrames, FRAME_MAX)) : 0;
        int needed = std::max({typingEnds, loadEnds, holdsEnd, tapeEnds}) + SPARE_FRAMES;
        if (needed > options.frames) options.frames = needed;
    }
    return 0;
}

int main(int argc, char** argv)
{
    if (parseOptions(argc, argv) != 0) return 1;

    if (!options.fast) headlessUseRealClock();
    // A long run would keep a copy of every frame, for nobody.
    headless.keepFrames = options.screenshot != nullptr;
    if (options.stats) {
        headless.onKeyboardRead = keysRead;
        headless.onClockRead = clockRead;
    }
    headless.onPresent = framePresented;
    headless.audio.keepSamples = options.wav != nullptr;
    scriptFrame(1);
    if (options.printer && !(printerFile = std::fopen(options.printer, "wb"))) {
        return fail("cannot write the printer's text ", options.printer);
    }

    Clock::time_point start = Clock::now();
    if (!startEmulator()) return fail("the emulator did not start", "");
    // Between the start and the first frame, as a program load comes
    // between two frames.
    const char* reason = nullptr;
    if (options.loadState && !restoreState(options.loadState, reason)) {
        stopEmulator();
        std::fprintf(stderr, "tessel-run: --load-state %s: %s\n", options.loadState, reason);
        return 1;
    }
    // After the restore, which forgets what waits for the machine.
    scriptFrame(1);
    runMessageLoop();
    stopEmulator();
    if (printerFile && std::fclose(printerFile) != 0) return fail("cannot write the printer's text ", options.printer);
    double hostSeconds = secondsBetween(start, Clock::now());
    // A paced run spends the second drawing inside its wait.
    if (options.fast) hostSeconds -= timing.render;

    if (options.printScreen) printScreen();
    if (options.stats) printStats(hostSeconds);
    if (options.screenshot && !headlessWriteScreenshot(options.screenshot)) {
        return fail("cannot write the screenshot ", options.screenshot);
    }
    if (options.wav && !headlessWriteSound(options.wav)) return fail("cannot write the sound ", options.wav);
    if (options.saveState && !saveState(options.saveState)) {
        return fail("cannot write the snapshot ", options.saveState);
    }
    if (const char* refusal = saveProgram ? saveBasicProgram(vz200, saveProgram) : nullptr) {
        std::fprintf(stderr, "tessel-run: --save-program %s: %s\n", saveProgram, refusal);
        return 1;
    }
    if (options.tapeOut) {
        stopRecording(vz200.tapeDeck);
        if (const char* problem = writeTapeRecording(options.tapeOut, tapeFileKind(options.tapeOut))) {
            std::fprintf(stderr, "tessel-run: --tape-out %s: %s\n", options.tapeOut, problem);
            return 1;
        }
    }
    return 0;
}
