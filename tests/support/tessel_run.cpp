#include "tests/support/tessel_run.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include <sys/wait.h>

RunResult runTesselRun(const std::filesystem::path& dir, const std::string& arguments)
{
    std::filesystem::path errFile = dir / "tessel-run.stderr";
    std::string command = "cd '" + dir.string() + "' && '" TESSEL_RUN "' " + arguments + " 2>'" + errFile.string() + "'";
    RunResult result{};
    std::FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.out.append(buffer, n);
    int raw = pclose(pipe);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream err(errFile);
    result.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);) result.lines.push_back(line);
    return result;
}
