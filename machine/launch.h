// Launching a program as its users did on the machine: a machine-code
// program starts from its load address, and a BASIC program goes where
// BASIC keeps its program with BASIC's pointers set as the ROM's own CLOAD
// leaves them, ready for RUN. Beside it the plain load (loaders.h), which
// touches nothing of BASIC's; and BASIC's program saved as a .vz that
// launches back to the same listing.
#pragma once

#include <cstddef>
#include <cstdint>

struct Vz200;

// What a launch did. The machine never types: after Basic the front end
// types BASIC_RUN, and after the two data kinds it says launchNote.
enum class Launch : uint8_t {
    Refused,      // no .vz that can be read: nothing changed
    MachineCode,  // type 0xF1: running from its load address
    Basic,        // BASIC's program in place, its pointers set
    Data,         // no BASIC program at BASIC's program start: memory only
    NoBasic,      // a BASIC program, but the ROM has no BASIC: memory only
};

constexpr char BASIC_RUN[] = "RUN\n";
constexpr uint8_t VZ_TYPE_BASIC = 0xF0;

// One line's end for the data kinds, after the file's name; null for the others.
const char* launchNote(Launch launch);

// What launching this .vz would do in the machine as it is.
Launch launchKind(const Vz200& machine, const uint8_t* file, size_t size);

// The load of loaders.h, then BASIC's pointers for a Basic launch.
Launch launchProgramFromPath(Vz200& machine, const char* path);
Launch launchProgramFromMemory(Vz200& machine, const uint8_t* file, size_t size);

// Launching the tape in the deck as its users did: a command typed for its
// first file, then play pressed. CRUN runs either kind of program the ROM
// knows; a file of another type is only loaded, with CLOAD. The command is
// null where the ROM has no BASIC, whose CLOAD there is; firstType is -1
// when no file could be read from the tape's start (CRUN is typed then, as
// tapes mostly hold programs).
struct TapeLaunch {
    const char* command;
    int firstType;
};
TapeLaunch tapeLaunch(const Vz200& machine);

// Writes BASIC's program (its bytes from BASIC's program start to its end
// pointer) to path as a .vz of type 0xF0, named after the file: its name
// without folder and extension, in capitals (the keyboard types no others,
// and CLOAD "NAME" must find it), cut to what the header holds. Null when
// written, else why not, on one line.
const char* saveBasicProgram(const Vz200& machine, const char* path);
