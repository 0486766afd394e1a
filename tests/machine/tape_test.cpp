// The tape deck and its tapes: a played tape reaches bit 6 to the cycle, a
// file that is no tape is refused with the deck as it was, and what the ROM's
// CSAVE writes plays back from its .cvz level for level.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "machine/dik.h"
#include "machine/key_table.h"
#include "machine/launch.h"
#include "machine/vz200.h"
#include "tests/support/files.h"

namespace {

// A small program of our own as CSAVE writes it, with a short leader.
Bytes ownCvz()
{
    Bytes tape;
    for (int i = 0; i < 16; ++i) tape.push_back(CVZ_LEADER);
    for (int i = 0; i < 5; ++i) tape.push_back(CVZ_SYNC);
    for (int b : {0xF0, int{'O'}, int{'W'}, int{'N'}, 0, 0xE9, 0x7A, 0xEC, 0x7A, 0x11, 0x22, 0x33, 0x1C, 0xD6}) tape.push_back(static_cast<uint8_t>(b));
    for (int i = 0; i < 20; ++i) tape.push_back(0x00);
    return tape;
}

std::vector<int64_t> levelsOf(const TapeSignal& signal)
{
    std::vector<int64_t> levels;
    uint32_t index = 0;
    for (int64_t cycles; (cycles = nextTapeLevel(signal, index)) >= 0;) levels.push_back(cycles);
    return levels;
}

// The signal a .cvz plays, read by the codec alone.
std::vector<int64_t> cvzLevels(const Bytes& tape)
{
    static TapeSignal signal;
    TapeSignalWriter writer;
    beginTapeSignal(writer, &signal);
    CvzReader reader;
    beginCvz(reader);
    feedCvz(reader, tape.data(), tape.size(), writer);
    const char* reason = nullptr;
    EXPECT_TRUE(endCvz(reader, writer, reason)) << reason;
    return levelsOf(signal);
}

// 16-bit mono samples of one value.
Bytes flatSamples(int count) { return Bytes(2 * static_cast<size_t>(count), 0); }

TEST(TapeDeck, AFileThatIsNoTapeIsRefusedWithTheDeckAsItWas)
{
    clearMachine();
    const char* reason = nullptr;
    Bytes own = ownCvz();
    ASSERT_TRUE(insertTape(vz200.tapeDeck, own.data(), own.size(), reason)) << reason;
    playTape(vz200.tapeDeck);
    runMachineFrame(nullptr);
    const TapeDeck deckBefore = vz200.tapeDeck;
    const TapeStatus before = tapeStatus(vz200.tapeDeck);

    Bytes backwards = own;
    backwards[29] = 0x79;  // the end's high byte, below the start's
    Bytes twentyFourBits = wavFile(48000, 24, 1, Bytes(3000, 0));
    const struct {
        const char* what;
        Bytes bytes;
        const char* reason;
    } refused[] = {
        {"nothing", {}, "it is empty"},
        {"text", {'1', '0', ' ', 'R', 'E', 'M'}, "neither a .cvz nor a .wav"},
        {"a .cvz cut in its body", Bytes(own.begin(), own.begin() + 32), "cut short"},
        {"a .cvz of leader only", Bytes(300, CVZ_LEADER), "cut short"},
        {"a .cvz ending before it starts", backwards, "end address lies before"},
        {"a RIFF that is no WAVE", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '}, "neither a .cvz nor a .wav"},
        {"24-bit samples", twentyFourBits, "neither 8 nor 16 bits"},
        {"6 kHz", wavFile(6000, 16, 1, flatSamples(600)), "sample rate"},
        {"silence", wavFile(48000, 16, 1, flatSamples(48000)), "holds no tape"},
        {"a .wav cut short", wavFile(48000, 16, 1, flatSamples(100), 4000), "cut short"},
    };
    for (const auto& file : refused) {
        reason = nullptr;
        EXPECT_FALSE(insertTape(vz200.tapeDeck, file.bytes.data(), file.bytes.size(), reason)) << file.what;
        ASSERT_NE(reason, nullptr) << file.what;
        EXPECT_NE(std::strstr(reason, file.reason), nullptr) << file.what << ": " << reason;
        EXPECT_EQ(std::memcmp(&vz200.tapeDeck, &deckBefore, sizeof deckBefore), 0) << file.what;
        EXPECT_EQ(tapeStatus(vz200.tapeDeck).length, before.length) << file.what;
    }
}

TEST(TapeDeck, BitSixFollowsThePlayedSignalToTheCycleAndRestsWhenStoppedAndAfterIt)
{
    clearMachine();
    const char* reason = nullptr;
    Bytes own = ownCvz();
    ASSERT_TRUE(insertTape(vz200.tapeDeck, own.data(), own.size(), reason)) << reason;
    EXPECT_EQ(cassetteInput(vz200.tapeDeck, 0), WINDOW_CASSETTE_INPUT);  // stopped: the lead at rest
    playTape(vz200.tapeDeck);

    // Levels begin low: bit 6 reads 1, high reads 0.
    std::vector<int64_t> levels = cvzLevels(own);
    int64_t length = 0;
    for (int64_t cycles : levels) length += cycles;
    EXPECT_EQ(tapeStatus(vz200.tapeDeck).length, length);
    size_t level = 0;
    int64_t levelEnd = levels[0];
    int mismatches = 0;
    // One frame stopped on the way, from a moment the signal is high: the
    // lead rests, and the tape stays where it was.
    auto highAt = [&](int64_t t) {
        int64_t end = 0;
        for (size_t i = 0; i < levels.size(); ++i) {
            if (t < (end += levels[i])) return i % 2 == 1;
        }
        return false;
    };
    int64_t stoppedFrame = 1;
    while (!highAt(stoppedFrame * CYCLES_PER_FRAME)) ++stoppedFrame;
    const int64_t frames = length / CYCLES_PER_FRAME + 3;
    for (int64_t frame = 0, played = 0; frame < frames; ++frame) {
        if (frame == stoppedFrame) stopTape(vz200.tapeDeck);
        for (int32_t cycle = 0; cycle < CYCLES_PER_FRAME; cycle += 37) {
            uint8_t expected = WINDOW_CASSETTE_INPUT;
            if (frame != stoppedFrame) {
                int64_t t = played * CYCLES_PER_FRAME + cycle;
                while (level < levels.size() && t >= levelEnd) levelEnd += ++level < levels.size() ? levels[level] : 0;
                if (level < levels.size() && level % 2 == 1) expected = 0;
            }
            mismatches += cassetteInput(vz200.tapeDeck, cycle) != expected;
        }
        finishTapeFrame(vz200.tapeDeck);
        if (frame == stoppedFrame) playTape(vz200.tapeDeck);
        else ++played;
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_FALSE(tapeStatus(vz200.tapeDeck).playing);
    EXPECT_EQ(tapeStatus(vz200.tapeDeck).position, length);
}

// Keys for a frame of typing: each character held 3 frames, then 3 up.
void typeInFrame(const std::string& text, int frame, uint8_t keys[HOST_KEY_COUNT])
{
    std::memset(keys, 0, HOST_KEY_COUNT);
    size_t at = static_cast<size_t>(frame / 6);
    TypedKey typed{};
    if (frame < 0 || at >= text.size() || frame % 6 >= 3 || !keyForCharacter(text[at], typed)) return;
    keys[typed.keyCode] = HOST_KEY_DOWN;
    if (typed.shift) keys[DIK_LSHIFT] = HOST_KEY_DOWN;
}

TEST(TapeDeck, WhatTheRomsCsaveWritesPlaysBackFromItsCvzLevelForLevel)
{
    if (!haveMachineSoftware()) GTEST_SKIP() << "no " << machineSoftware() << ": the machine's ROM is needed";
    clearMachine();
    std::string rom = (machineSoftware() / "machine" / "vzrom.v20").string();
    std::string font = (machineSoftware() / "machine" / "vz200.fnt").string();
    ASSERT_TRUE(powerOnMachine(rom.c_str(), font.c_str()).romRead);
    recordTape(vz200.tapeDeck, vz200.outputLatch);
    uint8_t keys[HOST_KEY_COUNT];
    const int frames = 800;
    for (int frame = 0; frame < frames; ++frame) {
        typeInFrame("10 PRINT \"HELLO TAPE\"\nCSAVE \"T\"\n", frame - 50, keys);
        runMachineFrame(keys);
    }
    stopRecording(vz200.tapeDeck);
    EXPECT_EQ(tapeStatus(vz200.tapeDeck).recorded, int64_t{frames} * CYCLES_PER_FRAME);

    static uint8_t cvz[4096];
    size_t size = tapeRecordingAsCvz(cvz, sizeof cvz);
    // CSAVE's 255 leader bytes (ROM 0x355B), the last of them, then on.
    ASSERT_GT(size, 262u);
    EXPECT_EQ(Bytes(cvz + 254, cvz + 262), (Bytes{CVZ_LEADER, 0xFE, 0xFE, 0xFE, 0xFE, 0xFE, 0xF0, 'T'}));
    EXPECT_NE(std::string(cvz, cvz + size).find("HELLO TAPE"), std::string::npos);

    // The recording's first low is the rest before CSAVE and its last runs on
    // to the end; between them every level matches, but that each frame's end
    // drops what its last instruction ran over (up to 23 cycles).
    std::vector<int64_t> made = levelsOf(tapeRecording());
    std::vector<int64_t> played = cvzLevels(Bytes(cvz, cvz + size));
    ASSERT_EQ(made.size(), played.size());
    int shortened = 0, wrong = 0;
    for (size_t i = 1; i + 1 < made.size(); ++i) {
        int64_t lost = played[i] - made[i];
        shortened += lost > 0;
        wrong += lost < 0 || lost > 23;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_LE(shortened, frames);
}

// A tape launched: CRUN for a program of either kind, CLOAD for a file of
// another type, CRUN when no file can be read from the tape's start (read
// from its signal, as from a .wav's); nothing where the ROM has no BASIC.
TEST(TapeDeck, ALaunchedTapeTypesTheCommandItsFirstFileNeeds)
{
    Bytes basic = ownCvz(), code = ownCvz(), data = ownCvz();
    code[21] = 0xF1;
    data[21] = 0x41;
    Bytes hum(9600);
    for (size_t i = 0; i < hum.size(); ++i) hum[i] = i / 24 % 2 ? 0xF0 : 0x10;  // 1 kHz
    Bytes humming = wavFile(48000, 8, 1, hum);
    const struct {
        const char* what;
        Bytes tape;
        bool basicRom;
        const char* command;
        int firstType;
    } cases[] = {
        {"BASIC", basic, true, "CRUN\n", 0xF0},
        {"machine code", code, true, "CRUN\n", 0xF1},
        {"another type", data, true, "CLOAD\n", 0x41},
        {"a .wav of a hum", humming, true, "CRUN\n", -1},
        {"the open ROM", basic, false, nullptr, 0xF0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        clearMachine();
        powerOnMachine(nullptr, nullptr);
        // ROM 0x36BB: where CLOAD stores the loaded program's end, as the
        // launch looks for BASIC.
        if (c.basicRom) std::memcpy(vz200.memoryImage + 0x36BB, "\x22\xF9\x78", 3);
        const char* reason = nullptr;
        ASSERT_TRUE(insertTape(vz200.tapeDeck, c.tape.data(), c.tape.size(), reason)) << reason;
        TapeLaunch launch = tapeLaunch(vz200);
        EXPECT_STREQ(launch.command, c.command);
        EXPECT_EQ(launch.firstType, c.firstType);
    }
}

}  // namespace
