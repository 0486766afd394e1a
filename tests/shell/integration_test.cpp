// The whole program on the headless host with the open ROM: through the
// tessel-run command line, and in this process where the machine's state
// must be watched frame by frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "machine/dik.h"
#include "machine/snapshot.h"
#include "machine/vz200.h"
#include "rom/open_rom.h"
#include "shell/emulator.h"
#include "shell/main_window.h"
#include "shell/resources.h"
#include "hosts/headless/png_file.h"
#include "tests/support/files.h"
#include "tests/support/shell_reset.h"
#include "tests/support/tessel_run.h"

namespace {

namespace fs = std::filesystem;

std::string program(const char* name) { return std::string("'" TESSEL_PROGRAMS "/") + name + "'"; }

struct Picture {
    std::vector<uint32_t> pixels = std::vector<uint32_t>(320 * 240);
    int width = 0, height = 0;
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

Picture readPicture(const fs::path& path)
{
    Picture p;
    EXPECT_TRUE(readPng(path.string().c_str(), p.pixels.data(), 320 * 240, p.width, p.height));
    EXPECT_EQ(p.width, 320);
    EXPECT_EQ(p.height, 240);
    return p;
}

std::string padded(const std::string& text) { return text + std::string(32 - text.size(), ' '); }

struct IntegrationTest : ::testing::Test {
    void SetUp() override { dir = scratchDirectory(::testing::UnitTest::GetInstance()->current_test_info()->name()); }
    fs::path dir;
};

TEST_F(IntegrationTest, OpenRomBootsAndEchoesATypedLine)
{
    RunResult run = runTesselRun(dir, "--fast --type 'HELLO\\n' --print-screen --screenshot screen.png");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("built-in open ROM"), std::string::npos);
    ASSERT_EQ(run.lines.size(), 16u) << run.out;
    EXPECT_EQ(run.lines[0], padded("TESSEL OPEN ROM 1.0"));
    int row = -1;
    for (int i = 0; i < 16; ++i) {
        if (run.lines[i].rfind(">HELLO", 0) == 0) row = i;
    }
    ASSERT_GE(row, 0) << run.out;
    EXPECT_EQ(run.lines[row + 1], padded("WHAT?"));

