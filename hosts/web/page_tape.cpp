// The cassette recorder on the page (page/tape.js): a tape the page has put
// in a file goes into the machine's deck, the deck's keys, where it stands,
// and its last recording written out for a download. Each runs between two
// frames, as a hand on the recorder would.
#include <emscripten/emscripten.h>

#include <cstdio>

#include "machine/loaders.h"
#include "machine/vz200.h"
#include "shell/tape_file.h"

// Null when the tape at path is in the deck, stopped at its start; else
// why not, and the deck holds what it held.
extern "C" EMSCRIPTEN_KEEPALIVE const char* webInsertTape(const char* path)
{
    const char* reason = nullptr;
    return insertTapeFromPath(vz200, path, reason) ? nullptr : reason;
}

// The deck's keys, as webTapeKey takes them.
enum class TapeKey : int { Play, Stop, Rewind, Record, StopRecording };

extern "C" EMSCRIPTEN_KEEPALIVE void webTapeKey(int key)
{
    TapeDeck& deck = vz200.tapeDeck;
    switch (static_cast<TapeKey>(key)) {
    case TapeKey::Play:
        playTape(deck);
        break;
    case TapeKey::Stop:
        stopTape(deck);
        break;
    case TapeKey::Rewind:
        rewindTape(deck);
        break;
    case TapeKey::Record:
        recordTape(deck, vz200.outputLatch);
        break;
    case TapeKey::StopRecording:
        stopRecording(deck);
        break;
    }
}

extern "C" EMSCRIPTEN_KEEPALIVE int webTapePlaying() { return vz200.tapeDeck.playing; }

static long long milliseconds(int64_t cycles) { return cycles * 1000 / TAPE_CYCLES_PER_SECOND; }

// The deck now, one line: playing, recording and the recording full (each 0
// or 1), then the position and length of the played tape and the length of
// the last recording, in milliseconds.
extern "C" EMSCRIPTEN_KEEPALIVE const char* webTapeStatus()
{
    static char line[96];
    TapeStatus status = tapeStatus(vz200.tapeDeck);
    std::snprintf(line, sizeof line, "%d %d %d %lld %lld %lld", status.playing, status.recording,
                  status.recordingFull, milliseconds(status.position), milliseconds(status.length),
                  milliseconds(status.recorded));
    return line;
}

// The last recording into the file at path, as a .wav or a .cvz by its
// name's end: null when written, else why not.
extern "C" EMSCRIPTEN_KEEPALIVE const char* webWriteTapeRecording(const char* path)
{
    TapeFileKind kind = tapeFileKind(path);
    return kind == TapeFileKind::None ? "a recording is written as .cvz or .wav" : writeTapeRecording(path, kind);
}
