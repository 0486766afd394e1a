#include "shell/load_command.h"

#include <cstring>

#include "machine/vz200.h"
#include "shell/host.h"
#include "shell/resources.h"

char programPath[PROGRAM_PATH_SIZE];

// The list ends with an empty string after the last pair.
static const char programFilters[] = "VZ Files\0*.vz\0All Files\0*.*\0";

void loadProgramFile()
{
    OpenFileRequest request = {
        .owner = mainWindow,
        .title = "Open VZ File",
        .filters = programFilters,
        .filterIndex = 1,
        .path = programPath,
        .pathSize = PROGRAM_PATH_SIZE,
        .flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
        .defaultExtension = "vz",
    };
    if (hostOpenFileDialog(request) != 1) return;
    // A file that cannot be read changes nothing, and the user has just
    // seen it in the dialog; there is nothing useful to say.
    loadProgramFromPath(vz200, programPath);
}

void loadDroppedProgram(const char* path)
{
    if (!loadProgramFromPath(vz200, path)) return;
    std::memcpy(programPath, path, std::strlen(path) + 1);
}
