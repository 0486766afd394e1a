#include "machine/snapshot.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <type_traits>

#include "machine/crc32.h"
#include "machine/vz200.h"

namespace {

constexpr uint8_t MAGIC[] = {'T', 'E', 'S', 'S', 'E', 'L', '-', 'S', 'T', 'A', 'T', 'E'};
constexpr size_t MAGIC_SIZE = sizeof MAGIC;
constexpr size_t HEADER_SIZE = SNAPSHOT_ROM_CRC_AT;  // magic, version, length and checksum
constexpr size_t RAM_SIZE = MEMORY_SIZE - PROTECTED_END;

// A frame's last instruction can take the budget below zero by its own
// length, 23 cycles at most, and an EI delay's return by the EI's besides;
// this leaves room to spare.
constexpr int32_t LONGEST_OVERRUN = 64;

// The layout's pieces in order: the processor's 47 bytes, the latch
// and the keyboard rows; the speaker's level, position, sums and filter.
static_assert(SNAPSHOT_SPEAKER_AT == SNAPSHOT_PROCESSOR_AT + 47 + 1 + KEYBOARD_ROWS);
static_assert(SNAPSHOT_MEMORY_AT == SNAPSHOT_SPEAKER_AT + 1 + 4 + 4 * SAMPLES_PER_FRAME + 4 + 8);
static_assert(SNAPSHOT_SIZE == 42857);

constexpr uint8_t KNOWN_INTERRUPT_FLAGS = IFF1 | IM1 | IM2 | EI_PENDING | IFF2 | HALTED;

// What a snapshot restores besides memory, read into here and checked before
// the machine takes any of it. The names are the machine's, so that one
// list of fields reads into this and writes from the machine.
struct HeldState {
    Z80State processor;
    uint8_t outputLatch;
    KeyboardMatrix keyboardMatrix;
    Speaker speaker;
};

struct Writer {
    uint8_t* at;
};

struct Reader {
    const uint8_t* at;
    bool wellFormed;  // every truth value was 0 or 1
};

template <class T>
void field(Writer& writer, T value)
{
    auto bits = static_cast<std::make_unsigned_t<T>>(value);
    for (size_t i = 0; i < sizeof(T); ++i) *writer.at++ = static_cast<uint8_t>(bits >> (8 * i));
}

void field(Writer& writer, bool value) { *writer.at++ = value ? 1 : 0; }

template <class T>
void field(Reader& reader, T& value)
{
    using Bits = std::make_unsigned_t<T>;
    Bits bits = 0;
    for (size_t i = 0; i < sizeof(T); ++i) bits = static_cast<Bits>(bits | Bits{reader.at[i]} << (8 * i));
    reader.at += sizeof(T);
    value = static_cast<T>(bits);
}

void field(Reader& reader, bool& value)
{
    uint8_t byte = *reader.at++;
    reader.wellFormed = reader.wellFormed && byte <= 1;
    value = byte == 1;
}

uint32_t wordAt(const uint8_t* data, size_t offset)
{
    Reader reader{data + offset, true};
    uint32_t value = 0;
    field(reader, value);
    return value;
}

// The fields from SNAPSHOT_PROCESSOR_AT to SNAPSHOT_MEMORY_AT, in the order
// of the layout, for saving (a Writer and the machine) and restoring (a
// Reader and a HeldState) alike.
template <class Cursor, class State>
void stateFields(Cursor& cursor, State& state)
{
    auto& p = state.processor;
    for (auto* pair : {&p.AF, &p.BC, &p.DE, &p.HL, &p.IX, &p.IY, &p.PC, &p.SP, &p.altAF, &p.altBC, &p.altDE, &p.altHL}) {
        field(cursor, *pair);
    }
    field(cursor, p.interruptFlags);
    field(cursor, p.I);
    field(cursor, p.cyclesPerFrame);
    field(cursor, p.cyclesLeft);
    field(cursor, p.cyclesBeforeEi);
    field(cursor, p.interruptRequest);
    field(cursor, p.frameEndVector);
    field(cursor, p.zeroCostAllowance);
    field(cursor, p.haltRan);
    field(cursor, state.outputLatch);
    for (auto& row : state.keyboardMatrix.rows) field(cursor, row);
    auto& speaker = state.speaker;
    field(cursor, speaker.level);
    field(cursor, speaker.position);
    for (auto& sum : speaker.sampleSums) field(cursor, sum);
    field(cursor, speaker.lastInput);
    field(cursor, speaker.lastOutput);
}

uint32_t romCrc(const Vz200& machine) { return crc32(machine.memoryImage, PROTECTED_END); }
uint32_t fontCrc(const Vz200& machine) { return crc32(machine.fontImage, FONT_SIZE); }

bool within(int32_t value, int32_t lowest, int32_t highest) { return value >= lowest && value <= highest; }

// Values the run loop can take up: the machine's frame and frame interrupt,
// a budget no larger than a frame (a larger one would run on for longer
// than a frame), no more overrun than an instruction makes, and interrupt
// flags the processor has.
bool processorInRange(const Z80State& p)
{
    return p.cyclesPerFrame == CYCLES_PER_FRAME && p.frameEndVector == FRAME_END_VECTOR &&
           within(p.cyclesLeft, -LONGEST_OVERRUN, CYCLES_PER_FRAME) &&
           within(p.cyclesBeforeEi, -LONGEST_OVERRUN, CYCLES_PER_FRAME) &&
           within(p.zeroCostAllowance, -CYCLES_PER_FRAME, CYCLES_PER_FRAME) &&
           (p.interruptFlags & ~KNOWN_INTERRUPT_FLAGS) == 0 && (p.interruptFlags & (IM1 | IM2)) != (IM1 | IM2);
}

// Null when the machine can take the snapshot, which is then in held;
// otherwise why not.
const char* refusal(const Vz200& machine, const uint8_t* data, size_t size, HeldState& held)
{
    if (size == 0) return "the snapshot is empty";
    if (std::memcmp(data, MAGIC, std::min(size, MAGIC_SIZE)) != 0) return "this is not a Tessel snapshot";
    if (size < HEADER_SIZE) return "this snapshot is cut short";
    // A later version may be laid out otherwise, so its version is all
    // that is read of it.
    uint32_t version = wordAt(data, SNAPSHOT_VERSION_AT);
    if (version > SNAPSHOT_VERSION) return "this snapshot is from a newer Tessel";
    if (version != SNAPSHOT_VERSION) return "this snapshot has a format version Tessel never wrote";
    if (wordAt(data, SNAPSHOT_LENGTH_AT) != SNAPSHOT_SIZE || size > SNAPSHOT_SIZE) {
        return "this snapshot has the wrong length";
    }
    if (size < SNAPSHOT_SIZE) return "this snapshot is cut short";
    if (wordAt(data, SNAPSHOT_CRC_AT) != snapshotChecksum(data, size)) {
        return "this snapshot is damaged: its checksum does not match";
    }
    if (wordAt(data, SNAPSHOT_ROM_CRC_AT) != romCrc(machine)) return "this snapshot was saved with another system ROM";
    if (wordAt(data, SNAPSHOT_FONT_CRC_AT) != fontCrc(machine)) {
        return "this snapshot was saved with another character generator";
    }
    Reader reader{data + SNAPSHOT_PROCESSOR_AT, true};
    stateFields(reader, held);
    if (!reader.wellFormed || !processorInRange(held.processor)) return "this snapshot's processor state is out of range";
    if (!speakerStateInRange(held.speaker)) return "this snapshot's speaker state is out of range";
    return nullptr;
}

// A snapshot's bytes and one more, so that a longer file shows as one.
uint8_t fileBuffer[SNAPSHOT_SIZE + 1];

}  // namespace

