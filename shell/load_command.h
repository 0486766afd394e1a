// File > Load: the Open request, then the chosen .vz file into memory; and
// the launch of a file dropped on the window, as its users ran it.
#pragma once

#include <cstddef>

#include "machine/launch.h"

constexpr int PROGRAM_PATH_SIZE = 260;  // the longest path the program takes, and its NUL

// Asks the host for a program file, offering the last choice.
void loadProgramFile();

// The answer: the file loads, and is offered at the next Load even when it
// cannot be read. A path longer than the program takes is no choice.
void programChosen(const char* path, size_t length);

// Launches the program at path (machine/launch.h) and queues RUN for
// typing after a BASIC program.
Launch launchProgram(const char* path);

// Launches the file, says on standard error when it went in as data, and
// offers it at the next Load; a file that cannot be read changes nothing,
// the offer included.
void loadDroppedProgram(const char* path, size_t length);
