#include "shell/load_command.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "machine/vz200.h"
#include "shell/host.h"
#include "shell/key_typing.h"
#include "shell/shell.h"

static const FileFilter programFilters[] = {
    {"VZ Files", "vz"},
    {"All Files", nullptr},
};

void loadProgramFile()
{
    OpenFileRequest request = {
        .title = "Open VZ File",
        .filters = programFilters,
        .filterCount = 2,
        .initialPath = shell.programPath,
    };
    hostRequestOpenFile(shell.mainWindow, request);
}

void programChosen(const char* path, size_t length)
{
    if (length >= PROGRAM_PATH_SIZE) return;
    std::memcpy(shell.programPath, path, length + 1);
    // A file that cannot be read changes nothing, and the user has just
    // seen it in the chooser; there is nothing useful to say.
    loadProgramFromPath(vz200, shell.programPath);
}

Launch launchProgram(const char* path)
{
    Launch launch = launchProgramFromPath(vz200, path);
    if (launch == Launch::Basic) queueTypedText(BASIC_RUN, sizeof BASIC_RUN - 1);
    return launch;
}

void loadDroppedProgram(const char* path, size_t length)
{
    if (length >= PROGRAM_PATH_SIZE) return;
    Launch launch = launchProgram(path);
    if (launch == Launch::Refused) return;
    std::memcpy(shell.programPath, path, length + 1);
    if (const char* note = launchNote(launch)) std::fprintf(stderr, "tessel: %s %s\n", path, note);
}

static void chooseScheduledProgramWhenDue()
{
    ScheduledLoad& load = shell.scheduledLoad;
    if (load.beforeFrame == 0 || load.framesRun + 1 < load.beforeFrame) return;
    load.beforeFrame = 0;
    postHostEvent(HostEvent{.kind = HostEventKind::FileChosen, .text = load.path, .length = std::strlen(load.path)});
}

void scheduleProgramLoad(const char* path, int frame)
{
    size_t length = std::strlen(path);
    if (length >= PROGRAM_PATH_SIZE) return;
    ScheduledLoad& load = shell.scheduledLoad;
    std::memcpy(load.path, path, length + 1);
    load.beforeFrame = std::max(frame, 1);
    chooseScheduledProgramWhenDue();
}

void forgetScheduledLoad() { shell.scheduledLoad.beforeFrame = 0; }

void frameRanForScheduledLoad()
{
    ++shell.scheduledLoad.framesRun;
    chooseScheduledProgramWhenDue();
}
