#include "shell/tape_file.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "machine/tape_deck.h"

namespace {

bool endsIn(const char* path, const char* extension)
{
    size_t length = std::strlen(path), tail = std::strlen(extension);
    if (length < tail) return false;
    for (size_t i = 0; i < tail; ++i) {
        if (std::tolower(static_cast<unsigned char>(path[length - tail + i])) != extension[i]) return false;
    }
    return true;
}

// Every byte the recording makes: each CSAVE byte takes 32 levels or more.
constexpr size_t CVZ_MOST = TAPE_SIGNAL_CAPACITY / 32 + 1;

}  // namespace

TapeFileKind tapeFileKind(const char* path)
{
    if (endsIn(path, ".cvz")) return TapeFileKind::Cvz;
    if (endsIn(path, ".wav")) return TapeFileKind::Wav;
    return TapeFileKind::None;
}

const char* writeTapeRecording(const char* path, TapeFileKind kind)
{
    static uint8_t bytes[CVZ_MOST > (1 << 16) ? CVZ_MOST : (1 << 16)];
    size_t cvzSize = 0;
    if (kind == TapeFileKind::Cvz) {
        cvzSize = tapeRecordingAsCvz(bytes, sizeof bytes);
        if (cvzSize == 0) return "the machine saved nothing to tape";
    }
    std::FILE* file = std::fopen(path, "wb");
    if (!file) return "it cannot be written";
    bool written = true;
    if (kind == TapeFileKind::Cvz) {
        written = std::fwrite(bytes, 1, cvzSize, file) == cvzSize;
    } else {
        WavWriter writer;
        beginWavWriting(writer, tapeRecording());
        for (size_t size; written && (size = writeWavPiece(writer, tapeRecording(), bytes, sizeof bytes)) > 0;) {
            written = std::fwrite(bytes, 1, size, file) == size;
        }
    }
    if (std::fclose(file) != 0 || !written) return "it cannot be written";
    return nullptr;
}
