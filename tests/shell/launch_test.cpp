// Real VZ200 software launched through tessel-run as its users ran it, on
// the machine's own ROM: skipped where the folder of it is absent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "machine/vz_file.h"
#include "tests/support/files.h"
#include "tests/support/tessel_run.h"

namespace {

namespace fs = std::filesystem;

// The text screen in lower case with the cursor and other inverse
// non-letters as spaces: the ROM's text however --print-screen shows its case.
std::string plainScreen(const RunResult& run)
{
    std::string screen = run.out;
    for (char& c : screen) c = c == '~' ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return screen;
}

struct LaunchTest : ::testing::Test {
    void SetUp() override
    {
        dir = machineFilesFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        if (dir.empty()) GTEST_SKIP() << "no " << REAL_SOFTWARE.string() << ": no real VZ200 software to launch";
    }
    fs::path dir;
};

// Each BASIC program clears BASIC's screen, so RUN was typed, and shows no
// BASIC error; loaded with --load and RUN typed, three of them stop with one.
TEST_F(LaunchTest, BasicProgramsRunWithNoError)
{
    int launched = 0;
    for (const auto& entry : fs::directory_iterator(REAL_SOFTWARE / "programs")) {
        std::string name = entry.path().filename().string();
        if (!name.starts_with("basic-")) continue;
        ++launched;
        RunResult run = runTesselRun(dir, "--fast --run '" + entry.path().string() + "' --frames 600 --print-screen");
        EXPECT_EQ(run.status, 0) << name << ": " << run.err;
        std::string screen = plainScreen(run);
        EXPECT_EQ(screen.find("error"), std::string::npos) << name << "\n" << screen;
        EXPECT_EQ(screen.find("video technology"), std::string::npos) << name << "\n" << screen;
    }
    EXPECT_EQ(launched, 7);
}

// A program typed into BASIC and saved launches in a fresh run, runs, and
// lists as it was typed, even with its first line's link spoilt, which the
// launch mends as CLOAD does.
TEST_F(LaunchTest, SavedProgramLaunchesBackToTheSameListing)
{
    RunResult typed = runTesselRun(dir, "--fast --type '10 PRINT \"SAVED\"\\n20 END\\n' --save-program 'my prog.vz' "
                                        "--print-screen");
    ASSERT_EQ(typed.status, 0) << typed.err;
    Bytes file = readFile(dir / "my prog.vz");
    ASSERT_GT(file.size(), size_t(VZ_HEADER_SIZE));
    EXPECT_STREQ(reinterpret_cast<const char*>(file.data() + VZ_NAME_OFFSET), "MY PROG");
    auto first = std::find_if(typed.lines.begin(), typed.lines.end(), [](const std::string& line) {
        return line.find("print") != std::string::npos || line.find("PRINT") != std::string::npos;
    });
    ASSERT_GE(std::distance(first, typed.lines.end()), 2) << typed.out;
    std::vector<std::string> program(first, first + 2);

    file[VZ_HEADER_SIZE] = 0x01;
    file[VZ_HEADER_SIZE + 1] = 0x00;
    writeFile(dir / "spoilt.vz", file);
    for (const char* launched : {"'my prog.vz'", "spoilt.vz"}) {
        RunResult listed =
            runTesselRun(dir, std::string("--fast --run ") + launched + " --type-at 150 --type 'LIST\\n' --print-screen");
        ASSERT_EQ(listed.status, 0) << listed.err;
        EXPECT_NE(plainScreen(listed).find("\nsaved"), std::string::npos) << launched << "\n" << listed.out;
        auto at = std::search(listed.lines.begin(), listed.lines.end(), program.begin(), program.end());
        EXPECT_NE(at, listed.lines.end()) << launched << "\n" << listed.out;
    }
}

// What is no BASIC program at BASIC's start goes in as data, and a save with
// no BASIC program is refused, each with one line that says why.
TEST_F(LaunchTest, DataAndRefusalsSayWhy)
{
    fs::path openRom = scratchDirectory("launch-open-rom");
    std::string data = (dir / "data.vz").string();
    writeVz(data, 0xF0, 0x8000, {1, 2, 3});
    const struct {
        fs::path folder;
        std::string arguments;
        int status;
        std::string line;
    } runs[] = {
        {dir, "--run " + data, 0, "tessel: " + data + " loaded as data: it is no BASIC program at BASIC's program start"},
        {openRom, "--run " + data, 0, "tessel: " + data + " loaded as data: this ROM has no BASIC to run it"},
        {dir, "--save-program none.vz", 1, "tessel-run: --save-program none.vz: BASIC holds no program to save"},
        {openRom, "--save-program none.vz", 1,
         "tessel-run: --save-program none.vz: this ROM has no BASIC, so there is no BASIC program to save"},
    };
    for (const auto& run : runs) {
        RunResult result = runTesselRun(run.folder, "--fast --frames 120 " + run.arguments);
        EXPECT_EQ(result.status, run.status) << run.arguments;
        EXPECT_NE(result.err.find(run.line + "\n"), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(run.folder / "none.vz"));
    }
}

}  // namespace
