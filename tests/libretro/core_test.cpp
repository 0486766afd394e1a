// The libretro core through its API, driven by a small front end of our
// own: the core is loaded with dlopen, the front end answers the environment
// calls (system and save folders, log, pixel format, options, whether a
// frame is run ahead), keeps each frame's picture and sound, and holds keys,
// pad buttons and analog sticks by a script. What comes out is compared with
// tessel-run's picture, sound and printout of the same run.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "hosts/headless/png_file.h"
#include "hosts/libretro/libretro.h"
#include "machine/character_set.h"
#include "machine/key_table.h"
#include "machine/keyboard.h"
#include "machine/loaders.h"
#include "machine/video.h"
#include "tests/support/files.h"
#include "tests/support/tessel_run.h"

namespace {

namespace fs = std::filesystem;

constexpr int WIDTH = 320, HEIGHT = 240, PIXELS = WIDTH * HEIGHT;

// ---- The core ------------------------------------------------------------------

// The core's function of that name, from the library loaded once.
template <typename F>
F* coreFunction(const char* name)
{
    static void* library = dlopen(TESSEL_LIBRETRO_CORE, RTLD_NOW | RTLD_LOCAL);
    void* function = library ? dlsym(library, name) : nullptr;
    if (!function) ADD_FAILURE() << name << ": " << dlerror();
    return reinterpret_cast<F*>(function);
}
#define CORE(name) (*coreFunction<decltype(name)>(#name))

// ---- The front end -------------------------------------------------------------

struct Frontend {
    std::string systemFolder, saveFolder;  // empty: none
    unsigned optionsVersion;  // what GET_CORE_OPTIONS_VERSION answers
    std::map<std::string, std::string> optionDefaults, options;
    bool optionsChanged;
    std::vector<std::string> log;
    int pixelFormat = -1;
    std::vector<uint32_t> picture;
    std::vector<int16_t> sound;  // the left channel of every frame
    bool channelsDiffer;
    std::set<unsigned> keysDown, buttonsDown;  // buttons of port 1's pad
    std::set<unsigned> secondPad;               // and of port 2's
    int16_t axes[2][2];                         // each port's left stick, x and y
    int audioVideo = -1;                        // what GET_AUDIO_VIDEO_ENABLE answers; -1: unanswered
} frontend;

void logLine(retro_log_level, const char* format, ...)
{
    char line[8192];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    frontend.log.push_back(line);
}

// "Description; default|other|..."
std::string firstValue(const char* declared)
{
    std::string text = declared;
    text = text.substr(text.find("; ") + 2);
    return text.substr(0, text.find('|'));
}

bool environment(unsigned command, void* data)
{
    switch (command) {
    case RETRO_ENVIRONMENT_GET_SYSTEM_DIRECTORY:
        *static_cast<const char**>(data) = frontend.systemFolder.c_str();
        return true;
    case RETRO_ENVIRONMENT_GET_SAVE_DIRECTORY:
        *static_cast<const char**>(data) = frontend.saveFolder.empty() ? nullptr : frontend.saveFolder.c_str();
        return !frontend.saveFolder.empty();
    case RETRO_ENVIRONMENT_GET_AUDIO_VIDEO_ENABLE:
        *static_cast<int*>(data) = frontend.audioVideo;
        return frontend.audioVideo >= 0;
    case RETRO_ENVIRONMENT_GET_LOG_INTERFACE:
        static_cast<retro_log_callback*>(data)->log = logLine;
        return true;
    case RETRO_ENVIRONMENT_SET_PIXEL_FORMAT:
        frontend.pixelFormat = *static_cast<const retro_pixel_format*>(data);
        return frontend.pixelFormat == RETRO_PIXEL_FORMAT_XRGB8888;
    case RETRO_ENVIRONMENT_GET_CORE_OPTIONS_VERSION:
        *static_cast<unsigned*>(data) = frontend.optionsVersion;
        return true;
    case RETRO_ENVIRONMENT_SET_VARIABLES:
        for (auto* v = static_cast<const retro_variable*>(data); v->key; ++v) {
            frontend.optionDefaults[v->key] = firstValue(v->value);
        }
        return true;
    case RETRO_ENVIRONMENT_SET_CORE_OPTIONS_V2:
        if (frontend.optionsVersion < 2) return false;
        for (auto* d = static_cast<const retro_core_options_v2*>(data)->definitions; d->key; ++d) {
            frontend.optionDefaults[d->key] = d->default_value;
        }
        return true;
    case RETRO_ENVIRONMENT_GET_VARIABLE: {
        auto* variable = static_cast<retro_variable*>(data);
        auto found = frontend.options.find(variable->key);
        variable->value = found == frontend.options.end() ? nullptr : found->second.c_str();
        return variable->value != nullptr;
    }
    case RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE:
        *static_cast<bool*>(data) = frontend.optionsChanged;
        frontend.optionsChanged = false;
        return true;
    case RETRO_ENVIRONMENT_SET_SUPPORT_NO_GAME:
    case RETRO_ENVIRONMENT_SET_INPUT_DESCRIPTORS:
    case RETRO_ENVIRONMENT_SET_CONTROLLER_INFO:
        return true;
    default:
        return false;
    }
}

void video(const void* data, unsigned width, unsigned height, size_t pitch)
{
    ASSERT_EQ(width, unsigned(WIDTH));
    ASSERT_EQ(height, unsigned(HEIGHT));
    ASSERT_EQ(pitch, size_t(WIDTH * 4));
    const auto* pixels = static_cast<const uint32_t*>(data);
    frontend.picture.assign(pixels, pixels + PIXELS);
}

size_t audioBatch(const int16_t* data, size_t frames)
{
    for (size_t i = 0; i < frames; ++i) {
        frontend.sound.push_back(data[2 * i]);
        if (data[2 * i] != data[2 * i + 1]) frontend.channelsDiffer = true;
    }
    return frames;
}

void audioSample(int16_t, int16_t) { ADD_FAILURE() << "the core sends samples one by one"; }
void inputPoll() {}

int16_t inputState(unsigned port, unsigned device, unsigned index, unsigned id)
{
    if (port > 1) return 0;
    if (device == RETRO_DEVICE_KEYBOARD) return port == 0 ? int16_t(frontend.keysDown.count(id)) : 0;
    if (device == RETRO_DEVICE_JOYPAD) return (port == 0 ? frontend.buttonsDown : frontend.secondPad).count(id);
    if (device == RETRO_DEVICE_ANALOG && index == RETRO_DEVICE_INDEX_ANALOG_LEFT && id < 2) return frontend.axes[port][id];
    return 0;
}

// ---- Scripts and references ------------------------------------------------------

// One stroke: keys and buttons held together, KEY_HELD frames down and as
// many up, as tessel-run --type types a character.
struct Stroke {
    std::vector<unsigned> keys, buttons;
};
constexpr int KEY_HELD = 3, TYPE_AT = 50;

// A character's key at its place on a US keyboard, left Shift for the
// shifted legends, as tessel-run --type presses it.
Stroke strokeFor(char c)
{
    static const char plain[] = "abcdefghijklmnopqrstuvwxyz0123456789 \n,.;-:";
    static const unsigned ids[] = {RETROK_SPACE, RETROK_RETURN, RETROK_COMMA, RETROK_PERIOD,
                                   RETROK_SEMICOLON, RETROK_MINUS, RETROK_QUOTE};
    TypedKey typed{};
    EXPECT_TRUE(keyForCharacter(c, typed)) << c;
    for (const char* p = plain; *p; ++p) {
        TypedKey base{};
        keyForCharacter(*p, base);
        if (base.keyCode != typed.keyCode) continue;
        unsigned id = *p >= 'a' && *p <= 'z'   ? RETROK_a + (*p - 'a')
                      : *p >= '0' && *p <= '9' ? RETROK_0 + (*p - '0')
                                               : ids[p - plain - 36];
        Stroke stroke{{id}, {}};
        if (typed.shift) stroke.keys.push_back(RETROK_LSHIFT);
        return stroke;
    }
    ADD_FAILURE() << "no key for " << c;
    return {};
}

std::vector<Stroke> strokesFor(const std::string& text)
{
    std::vector<Stroke> strokes;
    for (char c : text) strokes.push_back(strokeFor(c));
    return strokes;
}

// Frames run so far, numbered from 1 as tessel-run numbers them.
int frameNumber;

std::vector<uint8_t> saveState();
void loadState(const std::vector<uint8_t>& state);

// With run-ahead as RetroArch runs it in one instance: each frame runs with
// its output thrown away, is saved, is run once more ahead with its output
// kept, and the state goes back to after the first run.
bool runAhead;

void runFrame()
{
    if (!runAhead) return CORE(retro_run)();
    frontend.audioVideo = 0;
    CORE(retro_run)();
    std::vector<uint8_t> state = saveState();
    frontend.audioVideo = RETRO_AV_ENABLE_AUDIO | RETRO_AV_ENABLE_VIDEO;
    CORE(retro_run)();
    loadState(state);
}

void runFrames(int count, const std::vector<Stroke>& strokes = {})
{
    for (int i = 0; i < count; ++i) {
        int frame = ++frameNumber;
        frontend.keysDown.clear();
        frontend.buttonsDown.clear();
        int stroke = (frame - TYPE_AT) / (2 * KEY_HELD);
        if (frame >= TYPE_AT && stroke < int(strokes.size()) && (frame - TYPE_AT) % (2 * KEY_HELD) < KEY_HELD) {
            frontend.keysDown.insert(strokes[stroke].keys.begin(), strokes[stroke].keys.end());
            frontend.buttonsDown.insert(strokes[stroke].buttons.begin(), strokes[stroke].buttons.end());
        }
        runFrame();
    }
}

std::vector<uint8_t> contentBytes;

// Starts the core as a front end does, with the content's bytes (none:
// an empty path) and the system folder.
void startCore(const std::string& content, const std::string& systemFolder = "", unsigned optionsVersion = 2,
               const std::map<std::string, std::string>& options = {}, const std::string& saveFolder = "")
{
    frontend = Frontend{};
    frontend.systemFolder = systemFolder;
    frontend.saveFolder = saveFolder;
    frontend.optionsVersion = optionsVersion;
    frontend.options = options;
    frameNumber = 0;
    runAhead = false;
    CORE(retro_set_environment)(environment);
    CORE(retro_init)();
    CORE(retro_set_video_refresh)(video);
    CORE(retro_set_audio_sample)(audioSample);
    CORE(retro_set_audio_sample_batch)(audioBatch);
    CORE(retro_set_input_poll)(inputPoll);
    CORE(retro_set_input_state)(inputState);
    bool loaded;
    if (content.empty()) {
        loaded = CORE(retro_load_game)(nullptr);
    } else {
        std::ifstream file(content, std::ios::binary);
        contentBytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        retro_game_info game = {content.c_str(), contentBytes.data(), contentBytes.size(), nullptr};
        loaded = CORE(retro_load_game)(&game);
    }
    ASSERT_TRUE(loaded);
    CORE(retro_set_controller_port_device)(0, RETRO_DEVICE_JOYPAD);
    CORE(retro_set_controller_port_device)(1, RETRO_DEVICE_JOYPAD);
}

void stopCore()
{
    CORE(retro_unload_game)();
    CORE(retro_deinit)();
}

struct Reference {
    std::vector<uint32_t> picture;
    std::vector<int16_t> sound;
    std::string screen;
};

// tessel-run's picture, sound and text screen after the arguments, in a
// folder holding the given machine files.
Reference tesselRun(const std::string& arguments, const fs::path& dir)
{
    RunResult run = runTesselRun(dir, "--fast --screenshot shot.png --wav sound.wav --print-screen " + arguments);
    EXPECT_EQ(run.status, 0) << run.err;
    Reference reference;
    reference.picture.resize(PIXELS);
    int width = 0, height = 0;
    EXPECT_TRUE(readPng((dir / "shot.png").c_str(), reference.picture.data(), PIXELS, width, height));
    std::ifstream wav(dir / "sound.wav", std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(wav)), std::istreambuf_iterator<char>());
    for (size_t i = 44; i + 1 < bytes.size(); i += 2) {
        reference.sound.push_back(static_cast<int16_t>(uint8_t(bytes[i]) | uint8_t(bytes[i + 1]) << 8));
    }
    for (const std::string& line : run.lines) reference.screen += line + "\n";
    return reference;
}

