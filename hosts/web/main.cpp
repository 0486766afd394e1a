// tessel in a browser page: the emulator over the browser host. main()
// starts it; a browser cannot stay inside the message loop, so from then on
// the page's script runs the loop's passes from its callbacks.
#include <emscripten/emscripten.h>

#include "hosts/web/host_web.h"
#include "machine/character_set.h"
#include "machine/loaders.h"
#include "machine/vz200.h"
#include "shell/emulator.h"
#include "shell/events.h"
#include "shell/frame_clock.h"
#include "shell/machine_commands.h"
#include "shell/key_typing.h"
#include "shell/load_command.h"
#include "shell/main_window.h"

int main()
{
    web.running = startEmulator();
    // The runtime stays alive after main returns, for the passes.
    return web.running ? 0 : EXIT_FAILED_START;
}

// Runs the passes that are due now: one for each waiting message, then one
// more once the frame's deadline has come, which steps the frame (its wait
// is then over at the first reading). False once the loop has ended.
static void runPass()
{
    if (!messageLoopPass()) {
        web.running = false;
        stopEmulator();
    }
}

extern "C" EMSCRIPTEN_KEEPALIVE int webRunDuePasses()
{
    while (web.running) {
        bool messageWaits = hostEventWaiting();
        if (!messageWaits && (web.paused || !frameDeadlineReached())) break;
        runPass();
        // One frame at most: a late frame is not made up.
        if (!messageWaits) break;
    }
    return web.running;
}

// The page's fast tape: while the tape plays, frames one after another for
// up to budget milliseconds, each waiting message taken between two, with
// no sound and no deadline, then the last one's picture. How many frames
// ran; -1 once the loop has ended.
extern "C" EMSCRIPTEN_KEEPALIVE int webRunFastFrames(double budgetMilliseconds)
{
    double end = emscripten_get_now() + budgetMilliseconds;
    int frames = 0;
    while (web.running && vz200.tapeDeck.playing && emscripten_get_now() < end) {
        if (hostEventWaiting()) {
            runPass();
        } else if (web.paused || web.chooserOpen) {
            break;
        } else {
            unpacedFrameStep();
            ++frames;
        }
    }
    if (frames > 0 && web.running) presentScreen();
    return web.running ? frames : -1;
}

// How long until the frame's deadline; negative once it has passed.
extern "C" EMSCRIPTEN_KEEPALIVE double webMillisecondsToFrame()
{
    return static_cast<double>(ticksToFrameDeadline()) / WEB_CLOCK_TICKS_PER_MILLISECOND;
}

// The machine files' names, for the page's own chooser of them: 0 the
// system ROM, 1 the character generator.
extern "C" EMSCRIPTEN_KEEPALIVE const char* webMachineFileName(int which)
{
    return which == 0 ? ROM_FILE : FONT_FILE;
}

// The page's Pause and Resume. A resumed machine goes on from the frame it
// stopped at: the deadline long gone, the next frame runs at once and the
// ones after it a period apart.
extern "C" EMSCRIPTEN_KEEPALIVE void webPause(int pause) { web.paused = pause != 0; }

// The page's Reset, Save state and Restore state, between two frames.
extern "C" EMSCRIPTEN_KEEPALIVE void webReset() { resetMachine(); }

// False when the file at path cannot be written.
extern "C" EMSCRIPTEN_KEEPALIVE int webSaveState(const char* path) { return saveState(path); }

// Null when the machine has taken the snapshot at path, else why not. The
// picture is shown at once, paused or not.
extern "C" EMSCRIPTEN_KEEPALIVE const char* webRestoreState(const char* path)
{
    const char* reason = nullptr;
    if (!restoreState(path, reason)) return reason;
    presentScreen();
    return nullptr;
}

// The page's launch of the program at path (a link's ?load=, a dropped
// .vz, Run program...), between two frames, as a drop on the desktop's
// window launches it: null when it runs (RUN is typed after a BASIC
// program), else the one line to show after the file's name: why nothing
// changed (page/program_files.js knows its start), or that it went in as
// data.
extern "C" EMSCRIPTEN_KEEPALIVE const char* webLaunchProgram(const char* path)
{
    Launch launch = launchProgram(path);
    return launch == Launch::Refused ? "could not be launched: it is no program that can be read" : launchNote(launch);
}

// The page's Save program: BASIC's program as a .vz at path, named after
// the file. Null when written, else why not.
extern "C" EMSCRIPTEN_KEEPALIVE const char* webSaveProgram(const char* path) { return saveBasicProgram(vz200, path); }

// The text screen as tessel-run --print-screen prints it, 16 lines of 32
// characters: what the page's tests read.
extern "C" EMSCRIPTEN_KEEPALIVE const char* webTextScreen()
{
    static char text[TEXT_ROWS * (SCREEN_COLUMNS + 1) + 1];
    char* out = text;
    for (int cell = 0; cell < TEXT_ROWS * SCREEN_COLUMNS; ++cell) {
        *out++ = screenCharacter(vz200.memoryImage[VIDEO_MEMORY + cell]);
        if (cell % SCREEN_COLUMNS == SCREEN_COLUMNS - 1) *out++ = '\n';
    }
    *out = '\0';
    return text;
}
