#include "tests/support/files.h"

#include <fstream>
#include <iterator>

#include "machine/vz_file.h"

std::filesystem::path scratchDirectory(const std::string& name)
{
    std::filesystem::path dir = std::filesystem::temp_directory_path() / ("tessel-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

void writeFile(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes readFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

Bytes vzFile(uint8_t type, uint16_t address, const Bytes& body)
{
    uint8_t header[VZ_HEADER_SIZE];
    makeVzHeader(header, "TEST", type, address);
    Bytes file(header, header + VZ_HEADER_SIZE);
    for (uint8_t b : body) file.push_back(b);
    return file;
}

void writeVz(const std::filesystem::path& path, uint8_t type, uint16_t address, const Bytes& body)
{
    writeFile(path, vzFile(type, address, body));
}

const std::filesystem::path REAL_SOFTWARE = TESSEL_SOFTWARE;

std::filesystem::path machineFilesFolder(const std::string& name)
{
    std::filesystem::path machine = REAL_SOFTWARE / "machine";
    if (!std::filesystem::exists(machine / "vzrom.v20")) return {};
    std::filesystem::path dir = scratchDirectory(name);
    // Linked, never copied: the files are not ours.
    for (const char* file : {"vzrom.v20", "vz200.fnt"}) std::filesystem::create_symlink(machine / file, dir / file);
    return dir;
}
