// Bad inputs, one case each, through the program's own paths: the machine
// files through startMachine in a folder of the test's making, program files
// through File > Load on the headless host.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "machine/vz200.h"
#include "rom/open_rom.h"
#include "shell/emulator.h"
#include "shell/frame_clock.h"
#include "shell/machine_commands.h"
#include "shell/main_window.h"
#include "tests/support/files.h"
#include "tests/support/shell_reset.h"
#include "tests/support/tessel_run.h"

namespace {

namespace fs = std::filesystem;

const char* const ROM_MISSING_LINE = "tessel: no vzrom.v20 here, running the built-in open ROM\n";
const char* const FONT_MISSING_LINE = "tessel: no vz200.fnt here, using the built-in open font\n";

Bytes pattern(size_t size, int seed)
{
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + seed + i / 253);
    return bytes;
}

// chmod 000 stops nobody who may read everything (root, as CI runs).
bool unreadableTo(const fs::path& path) { return ::access(path.c_str(), R_OK) != 0; }

// Bytes this process has read from files so far, or -1 where the host does
// not count them.
long long bytesReadSoFar()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value) {
        if (key == "rchar:") return value;
    }
    return -1;
}

class Catalogue : public ::testing::Test {
protected:
    fs::path dir;
    fs::path previousDirectory;
    Bytes memoryBefore;
    Z80State processorBefore{};