    // On the picture: the cell of the typed H is glyph 0x48 of the open font.
    std::memcpy(vz200.fontImage, openFontImage, sizeof vz200.fontImage);
    buildGlyphAtlas(vz200);
    Picture picture = readPicture(dir / "screen.png");
    const int code = 0x48, column = 1;
    for (int y = 0; y < TEXT_CELL_HEIGHT; ++y) {
        for (int x = 0; x < CELL_WIDTH; ++x) {
            uint32_t atlas = vz200.glyphAtlas[(12 * (code / 32) + y) * ATLAS_WIDTH + 8 * (code % 32) + x];
            ASSERT_EQ(picture.at(BORDER_LEFT + 8 * column + x, BORDER_TOP + 12 * row + y), atlas) << x << "," << y;
        }
    }
    EXPECT_EQ(picture.at(0, 0), videoPalette.black);
}

TEST_F(IntegrationTest, ColourCardShowsGraphicsModeInBothSets)
{
    const uint32_t set0[] = {videoPalette.green, videoPalette.yellow, videoPalette.blue, videoPalette.red};
    const uint32_t set1[] = {videoPalette.buff, videoPalette.cyan, videoPalette.orange, videoPalette.magenta};
    for (int set = 0; set < 2; ++set) {
        SCOPED_TRACE(set);
        RunResult run = runTesselRun(dir, set ? "--fast --type 'C 1\\n' --screenshot card.png"
                                           : "--fast --type 'C\\n' --screenshot card.png");
        ASSERT_EQ(run.status, 0) << run.err;
        Picture picture = readPicture(dir / "card.png");
        const uint32_t* colours = set ? set1 : set0;
        EXPECT_EQ(picture.at(0, 0), colours[0]);  // the border
        for (int bar = 0; bar < 4; ++bar) {
            EXPECT_EQ(picture.at(BORDER_LEFT + 64 * bar + 32, 120), colours[bar]) << bar;
        }
    }
}

TEST_F(IntegrationTest, LoadedGraphicsProgramDrawsItsBars)
{
    RunResult run = runTesselRun(dir, "--fast --load " + program("graphics_bars.vz") +
                                       " --load-at 60 --frames 62 --screenshot bars.png");
    ASSERT_EQ(run.status, 0) << run.err;
    Picture picture = readPicture(dir / "bars.png");
    EXPECT_EQ(picture.at(0, 0), videoPalette.green);  // border of colour set 0
    // Upper half: pixels green, yellow, blue, red, each 2 host pixels wide.
    const uint32_t bars[] = {videoPalette.green, videoPalette.yellow, videoPalette.blue, videoPalette.red};
    for (int x = 0; x < PICTURE_WIDTH; ++x) {
        ASSERT_EQ(picture.at(BORDER_LEFT + x, BORDER_TOP), bars[(x / 2) % 4]) << x;
        ASSERT_EQ(picture.at(BORDER_LEFT + x, BORDER_TOP + 95), bars[(x / 2) % 4]) << x;
        ASSERT_EQ(picture.at(BORDER_LEFT + x, BORDER_TOP + 96), videoPalette.red) << x;
        ASSERT_EQ(picture.at(BORDER_LEFT + x, BORDER_TOP + 191), videoPalette.red) << x;
    }
}

TEST_F(IntegrationTest, LoadedTextProgramShowsOnThePrintedScreen)
{
    RunResult run = runTesselRun(dir, "--fast --load " + program("hello_text.vz") + " --load-at 30 --frames 31 --print-screen");
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(run.lines.size(), 16u);
    EXPECT_EQ(run.lines[0], padded("TESSEL OK"));
    EXPECT_EQ(run.lines[1], padded(""));
    EXPECT_EQ(run.lines[15], padded("LINE 15"));
}

// The samples of a 16-bit mono WAV file as tessel-run writes it.
std::vector<int16_t> readWav(const fs::path& path, int& sampleRate)
{
    Bytes bytes = readFile(path);
    constexpr size_t HEADER = 44;
    EXPECT_GE(bytes.size(), HEADER);
    if (bytes.size() < HEADER) return {};
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(bytes[20] | bytes[21] << 8, 1) << "PCM";
    EXPECT_EQ(bytes[22] | bytes[23] << 8, 1) << "mono";
    EXPECT_EQ(bytes[34] | bytes[35] << 8, 16) << "bits";
    sampleRate = bytes[24] | bytes[25] << 8 | bytes[26] << 16 | bytes[27] << 24;
    std::vector<int16_t> samples((bytes.size() - HEADER) / 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>(bytes[HEADER + 2 * i] | bytes[HEADER + 2 * i + 1] << 8);
    }
    return samples;
}

TEST_F(IntegrationTest, AToneProgramIsHeardAtItsFrequencySymmetrically)
{
    RunResult run = runTesselRun(dir, "--fast --load " + program("tone.vz") + " --load-at 10 --frames 310 --wav tone.wav");
    ASSERT_EQ(run.status, 0) << run.err;
    int rate = 0;
    std::vector<int16_t> samples = readWav(dir / "tone.wav", rate);
    EXPECT_EQ(rate, 48000);
    ASSERT_EQ(samples.size(), 310u * 960);
    // Five seconds from frame 60 on: rising zero crossings, placed between
    // the samples on either side.
    std::vector<double> rising;
    int16_t high = 0, low = 0;
    for (size_t i = 60 * 960; i < samples.size(); ++i) {
        high = std::max(high, samples[i]);
        low = std::min(low, samples[i]);
        if (samples[i - 1] < 0 && samples[i] >= 0) rising.push_back(i - 1 + -samples[i - 1] / double(samples[i] - samples[i - 1]));
    }
    ASSERT_GT(rising.size(), 1000u);
    double frequency = (rising.size() - 1) * 48000.0 / (rising.back() - rising.front());
    EXPECT_NEAR(frequency, 1000.0, 1.0);  // 0.1 %
    EXPECT_GT(high, 14000);
    EXPECT_NEAR(high, -low, high / 50);
}

TEST_F(IntegrationTest, WritingTheLatchEveryInstructionStaysBounded)
{
    RunResult run = runTesselRun(dir, "--fast --load " + program("latch_storm.vz") + " --load-at 1 --frames 500 --wav storm.wav");
    ASSERT_EQ(run.status, 0) << run.err;
    int rate = 0;
    std::vector<int16_t> samples = readWav(dir / "storm.wav", rate);
    ASSERT_EQ(samples.size(), 480000u);
    for (int16_t sample : samples) ASSERT_LE(std::abs(int{sample}), 2 * 16000);
}

TEST_F(IntegrationTest, TheOpenRomClicksForEachKeyItTakes)
{
    // Keys go down at frames 50, 56 and 62; the ROM takes each in the frame after.
    RunResult run = runTesselRun(dir, "--fast --type 'AB\\n' --frames 100 --wav keys.wav");
    ASSERT_EQ(run.status, 0) << run.err;
    int rate = 0;
    std::vector<int16_t> samples = readWav(dir / "keys.wav", rate);
    ASSERT_EQ(samples.size(), 100u * 960);
    std::string heard;  // one letter a frame: c for a click, - for silence
    for (int frame = 0; frame < 100; ++frame) {
        int loudest = 0;
        for (int i = 0; i < 960; ++i) loudest = std::max(loudest, std::abs(int{samples[frame * 960 + i]}));
        heard += loudest > 8000 ? 'c' : loudest == 0 ? '-' : '.';
    }
    EXPECT_EQ(heard.find('c'), 49u) << heard;
    EXPECT_EQ(std::count(heard.begin(), heard.end(), 'c'), 3) << heard;
    EXPECT_EQ(heard.substr(0, 49), std::string(49, '-')) << heard;
}

TEST_F(IntegrationTest, ARunFromASavedStateGoesOnAsTheUnbrokenRun)
{
    const struct {
        const char* program;
        int n, m;
        bool halted, haltRan;  // at frame n
    } cases[] = {
        {"tone.vz", 60, 20, false, false},        // a frame ends inside the tone's loop
        {"halt_tone.vz", 60, 40, false, true},    // asleep in a HALT, woken by the frame interrupt
        {"halt_tone.vz", 82, 15, true, true},     // halted for good, the sound fading
    };
    for (const auto& [name, n, m, halted, haltRan] : cases) {
        SCOPED_TRACE(std::string(name) + " " + std::to_string(n));
        std::string script = "--fast --type 'AB\\n' --type-at 10 --load " + program(name) + " --load-at 40 ";
        auto frames = [](int count) { return " --frames " + std::to_string(count); };
        RunResult whole = runTesselRun(dir, script + frames(n + m) + " --screenshot whole.png --wav whole.wav --save-state whole.state");
        RunResult first = runTesselRun(dir, script + frames(n) + " --save-state first.state");
        RunResult second = runTesselRun(dir, "--fast --load-state first.state" + frames(m) +
                                                 " --screenshot second.png --wav second.wav --save-state second.state");
        ASSERT_EQ(whole.status + first.status + second.status, 0) << whole.err << first.err << second.err;
        Bytes atN = readFile(dir / "first.state");
        ASSERT_EQ(atN.size(), SNAPSHOT_SIZE);
        EXPECT_EQ((atN[SNAPSHOT_INTERRUPT_FLAGS_AT] & HALTED) != 0, halted);
        EXPECT_EQ(atN[SNAPSHOT_HALT_RAN_AT], haltRan);

        EXPECT_EQ(readPicture(dir / "whole.png").pixels, readPicture(dir / "second.png").pixels);
        int rate = 0;
        std::vector<int16_t> wholeSound = readWav(dir / "whole.wav", rate), secondSound = readWav(dir / "second.wav", rate);
        ASSERT_EQ(secondSound.size(), m * 960u);
        EXPECT_TRUE(std::equal(secondSound.begin(), secondSound.end(), wholeSound.end() - m * 960));
        EXPECT_NE(std::count(secondSound.begin(), secondSound.end(), 0), m * 960);  // there was sound to compare
        EXPECT_EQ(readFile(dir / "whole.state"), readFile(dir / "second.state"));
    }
    // Another system ROM in the folder: the snapshot is not for it.
    fs::copy_file(TESSEL_PROGRAMS "/tiny_rom.bin", dir / "vzrom.v20");
    RunResult refused = runTesselRun(dir, "--fast --load-state first.state --frames 1");
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.ends_with("\ntessel-run: --load-state first.state: this snapshot was saved with another "
                                      "system ROM\n")) << refused.err;
}

