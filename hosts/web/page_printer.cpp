// The machine's printer for the page: what the last frame printed
// (machine/printer.h), which the page takes after every frame and keeps.
#include <emscripten/emscripten.h>

#include "machine/vz200.h"

// Printable ASCII and line ends only, never a 0: the page reads
// webPrintedLength bytes from here.
extern "C" EMSCRIPTEN_KEEPALIVE const char* webPrintedText() { return vz200.printer.text; }

extern "C" EMSCRIPTEN_KEEPALIVE int webPrintedLength() { return vz200.printer.length; }
