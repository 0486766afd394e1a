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

// A PCM .wav of the sample bytes as the file holds them (little-endian,
// channels interleaved); its header may announce more bytes than follow.
Bytes wavFile(uint32_t rate, int bits, int channels, const Bytes& data, size_t announced = SIZE_MAX);

// The machine's own ROM, character set and software for trying things,
// beside the source tree, where they exist (not part of the project).
std::filesystem::path machineSoftware();
bool haveMachineSoftware();

// A whole .vz file: the header our tools write, then the body.
Bytes vzFile(uint8_t type, uint16_t address, const Bytes& body);
void writeVz(const std::filesystem::path& path, uint8_t type, uint16_t address, const Bytes& body);

// The folder of real VZ200 software (the machine's ROM and font, programs),
// and a scratch folder that holds the machine's own ROM and font as
// tessel-run and the libretro core look for them; empty without that folder.
extern const std::filesystem::path REAL_SOFTWARE;
std::filesystem::path machineFilesFolder(const std::string& name);
