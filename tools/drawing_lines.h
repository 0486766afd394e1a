// Line reading shared by the build-time tools that turn text drawings into
// binaries: errors name the file and line and stop the build.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>

inline const char* inputPath = "";
inline int lineNumber = 0;

[[noreturn]] inline void fail(const char* message)
{
    std::fprintf(stderr, "%s:%d: %s\n", inputPath, lineNumber, message);
    std::exit(1);
}

// One line without its end; false at the end of the file.
inline bool readLine(std::FILE* file, char* line, size_t size)
{
    if (!std::fgets(line, static_cast<int>(size), file)) return false;
    ++lineNumber;
    size_t length = std::strlen(line);
    if (length == size - 1 && line[length - 1] != '\n') fail("line too long");
    while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r')) line[--length] = '\0';
    return true;
}
