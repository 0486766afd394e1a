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

constexpr uint8_t KNOWN_INTERRUPT_FLAGS = IFF1 | IM1 | IM2 | EI_PENDING | IFF2 | HALTED;

// What a snapshot restores, read into here and checked before the machine
// takes any of it. The names are the machine's, so that one list of fields
// reads into this and writes from the machine.
struct HeldState {
    Z80State processor;
    uint8_t outputLatch;
    KeyboardMatrix keyboardMatrix;
    Speaker speaker;
    const uint8_t* ram;  // memory from PROTECTED_END, where it lies in the snapshot
    JoystickPorts joystick;
    struct {
        bool afterCarriageReturn;
    } printer;
    TapeDeck tapeDeck;  // where it is on its tape; the recorder is not the snapshot's
    TapeIdentity tape;  // the tape that position is on
};

// The three ways through the field list: writing a snapshot from the
// machine, reading one into a HeldState, and measuring, at compile time,
// where a field lies.
struct Writer {
    uint8_t* at;
};

struct Reader {
    const uint8_t* at;
    bool wellFormed;  // every truth value was 0 or 1
};

struct Measure {
    size_t at;
    const void* sought;  // the field whose offset is wanted, or null
    size_t found;
};

// A field as the integer File, little-endian. The machine holds it as
// exactly that type: a changed type stops here rather than changing the file.
template <class File, class Value>
constexpr void field(Writer& writer, const Value& value)
{
    static_assert(std::is_same_v<Value, File>, "the machine's type differs from the snapshot's width");
    auto bits = static_cast<std::make_unsigned_t<File>>(value);
    for (size_t i = 0; i < sizeof(File); ++i) *writer.at++ = static_cast<uint8_t>(bits >> (8 * i));
}

template <class File, class Value>
constexpr void field(Reader& reader, Value& value)
{
    static_assert(std::is_same_v<Value, File>, "the machine's type differs from the snapshot's width");
    using Bits = std::make_unsigned_t<File>;
    Bits bits = 0;
    for (size_t i = 0; i < sizeof(File); ++i) bits = static_cast<Bits>(bits | Bits{reader.at[i]} << (8 * i));
    reader.at += sizeof(File);
    value = static_cast<File>(bits);
}

template <class File, class Value>
constexpr void field(Measure& measure, const Value& value)
{
    if (&value == measure.sought) measure.found = measure.at;
    measure.at += sizeof(File);
}

// The widths the field list names.
template <class File>
constexpr auto width = [](auto& cursor, auto&& value) { field<File>(cursor, value); };
constexpr auto u8 = width<uint8_t>;
constexpr auto u16 = width<uint16_t>;
constexpr auto u32 = width<uint32_t>;
constexpr auto s8 = width<int8_t>;
constexpr auto s32 = width<int32_t>;
constexpr auto s64 = width<int64_t>;

// A truth value: one byte, 0 or 1.
void flag(Writer& writer, bool value) { *writer.at++ = value ? 1 : 0; }

void flag(Reader& reader, bool& value)
{
    uint8_t byte = *reader.at++;
    reader.wellFormed = reader.wellFormed && byte <= 1;
    value = byte == 1;
}

constexpr void flag(Measure& measure, const bool& value) { field<uint8_t>(measure, value); }

// Memory from PROTECTED_END: written from the machine, and read where it
// lies, to be copied once everything else has passed.
void ram(Writer& writer, const Vz200& machine)
{
    std::memcpy(writer.at, machine.memoryImage + PROTECTED_END, RAM_SIZE);
    writer.at += RAM_SIZE;
}

void ram(Reader& reader, HeldState& held)
{
    held.ram = reader.at;
    reader.at += RAM_SIZE;
}

constexpr void ram(Measure& measure, const HeldState& held)
{
    if (&held.ram == measure.sought) measure.found = measure.at;
    measure.at += RAM_SIZE;
}

// The tape a deck's position belongs to; none for a deck at rest, whose
// position is the same on every tape.
void tape(Writer& writer, const Vz200& machine)
{
    TapeIdentity tape = tapeAtRest(machine.tapeDeck) ? TapeIdentity{} : insertedTape();
    u32(writer, tape.crc);
    u32(writer, tape.size);
}

void tape(Reader& reader, HeldState& held)
{
    u32(reader, held.tape.crc);
    u32(reader, held.tape.size);
}

constexpr void tape(Measure& measure, const HeldState& held)
{
    u32(measure, held.tape.crc);
    u32(measure, held.tape.size);
}

uint32_t wordAt(const uint8_t* data, size_t offset)
{
    Reader reader{data + offset, true};
    uint32_t value = 0;
    u32(reader, value);
    return value;
}

