// The Fuse emulator's single-instruction vectors (tests.in / tests.expected),
// run on the processor over the flat bus. Each vector sets registers and
// memory, runs instructions while the T-states used stay below its end, and
// compares registers, changed memory, port traffic and T-states with Fuse.
//
// This processor departs from the Z80 chip on purpose in a few places. Each
// departure is listed once below with its reason, and is applied only to the
// instructions and fields where it holds. A difference that no departure
// explains fails the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/flat_bus.h"
#include "z80/z80.h"

namespace {

const std::string testdataPath = TESSEL_TESTDATA "/fuse/";

// ---------------------------------------------------------------------------
// The departures

enum Departure {
    FLAGS_35,
    BIT_KEEPS_S_PV,
    BLOCK_IO_FLAGS,
    PORT_HIGH_BYTE,
    EI_DI_IFF1_ONLY,
    LD_A_R_FROM_BUDGET,
    HALT_EMPTIES_BUDGET,
    INDEX_HALF_TIMING,
    INDEX_PREFIX_FREE,
    ED_ABSENT,
    INDEX_CB_COPY_INERT,
    DEPARTURE_COUNT
};

struct DepartureInfo {
    const char* name;
    const char* reason;
};

const DepartureInfo departures[DEPARTURE_COUNT] = {
    {"flags 3/5",
     "F bits 3 and 5 are cleared by 8-bit arithmetic and logic, INC/DEC, CB shifts, IN r,(C), NEG, ADC/SBC HL, "
     "RRD/RLD, CPI/CPD/CPIR/CPDR and LD A,I/R; kept by RLCA/RRCA/RLA/RRA, ADD HL/IX/IY, CPL, SCF, CCF, BIT and "
     "LDI/LDD/LDIR/LDDR. Fuse copies them from the result, an operand or MEMPTR."},
    {"BIT keeps S and P/V", "BIT changes only Z, H and N; Fuse sets S from bit 7 and P/V like Z."},
    {"block I/O flags",
     "INI/IND/OUTI/OUTD and their repeating forms set F to 0x42 when B reaches 0, else 0x02; Fuse derives "
     "S, H, P/V, C and bits 3/5 from the byte moved."},
    {"port high byte",
     "port numbers are n (IN A,(n), OUT (n),A) or C (the ED port instructions) alone, high byte 0; Fuse puts A or B "
     "on the upper address lines."},
    {"EI/DI change IFF1 only", "EI and DI leave IFF2 alone; Fuse sets or clears both flip-flops."},
    {"LD A,R from the budget",
     "there is no R register: LD A,R loads the negated cycle budget, and S and Z follow that value."},
    {"HALT empties the budget",
     "HALT ends the frame by setting the budget to 0, so its cost is not seen; Fuse charges 4 T-states."},
    {"index half timing",
     "instructions on IXH/IXL/IYH/IYL cost 9 T-states; Fuse charges 8, and 11 for LD IXH,n and LD IXL,n."},
    {"free index prefix",
     "a DD/FD prefix before an opcode that uses none of HL, H, L, (HL), or before another prefix, has no effect and "
     "the whole instruction costs 0 T-states; Fuse charges 4 for the prefix plus the instruction's own cost."},
    {"absent ED opcodes",
     "the NEG, RETN and IM mirrors and OUT (C),0 (ED 71) do nothing and cost 0 T-states; the chip, and Fuse, run "
     "them as NEG, RETN, IM n and OUT (C),0."},
    {"inert DD/FD CB register copies",
     "DD/FD CB d op with a register field other than (HL) in the shift, RES and SET groups does nothing and costs 0; "
     "Fuse operates on (IX+d) and copies the result into the register."},
};

// ---------------------------------------------------------------------------
// The two files

struct Registers {
    uint16_t AF = 0, BC = 0, DE = 0, HL = 0, altAF = 0, altBC = 0, altDE = 0, altHL = 0;
    uint16_t IX = 0, IY = 0, SP = 0, PC = 0;
    int I = 0, R = 0, iff1 = 0, iff2 = 0, im = 0, halted = 0, tstates = 0;
    bool operator==(const Registers&) const = default;
};

using MemoryMap = std::map<uint16_t, uint8_t>;  // address -> byte

struct PortEvent {
    bool write;
    uint16_t port;
    uint8_t value;
    bool operator==(const PortEvent&) const = default;
};

struct FuseInput {
    std::string name;
    Registers regs;
    MemoryMap memory;
};

struct FuseExpected {
    std::string name;
    Registers regs;
    MemoryMap memory;  // the bytes that differ from the initial memory
    std::vector<PortEvent> ports;
};

std::vector<std::vector<std::string>> readParagraphs(const std::string& path)
{
    std::ifstream file(path);
    std::vector<std::vector<std::string>> paragraphs;
    std::vector<std::string> current;
    std::string line;
    while (std::getline(file, line)) {
        if (line.find_first_not_of(" \t\r") == std::string::npos) {
            if (!current.empty()) paragraphs.push_back(current);
            current.clear();
        } else {
            current.push_back(line);
        }
    }
    if (!current.empty()) paragraphs.push_back(current);
    return paragraphs;
}

void parseRegisterLines(const std::string& words, const std::string& state, Registers& r)
{
    std::istringstream w(words);
    w >> std::hex >> r.AF >> r.BC >> r.DE >> r.HL >> r.altAF >> r.altBC >> r.altDE >> r.altHL >> r.IX >> r.IY >> r.SP >>
        r.PC;
    std::istringstream s(state);
    s >> std::hex >> r.I >> r.R >> std::dec >> r.iff1 >> r.iff2 >> r.im >> r.halted >> r.tstates;
}

// "<address> <byte> <byte> ... -1"; returns false at the lone "-1".
bool parseMemoryLine(const std::string& line, MemoryMap& memory)
{
    std::istringstream in(line);
    std::string word;
    in >> word;
    if (word == "-1") return false;
    unsigned address = std::stoul(word, nullptr, 16);
    while (in >> word && word != "-1") memory[static_cast<uint16_t>(address++)] = static_cast<uint8_t>(std::stoul(word, nullptr, 16));
    return true;
}

std::vector<FuseInput> readInputs(const std::string& path)
{
    std::vector<FuseInput> inputs;
    for (const auto& p : readParagraphs(path)) {
        FuseInput input;
        input.name = p.at(0);
        parseRegisterLines(p.at(1), p.at(2), input.regs);
        for (size_t i = 3; i < p.size() && parseMemoryLine(p[i], input.memory); ++i) {}
        inputs.push_back(input);
    }
    return inputs;
}

std::vector<FuseExpected> readExpected(const std::string& path)
{
    std::vector<FuseExpected> results;
    for (const auto& p : readParagraphs(path)) {
        FuseExpected result;
        result.name = p.at(0);
        size_t i = 1;
        // Events: "<time> <type> <address> [<data>]", indented.
        for (; i < p.size() && (p[i][0] == ' ' || p[i][0] == '\t'); ++i) {
            std::istringstream in(p[i]);
            int time;
            std::string type;
            unsigned address, data = 0;
            in >> time >> type >> std::hex >> address >> data;
            if (type == "PR" || type == "PW")
                result.ports.push_back({type == "PW", static_cast<uint16_t>(address), static_cast<uint8_t>(data)});
        }
        parseRegisterLines(p.at(i), p.at(i + 1), result.regs);
        for (i += 2; i < p.size(); ++i) parseMemoryLine(p[i], result.memory);
        results.push_back(result);
    }
    return results;
}

// ---------------------------------------------------------------------------
// Which instruction sits at an address

enum Space { UNPREFIXED, CB, ED, INDEX, INDEX_CB, INDEX_PREFIX_DROPPED };

struct Decoded {
    Space space;
    uint8_t op;
};

bool isIndexPrefix(uint8_t b) { return b == 0xDD || b == 0xFD; }

Decoded decodeAt(uint16_t pc)
{
    auto at = [pc](int offset) { return flatMemory[static_cast<uint16_t>(pc + offset)]; };
    uint8_t b0 = at(0);
    if (b0 == 0xCB) return {CB, at(1)};
    if (b0 == 0xED) return {ED, at(1)};
    if (!isIndexPrefix(b0)) return {UNPREFIXED, b0};
    uint8_t b1 = at(1);
    if (isIndexPrefix(b1)) return {INDEX_PREFIX_DROPPED, b1};
    if (b1 == 0xCB) return {INDEX_CB, at(3)};
    return {INDEX, b1};
}

// Opcodes that an index prefix turns into IX/IY forms: those naming HL, H, L
// or (HL). HALT (0x76) is counted with them as it is handled by the prefix.
bool usesHL(uint8_t op)
{
    int x = op >> 6, y = (op >> 3) & 7, z = op & 7;
    auto hlRegister = [](int r) { return r == 4 || r == 5 || r == 6; };
    switch (x) {
    case 0:
        if (z == 4 || z == 5 || z == 6) return hlRegister(y);
        return op == 0x21 || op == 0x22 || op == 0x2A || op == 0x23 || op == 0x2B || (op & 0xCF) == 0x09;
    case 1: return hlRegister(y) || hlRegister(z);
    case 2: return hlRegister(z);
    default: return op == 0xE1 || op == 0xE3 || op == 0xE5 || op == 0xE9 || op == 0xF9;
    }
}

// IXH/IXL forms: an index instruction naming H or L but not (HL).
bool usesIndexHalf(uint8_t op)
{
    int x = op >> 6, y = (op >> 3) & 7, z = op & 7;
    auto half = [](int r) { return r == 4 || r == 5; };
    if (x == 0 && (z == 4 || z == 5 || z == 6)) return half(y);
    if (x == 1) return op != 0x76 && y != 6 && z != 6 && (half(y) || half(z));
    if (x == 2) return half(z);
    return false;
}

// The ED second bytes in 0x40-0x7F that this processor leaves out, with
// Fuse's cost for each: mirrors of NEG (8), RETN (14) and IM (8), and OUT (C),0 (12).
int fuseCostOfAbsentEd(uint8_t op)
{
    switch (op) {
    case 0x4C: case 0x54: case 0x5C: case 0x64: case 0x6C: case 0x74: case 0x7C: return 8;
    case 0x55: case 0x5D: case 0x65: case 0x6D: case 0x75: case 0x7D: return 14;
    case 0x4E: case 0x66: case 0x6E: case 0x76: case 0x7E: return 8;
    case 0x71: return 12;
    default: return 0;
    }
}

bool isAbsentEd(uint8_t op) { return fuseCostOfAbsentEd(op) != 0; }

enum class Flags35 { NONE, CLEAR, KEEP };

// How an instruction treats F bits 3 and 5 on this processor.
Flags35 flags35Of(Decoded d)
{
    uint8_t op = d.op;
    int x = op >> 6, z = op & 7;
    switch (d.space) {
    case UNPREFIXED:
        if (op == 0x07 || op == 0x0F || op == 0x17 || op == 0x1F || op == 0x2F || op == 0x37 || op == 0x3F ||
            (op & 0xCF) == 0x09)
            return Flags35::KEEP;
        if (x == 2 || (x == 3 && z == 6) || (x == 0 && (z == 4 || z == 5))) return Flags35::CLEAR;
        return Flags35::NONE;
    case CB: return x == 1 ? Flags35::KEEP : x == 0 ? Flags35::CLEAR : Flags35::NONE;
    case ED:
        if (op == 0xA0 || op == 0xA8 || op == 0xB0 || op == 0xB8) return Flags35::KEEP;
        if ((x == 1 && (z == 0 || z == 2)) || op == 0x44 || op == 0x57 || op == 0x5F ||
            op == 0x67 || op == 0x6F || op == 0xA1 || op == 0xA9 || op == 0xB1 || op == 0xB9)
            return Flags35::CLEAR;
        return Flags35::NONE;
    case INDEX:
        if ((op & 0xCF) == 0x09) return Flags35::KEEP;
        if (!usesHL(op)) return Flags35::NONE;
        if (x == 2 || (x == 0 && (z == 4 || z == 5))) return Flags35::CLEAR;
        return Flags35::NONE;
    case INDEX_CB:
        if (x == 1) return Flags35::KEEP;
        return x == 0 && z == 6 ? Flags35::CLEAR : Flags35::NONE;
    default: return Flags35::NONE;
    }
}

bool isBlockIo(Decoded d) { return d.space == ED && (d.op & 0xE6) == 0xA2; }
bool isBit(Decoded d) { return (d.space == CB || d.space == INDEX_CB) && (d.op >> 6) == 1; }
bool isInertIndexCB(Decoded d) { return d.space == INDEX_CB && (d.op >> 6) != 1 && (d.op & 7) != 6; }
// Instructions that load F whole, ending whatever an earlier departure said about it.
bool loadsF(Decoded d) { return d.space == UNPREFIXED && (d.op == 0x08 || d.op == 0xF1 || d.op == 0x27); }

// ---------------------------------------------------------------------------
// Running one vector

constexpr int INSTRUCTION_LIMIT = 10000;  // a vector that never reaches its end

// Fuse's port traffic for the vector; reads are answered with its data.
std::vector<PortEvent> fusePorts;
std::vector<PortEvent> ourPorts;
size_t nextFuseRead;

uint8_t replayPortIn(uint16_t port)
{
    uint8_t value = 0xFF;
    while (nextFuseRead < fusePorts.size() && fusePorts[nextFuseRead].write) ++nextFuseRead;
    if (nextFuseRead < fusePorts.size()) value = fusePorts[nextFuseRead++].value;
    ourPorts.push_back({false, port, value});
    return value;
}

void recordPortOut(uint16_t port, uint8_t value) { ourPorts.push_back({true, port, value}); }

Registers registersOf(const Z80State& s)
{
    Registers r;
    r.AF = s.AF, r.BC = s.BC, r.DE = s.DE, r.HL = s.HL;
    r.altAF = s.altAF, r.altBC = s.altBC, r.altDE = s.altDE, r.altHL = s.altHL;
    r.IX = s.IX, r.IY = s.IY, r.SP = s.SP, r.PC = s.PC, r.I = s.I;
    r.iff1 = (s.interruptFlags & IFF1) != 0;
    r.iff2 = (s.interruptFlags & IFF2) != 0;
    r.im = (s.interruptFlags & IM2) ? 2 : (s.interruptFlags & IM1) ? 1 : 0;
    r.halted = (s.interruptFlags & HALTED) != 0;
    return r;
}

struct Expectation {
    Registers regs;
    MemoryMap memory;
    std::vector<PortEvent> ports;
    bool operator==(const Expectation&) const = default;
};

// Every field but the budget, which the caller compares on its own terms.
bool sameState(const Z80State& a, const Z80State& b)
{
    return a.AF == b.AF && a.BC == b.BC && a.DE == b.DE && a.HL == b.HL && a.IX == b.IX && a.IY == b.IY &&
           a.PC == b.PC && a.SP == b.SP && a.altAF == b.altAF && a.altBC == b.altBC && a.altDE == b.altDE &&
           a.altHL == b.altHL && a.interruptFlags == b.interruptFlags && a.I == b.I &&
           a.cyclesBeforeEi == b.cyclesBeforeEi && a.interruptRequest == b.interruptRequest;
}

// A departure's effect on what Fuse expects, recorded while the vector runs.
struct Override {
    Departure departure;
    bool touchesF;
    std::function<void(Expectation&)> apply;
};

void setF(Registers& r, uint8_t mask, uint8_t value)
{
    r.AF = static_cast<uint16_t>((r.AF & ~mask) | (value & mask));
}

std::string hex(unsigned value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*x", digits, value);
    return text;
}

// Differences between an expectation and the run, one line each.
std::vector<std::string> differences(const Expectation& e, const Registers& got, int gotT, const MemoryMap& gotMemory)
{
    std::vector<std::string> out;
    auto word = [&](const char* name, unsigned want, unsigned have) {
        if (want != have) out.push_back(std::string(name) + " expected " + hex(want, 4) + " got " + hex(have, 4));
    };
    const Registers& w = e.regs;
    word("AF", w.AF, got.AF), word("BC", w.BC, got.BC), word("DE", w.DE, got.DE), word("HL", w.HL, got.HL);
    word("AF'", w.altAF, got.altAF), word("BC'", w.altBC, got.altBC), word("DE'", w.altDE, got.altDE);
    word("HL'", w.altHL, got.altHL), word("IX", w.IX, got.IX), word("IY", w.IY, got.IY);
    word("SP", w.SP, got.SP), word("PC", w.PC, got.PC), word("I", w.I, got.I);
    word("IFF1", w.iff1, got.iff1), word("IFF2", w.iff2, got.iff2), word("IM", w.im, got.im);
    word("halted", w.halted, got.halted);
    if (w.tstates != gotT)
        out.push_back("T-states expected " + std::to_string(w.tstates) + " got " + std::to_string(gotT));
    if (e.memory != gotMemory) {
        std::string text = "memory expected {";
        for (auto [a, v] : e.memory) text.append(" ").append(hex(a, 4)).append(":").append(hex(v, 2));
        text += " } got {";
        for (auto [a, v] : gotMemory) text.append(" ").append(hex(a, 4)).append(":").append(hex(v, 2));
        out.push_back(text + " }");
    }
    if (e.ports != ourPorts) {
        std::string text = "ports expected {";
        for (auto p : e.ports) text += std::string(p.write ? " out " : " in ") + hex(p.port, 4) + ":" + hex(p.value, 2);
        text += " } got {";
        for (auto p : ourPorts) text += std::string(p.write ? " out " : " in ") + hex(p.port, 4) + ":" + hex(p.value, 2);
        out.push_back(text + " }");
    }
    return out;
}

enum class Verdict { EQUAL, EQUAL_AFTER_DEPARTURES, FAILED };

struct Outcome {
    Verdict verdict;
    std::vector<Departure> used;      // departures that changed the comparison
    std::vector<std::string> report;  // for a failure: what differs
};

std::array<uint8_t, FLAT_MEMORY_SIZE> initialMemory;

void fillMemory(const FuseInput& input)
{
    // Fuse's test memory before the vector's own bytes.
    static const uint8_t pattern[4] = {0xDE, 0xAD, 0xBE, 0xEF};
    for (int a = 0; a < FLAT_MEMORY_SIZE; ++a) flatMemory[a] = pattern[a & 3];
    for (auto [a, v] : input.memory) flatMemory[a] = v;
    std::copy(flatMemory, flatMemory + FLAT_MEMORY_SIZE, initialMemory.begin());
}

MemoryMap changedMemory()
{
    MemoryMap changed;
    for (int a = 0; a < FLAT_MEMORY_SIZE; ++a)
        if (flatMemory[a] != initialMemory[a]) changed[static_cast<uint16_t>(a)] = flatMemory[a];
    return changed;
}

Outcome runVector(const FuseInput& input, const FuseExpected& expected)
{
    fillMemory(input);
    fusePorts = expected.ports;
    ourPorts.clear();
    nextFuseRead = 0;

    Z80State s{};
    s.cyclesPerFrame = FLAT_FRAME_CYCLES;
    resetProcessor(s);
    const Registers& in = input.regs;
    s.AF = in.AF, s.BC = in.BC, s.DE = in.DE, s.HL = in.HL;
    s.altAF = in.altAF, s.altBC = in.altBC, s.altDE = in.altDE, s.altHL = in.altHL;
    s.IX = in.IX, s.IY = in.IY, s.SP = in.SP, s.PC = in.PC, s.I = static_cast<uint8_t>(in.I);
    s.interruptFlags = static_cast<uint8_t>((in.iff1 ? IFF1 : 0) | (in.iff2 ? IFF2 : 0) | (in.im == 1 ? IM1 : 0) |
                                            (in.im == 2 ? IM2 : 0) | (in.halted ? HALTED : 0));

    const int end = in.tstates;
    int fuseT = 0;  // T-states as Fuse counts them: drives the loop like Fuse's
    int ourT = 0;   // T-states as this processor charged them
    std::vector<Override> overrides;
    std::vector<std::string> problems;
    bool costsDiffer = false;
    std::vector<Departure> costDepartures;

    for (int n = 0; fuseT < end && n < INSTRUCTION_LIMIT; ++n) {
        const Decoded d = decodeAt(s.PC);
        s.cyclesLeft = end - fuseT;  // repeating block instructions stop where Fuse stops
        const Z80State pre = s;

        // A free index prefix must act exactly as the plain instruction after it.
        const bool freePrefix = d.space == INDEX && !usesHL(d.op);
        int plainCost = 0;
        Z80State plain{};
        std::array<uint8_t, FLAT_MEMORY_SIZE> plainMemory{};
        if (freePrefix) {
            std::array<uint8_t, FLAT_MEMORY_SIZE> saved;
            std::copy(flatMemory, flatMemory + FLAT_MEMORY_SIZE, saved.begin());
            size_t savedRead = nextFuseRead, savedPorts = ourPorts.size();
            plain = s;
            ++plain.PC;
            executeInstruction(plain);
            plainCost = s.cyclesLeft - plain.cyclesLeft;
            std::copy(flatMemory, flatMemory + FLAT_MEMORY_SIZE, plainMemory.begin());
            std::copy(saved.begin(), saved.end(), flatMemory);
            nextFuseRead = savedRead;
            ourPorts.resize(savedPorts);
        }

        executeInstruction(s);
        const int ours = pre.cyclesLeft - s.cyclesLeft;
        int fuseCost = ours;
        Departure costDeparture = DEPARTURE_COUNT;
        // A timing departure holds only at its own cost; Fuse's count then
        // keeps the loop in step with Fuse's.
        auto departAt = [&](Departure departure, int documented, int fuse) {
            if (ours == documented) {
                fuseCost = fuse;
                costDeparture = departure;
            } else {
                problems.push_back(std::string(departures[departure].name) + ": cost " + std::to_string(ours) +
                                   ", not " + std::to_string(documented));
            }
        };

        if (d.space == UNPREFIXED && d.op == 0x76) {
            if ((s.interruptFlags & HALTED) && s.cyclesLeft == 0) {
                fuseCost = 4;
                costDeparture = HALT_EMPTIES_BUDGET;
            } else {
                problems.push_back("HALT did not empty the budget");
            }
        } else if (d.space == INDEX_PREFIX_DROPPED) {
            Z80State skipped = pre;
            ++skipped.PC;
            if (sameState(skipped, s)) departAt(INDEX_PREFIX_FREE, 0, 4);
            else problems.push_back("a prefix before another prefix is not simply dropped");
        } else if (freePrefix) {
            bool same = sameState(plain, s) &&
                        std::equal(plainMemory.begin(), plainMemory.end(), flatMemory);
            if (same) departAt(INDEX_PREFIX_FREE, 0, 4 + plainCost);
            else problems.push_back("DD/FD " + hex(d.op, 2) + " does not act as the plain instruction");
        } else if (d.space == INDEX && usesIndexHalf(d.op)) {
            departAt(INDEX_HALF_TIMING, 9, d.op == 0x26 || d.op == 0x2E ? 11 : 8);
        } else if (d.space == ED && isAbsentEd(d.op)) {
            departAt(ED_ABSENT, 0, fuseCostOfAbsentEd(d.op));
        } else if (isInertIndexCB(d)) {
            departAt(INDEX_CB_COPY_INERT, 0, 23);
        }
        if (fuseCost != ours) {
            costsDiffer = true;
            costDepartures.push_back(costDeparture);
        }
        fuseT += fuseCost;
        ourT += ours;

        // What the departures say about the fields this instruction sets.
        const Registers before = registersOf(pre);
        const uint8_t preF = low(pre.AF);
        Flags35 f35 = flags35Of(d);
        if (f35 != Flags35::NONE || isBlockIo(d) || loadsF(d))
            std::erase_if(overrides, [](const Override& o) { return o.touchesF; });
        if (f35 != Flags35::NONE) {
            uint8_t value = f35 == Flags35::KEEP ? preF & (FLAG_5 | FLAG_3) : 0;
            overrides.push_back({FLAGS_35, true, [value](Expectation& e) { setF(e.regs, FLAG_5 | FLAG_3, value); }});
        }
        if (isBit(d))
            overrides.push_back({BIT_KEEPS_S_PV, true, [preF](Expectation& e) { setF(e.regs, FLAG_S | FLAG_PV, preF); }});
        if (isBlockIo(d)) {
            uint8_t f = high(s.BC) == 0 ? 0x42 : 0x02;
            overrides.push_back({BLOCK_IO_FLAGS, true, [f](Expectation& e) { setF(e.regs, 0xFF, f); }});
        }
        if (d.space == UNPREFIXED && (d.op == 0xF3 || d.op == 0xFB))
            overrides.push_back({EI_DI_IFF1_ONLY, false, [before](Expectation& e) { e.regs.iff2 = before.iff2; }});
        if (d.space == ED && d.op == 0x5F) {
            uint8_t a = high(s.AF);
            uint8_t sz = static_cast<uint8_t>((a & 0x80) | (a == 0 ? 0x40 : 0));
            overrides.push_back({LD_A_R_FROM_BUDGET, true, [a, sz](Expectation& e) {
                                     e.regs.AF = static_cast<uint16_t>(a << 8 | (e.regs.AF & 0xFF));
                                     setF(e.regs, FLAG_S | FLAG_Z, sz);
                                 }});
        }
        if ((d.space == ED && isAbsentEd(d.op)) || isInertIndexCB(d)) {
            // Nothing happens but the PC moving past the instruction (the
            // vectors for these run that one instruction only).
            Registers unchanged = before;
            unchanged.PC = static_cast<uint16_t>(pre.PC + (d.space == ED ? 2 : 4));
            Departure departure = d.space == ED ? ED_ABSENT : INDEX_CB_COPY_INERT;
            overrides.push_back({departure, false, [unchanged](Expectation& e) {
                                     int t = e.regs.tstates;
                                     e.regs = unchanged;
                                     e.regs.tstates = t;
                                     e.memory.clear();
                                     e.ports.clear();
                                 }});
        }
    }

    // Fuse's view, raw and with the departures applied.
    const Registers got = registersOf(s);
    const MemoryMap gotMemory = changedMemory();
    Expectation raw{expected.regs, expected.memory, expected.ports};
    raw.regs.R = 0;  // there is no R register: never compared

    Outcome outcome{Verdict::FAILED, {}, {}};
    std::vector<std::string> rawDiff = differences(raw, got, ourT, gotMemory);
    if (rawDiff.empty() && !costsDiffer && problems.empty()) {
        outcome.verdict = Verdict::EQUAL;
        return outcome;
    }

    Expectation adjusted = raw;
    for (Departure departure : costDepartures)
        if (departure != DEPARTURE_COUNT) outcome.used.push_back(departure);
    {
        Expectation before = adjusted;
        for (auto& p : adjusted.ports)
            p.port &= 0x00FF;
        if (adjusted.ports != before.ports) outcome.used.push_back(PORT_HIGH_BYTE);
    }
    for (const Override& o : overrides) {
        Expectation before = adjusted;
        o.apply(adjusted);
        if (!(before == adjusted)) outcome.used.push_back(o.departure);
    }
    std::vector<std::string> diff = differences(adjusted, got, fuseT, gotMemory);
    diff.insert(diff.end(), problems.begin(), problems.end());
    if (diff.empty()) {
        outcome.verdict = Verdict::EQUAL_AFTER_DEPARTURES;
        return outcome;
    }
    outcome.report = diff;
    std::string initial = "before: AF " + hex(in.AF, 4) + " BC " + hex(in.BC, 4) + " DE " + hex(in.DE, 4) + " HL " +
                          hex(in.HL, 4) + " IX " + hex(in.IX, 4) + " IY " + hex(in.IY, 4) + " SP " + hex(in.SP, 4) +
                          " PC " + hex(in.PC, 4) + " IFF1 " + std::to_string(in.iff1) + " IFF2 " +
                          std::to_string(in.iff2) + " IM " + std::to_string(in.im);
    outcome.report.push_back(initial);
    return outcome;
}

// ---------------------------------------------------------------------------

TEST(FuseVectors, MatchFuseExceptForTheListedDepartures)
{
    std::ifstream probe(testdataPath + "tests.in");
    if (!probe) GTEST_SKIP() << "Fuse vectors not found in " << testdataPath << ": the public Z80 test data is absent";

    const std::vector<FuseInput> inputs = readInputs(testdataPath + "tests.in");
    const std::vector<FuseExpected> expected = readExpected(testdataPath + "tests.expected");
    ASSERT_EQ(inputs.size(), 1335u);
    ASSERT_EQ(expected.size(), inputs.size());

    resetFlatBus();
    flatPortIn = replayPortIn;
    flatPortOut = recordPortOut;

    int equal = 0, equalAfter = 0, failed = 0;
    std::array<int, DEPARTURE_COUNT> uses{};
    for (size_t i = 0; i < inputs.size(); ++i) {
        ASSERT_EQ(inputs[i].name, expected[i].name);
        Outcome outcome = runVector(inputs[i], expected[i]);
        std::array<bool, DEPARTURE_COUNT> seen{};
        for (Departure departure : outcome.used) seen[departure] = true;
        for (int k = 0; k < DEPARTURE_COUNT; ++k) uses[k] += seen[k];
        switch (outcome.verdict) {
        case Verdict::EQUAL: ++equal; break;
        case Verdict::EQUAL_AFTER_DEPARTURES: ++equalAfter; break;
        case Verdict::FAILED: {
            ++failed;
            std::string text;
            for (const std::string& line : outcome.report) text += "\n  " + line;
            ADD_FAILURE() << "vector " << inputs[i].name << text;
            break;
        }
        }
    }
    resetFlatBus();

    std::printf("Fuse vectors: %zu; equal without departures %d; equal after departures %d; failing %d\n",
                inputs.size(), equal, equalAfter, failed);
    for (int k = 0; k < DEPARTURE_COUNT; ++k) {
        std::printf("  %-32s %4d vectors\n", departures[k].name, uses[k]);
        // A departure that explains nothing is stale: the processor changed or the list is wrong.
        EXPECT_GT(uses[k], 0) << "departure \"" << departures[k].name << "\" explains no vector";
    }
    EXPECT_EQ(failed, 0);
}

}  // namespace
