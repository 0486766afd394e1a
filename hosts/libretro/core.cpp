// Tessel as a libretro core: a host of the machine whose front end calls one
// machine frame per retro_run (several while a tape plays fast), with its
// keyboard's and pads' state, and takes the frame's picture and sound. The
// front end keeps the window, the sound device, the timing and the files;
// the core keeps the machine, the content (a program's bytes, or a tape in
// the machine's deck), the count of frames since power-on, and appends what
// the machine prints to a file in the front end's save folder.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "hosts/libretro/core_input.h"
#include "hosts/libretro/core_options.h"
#include "hosts/libretro/libretro.h"
#include "machine/crc32.h"
#include "machine/loaders.h"
#include "machine/launch.h"
#include "machine/snapshot.h"
#include "machine/vz200.h"
#include "shell/key_typing.h"

constexpr int SYSTEM_PATH_SIZE = 4096;

// While a tape plays, each retro_run runs up to this many machine frames
// (half a second of tape: 25 times as fast); a fixed number, so that a frame
// is the same for the same state and input, as run-ahead and rewind need.
// A machine frame takes some 50 microseconds on a desktop, so even a host
// twenty times slower keeps pace with run-ahead on.
constexpr int FAST_TAPE_FRAMES = 25;

constexpr const char* PRINTER_FILE = "tessel-printer.txt";

enum class Content : uint8_t { None, Program, Tape };

// What the front end handed over.
static struct {
    retro_environment_t environment;
    retro_video_refresh_t video;
    retro_audio_sample_t audioSample;
    retro_audio_sample_batch_t audioBatch;
    retro_input_poll_t inputPoll;
    retro_input_state_t inputState;
    retro_log_printf_t log;
} frontend;

// The running machine's side of the core, from retro_load_game on.
static struct {
    Content kind;
    size_t contentSize;
    uint8_t content[PROGRAM_FILE_MAX];  // a program's bytes; a tape is in the deck
    const char* tapeCommand;  // typed to load the tape; null: none
    uint32_t frame;  // machine frames begun since power-on, the first is 1
    bool padPlugged[PAD_PORTS];
    CoreOptions options;
    char systemFolder[SYSTEM_PATH_SIZE];  // empty: the front end has none
    char romPath[SYSTEM_PATH_SIZE], fontPath[SYSTEM_PATH_SIZE];
    char printerPath[SYSTEM_PATH_SIZE];  // empty: printing goes nowhere
    bool printerSaid;  // why printing goes nowhere has been said
    uint8_t keys[HOST_KEY_COUNT];       // as the front end holds them
    uint8_t frameKeys[HOST_KEY_COUNT];  // and the keys typed for the content
    StickInput sticks;
    int16_t stereo[2 * SAMPLES_PER_FRAME];
} session;

// The line being said, and saying it: through the front end's log, or on
// standard error without one.
static char line[SYSTEM_PATH_SIZE + 128];

static void sayLine(retro_log_level level)
{
    if (frontend.log) {
        frontend.log(level, "%s", line);
    } else {
        std::fputs(line, stderr);
    }
}

// ---- Setting up ----------------------------------------------------------------

static const retro_controller_description portTypes[] = {
    {"RetroPad", RETRO_DEVICE_JOYPAD},
    {"Keyboard only", RETRO_DEVICE_KEYBOARD},
};
static const retro_controller_description secondPortTypes[] = {
    {"RetroPad", RETRO_DEVICE_JOYPAD},
    {"None", RETRO_DEVICE_NONE},
};
static const retro_controller_info controllers[] = {
    {portTypes, 2},
    {secondPortTypes, 2},
    {nullptr, 0},
};

void retro_set_environment(retro_environment_t environment)
{
    frontend.environment = environment;
    bool noContent = true;
    environment(RETRO_ENVIRONMENT_SET_SUPPORT_NO_GAME, &noContent);
    retro_log_callback log = {nullptr};
    frontend.log = environment(RETRO_ENVIRONMENT_GET_LOG_INTERFACE, &log) ? log.log : nullptr;
    environment(RETRO_ENVIRONMENT_SET_CONTROLLER_INFO, const_cast<retro_controller_info*>(controllers));
    declareCoreOptions(environment);
}