// The fields from SNAPSHOT_PROCESSOR_AT to the end of a snapshot of this
// format version, in the order of the layout, for saving (a Writer and the
// machine), restoring (a Reader and a HeldState) and measuring alike. A
// later version's fields go at the end (snapshot.h says how).
template <class Cursor, class State>
constexpr void stateFields(Cursor& cursor, State& state, uint32_t version)
{
    auto& p = state.processor;
    for (auto* pair : {&p.AF, &p.BC, &p.DE, &p.HL, &p.IX, &p.IY, &p.PC, &p.SP, &p.altAF, &p.altBC, &p.altDE, &p.altHL}) {
        u16(cursor, *pair);
    }
    u8(cursor, p.interruptFlags);
    u8(cursor, p.I);
    s32(cursor, p.cyclesPerFrame);
    s32(cursor, p.cyclesLeft);
    s32(cursor, p.cyclesBeforeEi);
    u16(cursor, p.interruptRequest);
    u16(cursor, p.frameEndVector);
    s32(cursor, p.zeroCostAllowance);
    flag(cursor, p.haltRan);
    u8(cursor, state.outputLatch);
    for (auto& row : state.keyboardMatrix.rows) u8(cursor, row);
    auto& speaker = state.speaker;
    s8(cursor, speaker.level);
    s32(cursor, speaker.position);
    for (auto& sum : speaker.sampleSums) s32(cursor, sum);
    s32(cursor, speaker.lastInput);
    s64(cursor, speaker.lastOutput);
    ram(cursor, state);
    if (version < 2) return;
    for (auto& line : state.joystick.pressed) u8(cursor, line);
    flag(cursor, state.printer.afterCarriageReturn);
    auto& deck = state.tapeDeck;
    flag(cursor, deck.playing);
    flag(cursor, deck.inputHigh);
    u32(cursor, deck.playIndex);
    u32(cursor, deck.levels);
    s64(cursor, deck.levelEnd);
    s64(cursor, deck.played);
    tape(cursor, state);
}

// Where in a snapshot the field that pick chooses lies; the snapshot's
// length when it chooses none.
template <class Pick>
constexpr size_t layoutOffset(Pick pick, uint32_t version = SNAPSHOT_VERSION)
{
    HeldState state{};
    Measure measure{SNAPSHOT_PROCESSOR_AT, pick(state), 0};
    stateFields(measure, state, version);
    return measure.sought ? measure.found : measure.at;
}

#define LAYOUT_OFFSET(member) layoutOffset([](const HeldState& s) -> const void* { return &s.member; })
static_assert(LAYOUT_OFFSET(processor.PC) == SNAPSHOT_PC_AT);
static_assert(LAYOUT_OFFSET(processor.interruptFlags) == SNAPSHOT_INTERRUPT_FLAGS_AT);
static_assert(LAYOUT_OFFSET(processor.cyclesPerFrame) == SNAPSHOT_FRAME_CYCLES_AT);
static_assert(LAYOUT_OFFSET(processor.cyclesLeft) == SNAPSHOT_BUDGET_AT);
static_assert(LAYOUT_OFFSET(processor.cyclesBeforeEi) == SNAPSHOT_EI_BUDGET_AT);
static_assert(LAYOUT_OFFSET(processor.frameEndVector) == SNAPSHOT_FRAME_VECTOR_AT);
static_assert(LAYOUT_OFFSET(processor.zeroCostAllowance) == SNAPSHOT_ZERO_COST_AT);
static_assert(LAYOUT_OFFSET(processor.haltRan) == SNAPSHOT_HALT_RAN_AT);
static_assert(LAYOUT_OFFSET(outputLatch) == SNAPSHOT_LATCH_AT);
static_assert(LAYOUT_OFFSET(speaker.level) == SNAPSHOT_SPEAKER_AT);
static_assert(LAYOUT_OFFSET(speaker.position) == SNAPSHOT_SPEAKER_POSITION_AT);
static_assert(LAYOUT_OFFSET(speaker.sampleSums) == SNAPSHOT_SAMPLE_SUMS_AT);
static_assert(LAYOUT_OFFSET(speaker.lastInput) == SNAPSHOT_FILTER_INPUT_AT);
static_assert(LAYOUT_OFFSET(speaker.lastOutput) == SNAPSHOT_FILTER_OUTPUT_AT);
static_assert(LAYOUT_OFFSET(ram) == SNAPSHOT_MEMORY_AT);
static_assert(LAYOUT_OFFSET(joystick.pressed) == SNAPSHOT_JOYSTICK_AT);
static_assert(LAYOUT_OFFSET(printer.afterCarriageReturn) == SNAPSHOT_PRINTER_AT);
static_assert(LAYOUT_OFFSET(tapeDeck.playing) == SNAPSHOT_TAPE_AT);
static_assert(LAYOUT_OFFSET(tapeDeck.playIndex) == SNAPSHOT_TAPE_INDEX_AT);
static_assert(LAYOUT_OFFSET(tape.crc) == SNAPSHOT_TAPE_CRC_AT);
constexpr auto NO_FIELD = [](const HeldState&) -> const void* { return nullptr; };
static_assert(layoutOffset(NO_FIELD, 1) == SNAPSHOT_VERSION_1_SIZE);
static_assert(layoutOffset(NO_FIELD) == SNAPSHOT_SIZE);
#undef LAYOUT_OFFSET

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