    void SetUp() override
    {
        dir = scratchDirectory(std::string("catalogue-") +
                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        previousDirectory = fs::current_path();
        fs::current_path(dir);
        resetProgram();
        // Memory that no machine file may reach.
        for (int a = 0; a < MEMORY_SIZE; ++a) vz200.memoryImage[a] = static_cast<uint8_t>(0xA5 ^ (a >> 6));
        std::memset(vz200.fontImage, 0x5A, sizeof vz200.fontImage);
    }

    void TearDown() override
    {
        fs::current_path(previousDirectory);
        std::error_code ignored;
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(dir, ignored);
    }

    // The program's start-up up to its first frame; what it said on stderr.
    std::string start()
    {
        createMainWindow();
        initFrameClock();
        EXPECT_TRUE(initHostKeyboard(shell.mainWindow));
        ::testing::internal::CaptureStderr();
        startMachine();
        std::string said = ::testing::internal::GetCapturedStderr();
        frameStep();  // whatever the files held, the machine runs
        EXPECT_EQ(headless.screen.presents, 1);
        return said;
    }

    void writeGoodRom() { writeFile(ROM_FILE, pattern(ROM_SIZE, 1)); }
    void writeGoodFont() { writeFile(FONT_FILE, pattern(FONT_SIZE, 2)); }

    void expectRom(const Bytes& expected)
    {
        ASSERT_EQ(expected.size(), static_cast<size_t>(ROM_SIZE));
        EXPECT_EQ(Bytes(vz200.memoryImage, vz200.memoryImage + ROM_SIZE), expected);
    }

    void expectFont(const Bytes& expected) { EXPECT_EQ(Bytes(vz200.fontImage, vz200.fontImage + FONT_SIZE), expected); }

    // A started machine with good files, and the state a load must respect.
    void startForLoading()
    {
        writeGoodRom();
        writeGoodFont();
        ASSERT_EQ(start(), "");
        memoryBefore.assign(vz200.memoryImage, vz200.memoryImage + MEMORY_SIZE);
        processorBefore = vz200.processor;
    }

    // File > Load, the chooser answered with path (or cancelled).
    void load(const char* path)
    {
        int shown = headless.chooser.shown;
        headlessAnswerChooser(path);
        headlessCommand(ID_FILE_LOAD);
        handleWaitingEvents();
        EXPECT_EQ(headless.chooser.shown, shown + 1);
    }

    // Memory as before except for the bytes at from; PC as given, the rest
    // of the processor as before, except that a program that runs also ends
    // a HALT.
    void expectLoaded(int from, const Bytes& body, uint16_t pc, bool runs = false)
    {
        for (int a = 0; a < MEMORY_SIZE; ++a) {
            int i = a - from;
            uint8_t want = i >= 0 && i < static_cast<int>(body.size()) ? body[i] : memoryBefore[a];
            ASSERT_EQ(vz200.memoryImage[a], want) << "address " << std::hex << a;
        }
        Z80State expected = processorBefore;
        expected.PC = pc;
        if (runs) expected.interruptFlags = static_cast<uint8_t>(expected.interruptFlags & ~HALTED);
        EXPECT_EQ(std::memcmp(&expected, &vz200.processor, sizeof expected), 0) << "PC " << std::hex << vz200.processor.PC;
    }

    void expectNothingLoaded() { expectLoaded(0, {}, processorBefore.PC); }
};

// ---- The system ROM ----------------------------------------------------------

TEST_F(Catalogue, MissingRomRunsTheOpenRomAndSaysSoOnce)
{
    writeGoodFont();
    EXPECT_EQ(start(), ROM_MISSING_LINE);
    expectRom(Bytes(openRomImage, openRomImage + ROM_SIZE));
}

TEST_F(Catalogue, EmptyRomReadsAsFF)
{
    writeFile(ROM_FILE, {});
    writeGoodFont();
    EXPECT_EQ(start(), "");
    expectRom(Bytes(ROM_SIZE, 0xFF));
}

TEST_F(Catalogue, ShortRomEndsInFF)
{
    Bytes rom = pattern(1000, 3);
    writeFile(ROM_FILE, rom);
    writeGoodFont();
    EXPECT_EQ(start(), "");
    rom.resize(ROM_SIZE, 0xFF);
    expectRom(rom);
}

TEST_F(Catalogue, LongRomLeavesItsSurplusUnread)
{
    Bytes above(vz200.memoryImage + ROM_SIZE, vz200.memoryImage + PROTECTED_END);
    Bytes rom = pattern(ROM_SIZE + 5000, 4);
    writeFile(ROM_FILE, rom);
    writeGoodFont();
    EXPECT_EQ(start(), "");
    rom.resize(ROM_SIZE);
    expectRom(rom);
    // The processor cannot write there, so the first frame changed nothing.
    EXPECT_EQ(Bytes(vz200.memoryImage + ROM_SIZE, vz200.memoryImage + PROTECTED_END), above);
}

TEST_F(Catalogue, RomThatIsAFolderCountsAsMissing)
{
    fs::create_directory(ROM_FILE);
    writeGoodFont();
    EXPECT_EQ(start(), ROM_MISSING_LINE);
    expectRom(Bytes(openRomImage, openRomImage + ROM_SIZE));
}

TEST_F(Catalogue, UnreadableRomCountsAsMissing)
{
    writeGoodRom();
    writeGoodFont();
    fs::permissions(ROM_FILE, fs::perms::none);
    if (!unreadableTo(ROM_FILE)) GTEST_SKIP() << "this user reads files without read permission (root)";
    EXPECT_EQ(start(), ROM_MISSING_LINE);
    expectRom(Bytes(openRomImage, openRomImage + ROM_SIZE));
}

// ---- The character generator -------------------------------------------------

TEST_F(Catalogue, MissingFontUsesTheOpenFontAndSaysSoOnce)
{
    writeGoodRom();
    EXPECT_EQ(start(), FONT_MISSING_LINE);
    expectFont(Bytes(openFontImage, openFontImage + FONT_SIZE));
}

TEST_F(Catalogue, EmptyFontReadsAsFF)
{
    writeGoodRom();
    writeFile(FONT_FILE, {});
    EXPECT_EQ(start(), "");
    expectFont(Bytes(FONT_SIZE, 0xFF));
}

TEST_F(Catalogue, ShortFontEndsInFF)
{
    writeGoodRom();
    Bytes font = pattern(FONT_SIZE - 1, 5);
    writeFile(FONT_FILE, font);
    EXPECT_EQ(start(), "");
    font.resize(FONT_SIZE, 0xFF);
    expectFont(font);
}

TEST_F(Catalogue, LongFontLeavesItsSurplusUnread)
{
    writeGoodRom();
    Bytes font = pattern(FONT_SIZE * 3, 6);
    writeFile(FONT_FILE, font);
    EXPECT_EQ(start(), "");
    font.resize(FONT_SIZE);
    expectFont(font);
}

TEST_F(Catalogue, FontThatIsAFolderCountsAsMissing)
{
    writeGoodRom();
    fs::create_directory(FONT_FILE);
    EXPECT_EQ(start(), FONT_MISSING_LINE);
    expectFont(Bytes(openFontImage, openFontImage + FONT_SIZE));
}

TEST_F(Catalogue, UnreadableFontCountsAsMissing)
{
    writeGoodRom();
    writeGoodFont();
    fs::permissions(FONT_FILE, fs::perms::none);
    if (!unreadableTo(FONT_FILE)) GTEST_SKIP() << "this user reads files without read permission (root)";
    EXPECT_EQ(start(), FONT_MISSING_LINE);
    expectFont(Bytes(openFontImage, openFontImage + FONT_SIZE));
}

TEST_F(Catalogue, BothMissingSayTwoLines)
{
    EXPECT_EQ(start(), std::string(ROM_MISSING_LINE) + FONT_MISSING_LINE);
}

// ---- Program files -----------------------------------------------------------

TEST_F(Catalogue, FolderChosenAsProgramChangesNothing)
{
    startForLoading();
    fs::create_directory("folder.vz");
    load((dir / "folder.vz").c_str());
    expectNothingLoaded();
}

// A file shorter than its header gives no load address to trust.
TEST_F(Catalogue, EmptyProgramChangesNothing)
{
    startForLoading();
    writeFile("empty.vz", {});
    load((dir / "empty.vz").c_str());
    expectNothingLoaded();
}

TEST_F(Catalogue, OneByteProgramChangesNothing)
{
    startForLoading();
    writeFile("one.vz", {0xF1});
    load((dir / "one.vz").c_str());
    expectNothingLoaded();
}

TEST_F(Catalogue, ProgramOneByteShortOfItsHeaderChangesNothing)
{
    startForLoading();
    Bytes header = vzFile(0xF1, 0x8000, {});
    header.pop_back();  // 23 bytes: type and the low byte of the address
    writeFile("short.vz", header);
    load((dir / "short.vz").c_str());
    expectNothingLoaded();
}

TEST_F(Catalogue, HeaderOnlyProgramMovesPCOnly)
{
    startForLoading();
    writeFile("header.vz", vzFile(0xF1, 0x9000, {}));
    load((dir / "header.vz").c_str());
    expectLoaded(0, {}, 0x9000, true);
}

TEST_F(Catalogue, OneByteBodyLandsAlone)
{
    startForLoading();
    writeFile("body.vz", vzFile(0xF0, 0x9000, {0xC9}));
    load((dir / "body.vz").c_str());
    expectLoaded(0x9000, {0xC9}, processorBefore.PC);
}

TEST_F(Catalogue, BodyPastTheTopStopsAtFFFF)
{
    startForLoading();
    Bytes body = pattern(40, 7);
    writeFile("top.vz", vzFile(0xF0, 0xFFF0, body));
    load((dir / "top.vz").c_str());
    expectLoaded(0xFFF0, Bytes(body.begin(), body.begin() + 16), processorBefore.PC);  // no wrap to 0x0000
}

TEST_F(Catalogue, HundredMegabyteFileIsReadOnlyToTheTopOfMemory)
{
    startForLoading();
    fs::path path = dir / "huge.vz";
    writeFile(path, vzFile(0xF1, 0x8000, {}));
    constexpr off_t HUGE_SIZE = 100LL * 1024 * 1024;
    ASSERT_EQ(::truncate(path.c_str(), HUGE_SIZE), 0);  // sparse: reads as zeros
    long long readBefore = bytesReadSoFar();
    load(path.c_str());
    long long readAfter = bytesReadSoFar();
    expectLoaded(0x8000, Bytes(0x8000, 0x00), 0x8000, true);
    if (readBefore < 0) GTEST_SKIP() << "no /proc/self/io to count the bytes read";
    // 32 KB of body and the header, with the stdio buffer's read-ahead.
    EXPECT_LT(readAfter - readBefore, 1024 * 1024);
}

// The Open dialog's buffer holds 260 bytes: 259 characters and the NUL.
fs::path pathOfLength(const fs::path& base, size_t length)
{
    fs::path path = base;
    while (path.string().size() + 1 + 100 + 8 < length) path /= std::string(99, 'd');
    size_t rest = length - path.string().size() - 1;
    return path / (std::string(rest - 3, 'p') + ".vz");
}

TEST_F(Catalogue, PathOfTheLongestLengthLoads)
{
    startForLoading();
    fs::path path = pathOfLength(dir, PROGRAM_PATH_SIZE - 1);
    ASSERT_EQ(path.string().size(), 259u);
    fs::create_directories(path.parent_path());
    writeFile(path, vzFile(0xF0, 0x9000, {1, 2, 3}));
    load(path.c_str());
    EXPECT_STREQ(shell.programPath, path.c_str());
    expectLoaded(0x9000, {1, 2, 3}, processorBefore.PC);
}

TEST_F(Catalogue, LongerPathsAreRefusedByTheDialog)
{
    startForLoading();
    std::strcpy(shell.programPath, "/previous/choice.vz");
    for (size_t length : {260, 261, 1000}) {
        SCOPED_TRACE(length);
        fs::path path = pathOfLength(dir, length);
        ASSERT_EQ(path.string().size(), length);
        fs::create_directories(path.parent_path());
        writeFile(path, vzFile(0xF1, 0x9000, {1, 2, 3}));
        load(path.c_str());
        // Nothing written past the buffer, nothing loaded, the last choice kept.
        EXPECT_STREQ(shell.programPath, "/previous/choice.vz");
        expectNothingLoaded();
    }
}

// tessel-run answers the dialog with its --load path: one the dialog would
// refuse must stop the run at the start, not let it go on without the load.
RunResult runLoading(const fs::path& dir, const fs::path& program)
{
    return runTesselRun(dir, "--fast --frames 60 --load-at 30 --load '" + program.string() + "'");
}

TEST_F(Catalogue, RunnerRefusesALoadPathTheDialogCannotTake)
{
    fs::path longest = pathOfLength(dir, PROGRAM_PATH_SIZE - 1);
    fs::path tooLong = pathOfLength(dir, PROGRAM_PATH_SIZE);
    for (const fs::path& path : {longest, tooLong}) {
        fs::create_directories(path.parent_path());
        writeFile(path, vzFile(0xF0, 0x9000, {1}));
    }
    RunResult run = runLoading(dir, longest);
    EXPECT_EQ(run.status, 0) << run.err;
    run = runLoading(dir, tooLong);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("--load: too long for the Open dialog"), std::string::npos) << run.err;
}

TEST_F(Catalogue, FileGoneBetweenDialogAndOpenChangesNothing)
{
    startForLoading();
    fs::path path = dir / "gone.vz";
    writeFile(path, vzFile(0xF1, 0x9000, {1, 2, 3}));
    headlessAnswerChooser(path.c_str());
    headlessCommand(ID_FILE_LOAD);
    // The scripted chooser does not look at the disk: a file removed before
    // the command is handled is, for the load, one lost right after the
    // user chose it.
    fs::remove(path);
    handleWaitingEvents();
    EXPECT_EQ(headless.chooser.shown, 1);
    EXPECT_STREQ(shell.programPath, path.c_str());
    expectNothingLoaded();
}

TEST_F(Catalogue, UnreadableProgramChangesNothing)
{
    startForLoading();
    fs::path path = dir / "locked.vz";
    writeFile(path, vzFile(0xF1, 0x9000, {1, 2, 3}));
    fs::permissions(path, fs::perms::none);
    if (!unreadableTo(path)) GTEST_SKIP() << "this user reads files without read permission (root)";
    load(path.c_str());
    expectNothingLoaded();
}

}  // namespace
