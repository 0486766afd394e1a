#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "machine/vz200.h"
#include "tests/support/files.h"

namespace {

namespace fs = std::filesystem;

Bytes pattern(size_t size, int seed)
{
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 13 + seed + i / 251);
    return bytes;
}

// A .vz file whose header bytes before the type all hold fill.
Bytes vzFileFilled(uint8_t type, uint16_t address, const Bytes& body, uint8_t fill)
{
    Bytes file = vzFile(type, address, body);
    std::fill(file.begin(), file.begin() + VZ_TYPE_OFFSET, fill);
    return file;
}

class LoadersTest : public ::testing::Test {
protected:
    fs::path dir;
    Z80State& state = vz200.processor;
    Z80State stateBefore;
    Bytes memoryBefore;

    void SetUp() override
    {
        dir = scratchDirectory("loaders-" + std::to_string(getpid()));
        for (int a = 0; a < MEMORY_SIZE; ++a) vz200.memoryImage[a] = static_cast<uint8_t>(0x5A ^ (a >> 8));
        std::memset(vz200.fontImage, 0x33, sizeof vz200.fontImage);
        vz200.outputLatch = 0x10;
        std::memset(&state, 0x5A, sizeof state);
        state.PC = 0x1234;
        state.SP = 0x7F00;
        state.AF = 0xA5C3;
        state.interruptFlags = IFF1 | IFF2 | IM1 | HALTED;
        state.cyclesLeft = 777;
        std::memcpy(&stateBefore, &state, sizeof state);
        memoryBefore.assign(vz200.memoryImage, vz200.memoryImage + MEMORY_SIZE);
    }

    void TearDown() override { fs::remove_all(dir); }

    std::string write(const std::string& name, const Bytes& bytes)
    {
        fs::path path = dir / name;
        writeFile(path, bytes);
        return path.string();
    }

    // Every byte outside [from, from + expected.size()) as before, the rest as expected.
    void expectMemory(int from, const Bytes& expected)
    {
        for (int a = 0; a < MEMORY_SIZE; ++a) {
            int i = a - from;
            uint8_t want = i >= 0 && i < static_cast<int>(expected.size()) ? expected[i] : memoryBefore[a];
            ASSERT_EQ(vz200.memoryImage[a], want) << "address " << std::hex << a;
        }
        EXPECT_EQ(vz200.outputLatch, 0x10);
    }

    // Only PC and interruptFlags may differ from the state at the start.
    void expectState(uint16_t pc, uint8_t interruptFlags)
    {
        Z80State expected;
        std::memcpy(&expected, &stateBefore, sizeof expected);
        expected.PC = pc;
        expected.interruptFlags = interruptFlags;
        EXPECT_EQ(std::memcmp(&expected, &state, sizeof state), 0)
            << "PC " << std::hex << state.PC << " flags " << int(state.interruptFlags);
    }
};

TEST_F(LoadersTest, ShortRomLeavesFFInTheRest)
{
    Bytes rom = pattern(16000, 1);
    ASSERT_TRUE(loadRomImage(vz200, write("short.v20", rom).c_str()));
    rom.resize(16384, 0xFF);  // 0x3E80-0x3FFF
    expectMemory(0, rom);
}

TEST_F(LoadersTest, LongRomAndFontStopAtTheirSize)
{
    Bytes rom = pattern(20000, 2);
    ASSERT_TRUE(loadRomImage(vz200, write("long.v20", rom).c_str()));
    rom.resize(16384);
    expectMemory(0, rom);

    Bytes font = pattern(3100, 3);
    ASSERT_TRUE(loadFontImage(vz200, write("long.fnt", font).c_str()));
    EXPECT_EQ(Bytes(vz200.fontImage, vz200.fontImage + FONT_SIZE), Bytes(font.begin(), font.begin() + FONT_SIZE));
}

TEST_F(LoadersTest, ShortFontLeavesFFInTheRest)
{
    Bytes font = pattern(100, 4);
    ASSERT_TRUE(loadFontImage(vz200, write("short.fnt", font).c_str()));
    font.resize(FONT_SIZE, 0xFF);
    EXPECT_EQ(Bytes(vz200.fontImage, vz200.fontImage + FONT_SIZE), font);
}

TEST_F(LoadersTest, MissingFilesChangeNothing)
{
    std::string missing = (dir / "missing").string();
    EXPECT_FALSE(loadRomImage(vz200, missing.c_str()));
    EXPECT_FALSE(loadFontImage(vz200, missing.c_str()));
    EXPECT_FALSE(loadProgramFromPath(vz200, missing.c_str()));
    expectMemory(0, {});
    expectState(0x1234, IFF1 | IFF2 | IM1 | HALTED);
    for (uint8_t b : vz200.fontImage) ASSERT_EQ(b, 0x33);
}

