// File > Load: the Open dialog, then the chosen .vz file into memory.
#pragma once

constexpr int PROGRAM_PATH_SIZE = 260;
extern char programPath[PROGRAM_PATH_SIZE];  // the last choice, offered again

void loadProgramFile();
