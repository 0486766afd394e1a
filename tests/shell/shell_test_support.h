// Puts the shell and the headless host back to their state at program start.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "machine/keyboard_matrix.h"
#include "shell/emulator.h"
#include "shell/host_headless.h"
#include "shell/host_keyboard.h"
#include "shell/main_window.h"

inline void resetShell()
{
    headlessReset();
    isActive = true;
    mainWindow = nullptr;
    keyboardDevice = nullptr;
    releaseBackBuffer();
    programPath[0] = '\0';
    std::memset(hostKeyState, 0, sizeof hostKeyState);
    keyboardMatrix = KeyboardMatrix{};
}

// A .vz file: 24-byte header with the type and load address, then the body.
inline void writeVz(const std::filesystem::path& path, uint8_t type, uint16_t address, const std::vector<uint8_t>& body)
{
    std::vector<uint8_t> bytes(24, 0);
    std::memcpy(bytes.data(), "VZF0TEST", 8);
    bytes[21] = type;
    bytes[22] = static_cast<uint8_t>(address & 0xFF);
    bytes[23] = static_cast<uint8_t>(address >> 8);
    bytes.insert(bytes.end(), body.begin(), body.end());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A fresh directory for one test's files.
inline std::filesystem::path scratchDirectory(const std::string& name)
{
    std::filesystem::path dir = std::filesystem::temp_directory_path() / ("tessel-shell-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}
