// The tape deck's last recording written to a file, in the format its name
// ends in (tessel-run's --tape-out, the page's download of the recording).
#pragma once

enum class TapeFileKind { None, Cvz, Wav };

// .cvz or .wav, in any case; None for any other name.
TapeFileKind tapeFileKind(const char* path);

// Null when written, else why not, as a sentence: the file cannot be
// written, or a .cvz would hold nothing, as the machine saved nothing.
const char* writeTapeRecording(const char* path, TapeFileKind kind);
