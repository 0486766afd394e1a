// The prefixed sets for callers that hold the state itself.
#include "z80/cb.h"
#include "z80/index.h"

void executeCB(Z80State& s) { z80::runCB(s); }
void executeIndex(Z80State& s, uint16_t& index) { z80::runIndex(s, index); }
void executeIndexCB(Z80State& s, uint16_t index) { z80::runIndexCB(s, index); }