TEST_F(IntegrationTest, MachineFilesInTheCurrentDirectoryAreUsed)
{
    fs::copy_file(TESSEL_PROGRAMS "/tiny_rom.bin", dir / "vzrom.v20");
    RunResult run = runTesselRun(dir, "--fast --frames 3 --print-screen");
    ASSERT_EQ(run.status, 0) << run.err;
    // That ROM does not clear the screen: memory starts zero, code 0x00 is an
    // inverse '@'.
    EXPECT_EQ(run.lines.at(0), "ROM FILE" + std::string(24, '~'));
    EXPECT_EQ(run.err, "tessel: no vz200.fnt here, using the built-in open font\n");
}

TEST_F(IntegrationTest, StatsAreReported)
{
    RunResult run = runTesselRun(dir, "--fast --frames 20 --stats");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("frames: 20\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("emulated T-states: 1432000 "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("per frame (us): run "), std::string::npos) << run.out;
}

TEST_F(IntegrationTest, BadOptionsAndFilesFailWithOneLineNamingTheOption)
{
    const struct {
        const char* arguments;
        const char* line;
    } bad[] = {
        {"--frames", "--frames: a number must follow"},
        {"--frames 0", "--frames: not a frame number (1 or more): 0"},
        {"--frames 12x", "--frames: not a frame number (1 or more): 12x"},
        {"--frames 100000001", "--frames: too large (at most 100000000): 100000001"},
        {"--type-at 99999999999999999999", "--type-at: too large (at most 100000000): 99999999999999999999"},
        {"--load-at -3", "--load-at: not a frame number (1 or more): -3"},
        {"--load no-such-file.vz", "--load: cannot open the program file no-such-file.vz"},
        {"--type 'AB{'", "--type: no key of the machine types '{'"},
        {"--bogus", "--bogus: unknown option"},
        {"--screenshot /no/such/dir/x.png --fast --frames 1", "--screenshot: cannot write /no/such/dir/x.png"},
        {"--wav /no/such/dir/x.wav --fast --frames 1", "--wav: cannot write /no/such/dir/x.wav"},
        {"--save-state /no/such/dir/x --fast --frames 1", "--save-state: cannot write /no/such/dir/x"},
        {"--printer /no/such/dir/x.txt --fast --frames 1", "--printer: cannot write /no/such/dir/x.txt"},
        {"--joystick 3:up@1-2", "--joystick: not N:CONTROLS@FROM-TO with N 1 or 2: 3:up@1-2"},
        {"--joystick 1:up+jump@1-2", "--joystick: controls are up, down, left, right, fire and arm, joined by +: 1:up+jump@1-2"},
        {"--joystick 1:fire", "--joystick: no @FROM-TO after the controls: 1:fire"},
        {"--joystick 1:@1-2", "--joystick: controls are up, down, left, right, fire and arm, joined by +: 1:@1-2"},
        {"--joystick 1:up+@1-2", "--joystick: controls are up, down, left, right, fire and arm, joined by +: 1:up+@1-2"},
        {"--joystick 2:fire@9-3", "--joystick: the range ends before it starts: 2:fire@9-3"},
        {"--joystick 2:fire@0-3", "--joystick: not a frame number (1 or more): 0"},
    };
    for (const auto& [arguments, line] : bad) {
        RunResult run = runTesselRun(dir, arguments);
        EXPECT_EQ(run.status, 1) << arguments;
        // One line, before the machine was started.
        EXPECT_EQ(run.err, std::string("tessel-run: ") + line + "; see tessel-run --help\n") << arguments;
    }
}

// Each control of each stick, held through --joystick, pulls exactly its bit
// of its port low as the joystick interface's manual has it; port 0x20,
// read with IN A,(C) and another high byte, ANDs every line.
TEST_F(IntegrationTest, EachStickControlReadsOnItsPortAndBit)
{
    const struct {
        const char* held;
        int row;  // of the probe: 0x2E, 0x2D, 0x2B, 0x27
        int bit;
    } controls[] = {
        {"1:up", 0, 0}, {"1:down", 0, 1}, {"1:left", 0, 2}, {"1:right", 0, 3}, {"1:fire", 0, 4}, {"1:arm", 1, 4},
        {"2:up", 2, 0}, {"2:down", 2, 1}, {"2:left", 2, 2}, {"2:right", 2, 3}, {"2:fire", 2, 4}, {"2:arm", 3, 4},
    };
    for (const auto& [held, row, bit] : controls) {
        RunResult run = runTesselRun(dir, "--fast --load " + program("stick_probe.vz") + " --load-at 2 --joystick " +
                                              held + "@3-4 --frames 4 --print-screen");
        ASSERT_EQ(run.status, 0) << run.err;
        std::string pressed = "11111111";
        pressed[7 - bit] = '0';
        for (int line = 0; line < 4; ++line) {
            EXPECT_EQ(run.lines.at(line).substr(0, 8), line == row ? pressed : "11111111") << held << " line " << line;
        }
        EXPECT_EQ(run.lines.at(4).substr(0, 8), pressed) << held << " on port 0x20";
    }
    // Released after its frames.
    RunResult run = runTesselRun(dir, "--fast --load " + program("stick_probe.vz") +
                                          " --load-at 2 --joystick 1:up+fire@3-3 --frames 5 --print-screen");
    EXPECT_EQ(run.lines.at(0).substr(0, 8), "11111111");
}

// Real VZ200 software, where the folder of it is at hand: the machine's own
// ROM (and character set, unless a row leaves it out) in the run's folder,
// a row for each thing the machine does as the hardware does.
TEST_F(IntegrationTest, RealSoftwareRunsAsOnTheMachine)
{
    const fs::path software = TESSEL_SOFTWARE;
    if (!fs::exists(software / "machine" / "vzrom.v20")) GTEST_SKIP() << "no real VZ200 software at " << software;
    auto soft = [&](const char* name) { return " '" + (software / "programs" / name).string() + "'"; };
    auto blankCellPixel = [](const Picture& picture) { return picture.at(BORDER_LEFT + 8 * 20 + 3, BORDER_TOP + 12 * 10 + 5); };
    const struct {
        const char* what;
        std::string arguments;
        bool machineFont;
        std::function<void(const RunResult&)> check;
    } rows[] = {
        {"a demo waits for the field sync and goes on", "--load" + soft("demo-2018ad-part1.vz") + " --frames 200 --print-screen",
         true,
         [](const RunResult& run) {
             for (const std::string& line : run.lines) EXPECT_EQ(line.find("READY"), std::string::npos) << line;
         }},
        {"Extended BASIC returns to READY in text mode",
         "--load" + soft("extended-basic-2.vz") + " --frames 200 --print-screen --screenshot basic.png", true,
         [&](const RunResult& run) {
             EXPECT_EQ(run.lines.at(3), padded("READY"));
             EXPECT_EQ(readPicture(dir / "basic.png").at(0, 0), videoPalette.black);
         }},
        {"a one-bit player sounds once it runs", "--load" + soft("music-anteater.vz") + " --frames 200 --wav music.wav", true,
         [&](const RunResult&) {
             int rate = 0;
             std::vector<int16_t> samples = readWav(dir / "music.wav", rate);
             ASSERT_EQ(samples.size(), 200u * 960);
             int loudest = 0;
             for (size_t i = 110 * 960; i < samples.size(); ++i) loudest = std::max(loudest, std::abs(int{samples[i]}));
             EXPECT_GT(loudest, SPEAKER_AMPLITUDE / 4);
         }},
        {"LPRINT and LLIST reach the printer",
         "--type 'LPRINT \"TESSEL\";1+2\n10 PRINT \"HI\"\nLLIST\n' --printer printed.txt", true,
         [&](const RunResult&) {
             Bytes text = readFile(dir / "printed.txt");
             EXPECT_EQ(std::string(text.begin(), text.end()), "TESSEL 3 \n10 PRINT \"HI\"\n");
         }},
        {"the machine's ROM with its own character set", "--frames 120 --print-screen --screenshot own.png", true,
         [](const RunResult& run) { EXPECT_EQ(run.lines.at(3), padded("READY")); }},
        {"the machine's ROM with the built-in set shows the same light background",
         "--frames 120 --print-screen --screenshot builtin.png", false,
         [&](const RunResult& run) {
             EXPECT_EQ(run.lines.at(3), padded("READY"));
             EXPECT_EQ(blankCellPixel(readPicture(dir / "builtin.png")), blankCellPixel(readPicture(dir / "own.png")));
             EXPECT_NE(blankCellPixel(readPicture(dir / "builtin.png")), videoPalette.darkGreen);
         }},
    };
    fs::copy_file(software / "machine" / "vzrom.v20", dir / "vzrom.v20");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        fs::remove(dir / "vz200.fnt");
        if (row.machineFont) fs::copy_file(software / "machine" / "vz200.fnt", dir / "vz200.fnt");
        RunResult run = runTesselRun(dir, "--fast " + row.arguments);
        ASSERT_EQ(run.status, 0) << run.err;
        row.check(run);
    }
}

