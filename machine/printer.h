// The printer interface: the character and its strobe go out on port 0x0E,
// and bit 0 of port 0x00 is the printer's busy line (VZ-200 technical
// reference manual, "System pointers, etc": "port address 0E for the ASCII
// character code data and strobe output, and address 00H for the
// busy/ready-bar status input (bit 0)"). The ROM's output routine (0x3ABA)
// reads port 0x00 until bit 0 is 0, writes the character to port 0x0E and
// then to 0x0D, and follows a carriage return with a line feed.
//
// The printer here is always ready; what it prints in a frame is text for
// the host to take after the frame, a carriage return as a line end.
#pragma once

#include <cstdint>

constexpr uint8_t PRINTER_STATUS_PORT = 0x00;
constexpr uint8_t PRINTER_DATA_PORT = 0x0E;
constexpr uint8_t PRINTER_BUSY = 0x01;

// More than a frame can print: an OUT takes at least 11 cycles, so a frame
// of 71,600 cycles and the overrun of its last instruction print fewer than
// 6,600 characters, each at most one byte of text.
constexpr int PRINTED_TEXT_CAPACITY = 8192;

struct Printer {
    char text[PRINTED_TEXT_CAPACITY];  // printed in the last frame
    int32_t length;
    bool afterCarriageReturn;  // a line feed now only ends the line the return ended
};

// At a frame's start: nothing printed in it yet.
void startPrinterFrame(Printer& printer);

// A character strobed out to the printer: printable ASCII is kept as it is,
// a carriage return ends the line, and a line feed too unless it follows a
// return; other codes print nothing.
void printerStrobe(Printer& printer, uint8_t code);

// What a read of the status port gives: bit 0 low, ready; the other bits are
// not driven.
constexpr uint8_t printerStatus() { return static_cast<uint8_t>(0xFF & ~PRINTER_BUSY); }