// The core's text screen as tessel-run --print-screen prints it.
std::string coreScreen()
{
    const auto* memory = static_cast<const uint8_t*>(CORE(retro_get_memory_data)(RETRO_MEMORY_SYSTEM_RAM));
    std::string screen;
    for (int row = 0; row < TEXT_ROWS; ++row) {
        for (int column = 0; column < SCREEN_COLUMNS; ++column) {
            screen += screenCharacter(memory[VIDEO_MEMORY + SCREEN_COLUMNS * row + column]);
        }
        screen += "\n";
    }
    return screen;
}

std::string withoutCursor(std::string screen)
{
    for (char& c : screen) c = c == '~' ? ' ' : c;
    return screen;
}

std::string programs(const std::string& name) { return std::string(TESSEL_PROGRAMS) + "/" + name; }

// ---- Tests -----------------------------------------------------------------------

TEST(LibretroCore, TellsWhatItIs)
{
    retro_system_info info{};
    CORE(retro_get_system_info)(&info);
    EXPECT_STREQ(info.library_name, "Tessel");
    EXPECT_STREQ(info.library_version, TESSEL_VERSION);
    EXPECT_STREQ(info.valid_extensions, "vz|cvz|wav");
    EXPECT_FALSE(info.need_fullpath);
    EXPECT_EQ(CORE(retro_api_version)(), RETRO_API_VERSION);
    startCore("");
    retro_system_av_info av{};
    CORE(retro_get_system_av_info)(&av);
    EXPECT_EQ(av.geometry.base_width, 320u);
    EXPECT_EQ(av.geometry.max_height, 240u);
    EXPECT_FLOAT_EQ(av.geometry.aspect_ratio, 4.0f / 3.0f);
    EXPECT_EQ(av.timing.fps, 50.0);
    EXPECT_EQ(av.timing.sample_rate, 48000.0);
    EXPECT_EQ(frontend.pixelFormat, RETRO_PIXEL_FORMAT_XRGB8888);
    EXPECT_EQ(CORE(retro_get_memory_size)(RETRO_MEMORY_SYSTEM_RAM), 65536u);
    stopCore();
}

