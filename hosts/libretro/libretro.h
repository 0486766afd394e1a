// What Tessel's core uses of the libretro API (version 1), written
// from the API's documentation: the functions a core exports, the callbacks
// the front end hands over, and the environment calls, structures and
// numbers they take. A C interface: plain structures and function pointers.
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#define RETRO_API extern "C" __declspec(dllexport)
#else
#define RETRO_API extern "C" __attribute__((visibility("default")))
#endif

constexpr unsigned RETRO_API_VERSION = 1;

// ---- Devices and their inputs ------------------------------------------------

constexpr unsigned RETRO_DEVICE_NONE = 0;
constexpr unsigned RETRO_DEVICE_JOYPAD = 1;  // the RetroPad
constexpr unsigned RETRO_DEVICE_KEYBOARD = 3;
constexpr unsigned RETRO_DEVICE_ANALOG = 5;  // the RetroPad's analog sticks

constexpr unsigned RETRO_DEVICE_ID_JOYPAD_B = 0;
constexpr unsigned RETRO_DEVICE_ID_JOYPAD_Y = 1;
constexpr unsigned RETRO_DEVICE_ID_JOYPAD_SELECT = 2;
constexpr unsigned RETRO_DEVICE_ID_JOYPAD_START = 3;
constexpr unsigned RETRO_DEVICE_ID_JOYPAD_UP = 4;
constexpr unsigned RETRO_DEVICE_ID_JOYPAD_DOWN = 5;
constexpr unsigned RETRO_DEVICE_ID_JOYPAD_LEFT = 6;
constexpr unsigned RETRO_DEVICE_ID_JOYPAD_RIGHT = 7;
constexpr unsigned RETRO_DEVICE_ID_JOYPAD_A = 8;
constexpr unsigned RETRO_DEVICE_ID_JOYPAD_X = 9;
constexpr unsigned RETRO_DEVICE_ID_JOYPAD_L = 10;
constexpr unsigned RETRO_DEVICE_ID_JOYPAD_R = 11;

// An analog stick's axes, -0x8000 (left, up) to 0x7FFF (right, down).
constexpr unsigned RETRO_DEVICE_INDEX_ANALOG_LEFT = 0;
constexpr unsigned RETRO_DEVICE_ID_ANALOG_X = 0;
constexpr unsigned RETRO_DEVICE_ID_ANALOG_Y = 1;

// Keyboard ids for the input state callback: the keys' place, named by
// what a US keyboard prints on them.
enum retro_key : unsigned {
    RETROK_BACKSPACE = 8,
    RETROK_RETURN = 13,
    RETROK_SPACE = 32,
    RETROK_QUOTE = 39,
    RETROK_COMMA = 44,
    RETROK_MINUS = 45,
    RETROK_PERIOD = 46,
    RETROK_0 = 48,  // to RETROK_9 = 57
    RETROK_SEMICOLON = 59,
    RETROK_a = 97,  // to RETROK_z = 122
    RETROK_DELETE = 127,
    RETROK_UP = 273,
    RETROK_DOWN = 274,
    RETROK_RIGHT = 275,
    RETROK_LEFT = 276,
    RETROK_INSERT = 277,
    RETROK_HOME = 278,
    RETROK_END = 279,
    RETROK_RSHIFT = 303,
    RETROK_LSHIFT = 304,
    RETROK_RCTRL = 305,
    RETROK_LCTRL = 306,
    RETROK_LAST = 324,
};

// ---- Environment calls -------------------------------------------------------

constexpr unsigned RETRO_ENVIRONMENT_GET_SYSTEM_DIRECTORY = 9;   // const char**
constexpr unsigned RETRO_ENVIRONMENT_SET_PIXEL_FORMAT = 10;      // const retro_pixel_format*
constexpr unsigned RETRO_ENVIRONMENT_SET_INPUT_DESCRIPTORS = 11;  // const retro_input_descriptor*
constexpr unsigned RETRO_ENVIRONMENT_GET_VARIABLE = 15;          // retro_variable*
constexpr unsigned RETRO_ENVIRONMENT_SET_VARIABLES = 16;         // const retro_variable*
constexpr unsigned RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE = 17;   // bool*
constexpr unsigned RETRO_ENVIRONMENT_SET_SUPPORT_NO_GAME = 18;   // const bool*
constexpr unsigned RETRO_ENVIRONMENT_GET_LOG_INTERFACE = 27;     // retro_log_callback*
constexpr unsigned RETRO_ENVIRONMENT_GET_SAVE_DIRECTORY = 31;    // const char**
constexpr unsigned RETRO_ENVIRONMENT_SET_CONTROLLER_INFO = 35;   // const retro_controller_info*
constexpr unsigned RETRO_ENVIRONMENT_EXPERIMENTAL = 0x10000;
// int*: whether the front end shows the frame's picture and plays its sound
// (a frame run ahead or replayed, whose output is thrown away, has neither),
// and whether this is a second instance of the core that only runs ahead.
constexpr unsigned RETRO_ENVIRONMENT_GET_AUDIO_VIDEO_ENABLE = 47 | RETRO_ENVIRONMENT_EXPERIMENTAL;
constexpr int RETRO_AV_ENABLE_VIDEO = 1;
constexpr int RETRO_AV_ENABLE_AUDIO = 2;
constexpr int RETRO_AV_ENABLE_HARD_DISABLE_AUDIO = 8;
constexpr unsigned RETRO_ENVIRONMENT_GET_CORE_OPTIONS_VERSION = 52;  // unsigned*
constexpr unsigned RETRO_ENVIRONMENT_SET_CORE_OPTIONS_V2 = 67;   // const retro_core_options_v2*

