// The cassette input as the keyboard window shows it in bit 6: the one place
// the level comes from, which a tape deck will drive.
#pragma once

#include <cstdint>

struct Vz200;

// The level at this cycle of the frame. With no tape playing the input
// circuit rests high: the ROM's CLOAD waits at 0x35EA while bit 6 reads 1
// (checking for BREAK as it waits), and its bit reader at 0x3793 counts a
// pulse only from a fall to 0, giving up after 0x7FF turns of 1.
bool cassetteInputLevel(const Vz200& machine, int32_t frameCycle);
