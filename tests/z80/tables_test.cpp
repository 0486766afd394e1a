// The flag and cycle tables: the values the rest of the processor leans on,
// and each table checked against its rule worked out a second way.
#include <gtest/gtest.h>

#include <bit>
#include <set>

#include "z80/tables.h"

namespace {

using namespace z80;

int bcd(int n) { return (n / 10) << 4 | (n % 10); }

TEST(FlagTables, HoldTheListedEntries)
{
    EXPECT_EQ(flagTableZS[0x00], 0x40);
    EXPECT_EQ(flagTableZS[0x80], 0x80);
    EXPECT_EQ(flagTableZS[0x7F], 0x00);
    EXPECT_EQ(flagTableZSP[0x00], 0x44);
    EXPECT_EQ(flagTableZSP[0x03], 0x04);
    EXPECT_EQ(flagTableZSP[0x01], 0x00);
    EXPECT_EQ(flagTableZSP[0xFF], 0x84);
}

TEST(FlagTables, CarrySignZeroAndParityOnly)
{
    for (int v = 0; v < 256; ++v) {
        uint8_t sz = static_cast<uint8_t>((v >= 0x80 ? 0x80 : 0) | (v == 0 ? 0x40 : 0));
        uint8_t parity = std::popcount(static_cast<unsigned>(v)) % 2 == 0 ? 0x04 : 0;
        EXPECT_EQ(flagTableZS[v], sz) << "ZS " << v;
        EXPECT_EQ(flagTableZSP[v], sz | parity) << "ZSP " << v;
    }
}

TEST(DaaTable, HoldsTheListedEntries)
{
    EXPECT_EQ(daaTable[0x000], 0x0044);
    EXPECT_EQ(daaTable[0x100], 0x6025);
    EXPECT_EQ(daaTable[0x09A], 0x0055);
    EXPECT_EQ(daaTable[0x00F + 0x200 + 0x400], 0x090E);  // after a subtraction, H set
}

// Adding or subtracting two decimal numbers in binary and adjusting must give
// the decimal answer and its carry or borrow, for every pair and carry in.
TEST(DaaTable, CorrectsEveryDecimalSumAndDifference)
{
    for (int x = 0; x < 100; ++x) {
        for (int y = 0; y < 100; ++y) {
            for (int c = 0; c < 2; ++c) {
                const int a = bcd(x), b = bcd(y);

                int sum = a + b + c;
                bool half = (a & 0x0F) + (b & 0x0F) + c > 0x0F;
                int index = (sum & 0xFF) + (sum > 0xFF ? 0x100 : 0) + (half ? 0x200 : 0);
                int expected = x + y + c;
                EXPECT_EQ(daaTable[index] >> 8, bcd(expected % 100)) << x << "+" << y << "+" << c;
                EXPECT_EQ(daaTable[index] & 0x01, expected >= 100 ? 1 : 0) << x << "+" << y << "+" << c;

                int diff = a - b - c;
                half = (a & 0x0F) - (b & 0x0F) - c < 0;
                index = (diff & 0xFF) + (diff < 0 ? 0x100 : 0) + (half ? 0x200 : 0) + 0x400;
                expected = x - y - c;
                EXPECT_EQ(daaTable[index] >> 8, bcd((expected + 100) % 100)) << x << "-" << y << "-" << c;
                EXPECT_EQ(daaTable[index] & 0x01, expected < 0 ? 1 : 0) << x << "-" << y << "-" << c;
            }
        }
    }
}

// Whole results, A and F, for cases worked out by hand: the corrections of
// 0x06 and 0x60, the half carry and borrow of applying them, and bits 3 and 5
// taken from the new A.
TEST(DaaTable, WorkedExamples)
{
    constexpr int C = 0x100, H = 0x200, N = 0x400;
    EXPECT_EQ(daaTable[0x00], 0x0044);           // Z and P/V
    EXPECT_EQ(daaTable[0x00 + C], 0x6025);       // +0x60: bit 5, P/V, C
    EXPECT_EQ(daaTable[0x15], 0x1500);           // already decimal
    EXPECT_EQ(daaTable[0x0A], 0x1010);           // +0x06 carries out of the low digit: H
    EXPECT_EQ(daaTable[0x9A], 0x0055);           // +0x66: Z, H, P/V, C
    EXPECT_EQ(daaTable[0x0F + N + H], 0x090E);   // -0x06 borrows nothing: bit 3, P/V, N
    EXPECT_EQ(daaTable[0xFF + N + H + C], 0x998F);  // -0x66: S, bit 3, P/V, N, C
}

// Zilog's count for every unprefixed opcode, by instruction class.
int zilogUnprefixedCount(int op)
{
    const int x = op >> 6, y = (op >> 3) & 7, z = op & 7, p = y >> 1, q = y & 1;
    if (x == 1) return op == 0x76 ? 4 : (y == 6 || z == 6) ? 7 : 4;
    if (x == 2) return z == 6 ? 7 : 4;
    if (x == 0) {
        switch (z) {
        case 0: return y == 0 || y == 1 ? 4 : y == 2 ? 8 : y == 3 ? 12 : 7;  // NOP, EX AF, DJNZ, JR, JR cc
        case 1: return q == 0 ? 10 : 11;                                    // LD rr,nn / ADD HL,rr
        case 2: return p < 2 ? 7 : p == 2 ? 16 : 13;                        // (BC),(DE) / (nn),HL / (nn),A
        case 3: return 6;
        case 4:
        case 5: return y == 6 ? 11 : 4;
        case 6: return y == 6 ? 10 : 7;
        default: return 4;
        }
    }
    switch (z) {
    case 0: return 5;  // RET cc, not taken
    case 1: return q == 0 ? 10 : (p == 0 ? 10 : p == 1 ? 4 : p == 2 ? 4 : 6);  // POP / RET EXX JP(HL) LD SP,HL
    case 2: return 10;
    case 3: {
        static const int counts[8] = {10, 0, 11, 11, 19, 4, 4, 4};  // JP CB OUT IN EX(SP) EX DE DI EI
        return counts[y];
    }
    case 4: return 10;  // CALL cc, not taken
    case 5: return q == 0 ? 11 : (p == 0 ? 17 : 0);  // PUSH / CALL, DD, ED, FD
    case 6: return 7;
    default: return 11;
    }
}

TEST(CycleTables, UnprefixedHoldsZilogsCountsWithTheBranchConvention)
{
    EXPECT_EQ(cyclesUnprefixed[0x76], 4);
    for (int prefix : {0xCB, 0xDD, 0xED, 0xFD}) EXPECT_EQ(cyclesUnprefixed[prefix], 0) << prefix;
    for (int op : {0x20, 0x28, 0x30, 0x38}) EXPECT_EQ(cyclesUnprefixed[op], 7) << "JR cc " << op;
    EXPECT_EQ(cyclesUnprefixed[0x10], 8) << "DJNZ";
    for (int cc = 0; cc < 8; ++cc) {
        EXPECT_EQ(cyclesUnprefixed[0xC0 + cc * 8], 5) << "RET cc";
        EXPECT_EQ(cyclesUnprefixed[0xC2 + cc * 8], 10) << "JP cc";
        EXPECT_EQ(cyclesUnprefixed[0xC4 + cc * 8], 10) << "CALL cc";
        EXPECT_EQ(cyclesUnprefixed[0xC7 + cc * 8], 11) << "RST";
    }
    for (int op = 0; op < 256; ++op) EXPECT_EQ(cyclesUnprefixed[op], zilogUnprefixedCount(op)) << "opcode " << op;
}

// Counts of every kind of CB instruction, and how many opcodes have each.
TEST(CycleTables, CBHoldsZilogsCounts)
{
    EXPECT_EQ(cyclesCB[0x00], 8);   // RLC B
    EXPECT_EQ(cyclesCB[0x37], 8);   // SLL A
    EXPECT_EQ(cyclesCB[0x47], 8);   // BIT 0,A
    EXPECT_EQ(cyclesCB[0xFF], 8);   // SET 7,A
    EXPECT_EQ(cyclesCB[0x06], 15);  // RLC (HL)
    EXPECT_EQ(cyclesCB[0x36], 15);  // SLL (HL)
    EXPECT_EQ(cyclesCB[0x46], 12);  // BIT 0,(HL)
    EXPECT_EQ(cyclesCB[0x7E], 12);  // BIT 7,(HL)
    EXPECT_EQ(cyclesCB[0x86], 15);  // RES 0,(HL)
    EXPECT_EQ(cyclesCB[0xFE], 15);  // SET 7,(HL)
    int counts[32] = {};
    for (uint8_t t : cyclesCB) ++counts[t];
    EXPECT_EQ(counts[8], 224);
    EXPECT_EQ(counts[12], 8);
    EXPECT_EQ(counts[15], 24);
}

TEST(CycleTables, EDHoldsCountsOnlyForImplementedNonRepeatingForms)
{
    int expected[256] = {};
    for (int op : {0x40, 0x48, 0x50, 0x58, 0x60, 0x68, 0x70, 0x78}) expected[op] = 12;  // IN r,(C)
    for (int op : {0x41, 0x49, 0x51, 0x59, 0x61, 0x69, 0x79}) expected[op] = 12;        // OUT (C),r
    for (int op : {0x42, 0x52, 0x62, 0x72, 0x4A, 0x5A, 0x6A, 0x7A}) expected[op] = 15;  // SBC/ADC HL
    for (int op : {0x43, 0x53, 0x63, 0x73, 0x4B, 0x5B, 0x6B, 0x7B}) expected[op] = 20;  // LD (nn),rr / rr,(nn)
    expected[0x44] = 8;                                                                  // NEG
    expected[0x45] = expected[0x4D] = 14;                                                // RETN, RETI
    expected[0x46] = expected[0x56] = expected[0x5E] = 8;                                // IM
    for (int op : {0x47, 0x4F, 0x57, 0x5F}) expected[op] = 9;                           // I and R
    expected[0x67] = expected[0x6F] = 18;                                                // RRD, RLD
    for (int op : {0xA0, 0xA1, 0xA2, 0xA3, 0xA8, 0xA9, 0xAA, 0xAB}) expected[op] = 16;  // one block step
    for (int op = 0; op < 256; ++op) EXPECT_EQ(cyclesED[op], expected[op]) << op;
}

TEST(CycleTables, IndexChargesOnlyWhatThePrefixChanges)
{
    EXPECT_EQ(cyclesIndex[0x66], 19);
    EXPECT_EQ(cyclesIndex[0x6E], 19);

    int expected[256] = {};
    const std::pair<int, int> pairForms[] = {{0x09, 15}, {0x19, 15}, {0x29, 15}, {0x39, 15}, {0x21, 14},
                                             {0x22, 20}, {0x2A, 20}, {0x23, 10}, {0x2B, 10}, {0xE1, 14},
                                             {0xE5, 15}, {0xE3, 23}, {0xE9, 8},  {0xF9, 10}};
    for (auto [op, t] : pairForms) expected[op] = t;
    for (int op : {0x24, 0x25, 0x26, 0x2C, 0x2D, 0x2E, 0x44, 0x45, 0x4C, 0x4D, 0x54, 0x55, 0x5C, 0x5D, 0x7C, 0x7D})
        expected[op] = 9;
    for (int op = 0x60; op <= 0x6F; ++op)
        if (op != 0x66 && op != 0x6E) expected[op] = 9;
    for (int op = 0x84; op <= 0xBD; op += 8) expected[op] = expected[op + 1] = 9;
    expected[0x34] = expected[0x35] = 23;
    expected[0x36] = 19;
    for (int op : {0x46, 0x4E, 0x56, 0x5E, 0x66, 0x6E, 0x7E, 0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x77})
        expected[op] = 19;
    for (int op = 0x86; op <= 0xBE; op += 8) expected[op] = 19;
    expected[0x76] = 19;
    for (int op = 0; op < 256; ++op) EXPECT_EQ(cyclesIndex[op], expected[op]) << op;
}

TEST(CycleTables, IndexCBChargesTheImplementedForms)
{
    EXPECT_EQ(cyclesIndexCB[0x06], 23);  // RLC (IX+d)
    EXPECT_EQ(cyclesIndexCB[0x3E], 23);  // SRL (IX+d)
    EXPECT_EQ(cyclesIndexCB[0x86], 23);  // RES 0,(IX+d)
    EXPECT_EQ(cyclesIndexCB[0xFE], 23);  // SET 7,(IX+d)
    EXPECT_EQ(cyclesIndexCB[0x40], 20);  // BIT 0, whatever the operand field
    EXPECT_EQ(cyclesIndexCB[0x46], 20);
    EXPECT_EQ(cyclesIndexCB[0x7F], 20);
    EXPECT_EQ(cyclesIndexCB[0x00], 0);   // the register-copy forms do nothing
    EXPECT_EQ(cyclesIndexCB[0x87], 0);
    EXPECT_EQ(cyclesIndexCB[0xFF], 0);
    int counts[32] = {};
    for (uint8_t t : cyclesIndexCB) ++counts[t];
    EXPECT_EQ(counts[23], 24);
    EXPECT_EQ(counts[20], 64);
    EXPECT_EQ(counts[0], 168);
}

}  // namespace
