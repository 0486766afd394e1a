// File > Load: the Open request, then the chosen .vz file into memory, and
// the same load for one a host schedules before a given frame; the launch of
// a file dropped on the window, as its users ran it.
#pragma once

#include <cstddef>

#include "machine/launch.h"

constexpr int PROGRAM_PATH_SIZE = 260;  // the longest path the program takes, and its NUL

// A program waiting for its frame.
struct ScheduledLoad {
    int framesRun;    // frame steps since the start
    int beforeFrame;  // 0: none waits
    char path[PROGRAM_PATH_SIZE];
};

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

// The program at path is chosen as in File > Load before frame (counted
// from 1), or before the next one when that has gone by: its choice is
// posted once the frame before has run, so the load comes between the two
// frames at the same count. A path longer than the program takes is no
// choice.
void scheduleProgramLoad(const char* path, int frame);
// The scheduled program is not loaded after all.
void forgetScheduledLoad();
// A frame step has run: a program scheduled for the next frame is chosen.
void frameRanForScheduledLoad();
