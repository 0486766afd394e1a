// Machine snapshots: the CRC, the layout, a frame's EI delay resumed exactly,
// and bad input refused with its reason, the machine untouched.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "machine/crc32.h"
#include "machine/snapshot.h"
#include "machine/vz200.h"
#include "tests/support/files.h"

namespace {

namespace fs = std::filesystem;

void putWord(Bytes& b, size_t at, uint32_t word)
{
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(word >> 8 * i);
}

struct Snapshots : ::testing::Test {
    void SetUp() override
    {
        startDirectory = fs::current_path();
        // A folder of each test's own: ctest runs them side by side.
        fs::current_path(scratchDirectory(std::string("snapshots-") +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name()));
        clearMachine();
        powerOnMachine(nullptr, nullptr);
        vz200.keyboardMatrix = idleKeyboardRows();
        for (int frame = 0; frame < 30; ++frame) runMachineFrame(nullptr);
    }
    void TearDown() override { fs::current_path(startDirectory); }
    static Bytes save()
    {
        Bytes bytes(SNAPSHOT_SIZE);
        saveSnapshot(vz200, bytes.data());
        return bytes;
    }
    fs::path startDirectory;
};

TEST(Crc32, IsTheCommonOneAndGoesOnOverPieces)
{
    const uint8_t text[] = "123456789";
    EXPECT_EQ(crc32(text, 9), 0xCBF43926u);
    EXPECT_EQ(crc32(text + 4, 5, crc32(text, 4)), 0xCBF43926u);
}

TEST_F(Snapshots, FieldsLieWhereTheLayoutSays)
{
    vz200.processor.PC = 0x1234;
    vz200.speaker.lastOutput = -2;
    vz200.memoryImage[0x6800] = 0xAB;
    Bytes saved = save();
    EXPECT_EQ(std::string(saved.begin(), saved.begin() + 13), std::string("TESSEL-STATE\2"));
    EXPECT_EQ(saved[SNAPSHOT_PC_AT] | saved[SNAPSHOT_PC_AT + 1] << 8, 0x1234);
    EXPECT_EQ(saved[SNAPSHOT_LATCH_AT], vz200.outputLatch);
    EXPECT_EQ(Bytes(saved.begin() + SNAPSHOT_FILTER_OUTPUT_AT, saved.begin() + SNAPSHOT_MEMORY_AT), Bytes({0xFE, 255, 255, 255, 255, 255, 255, 255}));
    EXPECT_EQ(saved[SNAPSHOT_MEMORY_AT], 0xAB);
}

TEST_F(Snapshots, ASnapshotBetweenTheTwoCallsOfAnEiDelayRunsOnAsUnbroken)
{
    // The machine raises no request of its own. With one pending, each EI
    // lets one more instruction run, then runFrame returns with the frame's
    // budget partly left, and the next call goes on with it. The program:
    // LD A,1; LD (0x6800),A; EI; LD A,0x20; LD (0x6800),A; EI; JR to the start.
    const uint8_t program[] = {0x3E, 0x01, 0x32, 0x00, 0x68, 0xFB, 0x3E, 0x20, 0x32, 0x00, 0x68, 0xFB, 0x18, 0xF2};
    std::memcpy(vz200.memoryImage + 0x8000, program, sizeof program);
    vz200.processor.PC = 0x8000;
    vz200.processor.interruptRequest = VECTOR_LEAVE;
    for (int frame = 0; frame < 5; ++frame) runMachineFrame(nullptr);
    ASSERT_GT(vz200.processor.cyclesLeft, 0);
    ASSERT_LT(vz200.processor.cyclesLeft, CYCLES_PER_FRAME - 50);

    auto runOn = [] {
        std::vector<int16_t> heard;
        for (int frame = 0; frame < 8; ++frame) {
            runMachineFrame(nullptr);
            heard.insert(heard.end(), std::begin(vz200.speaker.samples), std::end(vz200.speaker.samples));
        }
        return heard;
    };
    Bytes saved = save();
    std::vector<int16_t> unbroken = runOn();
    Bytes atEnd = save();
    const char* reason = nullptr;
    ASSERT_TRUE(restoreSnapshot(vz200, saved.data(), saved.size(), reason)) << reason;
    EXPECT_EQ(runOn(), unbroken);
    EXPECT_EQ(save(), atEnd);
    EXPECT_NE(std::count(unbroken.begin(), unbroken.end(), 0), 8 * 960);
}

TEST_F(Snapshots, BadInputIsRefusedWithItsReasonAndChangesNothing)
{
    const Bytes good = save();
    static Vz200 before;
    std::memcpy(&before, &vz200, sizeof before);
    const char *cut = "this snapshot is cut short", *length = "this snapshot has the wrong length",
               *damaged = "this snapshot is damaged: its checksum does not match",
               *processor = "this snapshot's processor state is out of range",
               *speaker = "this snapshot's speaker state is out of range";
    // A good snapshot changed; those marked fixed get the checksum they then need.
    const struct {
        void (*change)(Bytes&);
        bool fixed;
        const char* reason;
    } bad[] = {
        {[](Bytes& b) { b.clear(); }, false, "the snapshot is empty"},
        {[](Bytes& b) { b[0] = 't'; }, false, "this is not a Tessel snapshot"},
        {[](Bytes& b) { b.resize(7); }, false, cut},
        {[](Bytes& b) { b.resize(SNAPSHOT_SIZE - 1); }, false, cut},
        {[](Bytes& b) { b.push_back(0); }, false, length},
        {[](Bytes& b) { putWord(b, SNAPSHOT_LENGTH_AT, SNAPSHOT_SIZE - 1); }, true, length},
        {[](Bytes& b) { putWord(b, SNAPSHOT_VERSION_AT, 3); }, true, "this snapshot is from a newer Tessel"},
        {[](Bytes& b) { putWord(b, SNAPSHOT_VERSION_AT, 1); }, true, length},
        {[](Bytes& b) { putWord(b, SNAPSHOT_VERSION_AT, 0); }, true, "this snapshot has a format version Tessel never wrote"},
        {[](Bytes& b) { b[SNAPSHOT_SIZE - 1] ^= 0x80; }, false, damaged},
        {[](Bytes& b) { b[SNAPSHOT_ROM_CRC_AT] ^= 1; }, true, "this snapshot was saved with another system ROM"},
        {[](Bytes& b) { b[SNAPSHOT_FONT_CRC_AT] ^= 1; }, true, "this snapshot was saved with another character generator"},
        {[](Bytes& b) { putWord(b, SNAPSHOT_FRAME_CYCLES_AT, CYCLES_PER_FRAME / 2); }, true, processor},
        {[](Bytes& b) { putWord(b, SNAPSHOT_BUDGET_AT, CYCLES_PER_FRAME + 1); }, true, processor},
        {[](Bytes& b) { putWord(b, SNAPSHOT_BUDGET_AT, static_cast<uint32_t>(-65)); }, true, processor},
        {[](Bytes& b) { putWord(b, SNAPSHOT_EI_BUDGET_AT, 0x7FFFFFFF); }, true, processor},
        {[](Bytes& b) { b[SNAPSHOT_FRAME_VECTOR_AT] = 0x66; }, true, processor},
        {[](Bytes& b) { putWord(b, SNAPSHOT_ZERO_COST_AT, static_cast<uint32_t>(-CYCLES_PER_FRAME - 1)); }, true, processor},
        {[](Bytes& b) { b[SNAPSHOT_INTERRUPT_FLAGS_AT] = IM1 | IM2; }, true, processor},
        {[](Bytes& b) { b[SNAPSHOT_HALT_RAN_AT] = 2; }, true, processor},  // neither true nor false
        {[](Bytes& b) { b[SNAPSHOT_SPEAKER_AT] = 2; }, true, speaker},  // level
        {[](Bytes& b) { putWord(b, SNAPSHOT_SPEAKER_POSITION_AT, 960 * 895 + 1); }, true, speaker},
        {[](Bytes& b) { b[SNAPSHOT_SAMPLE_SUMS_AT] = 1; }, true, speaker},  // ahead of position
        {[](Bytes& b) { putWord(b, SNAPSHOT_FILTER_INPUT_AT, 16001); }, true, speaker},
        {[](Bytes& b) { b[SNAPSHOT_FILTER_OUTPUT_AT + 7] = 0x40; }, true, speaker},
        {[](Bytes& b) { b[SNAPSHOT_TAPE_CRC_AT] = 1; }, true, "this snapshot's tape state is out of range"},  // at rest
        {[](Bytes& b) { b[SNAPSHOT_TAPE_INDEX_AT] = 1; }, true, "this snapshot's tape state is out of range"},  // past the end
    };
    for (const auto& [change, fixed, reason] : bad) {
        Bytes bytes = good;
        change(bytes);
        if (fixed) putWord(bytes, SNAPSHOT_CRC_AT, snapshotChecksum(bytes.data(), bytes.size()));
        const char* said = nullptr;
        EXPECT_FALSE(restoreSnapshot(vz200, bytes.data(), bytes.size(), said)) << reason;
        EXPECT_STREQ(said, reason);
        ASSERT_EQ(std::memcmp(&before, &vz200, sizeof before), 0) << reason;
    }

    const char* said = nullptr;
    for (size_t size = 0; size < SNAPSHOT_SIZE; ++size) ASSERT_FALSE(restoreSnapshot(vz200, good.data(), size, said)) << size;
    // One bit flipped: in every byte up to memory, and in some of memory.
    for (size_t at = 0; at < SNAPSHOT_SIZE; at += at < SNAPSHOT_MEMORY_AT ? 1 : 97) {
        Bytes bytes = good;
        bytes[at] ^= static_cast<uint8_t>(1 << at % 8);
        ASSERT_FALSE(restoreSnapshot(vz200, bytes.data(), bytes.size(), said)) << at;
        ASSERT_TRUE(at < SNAPSHOT_ROM_CRC_AT || said == std::string(damaged)) << at;
    }
    EXPECT_FALSE(restoreSnapshotFile(vz200, ".", said));
    EXPECT_STREQ(said, "the file cannot be read");
    EXPECT_FALSE(restoreSnapshotFile(vz200, "missing", said));
    EXPECT_STREQ(said, "the file cannot be opened");
    Bytes noise(10 << 20);
    std::generate(noise.begin(), noise.end(), std::mt19937(1));
    writeFile("noise", noise);
    EXPECT_FALSE(restoreSnapshotFile(vz200, "noise", said));
    EXPECT_STREQ(said, "this is not a Tessel snapshot");
    EXPECT_EQ(std::memcmp(&before, &vz200, sizeof before), 0);
}

// A tape of our own: a short leader, the sync bytes and a small BASIC file.
Bytes ownTape()
{
    Bytes tape(16, CVZ_LEADER);
    tape.insert(tape.end(), 5, CVZ_SYNC);
    for (int b : {0xF0, int{'O'}, 0, 0xE9, 0x7A, 0xEC, 0x7A, 0x11, 0x22, 0x33, 0x1C, 0x87}) tape.push_back(static_cast<uint8_t>(b));
    return tape;
}

// A tape's place is the snapshot's: a restore goes on playing from it, as
// rewind and run-ahead need, on that tape and no other.
TEST_F(Snapshots, TheTapeGoesOnFromItsPlaceOnTheSameTapeOnly)
{
    const char* reason = nullptr;
    Bytes tape = ownTape();
    ASSERT_TRUE(insertTape(vz200.tapeDeck, tape.data(), tape.size(), reason)) << reason;
    playTape(vz200.tapeDeck);
    for (int frame = 0; frame < 3; ++frame) runMachineFrame(nullptr);
    ASSERT_TRUE(vz200.tapeDeck.playing);
    Bytes saved = save();
    for (int frame = 0; frame < 3; ++frame) runMachineFrame(nullptr);
    Bytes unbroken = save();
    ASSERT_NE(unbroken, saved);
    ASSERT_TRUE(restoreSnapshot(vz200, saved.data(), saved.size(), reason)) << reason;
    for (int frame = 0; frame < 3; ++frame) runMachineFrame(nullptr);
    EXPECT_EQ(save(), unbroken);

    tape.back() ^= 1;  // another checksum: another tape
    ASSERT_TRUE(insertTape(vz200.tapeDeck, tape.data(), tape.size(), reason)) << reason;
    EXPECT_FALSE(restoreSnapshot(vz200, saved.data(), saved.size(), reason));
    EXPECT_STREQ(reason, "this snapshot was saved with another tape in the recorder");
}

// A snapshot of the first format, which ends with memory, restores with the
// later fields as at power-on.
TEST_F(Snapshots, AVersionOneSnapshotRestoresWithTheLaterFieldsAtRest)
{
    vz200.joystick.pressed[0] = 0x11;
    Bytes first = save();
    first.resize(SNAPSHOT_VERSION_1_SIZE);
    putWord(first, SNAPSHOT_VERSION_AT, 1);
    putWord(first, SNAPSHOT_LENGTH_AT, SNAPSHOT_VERSION_1_SIZE);
    putWord(first, SNAPSHOT_CRC_AT, snapshotChecksum(first.data(), first.size()));
    vz200.joystick.pressed[0] = 0;
    Bytes expected = save();
    const char* reason = nullptr;
    vz200.joystick.pressed[0] = 0x11;
    ASSERT_TRUE(restoreSnapshot(vz200, first.data(), first.size(), reason)) << reason;
    EXPECT_EQ(save(), expected);
}

}  // namespace