void retro_set_video_refresh(retro_video_refresh_t video) { frontend.video = video; }
void retro_set_audio_sample(retro_audio_sample_t sample) { frontend.audioSample = sample; }
void retro_set_audio_sample_batch(retro_audio_sample_batch_t batch) { frontend.audioBatch = batch; }
void retro_set_input_poll(retro_input_poll_t poll) { frontend.inputPoll = poll; }
void retro_set_input_state(retro_input_state_t state) { frontend.inputState = state; }

void retro_init()
{
    std::memset(&session, 0, sizeof session);
    for (bool& plugged : session.padPlugged) plugged = true;  // the front end's default on every port
}

void retro_deinit() { clearMachine(); }

unsigned retro_api_version() { return RETRO_API_VERSION; }

void retro_get_system_info(retro_system_info* info)
{
    *info = {};
    info->library_name = "Tessel";
    info->library_version = TESSEL_VERSION;
    info->valid_extensions = "vz|cvz|wav";
    info->need_fullpath = false;
    info->block_extract = false;
}

void retro_get_system_av_info(retro_system_av_info* info)
{
    *info = {};
    info->geometry = {BACK_BUFFER_WIDTH, BACK_BUFFER_HEIGHT, BACK_BUFFER_WIDTH, BACK_BUFFER_HEIGHT, 4.0f / 3.0f};
    info->timing = {FRAMES_PER_SECOND, SPEAKER_SAMPLE_RATE};
}

unsigned retro_get_region() { return RETRO_REGION_PAL; }

// ---- Input -------------------------------------------------------------------

static void takeOptions()
{
    readCoreOptions(frontend.environment, session.options);
    describeInputs(frontend.environment, session.options);
}

void retro_set_controller_port_device(unsigned port, unsigned device)
{
    if (port < PAD_PORTS) session.padPlugged[port] = (device & 0xFF) == RETRO_DEVICE_JOYPAD;
}

// ---- Power and content ----------------------------------------------------------

// A file's path in a folder of the front end; false when there is no folder
// or the path does not fit.
static bool folderFile(char* path, const char* folder, const char* name)
{
    if (!folder[0]) return false;
    int length = std::snprintf(path, SYSTEM_PATH_SIZE, "%s/%s", folder, name);
    return length > 0 && length < SYSTEM_PATH_SIZE;
}

// Off and on again with the system folder's machine files; the content goes
// in again, as File > Load would put it, before PROGRAM_START_FRAME, and a
// tape is rewound.
static void powerOn()
{
    bool rom = folderFile(session.romPath, session.systemFolder, ROM_FILE);
    bool font = folderFile(session.fontPath, session.systemFolder, FONT_FILE);
    clearMachine();
    MachineFiles files = powerOnMachine(rom ? session.romPath : nullptr, font ? session.fontPath : nullptr);
    const char* folder = session.systemFolder[0] ? session.systemFolder : "(the front end gives none)";
    if (!files.romRead) {
        std::snprintf(line, sizeof line, "tessel: no %s in the system folder %s, running the built-in open ROM\n",
                      ROM_FILE, folder);
        sayLine(RETRO_LOG_WARN);
    }
    if (!files.fontRead) {
        std::snprintf(line, sizeof line, "tessel: no %s in the system folder %s, using the built-in open font\n",
                      FONT_FILE, folder);
        sayLine(RETRO_LOG_WARN);
    }
    session.frame = 0;
}

static const char* contentName(const retro_game_info* game) { return game->path ? game->path : "the content"; }

// A tape by its name's extension (.cvz, .wav); without a name, by its first
// bytes.
static bool isTape(const retro_game_info* game)
{
    const char* dot = game->path ? std::strrchr(game->path, '.') : nullptr;
    if (dot) {
        auto is = [dot](const char* extension) {
            for (size_t i = 0;; ++i) {
                if (std::tolower(static_cast<unsigned char>(dot[1 + i])) != extension[i]) return false;
                if (!extension[i]) return true;
            }
        };
        return is("cvz") || is("wav");
    }
    const auto* bytes = static_cast<const uint8_t*>(game->data);
    return bytes && (looksLikeCvz(bytes, game->size) || looksLikeWav(bytes, game->size));
}