// Without content and with each of our programs, the core's pictures and
// sound are tessel-run's of the same frames, the program launched before
// frame 100 as tessel-run --run does; the system folder's machine files count,
// and each one that stood in is said once in the front end's log.
TEST(LibretroCore, RunsAsTesselRunDoes)
{
    fs::path empty = scratchDirectory("libretro-empty");
    fs::path withRom = scratchDirectory("libretro-rom");
    fs::copy_file(programs("tiny_rom.bin"), withRom / "vzrom.v20");
    const std::string romLine = "tessel: no vzrom.v20 in the system folder " + empty.string() +
                                ", running the built-in open ROM\n";
    const struct {
        std::string content;
        fs::path system;
        int frames;
        std::vector<std::string> log;
    } runs[] = {
        {"", empty, 150, {romLine, "tessel: no vz200.fnt in the system folder " + empty.string() +
                                       ", using the built-in open font\n"}},
        {programs("hello_text.vz"), empty, 150, {}},
        {programs("graphics_bars.vz"), empty, 120, {}},
        {programs("tone.vz"), empty, 130, {}},
        {"", withRom, 60, {"tessel: no vz200.fnt in the system folder " + withRom.string() +
                               ", using the built-in open font\n"}},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.content + " " + run.system.string());
        std::string load = run.content.empty() ? "" : " --run '" + run.content + "'";
        Reference reference = tesselRun("--frames " + std::to_string(run.frames) + load, run.system);
        startCore(run.content, run.system.string());
        if (!run.log.empty()) {
            EXPECT_EQ(frontend.log, run.log);
        }
        runFrames(run.frames);
        EXPECT_TRUE(frontend.picture == reference.picture);
        EXPECT_TRUE(frontend.sound == reference.sound) << frontend.sound.size() << " " << reference.sound.size();
        EXPECT_FALSE(frontend.channelsDiffer);
        stopCore();
    }
}

