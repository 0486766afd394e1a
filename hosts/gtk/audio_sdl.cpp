// The desktop program's sound on Linux: SDL2's audio, fed by queueing, so
// there is no callback and no thread of ours. SDL picks PipeWire, PulseAudio
// or ALSA (or what SDL_AUDIODRIVER names) and converts to what the device
// takes.
#include <SDL.h>
#include <dlfcn.h>

#include "machine/speaker.h"
#include "shell/host.h"

struct HostAudioRecord {
    SDL_AudioDeviceID device;
};

static HostAudioRecord stream;

// The device's own buffer on top of our queue: one frame, 20 ms. A whole
// number of milliseconds keeps SDL's disk driver in time (it sleeps that
// long a buffer), and against 20 ms the overshoot of each sleep is small.
constexpr Uint16 DEVICE_BUFFER_SAMPLES = SAMPLES_PER_FRAME;

// ALSA's library writes each failed probe to standard error itself: eight
// lines on a machine with no sound card, before our own one line says the
// same. SDL loads the library at run time, so its error handler is set
// through the loader too; the library stays loaded for SDL to use.
extern "C" {
// NOLINTNEXTLINE(cert-dcl50-cpp): the handler's type is ALSA's, and variadic.
static void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}
}

static void quietAlsa()
{
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
    if (!alsa) return;
    using ErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);
    auto setHandler = reinterpret_cast<int (*)(ErrorHandler)>(dlsym(alsa, "snd_lib_error_set_handler"));
    if (setHandler) setHandler(ignoreAlsaError);
}

HostAudio hostOpenAudio(int sampleRate, const char*& failure)
{
    quietAlsa();
    // SDL would take Ctrl+C and SIGTERM for a quit event of its own, which
    // nothing here reads: the program could no longer be stopped that way.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        failure = SDL_GetError();
        return nullptr;
    }
    SDL_AudioSpec wanted = {};
    wanted.freq = sampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = DEVICE_BUFFER_SAMPLES;
    // No changes allowed: SDL converts our stream to whatever the device takes.
    stream.device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (stream.device == 0) {
        failure = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    SDL_PauseAudioDevice(stream.device, 0);
    return &stream;
}

void hostQueueAudio(HostAudio audio, const int16_t* samples, int count)
{
    SDL_QueueAudio(audio->device, samples, static_cast<Uint32>(count) * sizeof(int16_t));
}

int hostQueuedAudio(HostAudio audio) { return static_cast<int>(SDL_GetQueuedAudioSize(audio->device) / sizeof(int16_t)); }

void hostCloseAudio(HostAudio audio)
{
    SDL_CloseAudioDevice(audio->device);
    audio->device = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
