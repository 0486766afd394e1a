// Tessel as a libretro core: a host of the machine whose front end calls one
// machine frame per retro_run, with its keyboard's and pad's state, and
// takes the frame's picture and sound. The front end keeps the window, the
// sound device, the timing and the files; the core keeps the machine, the
// content's bytes and the count of frames since power-on.
#include <cstdio>
#include <cstring>

#include "hosts/libretro/core_input.h"
#include "hosts/libretro/libretro.h"
#include "machine/crc32.h"
#include "machine/loaders.h"
#include "machine/launch.h"
#include "machine/snapshot.h"
#include "machine/vz200.h"
#include "shell/key_typing.h"

constexpr int SYSTEM_PATH_SIZE = 4096;

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
    bool hasContent;
    size_t contentSize;
    uint8_t content[PROGRAM_FILE_MAX];
    uint32_t frame;  // frames begun since power-on, the first is 1
    bool padPlugged;
    uint8_t padKeys[PAD_BUTTON_COUNT];
    char systemFolder[SYSTEM_PATH_SIZE];  // empty: the front end has none
    char romPath[SYSTEM_PATH_SIZE], fontPath[SYSTEM_PATH_SIZE];
    uint8_t keys[HOST_KEY_COUNT];
    int16_t stereo[2 * SAMPLES_PER_FRAME];
} session;

static retro_input_descriptor descriptors[PAD_BUTTON_COUNT + 1];

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
static const retro_controller_info controllers[] = {
    {portTypes, 2},
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
    declarePadOptions(environment);
}

void retro_set_video_refresh(retro_video_refresh_t video) { frontend.video = video; }
void retro_set_audio_sample(retro_audio_sample_t sample) { frontend.audioSample = sample; }
void retro_set_audio_sample_batch(retro_audio_sample_batch_t batch) { frontend.audioBatch = batch; }
void retro_set_input_poll(retro_input_poll_t poll) { frontend.inputPoll = poll; }
void retro_set_input_state(retro_input_state_t state) { frontend.inputState = state; }

void retro_init()
{
    std::memset(&session, 0, sizeof session);
    session.padPlugged = true;  // the front end's default on every port
}

void retro_deinit() { clearMachine(); }

unsigned retro_api_version() { return RETRO_API_VERSION; }

