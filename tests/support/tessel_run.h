// Runs the tessel-run program of this build, as a user would from a shell.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct RunResult {
    int status;  // the exit status, -1 when it did not exit
    std::string out, err;
    std::vector<std::string> lines;  // out, line by line
};

// tessel-run with the arguments (already quoted for sh), in dir.
RunResult runTesselRun(const std::filesystem::path& dir, const std::string& arguments);
