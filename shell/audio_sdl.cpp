// The desktop program's sound on Linux: SDL2's audio, fed by queueing, so
// there is no callback and no thread of ours. SDL picks PipeWire, PulseAudio
// or ALSA (or what SDL_AUDIODRIVER names) and converts to what the device
// takes.
#include <SDL.h>

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

HostAudio hostOpenAudio(int sampleRate, const char*& failure)
{
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
