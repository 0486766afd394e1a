#include "machine/launch.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "machine/vz200.h"

// BASIC's own variables, where the ROM's CLOAD (0x3656) reads and leaves them.
constexpr uint16_t BASIC_START = 0x78A4;        // ROM 0x36D5: CLOAD takes the program's start from here
constexpr uint16_t BASIC_END = 0x78F9;          // ROM 0x36BB: CLOAD puts the loaded end here: variables start
constexpr uint16_t BASIC_ARRAYS = 0x78FB;       // ROM 0x1B86: arrays start at the end: no variables
constexpr uint16_t BASIC_FREE = 0x78FD;         // ROM 0x1B89: free memory starts there too: no arrays
constexpr uint16_t BASIC_DATA = 0x78FF;         // ROM 0x1D96: READ starts again just before the first line
constexpr uint16_t BASIC_STRING_TOP = 0x78B1;   // ROM 0x1B7A: the top of string space, kept
constexpr uint16_t BASIC_STRING_FREE = 0x78D6;  // ROM 0x1B7D: strings grow down from the top: none yet
constexpr uint16_t BASIC_ERROR_LINE = 0x78F0;   // ROM 0x1B74: no line to go to on an error
constexpr uint16_t BASIC_ERROR_FLAG = 0x78F2;   // ROM 0x1B6F: no error being handled
constexpr uint16_t BASIC_CONTINUE = 0x78F7;     // ROM 0x1B77: nothing for CONT to go on with
constexpr uint16_t BASIC_TYPES = 0x7901;        // ROM 0x1B64: each letter's variable type, A to Z
constexpr int BASIC_TYPE_LETTERS = 26;
constexpr uint8_t BASIC_TYPE_SINGLE = 4;        // ROM 0x1B69: single precision, bytes of a value
// The rest of what CLOAD's way back to READY sets (the stack, the text
// position) is the running interpreter's own, which READY and RUN set up.

// ROM 0x36BB: "ld (0x78F9),hl", CLOAD storing the end where this launch
// does; a ROM without it keeps no BASIC program there.
constexpr uint16_t ROM_CLOAD_END_STORE = 0x36BB;
constexpr uint8_t LD_ADDRESS_HL = 0x22;

// A program's last line is followed by a link of zero.
constexpr int BASIC_END_MARK = 2;
// Each line: a link to the next and a line number, then the text and a NUL.
constexpr int BASIC_LINE_HEAD = 4;

static uint16_t word(const Vz200& machine, uint16_t at)
{
    return static_cast<uint16_t>(machine.memoryImage[at] | machine.memoryImage[uint16_t(at + 1)] << 8);
}

static void setWord(Vz200& machine, uint16_t at, uint16_t value)
{
    machine.memoryImage[at] = static_cast<uint8_t>(value & 0xFF);
    machine.memoryImage[uint16_t(at + 1)] = static_cast<uint8_t>(value >> 8);
}

static bool hasBasic(const Vz200& machine)
{
    const uint8_t* store = machine.memoryImage + ROM_CLOAD_END_STORE;
    return store[0] == LD_ADDRESS_HL && store[1] == (BASIC_END & 0xFF) && store[2] == BASIC_END >> 8;
}

// Typed for a tape: CRUN starts a machine-code program from its start
// address (ROM 0x36C7) and RUNs any other file it loaded (ROM 0x36DC);
// CLOAD, for a file that is no program, only loads it.
constexpr char TAPE_RUN[] = "CRUN\n";
constexpr char TAPE_LOAD[] = "CLOAD\n";

// A file on tape begins with leader bytes and sync bytes, then its type
// (ROM 0x3603-0x3623, the loader's wait for a file).
constexpr size_t TAPE_START_READ = 4096;

TapeLaunch tapeLaunch(const Vz200& machine)
{
    uint8_t bytes[TAPE_START_READ];
    size_t count = insertedTapeAsCvz(bytes, sizeof bytes);
    size_t i = 0;
    while (i < count && bytes[i] == CVZ_LEADER) ++i;
    size_t sync = i;
    while (i < count && bytes[i] == CVZ_SYNC) ++i;
    bool read = sync > 0 && i > sync && i < count;
    TapeLaunch launch = {TAPE_RUN, read ? bytes[i] : -1};
    if (read && bytes[i] != VZ_TYPE_BASIC && bytes[i] != VZ_TYPE_MACHINE_CODE) launch.command = TAPE_LOAD;
    if (!hasBasic(machine)) launch.command = nullptr;
    return launch;
}

const char* launchNote(Launch launch)
{
    switch (launch) {
    case Launch::Data:
        return "loaded as data: it is no BASIC program at BASIC's program start";
    case Launch::NoBasic:
        return "loaded as data: this ROM has no BASIC to run it";
    default:
        return nullptr;
    }
}

