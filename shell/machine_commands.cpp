#include "shell/machine_commands.h"

#include <cstdio>

#include "machine/snapshot.h"
#include "machine/vz200.h"
#include "shell/key_typing.h"
#include "shell/load_command.h"

void startMachine()
{
    MachineFiles files = powerOnMachine(ROM_FILE, FONT_FILE);
    if (!files.romRead) std::fprintf(stderr, "tessel: no %s here, running the built-in open ROM\n", ROM_FILE);
    if (!files.fontRead) std::fprintf(stderr, "tessel: no %s here, using the built-in open font\n", FONT_FILE);
}

// What waited for the machine that was there.
static void forgetWhatWaits()
{
    forgetTypedText();
    forgetScheduledLoad();
}

void resetMachine()
{
    clearMachine();
    startMachine();
    forgetWhatWaits();
}

bool saveState(const char* path) { return writeSnapshotFile(vz200, path); }

bool restoreState(const char* path, const char*& reason)
{
    if (!restoreSnapshotFile(vz200, path, reason)) return false;
    forgetWhatWaits();
    return true;
}