static bool takeProgram(const retro_game_info* game)
{
    if (!game->data || game->size < VZ_HEADER_SIZE || game->size > PROGRAM_FILE_MAX) {
        std::snprintf(line, sizeof line, "tessel: %s is no .vz program, which has %d to %d bytes\n", contentName(game),
                      VZ_HEADER_SIZE, PROGRAM_FILE_MAX);
        sayLine(RETRO_LOG_ERROR);
        return false;
    }
    std::memcpy(session.content, game->data, game->size);
    session.contentSize = game->size;
    session.kind = Content::Program;
    return true;
}

// Into the deck; a tape that cannot be read is left out, and the machine
// runs without it.
static void takeTape(const retro_game_info* game)
{
    const char* reason = "the front end gave no bytes";
    if (game->data && insertTape(vz200.tapeDeck, static_cast<const uint8_t*>(game->data), game->size, reason)) {
        session.kind = Content::Tape;
        return;
    }
    std::snprintf(line, sizeof line, "tessel: %s is not played: %s\n", contentName(game), reason);
    sayLine(RETRO_LOG_ERROR);
}

// What is typed for the tape, which needs the ROM; and why, where the
// first file is no program.
static void chooseTapeCommand()
{
    TapeLaunch launch = tapeLaunch(vz200);
    session.tapeCommand = launch.command;
    if (!launch.command) {
        std::snprintf(line, sizeof line, "tessel: the tape is not played: this ROM has no BASIC to load it\n");
    } else if (launch.firstType < 0) {
        std::snprintf(line, sizeof line, "tessel: no file could be read from the tape's start; CRUN is typed\n");
    } else if (launch.firstType != VZ_TYPE_BASIC && launch.firstType != VZ_TYPE_MACHINE_CODE) {
        std::snprintf(line, sizeof line, "tessel: the tape's first file is of type 0x%02X, no program: CLOAD only loads it\n",
                      launch.firstType);
    } else {
        return;
    }
    sayLine(RETRO_LOG_INFO);
}

bool retro_load_game(const retro_game_info* game)
{
    session.kind = Content::None;
    if (game && isTape(game)) {
        takeTape(game);
    } else if (game && !takeProgram(game)) {
        return false;
    }
    retro_pixel_format format = RETRO_PIXEL_FORMAT_XRGB8888;
    if (!frontend.environment(RETRO_ENVIRONMENT_SET_PIXEL_FORMAT, &format)) {
        std::snprintf(line, sizeof line, "tessel: the front end takes no XRGB8888 pictures\n");
        sayLine(RETRO_LOG_ERROR);
        return false;
    }
    const char* folder = nullptr;
    if (!frontend.environment(RETRO_ENVIRONMENT_GET_SYSTEM_DIRECTORY, &folder) || !folder) folder = "";
    std::snprintf(session.systemFolder, sizeof session.systemFolder, "%s", folder);
    folder = nullptr;
    if (!frontend.environment(RETRO_ENVIRONMENT_GET_SAVE_DIRECTORY, &folder) || !folder) folder = "";
    if (!folderFile(session.printerPath, folder, PRINTER_FILE)) session.printerPath[0] = '\0';
    session.printerSaid = false;
    takeOptions();
    powerOn();
    if (session.kind == Content::Tape) chooseTapeCommand();
    return true;
}

bool retro_load_game_special(unsigned, const retro_game_info*, size_t) { return false; }

void retro_unload_game() { session.kind = Content::None; }

void retro_reset() { powerOn(); }

// ---- The frame ------------------------------------------------------------------