void retro_get_system_info(retro_system_info* info)
{
    *info = {};
    info->library_name = "Tessel";
    info->library_version = TESSEL_VERSION;
    info->valid_extensions = "vz";
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

// The pad's buttons as the options now map them, for the front end to show.
static void describePad()
{
    int n = 0;
    for (int b = 0; b < PAD_BUTTON_COUNT; ++b) {
        if (session.padKeys[b] == NO_KEY) continue;
        descriptors[n++] = {0, RETRO_DEVICE_JOYPAD, 0, padButtons[b].id, labelOfKey(session.padKeys[b])};
    }
    descriptors[n] = {0, 0, 0, 0, nullptr};
    frontend.environment(RETRO_ENVIRONMENT_SET_INPUT_DESCRIPTORS, descriptors);
}

static void takePadOptions()
{
    readPadOptions(frontend.environment, session.padKeys);
    describePad();
}

void retro_set_controller_port_device(unsigned port, unsigned device)
{
    if (port == 0) session.padPlugged = (device & 0xFF) == RETRO_DEVICE_JOYPAD;
}

// ---- Power and content ----------------------------------------------------------

// The machine file's path in the system folder; false when there is no
// folder or the path does not fit.
static bool systemFile(char* path, const char* name)
{
    if (!session.systemFolder[0]) return false;
    int length = std::snprintf(path, SYSTEM_PATH_SIZE, "%s/%s", session.systemFolder, name);
    return length > 0 && length < SYSTEM_PATH_SIZE;
}

// Off and on again with the system folder's machine files; the content goes
// in again, as File > Load would put it, before PROGRAM_START_FRAME.
static void powerOn()
{
    bool rom = systemFile(session.romPath, ROM_FILE);
    bool font = systemFile(session.fontPath, FONT_FILE);
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

bool retro_load_game(const retro_game_info* game)
{
    session.hasContent = false;
    if (game) {
        if (!game->data || game->size < VZ_HEADER_SIZE || game->size > PROGRAM_FILE_MAX) {
            std::snprintf(line, sizeof line, "tessel: %s is no .vz program, which has %d to %d bytes\n",
                          game->path ? game->path : "the content", VZ_HEADER_SIZE, PROGRAM_FILE_MAX);
            sayLine(RETRO_LOG_ERROR);
            return false;
        }
        std::memcpy(session.content, game->data, game->size);
        session.contentSize = game->size;
        session.hasContent = true;
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
    takePadOptions();
    powerOn();
    return true;
}

bool retro_load_game_special(unsigned, const retro_game_info*, size_t) { return false; }

void retro_unload_game() { session.hasContent = false; }

void retro_reset() { powerOn(); }

// ---- The frame ------------------------------------------------------------------

static void sendSound()
{
    const int16_t* samples = vz200.speaker.samples;
    for (int i = 0; i < SAMPLES_PER_FRAME; ++i) session.stereo[2 * i] = session.stereo[2 * i + 1] = samples[i];
    if (frontend.audioBatch) {
        // A front end may take them in parts; one that takes none is full.
        for (size_t sent = 0; sent < SAMPLES_PER_FRAME;) {
            size_t taken = frontend.audioBatch(session.stereo + 2 * sent, SAMPLES_PER_FRAME - sent);
            if (taken == 0) break;
            sent += taken;
        }
    } else if (frontend.audioSample) {
        for (int i = 0; i < SAMPLES_PER_FRAME; ++i) frontend.audioSample(samples[i], samples[i]);
    }
}

// The launch, and after a BASIC program's RUN typed from the same frame on,
// as tessel-run --run types it. The typing follows from the frame count
// alone, which a state keeps, so that a state taken halfway through RUN
// types the rest when it is loaded.
static void launchContent()
{
    if (session.frame == PROGRAM_START_FRAME) {
        Launch launch = launchProgramFromMemory(vz200, session.content, session.contentSize);
        if (const char* note = launchNote(launch)) {
            std::snprintf(line, sizeof line, "tessel: the content %s\n", note);
            sayLine(RETRO_LOG_INFO);
        }
    }
    constexpr uint32_t TYPING_FRAMES = KEY_FRAMES * (sizeof BASIC_RUN - 1);
    uint32_t typed = session.frame - PROGRAM_START_FRAME;
    if (session.frame < PROGRAM_START_FRAME || typed >= TYPING_FRAMES) return;
    if (launchKind(vz200, session.content, session.contentSize) != Launch::Basic) return;
    pressTypedCharacter(BASIC_RUN[typed / KEY_FRAMES], static_cast<int>(typed % KEY_FRAMES), session.keys);
}

void retro_run()
{
    bool optionsChanged = false;
    if (frontend.environment(RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE, &optionsChanged) && optionsChanged) {
        takePadOptions();
    }
    frontend.inputPoll();
    readFrameKeys(frontend.inputState, session.padPlugged, session.padKeys, session.keys);
    if (session.frame < UINT32_MAX) ++session.frame;
    if (session.hasContent) launchContent();
    runMachineFrame(session.keys);
    frontend.video(vz200.backBuffer, BACK_BUFFER_WIDTH, BACK_BUFFER_HEIGHT, BACK_BUFFER_WIDTH * sizeof(uint32_t));
    sendSound();
}

// ---- Save states ----------------------------------------------------------------

// A state is the machine's snapshot and then the core's part: "CORE", the
// frames since power-on (so that a state from before frame 100 still
// launches the content at frame 100, and one from the frames after it types
// the rest of RUN, in rewind and run-ahead too) and a CRC-32 of
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
