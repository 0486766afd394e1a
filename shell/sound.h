// The machine's sound to the host. The frame clock is the master of time and
// the machine gives exactly SAMPLES_PER_FRAME samples a frame; the host's
// audio clock drifts against it, so each frame is stretched or shrunk by a
// few samples to hold the host's queue near AUDIO_QUEUE_TARGET. A queue that
// runs dry starts again from silence; one that grows past AUDIO_QUEUE_LIMIT
// (a host far slower than its clock, a stalled stream) fades out and drops
// frames until it is back at the target. Both fade in again.
#pragma once

#include <cstdint>

#include "shell/host.h"

// Samples a frame may gain or lose: 4 of 960 is 0.42 %, below what an ear
// hears as a change of pitch.
constexpr int MAX_FRAME_STRETCH = 4;
// Short fades where the stream starts or restarts, so that it never clicks.
constexpr int SOUND_FADE_SAMPLES = 240;
// Above this the queue is brought back to its target by leaving frames out.
constexpr int AUDIO_QUEUE_LIMIT = 4 * AUDIO_QUEUE_TARGET;

struct SoundPacing {
    HostAudio stream = nullptr;
    int meanError = 0;  // queue minus target, smoothed
    bool fadingIn = false;
    bool draining = false;  // frames are left out until the queue is back at its target
};

// Opens the host's stream; without one the emulator runs silent and says so
// in one line on standard error.
void openSound();
// The last frame's samples of the machine's speaker to the host.
void queueFrameSound();
// Safe to call again when already closed.
void closeSound();

// How many samples this frame becomes, given what the host has queued; it
// follows the queue's recent mean, not each reading, since hosts play their
// queue in blocks.
int stretchedFrameLength(int queued);
// Forgets the queue's history, as at the start or after the queue ran dry.
void resetSoundPacing();
