// The video chip's field sync (FS), which the keyboard window shows in bit 7
// and which is the processor's frame interrupt.
#pragma once

#include <cstdint>

// MC6847 data sheet, "Synchronizing outputs": "The high-to-low transition of
// the FS output coincides with the end of active display area ... The
// low-to-high transition of FS coincides with the trailing edge of the
// vertical synchronization pulse." Its Figure 13 (display area timing) has a
// bottom border of 26 lines and a vertical retrace of 6 lines between the two.
constexpr int32_t FIELD_SYNC_LOW_LINES = 26 + 6;
// A scan line is 227.5 periods of the chip's 3.58 MHz clock (the data sheet:
// one field of 262 lines 60 times a second on a 3.579545 MHz clock), the
// clock the processor runs on too (VZ-200 technical reference manual, "The
// basic computer": a Z-80A at 3.58 MHz, beside a 6847P-1).
constexpr int32_t HALF_CYCLES_PER_LINE = 455;
constexpr int32_t FIELD_SYNC_LOW_CYCLES = FIELD_SYNC_LOW_LINES * HALF_CYCLES_PER_LINE / 2;  // 7,280

// FS's falling edge is the frame interrupt that ends each frame, so FS is
// low through the first FIELD_SYNC_LOW_CYCLES of a frame (the vertical
// blanking the interrupt marks) and high through the picture after it.
inline bool fieldSyncHigh(int32_t frameCycle) { return frameCycle >= FIELD_SYNC_LOW_CYCLES; }