uint32_t snapshotChecksum(const uint8_t* data, size_t size)
{
    uint32_t crc = crc32(data, SNAPSHOT_CRC_AT);
    return crc32(data + HEADER_SIZE, size - HEADER_SIZE, crc);
}

void saveSnapshot(const Vz200& machine, uint8_t out[SNAPSHOT_SIZE])
{
    std::memcpy(out, MAGIC, MAGIC_SIZE);
    Writer writer{out + MAGIC_SIZE};
    field(writer, SNAPSHOT_VERSION);
    field(writer, static_cast<uint32_t>(SNAPSHOT_SIZE));
    field(writer, uint32_t{0});  // the checksum, once the rest is written
    field(writer, romCrc(machine));
    field(writer, fontCrc(machine));
    stateFields(writer, machine);
    std::memcpy(out + SNAPSHOT_MEMORY_AT, machine.memoryImage + PROTECTED_END, RAM_SIZE);
    Writer checksum{out + SNAPSHOT_CRC_AT};
    field(checksum, snapshotChecksum(out, SNAPSHOT_SIZE));
}

bool restoreSnapshot(Vz200& machine, const uint8_t* data, size_t size, const char*& reason)
{
    HeldState held{};
    reason = refusal(machine, data, size, held);
    if (reason) return false;
    machine.processor = held.processor;
    machine.outputLatch = held.outputLatch;
    machine.keyboardMatrix = held.keyboardMatrix;
    machine.speaker = held.speaker;
    std::memcpy(machine.memoryImage + PROTECTED_END, data + SNAPSHOT_MEMORY_AT, RAM_SIZE);
    buildGlyphAtlas(machine);
    renderScreen(machine);
    return true;
}

bool writeSnapshotFile(const Vz200& machine, const char* path)
{
    saveSnapshot(machine, fileBuffer);
    std::FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    bool written = std::fwrite(fileBuffer, 1, SNAPSHOT_SIZE, file) == SNAPSHOT_SIZE;
    bool closed = std::fclose(file) == 0;
    return written && closed;
}

bool restoreSnapshotFile(Vz200& machine, const char* path, const char*& reason)
{
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        reason = "the file cannot be opened";
        return false;
    }
    // A directory opens on some hosts, then fails its first read.
    size_t size = std::fread(fileBuffer, 1, sizeof fileBuffer, file);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        reason = "the file cannot be read";
        return false;
    }
    return restoreSnapshot(machine, fileBuffer, size, reason);
}
