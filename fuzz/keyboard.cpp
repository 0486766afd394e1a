// Key snapshots and host events between frames, on the whole emulator:
// whatever the host keyboard holds and whatever arrives, the matrix holds
// only what the key tables allow. Bits 6 and 7 of every row, and the three
// positions without a key (row 0, 3 and 4, bit 2), stay 0; after a frame
// that polled, every mapped position follows the snapshot it was built from.
//
// Input: a list of steps, each an operation byte and its operands.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz_machine.h"
#include "machine/key_table.h"
#include "machine/keyboard.h"
#include "machine/vz200.h"
#include "shell/emulator.h"
#include "shell/events.h"
#include "hosts/headless/host_headless.h"
#include "shell/shell.h"
#include "shell/main_window.h"

namespace {

constexpr int MAX_FRAMES = 24;  // each is a whole frame of the open ROM

// Positions with no key in either table.
uint8_t withoutKeys(int row) { return static_cast<uint8_t>(~idleKeyboardRows().rows[row]); }

enum Step : uint8_t {
    SNAPSHOT,  // 256 bytes: the whole host key state
    KEY,       // code, value: one host key byte
    ACTIVATE,  // bit 0: the application comes to the front or goes behind
    COMMAND,   // 2 bytes: a menu command id (Load is cancelled)
    TYPE,      // 3 bytes of length, n, n bytes: text dropped on the window
    CLOSE,     // the user closes the window: the run ends with its quit
    PASS,      // one pass of the loop
    FRAME,     // handle what waits, then one frame
    STEP_COUNT
};

[[noreturn]] void finding(const char* what, int row, int value)
{
    std::fprintf(stderr, "keyboard: %s (row %d: %02X)\n", what, row, value);
    std::abort();
}

bool down(const uint8_t state[256], uint8_t code) { return (state[code] & HOST_KEY_DOWN) != 0; }

// A dropped text as long as the queue's whole text space and a byte more,
// so that it fills the space or is cut: the n bytes of the step repeated to
// its length, taken modulo that (spaces when n is 0).
constexpr size_t LONGEST_TEXT = EVENT_TEXT_SPACE + 1;
char droppedText[LONGEST_TEXT + 1];

void postDroppedText(const uint8_t* length, const uint8_t* pattern, size_t n)
{
    size_t size = (length[0] | length[1] << 8 | static_cast<size_t>(length[2]) << 16) % (LONGEST_TEXT + 1);
    for (size_t i = 0; i < size; ++i) droppedText[i] = n ? static_cast<char>(pattern[i % n]) : ' ';
    droppedText[size] = '\0';
    postHostEvent(HostEvent{.kind = HostEventKind::DroppedText, .text = droppedText, .length = size});
}

void checkAllowed()
{
    for (int row = 0; row < 8; ++row) {
        if (vz200.keyboardMatrix.rows[row] & withoutKeys(row)) finding("a position without a key is set", row, vz200.keyboardMatrix.rows[row]);
    }
}

// The rows a poll of `state` must leave, computed from the tables.
void checkFollows(const uint8_t state[256])
{
    uint8_t pressed[8] = {};
    for (const MachineKey& key : matrixKeys()) {
        if (down(state, key.keyCode)) pressed[key.row] |= static_cast<uint8_t>(1 << key.bit);
    }
    for (const MachineKey& combo : combinationKeys()) {
        if (down(state, combo.keyCode)) {
            pressed[combo.row] |= static_cast<uint8_t>(1 << combo.bit);
            pressed[CTRL_ROW] |= 1 << CTRL_BIT;
        }
    }
    for (int row = 0; row < 8; ++row) {
        uint8_t expected = static_cast<uint8_t>(~withoutKeys(row) & ~pressed[row]);
        if (vz200.keyboardMatrix.rows[row] != expected) finding("a row does not follow the snapshot", row, vz200.keyboardMatrix.rows[row]);
    }
}

// A frame step: the poll comes first, so the rows must follow the snapshot
// it read when the application is in front, and stay as they were when not.
void frameAndCheck()
{
    KeyboardMatrix before = vz200.keyboardMatrix;
    bool polls = shell.isActive;
    frameStep();
    checkAllowed();
    if (polls) {
        checkFollows(shell.keyboard.frameKeys);
    } else if (std::memcmp(&before, &vz200.keyboardMatrix, sizeof before) != 0) {
        finding("the rows changed while the application was behind", 0, 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    restoreBootedMachine();
    headlessAnswerChooser(nullptr);
    int frames = 0;
    bool running = true;  // until the loop takes the quit message
    size_t i = 0;
    auto take = [&](size_t n) -> const uint8_t* {
        if (size - i < n) return nullptr;
        const uint8_t* p = data + i;
        i += n;
        return p;
    };
    while (running && i < size && frames < MAX_FRAMES) {
        const uint8_t* p = nullptr;
        switch (data[i++] % STEP_COUNT) {
        case SNAPSHOT:
            if ((p = take(256))) std::memcpy(shell.keyboard.reportedKeys, p, 256);
            break;
        case KEY:
            if ((p = take(2))) shell.keyboard.reportedKeys[p[0]] = p[1];
            break;
        case ACTIVATE:
            if ((p = take(1))) headlessSetActive(p[0] & 1);
            break;
        case COMMAND:
            if ((p = take(2))) headlessCommand(static_cast<uint16_t>(p[0] | p[1] << 8));
            break;
        case TYPE:
            if ((p = take(4)) && take(p[3])) postDroppedText(p, p + 4, p[3]);
            break;
        case CLOSE:
            headlessClose();
            break;
        case PASS:
            if (!hostEventWaiting()) {
                frameAndCheck();
                ++frames;
            } else {
                running = messageLoopPass();
                checkAllowed();
            }
            break;
        default:
            running = drainEvents();
            checkAllowed();
            if (running) {
                frameAndCheck();
                ++frames;
            }
            break;
        }
    }
    if (running && drainEvents()) frameAndCheck();
    return 0;
}