// Off and on again: the machine starts afresh and the content goes in again
// before frame 100.
TEST(LibretroCore, ResetStartsTheRunAgain)
{
    startCore(programs("hello_text.vz"));
    runFrames(150);
    std::vector<uint32_t> first = frontend.picture;
    CORE(retro_reset)();
    frameNumber = 0;
    runFrames(99);
    EXPECT_FALSE(frontend.picture == first);  // the ROM's prompt
    runFrames(51);
    EXPECT_TRUE(frontend.picture == first);
    stopCore();
}

std::vector<uint8_t> saveState()
{
    std::vector<uint8_t> state(CORE(retro_serialize_size)());
    EXPECT_TRUE(CORE(retro_serialize)(state.data(), state.size()));
    return state;
}

void loadState(const std::vector<uint8_t>& state) { ASSERT_TRUE(CORE(retro_unserialize)(state.data(), state.size())); }

// A state saved before the content goes in, and one after: the frames after
// loading it are the frames after saving it, pictures and sound, the
// content going in again at frame 100 in the first.
TEST(LibretroCore, StatesGoOnAsTheRunDid)
{
    startCore(programs("tone.vz"));
    for (int savedAt : {60, 130}) {
        SCOPED_TRACE(savedAt);
        runFrames(savedAt - frameNumber);
        std::vector<uint8_t> state = saveState();
        frontend.sound.clear();
        std::vector<std::vector<uint32_t>> pictures;
        for (int i = 0; i < 60; ++i) {
            runFrames(1);
            pictures.push_back(frontend.picture);
        }
        std::vector<int16_t> sound = frontend.sound;
        runFrames(30);
        ASSERT_TRUE(CORE(retro_unserialize)(state.data(), state.size()));
        frameNumber = savedAt;
        frontend.sound.clear();
        for (int i = 0; i < 60; ++i) {
            runFrames(1);
            ASSERT_TRUE(frontend.picture == pictures[i]) << "frame " << frameNumber;
        }
        EXPECT_TRUE(frontend.sound == sound);
    }
    stopCore();
}

