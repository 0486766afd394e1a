// Files for tests: a fresh folder per test, bytes written out, and program
// files (.vz) with the machine's header.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// An empty folder of the test's own under the temporary directory.
std::filesystem::path scratchDirectory(const std::string& name);

void writeFile(const std::filesystem::path& path, const Bytes& bytes);
// The whole file; nothing when it cannot be read.
Bytes readFile(const std::filesystem::path& path);

// A whole .vz file: the header our tools write, then the body.
Bytes vzFile(uint8_t type, uint16_t address, const Bytes& body);
void writeVz(const std::filesystem::path& path, uint8_t type, uint16_t address, const Bytes& body);

// The folder of real VZ200 software (the machine's ROM and font, programs),
// and a scratch folder that holds the machine's own ROM and font as
// tessel-run and the libretro core look for them; empty without that folder.
extern const std::filesystem::path REAL_SOFTWARE;
std::filesystem::path machineFilesFolder(const std::string& name);