// One frame's sound, or silence while the tape plays fast.
static void sendSound(bool silent)
{
    const int16_t* samples = vz200.speaker.samples;
    for (int i = 0; i < SAMPLES_PER_FRAME; ++i) {
        session.stereo[2 * i] = session.stereo[2 * i + 1] = silent ? int16_t(0) : samples[i];
    }
    if (frontend.audioBatch) {
        // A front end may take them in parts; one that takes none is full.
        for (size_t sent = 0; sent < SAMPLES_PER_FRAME;) {
            size_t taken = frontend.audioBatch(session.stereo + 2 * sent, SAMPLES_PER_FRAME - sent);
            if (taken == 0) break;
            sent += taken;
        }
    } else if (frontend.audioSample) {
        for (int i = 0; i < SAMPLES_PER_FRAME; ++i) frontend.audioSample(session.stereo[2 * i], session.stereo[2 * i]);
    }
}

// The text typed from PROGRAM_START_FRAME on: RUN after a BASIC program's
// launch, the tape's command; null for none.
static const char* typedText()
{
    if (session.kind == Content::Tape) return session.tapeCommand;
    return launchKind(vz200, session.content, session.contentSize) == Launch::Basic ? BASIC_RUN : nullptr;
}

// The launch, and from the same frame on the typing, as tessel-run --run
// types RUN; play is pressed once a tape's command is typed, as a user
// would, so that the loader hears the whole leader. All of it follows from
// the frame count alone, which a state keeps, so that a state taken halfway
// through the typing types the rest when it is loaded.
static void launchContent()
{
    if (session.frame == PROGRAM_START_FRAME && session.kind == Content::Program) {
        Launch launch = launchProgramFromMemory(vz200, session.content, session.contentSize);
        if (const char* note = launchNote(launch)) {
            std::snprintf(line, sizeof line, "tessel: the content %s\n", note);
            sayLine(RETRO_LOG_INFO);
        }
    }
    if (session.frame < PROGRAM_START_FRAME) return;
    const char* text = typedText();
    if (!text) return;
    uint32_t typed = session.frame - PROGRAM_START_FRAME;
    uint32_t typingFrames = KEY_FRAMES * static_cast<uint32_t>(std::strlen(text));
    if (typed < typingFrames) {
        pressTypedCharacter(text[typed / KEY_FRAMES], static_cast<int>(typed % KEY_FRAMES), session.frameKeys);
    } else if (typed == typingFrames && session.kind == Content::Tape) {
        playTape(vz200.tapeDeck);
    }
}

// Whether the user gets this frame's output: not a frame run ahead and
// thrown away, nor one of a second instance of the core that only runs
// ahead. What such a frame prints would be printed twice.
static bool frameIsKept()
{
    int enabled = 0;
    if (!frontend.environment(RETRO_ENVIRONMENT_GET_AUDIO_VIDEO_ENABLE, &enabled)) return true;
    if (enabled & RETRO_AV_ENABLE_HARD_DISABLE_AUDIO) return false;
    return (enabled & (RETRO_AV_ENABLE_AUDIO | RETRO_AV_ENABLE_VIDEO)) != 0;
}

// What the machine printed in its last frame, appended to the printer file;
// where there is none, or it cannot be written, that is said once.
static void keepPrintout()
{
    const Printer& printer = vz200.printer;
    if (printer.length == 0) return;
    std::FILE* file = session.printerPath[0] ? std::fopen(session.printerPath, "ab") : nullptr;
    if (file) {
        bool written = std::fwrite(printer.text, 1, static_cast<size_t>(printer.length), file) == size_t(printer.length);
        if (std::fclose(file) == 0 && written) return;
    }
    if (session.printerSaid) return;
    session.printerSaid = true;
    if (session.printerPath[0]) {
        std::snprintf(line, sizeof line, "tessel: what the machine prints cannot be written to %s\n", session.printerPath);
    } else {
        std::snprintf(line, sizeof line, "tessel: the front end gives no save folder: what the machine prints goes nowhere\n");
    }
    sayLine(RETRO_LOG_WARN);
}

static void runCoreFrame(bool kept)
{
    std::memcpy(session.frameKeys, session.keys, sizeof session.keys);
    if (session.frame < UINT32_MAX) ++session.frame;
    if (session.kind != Content::None) launchContent();
    runMachineFrame(session.frameKeys, &session.sticks);
    if (kept) keepPrintout();
}