Launch launchKind(const Vz200& machine, const uint8_t* file, size_t size)
{
    if (size < VZ_HEADER_SIZE) return Launch::Refused;
    uint8_t type = file[VZ_TYPE_OFFSET];
    if (type == VZ_TYPE_MACHINE_CODE) return Launch::MachineCode;
    if (type != VZ_TYPE_BASIC) return Launch::Data;
    if (!hasBasic(machine)) return Launch::NoBasic;
    uint16_t start = vzLoadAddress(file);
    size_t body = size - VZ_HEADER_SIZE;
    // A body that reaches the top of memory leaves no address for its end,
    // and one without the end mark is no program.
    bool fits = body >= BASIC_END_MARK && start + body < MEMORY_SIZE;
    return start == word(machine, BASIC_START) && fits ? Launch::Basic : Launch::Data;
}

// ROM 0x1AFC: each line's link pointed at the line after it, as CLOAD
// leaves them for a program saved where it was loaded or elsewhere; a line
// that runs past the end stays as it is.
static void relinkLines(Vz200& machine, uint16_t start, uint32_t end)
{
    const uint8_t* memory = machine.memoryImage;
    uint32_t line = start;
    while (line + BASIC_LINE_HEAD < end && word(machine, static_cast<uint16_t>(line)) != 0) {
        const uint8_t* text = memory + line + BASIC_LINE_HEAD;
        const uint8_t* nul = static_cast<const uint8_t*>(std::memchr(text, 0, end - (line + BASIC_LINE_HEAD)));
        if (!nul) return;
        uint32_t next = static_cast<uint32_t>(nul - memory) + 1;
        setWord(machine, static_cast<uint16_t>(line), static_cast<uint16_t>(next));
        line = next;
    }
}

// CLOAD's end (ROM 0x36BB, then 0x1AE8): the end pointer, the links, and
// BASIC's variables cleared as NEW and RUN clear them (ROM 0x1B5D).
static void setBasicPointers(Vz200& machine, uint16_t start, uint16_t end)
{
    setWord(machine, BASIC_END, end);
    relinkLines(machine, start, end);
    std::memset(machine.memoryImage + BASIC_TYPES, BASIC_TYPE_SINGLE, BASIC_TYPE_LETTERS);
    machine.memoryImage[BASIC_ERROR_FLAG] = 0;
    setWord(machine, BASIC_ERROR_LINE, 0);
    setWord(machine, BASIC_CONTINUE, 0);
    setWord(machine, BASIC_STRING_FREE, word(machine, BASIC_STRING_TOP));
    setWord(machine, BASIC_DATA, static_cast<uint16_t>(start - 1));
    setWord(machine, BASIC_ARRAYS, end);
    setWord(machine, BASIC_FREE, end);
}

Launch launchProgramFromPath(Vz200& machine, const char* path)
{
    static uint8_t file[PROGRAM_FILE_MAX];
    std::FILE* stream = std::fopen(path, "rb");
    if (!stream) return Launch::Refused;
    size_t size = std::fread(file, 1, sizeof file, stream);
    std::fclose(stream);
    return launchProgramFromMemory(machine, file, size);
}

Launch launchProgramFromMemory(Vz200& machine, const uint8_t* file, size_t size)
{
    Launch launch = launchKind(machine, file, size);
    if (!loadProgramFromMemory(machine, file, size)) return Launch::Refused;
    if (launch == Launch::Basic) {
        uint16_t start = vzLoadAddress(file);
        setBasicPointers(machine, start, static_cast<uint16_t>(start + size - VZ_HEADER_SIZE));
    }
    return launch;
}

// The file's name without its folder and extension, in capitals, cut to
// the header's room.
static void programName(const char* path, char name[VZ_NAME_SIZE + 1])
{
    const char* base = std::strrchr(path, '/');
    base = base ? base + 1 : path;
    const char* dot = std::strrchr(base, '.');
    size_t length = std::min<size_t>(dot && dot != base ? dot - base : std::strlen(base), VZ_NAME_SIZE);
    for (size_t i = 0; i < length; ++i) name[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(base[i])));
    name[length] = '\0';
}

const char* saveBasicProgram(const Vz200& machine, const char* path)
{
    if (!hasBasic(machine)) return "this ROM has no BASIC, so there is no BASIC program to save";
    uint16_t start = word(machine, BASIC_START);
    uint16_t end = word(machine, BASIC_END);
    if (end <= start + BASIC_END_MARK || word(machine, start) == 0) return "BASIC holds no program to save";
    char name[VZ_NAME_SIZE + 1];
    programName(path, name);
    uint8_t header[VZ_HEADER_SIZE];
    makeVzHeader(header, name, VZ_TYPE_BASIC, start);
    std::FILE* file = std::fopen(path, "wb");
    if (!file) return "the file cannot be written";
    size_t body = end - start;
    bool written = std::fwrite(header, 1, sizeof header, file) == sizeof header &&
                   std::fwrite(machine.memoryImage + start, 1, body, file) == body;
    // A full disk may only show when the buffer goes out.
    if (std::fclose(file) != 0 || !written) return "the file could not be written whole";
    return nullptr;
}
