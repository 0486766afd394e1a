#include "machine/tape_signal.h"

#include <algorithm>

namespace {

constexpr uint16_t LONG_LEVEL_MARK = 0x8000;
constexpr int64_t ONE_ENTRY_LONGEST = LONG_LEVEL_MARK - 1;

void writeLevel(TapeSignalWriter& writer, int64_t cycles)
{
    if (writer.full) return;
    cycles = std::min(cycles, TAPE_LEVEL_LONGEST);
    uint32_t needed = cycles > ONE_ENTRY_LONGEST ? 2 : 1;
    if (TAPE_SIGNAL_CAPACITY - writer.entries < needed) {
        // Every later level would stand in the wrong place: the rest goes.
        writer.full = true;
        return;
    }
    if (writer.signal) {
        uint16_t* at = writer.signal->entries + writer.entries;
        if (needed == 1) {
            at[0] = static_cast<uint16_t>(cycles);
        } else {
            at[0] = static_cast<uint16_t>(LONG_LEVEL_MARK | cycles >> 16);
            at[1] = static_cast<uint16_t>(cycles & 0xFFFF);
        }
    }
    writer.entries += needed;
    writer.length += cycles;
}

}  // namespace

void beginTapeSignal(TapeSignalWriter& writer, TapeSignal* signal)
{
    writer = TapeSignalWriter{signal, 0, 0, false, 0, false};
}

void holdTapeLevel(TapeSignalWriter& writer, bool high, int64_t cycles)
{
    if (cycles <= 0) return;
    if (high != writer.high) {
        // A signal that begins high begins with a low of no length.
        writeLevel(writer, writer.held);
        writer.high = high;
        writer.held = 0;
    }
    writer.held += cycles;
}

void endTapeSignal(TapeSignalWriter& writer)
{
    if (writer.held > 0) writeLevel(writer, writer.held);
    writer.held = 0;
    if (writer.signal) {
        writer.signal->size = writer.entries;
        writer.signal->length = writer.length;
    }
}

int64_t nextTapeLevel(const TapeSignal& signal, uint32_t& index)
{
    if (index >= signal.size) return -1;
    uint16_t entry = signal.entries[index++];
    if (!(entry & LONG_LEVEL_MARK)) return entry;
    if (index >= signal.size) return -1;
    return int64_t{entry & ONE_ENTRY_LONGEST} << 16 | signal.entries[index++];
}
