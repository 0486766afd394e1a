// What the spine does to the machine as a whole, for every host: the start
// with the machine files of the current directory, and the commands a host
// offers beside the menu (the page's Reset, Save state and Restore state,
// tessel-run's snapshots). Each runs between two frames.
#pragma once

// Powers the machine on with "vzrom.v20" and "vz200.fnt" of the current
// directory, and one line on standard error for each that is missing (the
// built-in open ROM and font stand in).
void startMachine();

// The machine off and on again with the machine files of the current
// directory: what was in RAM is gone, as on the hardware. Text still waiting
// to be typed and a program waiting for its frame were meant for the machine
// that is gone, and are forgotten.
void resetMachine();

// A snapshot of the machine into the file at path; false when it cannot be
// written.
bool saveState(const char* path);

// The machine from the snapshot in the file at path, forgetting what a reset
// forgets; false, with reason set and the machine running on as it was,
// when it cannot be restored. The picture is the restored one from the next
// present on.
bool restoreState(const char* path, const char*& reason);
