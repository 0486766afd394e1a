// Tapes through tessel-run with the machine's own ROM: a line of BASIC saved
// with CSAVE and loaded with CLOAD into a freshly started machine, as .cvz
// and as .wav, clean or as a worn recording plays it; the sample tapes run
// with CRUN; a file that is no tape is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

#include "machine/wav_tape.h"
#include "tests/support/files.h"
#include "tests/support/tessel_run.h"

namespace {

namespace fs = std::filesystem;

// The printed screen in capitals, with ~ (inverse, and the ROM's
// punctuation as the printer shows it today) as a space.
std::string screenOf(const RunResult& run)
{
    std::string text;
    for (const std::string& line : run.lines) text += line + "\n";
    for (char& c : text) c = c == '~' ? ' ' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

struct TapeTest : ::testing::Test {
    void SetUp() override
    {
        dir = scratchDirectory(::testing::UnitTest::GetInstance()->current_test_info()->name());
        if (!haveMachineSoftware()) GTEST_SKIP() << "no " << machineSoftware() << ": the machine's ROM is needed";
        for (const char* file : {"vzrom.v20", "vz200.fnt"}) fs::copy_file(machineSoftware() / "machine" / file, dir / file);
    }

    // CLOAD from the tape in a fresh machine, then RUN in the machine that
    // loaded it: the screen after.
    std::string loadAndRun(const std::string& tape)
    {
        RunResult load = runTesselRun(dir, "--fast --tape-in '" + tape + "' --type 'CLOAD\\n' --save-state loaded.state");
        EXPECT_EQ(load.status, 0) << load.err;
        RunResult run = runTesselRun(dir, "--fast --load-state loaded.state --type 'RUN\\n' --type-at 1 --frames 60 --print-screen");
        EXPECT_EQ(run.status, 0) << run.err;
        return screenOf(run);
    }

    fs::path dir;
};

// A recording as a worn tape and another deck give it back: scaled, shifted
// off the middle, with hiss; at half the rate (each sample the mean of two);
// as 8-bit stereo.
struct Wear {
    const char* what;
    double scale, offset, hiss;
    int rateDivider, bits, channels;
};

Bytes wornRecording(const Bytes& wav, const Wear& wear)
{
    std::vector<double> samples;
    for (size_t at = WAV_HEADER_SIZE; at + 1 < wav.size(); at += 2) {
        samples.push_back(static_cast<int16_t>(wav[at] | wav[at + 1] << 8));
    }
    uint32_t noise = 12345;
    auto uniform = [&] {
        noise = noise * 1103515245u + 12345u;
        return static_cast<double>(noise >> 8) / (1u << 24) - 0.5;
    };
    Bytes data;
    for (size_t i = 0; i + wear.rateDivider <= samples.size(); i += wear.rateDivider) {
        double sum = 0;
        for (int k = 0; k < wear.rateDivider; ++k) sum += samples[i + k];
        // Four uniform draws make a near-Gaussian hiss of the given spread.
        double hiss = (uniform() + uniform() + uniform() + uniform()) * wear.hiss * std::sqrt(3.0);
        double value = std::clamp(sum / wear.rateDivider * wear.scale + wear.offset + hiss, -32768.0, 32767.0);
        auto bits = static_cast<uint16_t>(static_cast<int16_t>(value));
        for (int channel = 0; channel < wear.channels; ++channel) {
            if (wear.bits == 8) {
                data.push_back(static_cast<uint8_t>((bits >> 8) ^ 0x80));
            } else {
                data.push_back(static_cast<uint8_t>(bits));
                data.push_back(static_cast<uint8_t>(bits >> 8));
            }
        }
    }
    return wavFile(TAPE_WAV_RATE / wear.rateDivider, wear.bits, wear.channels, data);
}

TEST_F(TapeTest, ALineSavedWithCsaveLoadsWithCloadAndRuns)
{
    const char* typed = "--type '10 PRINT \"HELLO TAPE\"\\nCSAVE \"T\"\\n' --frames 700";
    for (const char* tape : {"saved.cvz", "saved.wav"}) {
        RunResult save = runTesselRun(dir, std::string("--fast ") + typed + " --tape-out " + tape);
        ASSERT_EQ(save.status, 0) << save.err;
        std::string screen = loadAndRun(tape);
        EXPECT_NE(screen.find("\nHELLO TAPE "), std::string::npos) << tape << ":\n" << screen;
    }
    const Wear wears[] = {
        {"scaled, off the middle, hissing", 0.6, 6000, 1500, 1, 16, 1},
        {"upside down, at 24 kHz, 8-bit stereo", -0.5, -3000, 800, 2, 8, 2},
    };
    Bytes recording = readFile(dir / "saved.wav");
    for (const Wear& wear : wears) {
        std::string worn = std::string("worn-") + std::to_string(&wear - wears) + ".wav";
        writeFile(dir / worn, wornRecording(recording, wear));
        std::string screen = loadAndRun(worn);
        EXPECT_NE(screen.find("\nHELLO TAPE "), std::string::npos) << wear.what << ":\n" << screen;
    }
}

TEST_F(TapeTest, TheSampleTapesRunWithCrun)
{
    const struct {
        const char* tape;
        const char* shows;
    } tapes[] = {
        {"demo-tape-bar-chart-1.cvz", "BAR CHART"},
        {"demo-tape-bar-chart-2.cvz", "ENTER AMOUNT FOR"},
    };
    for (const auto& sample : tapes) {
        fs::path tape = machineSoftware() / "tapes" / sample.tape;
        RunResult run = runTesselRun(dir, "--fast --tape-in '" + tape.string() + "' --type 'CRUN\\n' --frames 1500 --print-screen");
        ASSERT_EQ(run.status, 0) << run.err;
        std::string screen = screenOf(run);
        EXPECT_NE(screen.find(sample.shows), std::string::npos) << sample.tape << ":\n" << screen;
        EXPECT_EQ(screen.find("ERROR"), std::string::npos) << sample.tape << ":\n" << screen;
    }
}

TEST(TapeRun, AFileThatIsNoTapeIsRefusedBeforeTheRun)
{
    fs::path dir = scratchDirectory("TapeRunRefused");
    writeFile(dir / "notes.cvz", {'1', '0', ' ', 'R', 'E', 'M'});
    RunResult run = runTesselRun(dir, "--fast --tape-in notes.cvz --print-screen");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "tessel-run: --tape-in notes.cvz: it is neither a .cvz nor a .wav tape\n");
    EXPECT_TRUE(run.out.empty());
}

}  // namespace