static bool tapePlaysOn() { return vz200.tapeDeck.playing && !tapeInItsLastLevel(vz200.tapeDeck); }

void retro_run()
{
    bool optionsChanged = false;
    if (frontend.environment(RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE, &optionsChanged) && optionsChanged) {
        takeOptions();
    }
    frontend.inputPoll();
    readFrameKeys(frontend.inputState, session.padPlugged, session.options, session.keys);
    readFrameSticks(frontend.inputState, session.padPlugged, session.options, session.sticks);
    bool kept = frameIsKept();
    // Whether the tape plays fast follows from the state and the options
    // alone. It stops with the tape, or where nothing more changes on it (the
    // silence after a recording), which a program would else run through fast.
    bool fast = session.options.fastTape && tapePlaysOn();
    for (int i = 0; i < (fast ? FAST_TAPE_FRAMES : 1); ++i) {
        runCoreFrame(kept);
        if (!tapePlaysOn()) break;
    }
    frontend.video(vz200.backBuffer, BACK_BUFFER_WIDTH, BACK_BUFFER_HEIGHT, BACK_BUFFER_WIDTH * sizeof(uint32_t));
    sendSound(fast);
}

// ---- Save states ----------------------------------------------------------------

// A state is the machine's snapshot (which holds the tape deck's place on
// the tape, so that a load goes on) and then the core's part: "CORE", the
// machine frames since power-on (so that a state from before frame 100 still
// launches the content at frame 100, and one from the frames after it types
// the rest of RUN or CRUN, in rewind and run-ahead too) and a CRC-32 of
// those eight bytes, all little-endian.
constexpr size_t CORE_PART_SIZE = 12;
constexpr size_t STATE_SIZE = SNAPSHOT_SIZE + CORE_PART_SIZE;
constexpr uint8_t CORE_TAG[4] = {'C', 'O', 'R', 'E'};

static void putWord(uint8_t* at, uint32_t word)
{
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(word >> 8 * i);
}

static uint32_t getWord(const uint8_t* at) { return at[0] | at[1] << 8 | at[2] << 16 | uint32_t(at[3]) << 24; }

size_t retro_serialize_size() { return STATE_SIZE; }

bool retro_serialize(void* data, size_t size)
{
    if (size < STATE_SIZE) return false;
    auto* state = static_cast<uint8_t*>(data);
    saveSnapshot(vz200, state);
    uint8_t* core = state + SNAPSHOT_SIZE;
    std::memcpy(core, CORE_TAG, sizeof CORE_TAG);
    putWord(core + 4, session.frame);
    putWord(core + 8, crc32(core, 8));
    return true;
}

// A refused state changes nothing, and says why.
static bool refuseState(const char* reason)
{
    std::snprintf(line, sizeof line, "tessel: state not loaded: %s\n", reason);
    sayLine(RETRO_LOG_WARN);
    return false;
}

bool retro_unserialize(const void* data, size_t size)
{
    if (size != STATE_SIZE) return refuseState("it is not the size of a state of this core");
    const auto* state = static_cast<const uint8_t*>(data);
    const uint8_t* core = state + SNAPSHOT_SIZE;
    if (std::memcmp(core, CORE_TAG, sizeof CORE_TAG) != 0 || getWord(core + 8) != crc32(core, 8)) {
        return refuseState("its frame count is damaged");
    }
    const char* reason = nullptr;
    if (!restoreSnapshot(vz200, state, SNAPSHOT_SIZE, reason)) return refuseState(reason);
    session.frame = getWord(core + 4);
    return true;
}

// ---- Memory and cheats ------------------------------------------------------------

// The whole address space, so that an offset is the Z80's address: RAM,
// video memory and ROM where the machine has them.
void* retro_get_memory_data(unsigned id) { return id == RETRO_MEMORY_SYSTEM_RAM ? vz200.memoryImage : nullptr; }
size_t retro_get_memory_size(unsigned id) { return id == RETRO_MEMORY_SYSTEM_RAM ? MEMORY_SIZE : 0; }

void retro_cheat_reset() {}
void retro_cheat_set(unsigned, bool, const char*) {}
