#include "shell/load_command.h"

#include <cstring>

#include "machine/vz200.h"
#include "shell/host.h"
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

void loadDroppedProgram(const char* path, size_t length)
{
    if (length >= PROGRAM_PATH_SIZE || !loadProgramFromPath(vz200, path)) return;
    std::memcpy(shell.programPath, path, length + 1);
}
