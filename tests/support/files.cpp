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

Bytes wavFile(uint32_t rate, int bits, int channels, const Bytes& data, size_t announced)
{
    auto put = [](Bytes& out, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    };
    auto tag = [](Bytes& out, const char* text) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(text[i]));
    };
    uint32_t dataBytes = static_cast<uint32_t>(announced == SIZE_MAX ? data.size() : announced);
    uint32_t frameBytes = static_cast<uint32_t>(channels * bits / 8);
    Bytes file;
    tag(file, "RIFF");
    put(file, 36 + dataBytes, 4);
    tag(file, "WAVE");
    tag(file, "fmt ");
    put(file, 16, 4);
    put(file, 1, 2);  // PCM
    put(file, static_cast<uint32_t>(channels), 2);
    put(file, rate, 4);
    put(file, rate * frameBytes, 4);
    put(file, frameBytes, 2);
    put(file, static_cast<uint32_t>(bits), 2);
    tag(file, "data");
    put(file, dataBytes, 4);
    for (uint8_t b : data) file.push_back(b);
    return file;
}

std::filesystem::path machineSoftware() { return TESSEL_SOFTWARE; }

bool haveMachineSoftware() { return std::filesystem::exists(machineSoftware() / "machine" / "vzrom.v20"); }

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