TEST_F(IntegrationTest, OutputPathsAreTriedWithoutLeavingAFile)
{
    for (const char* option : {"--screenshot", "--wav", "--save-state", "--printer"}) {
        RunResult refused = runTesselRun(dir, std::string(option) + " new.out --bogus");
        EXPECT_EQ(refused.status, 1) << option;
        EXPECT_FALSE(fs::exists(dir / "new.out")) << option;
        writeFile(dir / "old.out", {1, 2, 3});
        refused = runTesselRun(dir, std::string(option) + " old.out --bogus");
        EXPECT_EQ(fs::file_size(dir / "old.out"), 3u) << option;
    }
}

TEST_F(IntegrationTest, HelpAndVersion)
{
    RunResult help = runTesselRun(dir, "--help");
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--frames", "--fast", "--load", "--load-at", "--type", "--type-at", "--screenshot",
                               "--wav", "--load-state", "--save-state", "--print-screen", "--stats", "--help", "--version"}) {
        EXPECT_NE(help.out.find(std::string(" ") + option + " "), std::string::npos) << option;
    }
    EXPECT_NE(help.out.find("stop"), std::string::npos);
    EXPECT_EQ(runTesselRun(dir, "-h").out, help.out);

    RunResult version = runTesselRun(dir, "--version");
    EXPECT_EQ(version.status, 0);
    ASSERT_EQ(version.lines.size(), 1u);
    EXPECT_EQ(version.lines[0].rfind("tessel-run (Tessel) ", 0), 0u) << version.out;
}

