// File > Load: the Open dialog, then the chosen .vz file into memory; and
// the same load for a file dropped on the window.
#pragma once

constexpr int PROGRAM_PATH_SIZE = 260;
extern char programPath[PROGRAM_PATH_SIZE];  // the last choice, offered again

void loadProgramFile();

// Loads the file as choosing it in File > Load would, and offers it at the
// next Load; a file that cannot be read changes nothing, the offer included.
// The path is shorter than PROGRAM_PATH_SIZE.
void loadDroppedProgram(const char* path);