// A state cut short, too long, with a changed byte in the machine's part or
// in the core's is refused, and the machine goes on as if it had not been
// offered.
TEST(LibretroCore, RefusedStatesChangeNothing)
{
    startCore(programs("hello_text.vz"));
    runFrames(120);
    const std::vector<uint8_t> good = saveState();
    runFrames(10);
    const std::vector<uint8_t> now = saveState();
    std::vector<uint8_t> shorter(good.begin(), good.end() - 1), longer = good, machinePart = good, corePart = good;
    longer.push_back(0);
    machinePart[good.size() / 2] ^= 0x01;
    corePart[good.size() - 6] ^= 0x80;
    for (const std::vector<uint8_t>* bad : {&shorter, &longer, &machinePart, &corePart}) {
        frontend.log.clear();
        EXPECT_FALSE(CORE(retro_unserialize)(bad->data(), bad->size())) << bad->size();
        EXPECT_EQ(frontend.log.size(), 1u);
        EXPECT_TRUE(saveState() == now);
    }
    runFrames(1);
    std::vector<uint32_t> picture = frontend.picture;
    ASSERT_TRUE(CORE(retro_unserialize)(now.data(), now.size()));
    --frameNumber;
    runFrames(1);
    EXPECT_TRUE(frontend.picture == picture);
    stopCore();
}

// A real BASIC program, with the machine's own ROM in the system folder,
// runs as tessel-run --run runs it, RUN typed after the launch; a state taken
// while RUN is being typed goes on to the same picture.
TEST(LibretroCore, LaunchesARealBasicProgram)
{
    fs::path system = machineFilesFolder("libretro-machine-files");
    if (system.empty()) GTEST_SKIP() << "no " << REAL_SOFTWARE.string() << ": no real VZ200 software to launch";
    std::string program = (REAL_SOFTWARE / "programs" / "basic-melbourne-cup.vz").string();
    Reference reference = tesselRun("--frames 400 --run '" + program + "'", system);
    startCore(program, system.string());
    runFrames(110);
    std::vector<uint8_t> state = saveState();
    runFrames(290);
    EXPECT_TRUE(frontend.picture == reference.picture);
    EXPECT_EQ(coreScreen(), reference.screen);
    std::string text = withoutCursor(reference.screen);
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_NE(text.find("how many to play"), std::string::npos) << reference.screen;
    std::vector<uint32_t> picture = frontend.picture;
    ASSERT_TRUE(CORE(retro_unserialize)(state.data(), state.size()));
    runFrames(290);
    EXPECT_TRUE(frontend.picture == picture);
    stopCore();
}

TEST(LibretroCore, RefusesWhatIsNoProgram)
{
    for (size_t size : {size_t(0), size_t(23), size_t(PROGRAM_FILE_MAX + 1)}) {
        frontend = Frontend{};
        CORE(retro_set_environment)(environment);
        CORE(retro_init)();
        std::vector<uint8_t> bytes(size + 1, 0);
        retro_game_info game = {"/content/big.vz", bytes.data(), size, nullptr};
        EXPECT_FALSE(CORE(retro_load_game)(&game)) << size;
        ASSERT_EQ(frontend.log.size(), 1u);
        EXPECT_NE(frontend.log[0].find("/content/big.vz is no .vz program"), std::string::npos) << frontend.log[0];
        CORE(retro_deinit)();
    }
}