// ---- In this process -----------------------------------------------------

struct InProcessTest : IntegrationTest {
    void SetUp() override
    {
        IntegrationTest::SetUp();
        resetProgram();
        startDirectory = fs::current_path();
        fs::current_path(dir);
    }
    void TearDown() override { fs::current_path(startDirectory); }
    fs::path startDirectory;
};

int echoedA()
{
    int count = 0;
    for (int i = 0; i < 512; ++i) count += vz200.memoryImage[VIDEO_MEMORY + i] == 0x41;  // 'A'
    return count;
}

TEST_F(InProcessTest, KeyHeldWhenTheApplicationLeavesKeepsTypingUntilItReturns)
{
    // The ROM echoes one A at the press, then repeats it while the key
    // stays down in the matrix.
    static int before, atPress, whileAway, afterReturn, later;
    headless.onPresent = [](int frame) {
        if (frame == 49) {
            before = echoedA();
            headlessSetKey(DIK_A, true);
        }
        if (frame == 52) {
            atPress = echoedA() - before;
            headlessSetActive(false);
            headlessSetKey(DIK_A, false);  // released while another application is in front
        }
        if (frame == 120) {
            whileAway = echoedA() - before;
            headlessSetActive(true);
        }
        if (frame == 125) afterReturn = echoedA();
        if (frame == 160) {
            later = echoedA();
            headlessClose();
        }
    };
    EXPECT_EQ(emulatorMain(), 1);
    EXPECT_EQ(atPress, 1);
    EXPECT_GT(whileAway, 1);
    EXPECT_EQ(later, afterReturn);
}

TEST_F(InProcessTest, ClosingTheWindowEndsTheRunningMachineInOrder)
{
    headless.onPresent = [](int frame) {
        if (frame == 60) headlessClose();
    };
    EXPECT_EQ(emulatorMain(), 1);
    EXPECT_EQ(headless.screen.presents, 60);
    EXPECT_EQ(headless.keyboard.closes, 1);
    EXPECT_EQ(headless.audio.closes, 1);
    EXPECT_EQ(heldBackBuffer(), nullptr);
    // The machine ran: the banner is on the screen.
    EXPECT_EQ(vz200.memoryImage[VIDEO_MEMORY], 0x54);  // 'T'
}

}  // namespace