TEST_F(LoadersTest, MachineCodeProgramMovesPCAndEndsTheHalt)
{
    Bytes body = pattern(300, 5);
    ASSERT_TRUE(loadProgramFromPath(vz200, write("run.vz", vzFile(0xF1, 0x8000, body)).c_str()));
    expectMemory(0x8000, body);
    expectState(0x8000, IFF1 | IFF2 | IM1);
}

TEST_F(LoadersTest, OtherTypesOnlyLoad)
{
    Bytes body = pattern(300, 6);
    // Bytes 0-20 of the header mean nothing, even when they hold 0xF1.
    ASSERT_TRUE(loadProgramFromPath(vz200, write("data.vz", vzFileFilled(0xF0, 0x8000, body, 0xF1)).c_str()));
    expectMemory(0x8000, body);
    expectState(0x1234, IFF1 | IFF2 | IM1 | HALTED);
}

TEST_F(LoadersTest, BodyIgnoresTheWriteProtection)
{
    Bytes body = pattern(0x6A00 - 0x3FF0, 7);  // ROM, protected area and keyboard window
    ASSERT_TRUE(loadProgramFromPath(vz200, write("low.vz", vzFile(0x00, 0x3FF0, body)).c_str()));
    expectMemory(0x3FF0, body);  // the latch stays as it was
}

TEST_F(LoadersTest, HeaderOnlyMovesPCOnly)
{
    ASSERT_TRUE(loadProgramFromPath(vz200, write("empty.vz", vzFile(0xF1, 0x9ABC, {})).c_str()));
    expectMemory(0, {});
    expectState(0x9ABC, IFF1 | IFF2 | IM1);
}

TEST_F(LoadersTest, FilesShorterThanTheHeaderAreRefused)
{
    Bytes header = vzFileFilled(0xF1, 0x8000, {}, 0x00);
    for (size_t size : {0, 1, 23}) {
        std::string path = write("short" + std::to_string(size) + ".vz", Bytes(header.begin(), header.begin() + size));
        EXPECT_FALSE(loadProgramFromPath(vz200, path.c_str())) << size;
    }
    expectMemory(0, {});
    expectState(0x1234, IFF1 | IFF2 | IM1 | HALTED);
}

TEST_F(LoadersTest, BodyStopsAtTheTopOfMemory)
{
    Bytes body = pattern(100, 8);
    ASSERT_TRUE(loadProgramFromPath(vz200, write("top.vz", vzFile(0xF0, 0xFFF0, body)).c_str()));
    expectMemory(0xFFF0, Bytes(body.begin(), body.begin() + 16));  // 0x0000-0x000F untouched
}

TEST_F(LoadersTest, EndlessFileIsReadOnlyToTheTopOfMemory)
{
    if (!fs::exists("/dev/zero")) GTEST_SKIP() << "no /dev/zero on this host";
    // Its header is all zeros: load address 0x0000, no run.
    ASSERT_TRUE(loadProgramFromPath(vz200, "/dev/zero"));
    expectMemory(0, Bytes(MEMORY_SIZE, 0));
    expectState(0x1234, IFF1 | IFF2 | IM1 | HALTED);
}

// Content handed over in memory (the libretro core's) loads by the same
// rules as a file: run, data, the top of memory, too short.
TEST_F(LoadersTest, BytesInMemoryLoadAsTheirFileWould)
{
    static Vz200 fromFile;
    const Bytes files[] = {vzFile(0xF1, 0x8000, pattern(300, 9)), vzFile(0xF0, 0xFFF0, pattern(100, 10)),
                           vzFile(0xF1, 0x9ABC, {}), Bytes(23, 0xF1)};
    for (const Bytes& file : files) {
        SetUp();
        bool fileLoaded = loadProgramFromPath(vz200, write("same.vz", file).c_str());
        std::memcpy(&fromFile, &vz200, sizeof vz200);
        SetUp();
        EXPECT_EQ(loadProgramFromMemory(vz200, file.data(), file.size()), fileLoaded) << file.size();
        EXPECT_EQ(std::memcmp(&fromFile, &vz200, sizeof vz200), 0) << file.size();
    }
}

TEST_F(LoadersTest, DirectoryIsRefused)
{
    std::string path = dir.string();
    EXPECT_FALSE(loadProgramFromPath(vz200, path.c_str()));
    EXPECT_FALSE(loadRomImage(vz200, path.c_str()));
    EXPECT_FALSE(loadFontImage(vz200, path.c_str()));
    expectMemory(0, {});
    expectState(0x1234, IFF1 | IFF2 | IM1 | HALTED);
    for (uint8_t b : vz200.fontImage) ASSERT_EQ(b, 0x33);
}

}  // namespace