// A tape that cannot be read is left out: the log says why, and the machine
// runs as without content.
TEST(LibretroCore, RunsWithoutATapeItCannotRead)
{
    fs::path dir = scratchDirectory("libretro-bad-tape");
    writeFile(dir / "cut.cvz", {0x80, 0x80, 0xFE});
    writeFile(dir / "noise.wav", {'R', 'I', 'F', 'F', 1, 2, 3});
    Reference reference = tesselRun("--frames 150", dir);
    for (const char* name : {"cut.cvz", "noise.wav"}) {
        SCOPED_TRACE(name);
        startCore((dir / name).string(), dir.string());
        ASSERT_GE(frontend.log.size(), 1u);
        EXPECT_NE(frontend.log[0].find(name + std::string(" is not played: ")), std::string::npos) << frontend.log[0];
        runFrames(150);
        EXPECT_TRUE(frontend.picture == reference.picture);
        stopCore();
    }
}

// The pads on ports 1 and 2 are the machine's two joysticks by default:
// D-pad or left analog stick to move, B fire, A arm. The probe program shows
// what the joystick ports read, as with tessel-run --joystick holding the
// same controls. A pad unplugged, or driving keys, holds nothing.
TEST(LibretroCore, PadsAreTheJoysticks)
{
    constexpr unsigned UP = RETRO_DEVICE_ID_JOYPAD_UP, DOWN = RETRO_DEVICE_ID_JOYPAD_DOWN,
                       LEFT = RETRO_DEVICE_ID_JOYPAD_LEFT, RIGHT = RETRO_DEVICE_ID_JOYPAD_RIGHT,
                       A = RETRO_DEVICE_ID_JOYPAD_A, B = RETRO_DEVICE_ID_JOYPAD_B;
    const struct {
        const char* name;
        std::set<unsigned> first, second;
        int16_t axes[2][2];
        std::map<std::string, std::string> options;
        bool secondUnplugged;
        std::string held;  // tessel-run's --joystick arguments
    } cases[] = {
        {"D-pad and buttons", {UP, B}, {RIGHT, A}, {}, {}, false, "1:up+fire 2:right+arm"},
        {"every control", {UP, DOWN, LEFT, RIGHT, A, B}, {UP, DOWN, LEFT, RIGHT, A, B}, {}, {}, false,
         "1:up+down+left+right+fire+arm 2:up+down+left+right+fire+arm"},
        {"analog sticks", {}, {}, {{-30000, 2000}, {-2000, 30000}}, {}, false, "1:left 2:down"},
        {"second pad unplugged", {DOWN}, {LEFT, B}, {}, {}, true, "1:down"},
        {"pads driving keys", {UP, B}, {RIGHT, A}, {{30000, 0}, {0, 0}}, {{"tessel_pad_drives", "keys"}}, false, ""},
    };
    fs::path dir = scratchDirectory("libretro-sticks");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string joysticks;
        std::istringstream held(c.held);
        for (std::string stick; held >> stick;) joysticks += " --joystick " + stick + "@1-110";
        Reference reference = tesselRun("--frames 110 --run '" + programs("stick_probe.vz") + "'" + joysticks, dir);
        startCore(programs("stick_probe.vz"), dir.string(), 2, c.options);
        if (c.secondUnplugged) CORE(retro_set_controller_port_device)(1, RETRO_DEVICE_NONE);
        frontend.buttonsDown = c.first;
        frontend.secondPad = c.second;
        std::memcpy(frontend.axes, c.axes, sizeof frontend.axes);
        for (int i = 0; i < 110; ++i) CORE(retro_run)();
        EXPECT_EQ(coreScreen(), reference.screen);
        EXPECT_TRUE(frontend.picture == reference.picture);
        stopCore();
    }
}

