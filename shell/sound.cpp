#include "shell/sound.h"

#include <algorithm>
#include <cstdio>

#include "machine/vz200.h"
#include "shell/host.h"
#include "shell/shell.h"

namespace {

// One sample of stretch per this many samples of the queue off its target.
constexpr int STRETCH_GAIN = 96;
// The queue's mean follows each reading by 1/8.
constexpr int MEAN_WEIGHT = 8;

int16_t frame[SAMPLES_PER_FRAME + MAX_FRAME_STRETCH];
const int16_t silence[AUDIO_QUEUE_TARGET] = {};

// Linear interpolation of the machine's frame onto count samples; the first
// and last samples stay where they are, so frames join without a step.
void stretch(const int16_t* in, int16_t* out, int count)
{
    if (count == SAMPLES_PER_FRAME) {
        std::copy(in, in + SAMPLES_PER_FRAME, out);
        return;
    }
    for (int i = 0; i < count; ++i) {
        int64_t position = int64_t{i} * (SAMPLES_PER_FRAME - 1) * 65536 / (count - 1);
        int index = static_cast<int>(position >> 16);
        int fraction = static_cast<int>(position & 0xFFFF);
        int next = std::min(index + 1, SAMPLES_PER_FRAME - 1);
        out[i] = static_cast<int16_t>(in[index] + ((in[next] - in[index]) * fraction >> 16));
    }
}

void fadeIn(int16_t* samples, int count)
{
    for (int i = 0; i < std::min(count, SOUND_FADE_SAMPLES); ++i) {
        samples[i] = static_cast<int16_t>(samples[i] * i / SOUND_FADE_SAMPLES);
    }
}

void fadeOut(int16_t* samples, int count)
{
    for (int i = 0; i < std::min(count, SOUND_FADE_SAMPLES); ++i) {
        int16_t& sample = samples[count - 1 - i];
        sample = static_cast<int16_t>(sample * i / SOUND_FADE_SAMPLES);
    }
}

}  // namespace

void openSound()
{
    const char* failure = "no reason given";
    shell.sound.stream = hostOpenAudio(SPEAKER_SAMPLE_RATE, failure);
    if (!shell.sound.stream) std::fprintf(stderr, "tessel: no sound (%s); running silent\n", failure);
    resetSoundPacing();
}

void resetSoundPacing() { shell.sound.meanError = 0; }

int stretchedFrameLength(int queued)
{
    int& meanError = shell.sound.meanError;
    meanError += (queued - AUDIO_QUEUE_TARGET - meanError) / MEAN_WEIGHT;
    return SAMPLES_PER_FRAME + std::clamp(-meanError / STRETCH_GAIN, -MAX_FRAME_STRETCH, MAX_FRAME_STRETCH);
}

void queueFrameSound()
{
    SoundPacing& p = shell.sound;
    HostAudio stream = p.stream;
    if (!stream) return;
    int queued = hostQueuedAudio(stream);
    if (p.draining) {
        if (queued > AUDIO_QUEUE_TARGET) return;
        p.draining = false;
        resetSoundPacing();
        p.fadingIn = true;
    }
    if (queued < SAMPLES_PER_FRAME) {
        // Ran dry (a stall, the Open dialog) or is about to: start again from
        // silence with the queue at its target, and fade the sound back in.
        hostQueueAudio(stream, silence, AUDIO_QUEUE_TARGET - queued);
        queued = AUDIO_QUEUE_TARGET;
        resetSoundPacing();
        p.fadingIn = true;
    }
    int count = stretchedFrameLength(queued);
    stretch(vz200.speaker.samples, frame, count);
    if (p.fadingIn) {
        fadeIn(frame, count);
        p.fadingIn = false;
    }
    if (queued > AUDIO_QUEUE_LIMIT) {
        // A host that plays far slower than the frame clock runs (beyond
        // what stretching makes up): fade out, and leave frames out until
        // the queue is back at its target, rather than let the delay grow.
        fadeOut(frame, count);
        p.draining = true;
    }
    hostQueueAudio(stream, frame, count);
}

void closeSound()
{
    if (!shell.sound.stream) return;
    hostCloseAudio(shell.sound.stream);
    shell.sound.stream = nullptr;
}