enum retro_pixel_format : int {
    RETRO_PIXEL_FORMAT_0RGB1555 = 0,
    RETRO_PIXEL_FORMAT_XRGB8888 = 1,  // native endian 32-bit words, top byte ignored
    RETRO_PIXEL_FORMAT_RGB565 = 2,
};

enum retro_log_level : int {
    RETRO_LOG_DEBUG = 0,
    RETRO_LOG_INFO,
    RETRO_LOG_WARN,
    RETRO_LOG_ERROR,
};

using retro_log_printf_t = void (*)(retro_log_level level, const char* format, ...);

struct retro_log_callback {
    retro_log_printf_t log;
};

// A key and its value: SET_VARIABLES takes "Description; first|second|..."
// with the first value the default, GET_VARIABLE answers the value in force.
struct retro_variable {
    const char* key;
    const char* value;
};

// One input the core reads, for the front end to show; the array ends with a
// null description.
struct retro_input_descriptor {
    unsigned port, device, index, id;
    const char* description;
};

struct retro_controller_description {
    const char* desc;
    unsigned id;
};

// One per port, ending with an empty one.
struct retro_controller_info {
    const retro_controller_description* types;
    unsigned num_types;
};

// ---- Core options, version 2 -------------------------------------------------

constexpr int RETRO_NUM_CORE_OPTION_VALUES_MAX = 128;

struct retro_core_option_value {
    const char* value;
    const char* label;  // null: the value itself
};

struct retro_core_option_v2_category {
    const char* key;
    const char* desc;
    const char* info;
};

// The values end with a null value; the array of definitions with a null key.
struct retro_core_option_v2_definition {
    const char* key;
    const char* desc;
    const char* desc_categorized;
    const char* info;
    const char* info_categorized;
    const char* category_key;
    retro_core_option_value values[RETRO_NUM_CORE_OPTION_VALUES_MAX];
    const char* default_value;
};

struct retro_core_options_v2 {
    retro_core_option_v2_category* categories;  // ends with a null key; may be null
    retro_core_option_v2_definition* definitions;
};

// ---- What the core tells of itself -------------------------------------------

struct retro_system_info {
    const char* library_name;
    const char* library_version;
    const char* valid_extensions;  // "|"-separated, without dots
    bool need_fullpath;            // false: content comes as a buffer
    bool block_extract;
};

struct retro_game_geometry {
    unsigned base_width, base_height;
    unsigned max_width, max_height;
    float aspect_ratio;
};

struct retro_system_timing {
    double fps;
    double sample_rate;
};

struct retro_system_av_info {
    retro_game_geometry geometry;
    retro_system_timing timing;
};

struct retro_game_info {
    const char* path;
    const void* data;
    size_t size;
    const char* meta;
};

constexpr unsigned RETRO_REGION_PAL = 1;
constexpr unsigned RETRO_MEMORY_SYSTEM_RAM = 2;

// ---- Callbacks the front end hands over --------------------------------------

using retro_environment_t = bool (*)(unsigned cmd, void* data);
using retro_video_refresh_t = void (*)(const void* data, unsigned width, unsigned height, size_t pitch);
using retro_audio_sample_t = void (*)(int16_t left, int16_t right);
// Interleaved stereo frames; answers how many frames it took.
using retro_audio_sample_batch_t = size_t (*)(const int16_t* data, size_t frames);
using retro_input_poll_t = void (*)();
using retro_input_state_t = int16_t (*)(unsigned port, unsigned device, unsigned index, unsigned id);

// ---- The functions a core exports --------------------------------------------

RETRO_API void retro_set_environment(retro_environment_t);
RETRO_API void retro_set_video_refresh(retro_video_refresh_t);
RETRO_API void retro_set_audio_sample(retro_audio_sample_t);
RETRO_API void retro_set_audio_sample_batch(retro_audio_sample_batch_t);
RETRO_API void retro_set_input_poll(retro_input_poll_t);
RETRO_API void retro_set_input_state(retro_input_state_t);
RETRO_API void retro_init();
RETRO_API void retro_deinit();
RETRO_API unsigned retro_api_version();
RETRO_API void retro_get_system_info(retro_system_info* info);
RETRO_API void retro_get_system_av_info(retro_system_av_info* info);
RETRO_API void retro_set_controller_port_device(unsigned port, unsigned device);
RETRO_API void retro_reset();
RETRO_API void retro_run();
RETRO_API size_t retro_serialize_size();
RETRO_API bool retro_serialize(void* data, size_t size);
RETRO_API bool retro_unserialize(const void* data, size_t size);
RETRO_API void retro_cheat_reset();
RETRO_API void retro_cheat_set(unsigned index, bool enabled, const char* code);
RETRO_API bool retro_load_game(const retro_game_info* game);
RETRO_API bool retro_load_game_special(unsigned game_type, const retro_game_info* info, size_t num_info);
RETRO_API void retro_unload_game();
RETRO_API unsigned retro_get_region();
RETRO_API void* retro_get_memory_data(unsigned id);
RETRO_API size_t retro_get_memory_size(unsigned id);