// What BASIC's LPRINT prints is appended to tessel-printer.txt in the save
// folder as tessel-run --printer writes it, once also with run-ahead; with
// no save folder the log says once that it goes nowhere.
TEST(LibretroCore, PrintsIntoTheSaveFolder)
{
    fs::path system = machineFilesFolder("libretro-printer");
    if (system.empty()) GTEST_SKIP() << "no " << REAL_SOFTWARE.string() << ": no BASIC to LPRINT with";
    const std::string typed = "LPRINT \"TESSEL\";6*7\nLPRINT 1,2\n";
    int frames = TYPE_AT + 2 * KEY_HELD * int(typed.size()) + 50;
    tesselRun("--frames " + std::to_string(frames) + " --printer reference.txt --type '" + typed + "'", system);
    Bytes printed = readFile(system / "reference.txt");
    ASSERT_NE(std::string(printed.begin(), printed.end()).find("TESSEL"), std::string::npos);
    fs::path saves = scratchDirectory("libretro-saves");
    const struct {
        const char* name;
        std::string saveFolder;
        bool runAhead;
    } cases[] = {{"save folder", saves.string(), false}, {"run-ahead", saves.string(), true}, {"no save folder", "", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(saves / "tessel-printer.txt");
        startCore("", system.string(), 2, {}, c.saveFolder);
        runAhead = c.runAhead;
        frontend.log.clear();
        runFrames(frames, strokesFor(typed));
        if (c.saveFolder.empty()) {
            EXPECT_EQ(frontend.log, std::vector<std::string>{"tessel: the front end gives no save folder: what the "
                                                             "machine prints goes nowhere\n"});
        } else {
            EXPECT_TRUE(readFile(saves / "tessel-printer.txt") == printed);
            EXPECT_TRUE(frontend.log.empty());
        }
        stopCore();
    }
}

// The frames since power-on in a state of the core.
uint32_t stateFrame(const std::vector<uint8_t>& state)
{
    const uint8_t* word = state.data() + state.size() - 8;
    return word[0] | word[1] << 8 | word[2] << 16 | uint32_t(word[3]) << 24;
}

// The demo tape with the machine's own ROM and font, or nothing where they
// are absent.
struct TapeRun {
    fs::path system, tape;
};

TapeRun tapeRun(const std::string& name)
{
    TapeRun run = {machineFilesFolder(name), REAL_SOFTWARE / "tapes" / "demo-tape-bar-chart-1.cvz"};
    if (!fs::exists(run.tape)) run.system.clear();
    return run;
}

// Tapes as content, a .cvz and a .wav that tessel-run recorded of CSAVE: CRUN
// is typed from frame 100 and play pressed once it is typed, as tessel-run's
// --type and --tape-at do it; the program loads and runs without an error.
// Fast tape runs the same machine frames, many to a frame while the tape
// plays, in silence.
TEST(LibretroCore, LoadsATapeAndRunsIt)
{
    TapeRun run = tapeRun("libretro-tape");
    if (run.system.empty()) GTEST_SKIP() << "no " << run.tape.string() << ": no tape to load";
    tesselRun("--frames 1200 --type '10 PRINT \"HELLO FROM TAPE\"\\nCSAVE\"HI\"\\n' --tape-out hi.wav", run.system);
    const struct {
        fs::path tape;
        const char* shown;
    } tapes[] = {{run.tape, "GRAPHIC CHARACTERS"}, {run.system / "hi.wav", "HELLO FROM TAPE"}};
    constexpr int FRAMES = 1000;
    for (const auto& t : tapes) {
        SCOPED_TRACE(t.tape.string());
        Reference reference = tesselRun("--frames 1000 --type-at 100 --type 'CRUN\\n' --tape-at 130 --tape-in '" +
                                            t.tape.string() + "'", run.system);
        EXPECT_EQ(reference.screen.find("ERROR"), std::string::npos) << reference.screen;
        EXPECT_NE(reference.screen.find(t.shown), std::string::npos) << reference.screen;

        startCore(t.tape.string(), run.system.string(), 2, {{"tessel_fast_tape", "disabled"}});
        EXPECT_EQ(frontend.log, std::vector<std::string>{});
        runFrames(FRAMES);
        EXPECT_EQ(coreScreen(), reference.screen);
        EXPECT_TRUE(frontend.picture == reference.picture);
        stopCore();

        // Until the tape stops, each frame runs many of the machine's, silent.
        startCore(t.tape.string(), run.system.string());
        runFrames(130);  // typed, and play pressed before the last
        int playedRuns = 1;
        for (uint32_t before = stateFrame(saveState());; ++playedRuns) {
            frontend.sound.clear();
            runFrames(1);
            uint32_t after = stateFrame(saveState());
            if (after - before == 1) break;
            EXPECT_TRUE(std::all_of(frontend.sound.begin(), frontend.sound.end(), [](int16_t s) { return s == 0; }));
            before = after;
        }
        EXPECT_GT(int(stateFrame(saveState())) - 129, 10 * playedRuns);
        runFrames(FRAMES - int(stateFrame(saveState())));
        ASSERT_EQ(stateFrame(saveState()), uint32_t(FRAMES));
        EXPECT_EQ(coreScreen(), reference.screen);
        EXPECT_TRUE(frontend.picture == reference.picture);
        stopCore();
    }
}

// A state taken while the tape loads fast goes on to the same pictures when
// it is loaded again: the deck's place on the tape is the machine's.
TEST(LibretroCore, AStateTakenDuringALoadGoesOn)
{
    TapeRun run = tapeRun("libretro-tape-state");
    if (run.system.empty()) GTEST_SKIP() << "no " << run.tape.string() << ": no tape to load";
    startCore(run.tape.string(), run.system.string());
    runFrames(140);
    std::vector<uint8_t> midLoad = saveState();
    std::vector<std::vector<uint32_t>> pictures;
    for (int i = 0; i < 100; ++i) {
        runFrames(1);
        pictures.push_back(frontend.picture);
    }
    loadState(midLoad);
    for (int i = 0; i < 100; ++i) {
        runFrames(1);
        ASSERT_TRUE(frontend.picture == pictures[i]) << "frame " << i;
    }
    EXPECT_NE(coreScreen().find("GRAPHIC CHARACTERS"), std::string::npos) << coreScreen();
    stopCore();
}

// Keys held on the front end's keyboard, and pad buttons by the core's
// options when the pads drive keys, type what tessel-run --type types with
// the same timing.
TEST(LibretroCore, KeyboardAndPadTypeAsTesselRunTypes)
{
    const std::string legends = "HELLO, WORLD 0123456789 -.;:\n!\"#$%&'()@+*=<>/?\n";
    std::vector<Stroke> editing = strokesFor("ABD");
    for (unsigned key : {RETROK_LEFT, RETROK_BACKSPACE, RETROK_INSERT, RETROK_HOME, RETROK_RSHIFT}) {
        editing.push_back({{key}, {}});
    }
    editing.push_back(strokeFor('C'));
    const struct {
        const char* name;
        std::vector<Stroke> strokes;
        std::map<std::string, std::string> options;
        unsigned optionsVersion;
        std::string typed;  // by tessel-run
        bool samePicture;   // else the same text screen, cursor aside
    } cases[] = {
        {"legends", strokesFor(legends), {}, 2, legends, true},
        {"pad defaults", {{{}, {RETRO_DEVICE_ID_JOYPAD_B}}, {{}, {RETRO_DEVICE_ID_JOYPAD_A}},
                          {{}, {RETRO_DEVICE_ID_JOYPAD_START}}, {{}, {RETRO_DEVICE_ID_JOYPAD_X}}},
         {{"tessel_pad_drives", "keys"}}, 0, "M \n", false},
        {"pad options", {{{}, {RETRO_DEVICE_ID_JOYPAD_X}}, {{}, {RETRO_DEVICE_ID_JOYPAD_START}},
                         {{}, {RETRO_DEVICE_ID_JOYPAD_A}}},
         {{"tessel_pad_drives", "keys"}, {"tessel_pad_x", "d"}, {"tessel_pad_start", "0"}, {"tessel_pad_a", "none"}},
         2, "D0", false},
        {"pad drives sticks", {{{}, {RETRO_DEVICE_ID_JOYPAD_B}}, {{}, {RETRO_DEVICE_ID_JOYPAD_START}}}, {}, 2, "", false},
        {"editing keys", editing, {}, 2, "AC", false},
    };
    fs::path dir = scratchDirectory("libretro-typing");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int frames = TYPE_AT + 2 * KEY_HELD * int(c.strokes.size()) + 50;
        std::string typed = c.typed;
        for (size_t at; (at = typed.find('\n')) != std::string::npos;) typed.replace(at, 1, "\\n");
        for (size_t at = 0; (at = typed.find('\'', at)) != std::string::npos; at += 4) typed.replace(at, 1, "'\\''");
        Reference reference = tesselRun("--frames " + std::to_string(frames) + " --type '" + typed + "'", dir);
        startCore("", dir.string(), c.optionsVersion);
        EXPECT_EQ(frontend.optionDefaults.size(), 14u);
        EXPECT_EQ(frontend.optionDefaults["tessel_pad_drives"], "joystick");
        EXPECT_EQ(frontend.optionDefaults["tessel_fast_tape"], "enabled");
        EXPECT_EQ(frontend.optionDefaults["tessel_pad_start"], "return");
        EXPECT_EQ(frontend.optionDefaults["tessel_pad_up"], "cursor_up");
        runFrames(1);
        frontend.options = c.options;
        frontend.optionsChanged = true;
        runFrames(frames - 1, c.strokes);
        if (c.samePicture) {
            EXPECT_TRUE(frontend.picture == reference.picture);
        }
        EXPECT_EQ(withoutCursor(coreScreen()), withoutCursor(reference.screen));
        stopCore();
    }
}

}  // namespace
