// Arbitrary bytes restored as a snapshot onto the booted machine: a refused
// one must leave the machine as it was, with a reason; an accepted one must
// save back to the very bytes it came from (a stopped tape deck on another
// tape aside), and the machine runs a frame from it.
//
// Input: a mode byte, then the snapshot. An odd mode takes the bytes as they
// are, for the checks of the header and the checksum. An even one first
// writes the checksum the bytes need (when they are long enough to have
// one), so that mutations get past it to the checks behind: the ROM and
// font, and the processor's and the speaker's ranges.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "machine/snapshot.h"
#include "machine/vz200.h"
#include "shell/machine_commands.h"

namespace {

constexpr int BOOT_FRAMES = 30;  // the open ROM waits at its prompt by then

Vz200 bootedMachine;
uint8_t snapshot[SNAPSHOT_SIZE + 1];  // one byte more shows a longer input
uint8_t savedAgain[SNAPSHOT_SIZE];

[[noreturn]] void finding(const char* what)
{
    std::fprintf(stderr, "restore: %s\n", what);
    std::abort();
}

void bootOnce()
{
    static bool booted = false;
    if (booted) return;
    startMachine();
    vz200.keyboardMatrix = idleKeyboardRows();
    for (int frame = 0; frame < BOOT_FRAMES; ++frame) runMachineFrame(nullptr);
    std::memcpy(&bootedMachine, &vz200, sizeof vz200);
    booted = true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    bootOnce();
    std::memcpy(&vz200, &bootedMachine, sizeof vz200);
    if (size == 0) return 0;
    size_t length = std::min(size - 1, sizeof snapshot);
    std::memcpy(snapshot, data + 1, length);
    if ((data[0] & 1) == 0 && length >= SNAPSHOT_ROM_CRC_AT) {
        uint32_t checksum = snapshotChecksum(snapshot, length);
        for (int i = 0; i < 4; ++i) snapshot[SNAPSHOT_CRC_AT + i] = static_cast<uint8_t>(checksum >> 8 * i);
    }

    const char* reason = nullptr;
    if (!restoreSnapshot(vz200, snapshot, length, reason)) {
        if (!reason || !*reason) finding("refused without a reason");
        if (std::memcmp(&vz200, &bootedMachine, sizeof vz200) != 0) finding("a refused snapshot changed the machine");
        return 0;
    }
    if (length != SNAPSHOT_SIZE) finding("a snapshot of another length was taken");
    saveSnapshot(vz200, savedAgain);
    // A stopped deck on a tape that is not in the recorder leaves the deck
    // as it was, and so the bytes from the deck's on (and the checksum over
    // them) save as the machine had them.
    bool deckKept = std::memcmp(&vz200.tapeDeck, &bootedMachine.tapeDeck, sizeof vz200.tapeDeck) == 0;
    size_t compared = deckKept ? SNAPSHOT_TAPE_AT : SNAPSHOT_SIZE;
    if (std::memcmp(savedAgain, snapshot, SNAPSHOT_CRC_AT) != 0 ||
        std::memcmp(savedAgain + SNAPSHOT_ROM_CRC_AT, snapshot + SNAPSHOT_ROM_CRC_AT, compared - SNAPSHOT_ROM_CRC_AT) != 0) {
        finding("the machine saves other bytes than it took");
    }
    runMachineFrame(nullptr);
    return 0;
}