// Whether the deck in the snapshot is on the tape in the recorder.
bool onInsertedTape(const HeldState& held)
{
    TapeIdentity inserted = insertedTape();
    return held.tape.crc == inserted.crc && held.tape.size == inserted.size;
}

// A playing deck goes on only on its own tape; a stopped one on another
// tape leaves the recorder as it is (restoreSnapshot).
const char* tapeRefusal(const HeldState& held)
{
    const TapeDeck& deck = held.tapeDeck;
    if (tapeAtRest(deck)) return held.tape.crc != 0 || held.tape.size != 0 ? "this snapshot's tape state is out of range" : nullptr;
    if (!onInsertedTape(held)) return deck.playing ? "this snapshot was saved with another tape in the recorder" : nullptr;
    if (deck.playIndex > held.tape.size || deck.levels > deck.playIndex || deck.played < 0) {
        return "this snapshot's tape state is out of range";
    }
    return nullptr;
}

// Null when the machine can take the snapshot, which is then in held;
// otherwise why not.
const char* refusal(const Vz200& machine, const uint8_t* data, size_t size, HeldState& held)
{
    if (size == 0) return "the snapshot is empty";
    if (std::memcmp(data, MAGIC, std::min(size, MAGIC_SIZE)) != 0) return "this is not a Tessel snapshot";
    if (size < HEADER_SIZE) return "this snapshot is cut short";
    // Of a version this program does not know, the version is all that is
    // read.
    uint32_t version = wordAt(data, SNAPSHOT_VERSION_AT);
    if (version > SNAPSHOT_VERSION) return "this snapshot is from a newer Tessel";
    if (version == 0) return "this snapshot has a format version Tessel never wrote";
    size_t length = version == 1 ? SNAPSHOT_VERSION_1_SIZE : SNAPSHOT_SIZE;
    if (wordAt(data, SNAPSHOT_LENGTH_AT) != length || size > length) return "this snapshot has the wrong length";
    if (size < length) return "this snapshot is cut short";
    if (wordAt(data, SNAPSHOT_CRC_AT) != snapshotChecksum(data, size)) {
        return "this snapshot is damaged: its checksum does not match";
    }
    if (wordAt(data, SNAPSHOT_ROM_CRC_AT) != romCrc(machine)) return "this snapshot was saved with another system ROM";
    if (wordAt(data, SNAPSHOT_FONT_CRC_AT) != fontCrc(machine)) {
        return "this snapshot was saved with another character generator";
    }
    Reader reader{data + SNAPSHOT_PROCESSOR_AT, true};
    stateFields(reader, held, version);
    if (!reader.wellFormed || !processorInRange(held.processor)) return "this snapshot's processor state is out of range";
    if (!speakerStateInRange(held.speaker)) return "this snapshot's speaker state is out of range";
    return tapeRefusal(held);
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
    u32(writer, SNAPSHOT_VERSION);
    u32(writer, static_cast<uint32_t>(SNAPSHOT_SIZE));
    u32(writer, uint32_t{0});  // the checksum, once the rest is written
    u32(writer, romCrc(machine));
    u32(writer, fontCrc(machine));
    stateFields(writer, machine, SNAPSHOT_VERSION);
    Writer checksum{out + SNAPSHOT_CRC_AT};
    u32(checksum, snapshotChecksum(out, SNAPSHOT_SIZE));
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
    std::memcpy(machine.memoryImage + PROTECTED_END, held.ram, RAM_SIZE);
    machine.joystick = held.joystick;
    machine.printer.afterCarriageReturn = held.printer.afterCarriageReturn;
    if (tapeAtRest(held.tapeDeck) || onInsertedTape(held)) takeTapePosition(machine.tapeDeck, held.tapeDeck);
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
