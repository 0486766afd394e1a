// The ED set: port I/O through C, 16-bit arithmetic with carry, the I and R
// transfers, interrupt modes, RRD/RLD, the block instructions and the trap.
#include "z80/access.h"
#include "z80/alu.h"
#include "z80/control.h"
#include "z80/dispatch.h"

namespace z80 {

// Cost of one repetition of a repeating block instruction; the last one that
// finishes it costs 5 less.
constexpr int32_t REPEAT_STEP_CYCLES = 21;
constexpr int32_t FINAL_STEP_REFUND = 5;

// Every port access of this set puts C alone on the port number.
template <class S>
Z80_INLINE uint16_t portC(const S& s)
{
    return low(s.BC);
}

inline uint8_t inputFlags(const Z80State& s, uint8_t v) { return flagTableZSP[v] | (regF(s) & FLAG_C); }

inline void adc16(Z80State& s, uint16_t v)
{
    uint32_t hl = s.HL;
    uint32_t t = hl + v + (regF(s) & FLAG_C);
    uint16_t r = static_cast<uint16_t>(t);
    uint8_t f = static_cast<uint8_t>((r >> 8) & FLAG_S);
    if (r == 0) f |= FLAG_Z;
    f |= ((hl ^ v ^ r) >> 8) & FLAG_H;
    if (~(hl ^ v) & (hl ^ r) & 0x8000) f |= FLAG_PV;
    if (t > 0xFFFF) f |= FLAG_C;
    s.HL = r;
    setF(s, f);
}

inline void sbc16(Z80State& s, uint16_t v)
{
    uint32_t hl = s.HL;
    uint32_t t = hl - v - (regF(s) & FLAG_C);
    uint16_t r = static_cast<uint16_t>(t);
    uint8_t f = static_cast<uint8_t>(((r >> 8) & FLAG_S) | FLAG_N);
    if (r == 0) f |= FLAG_Z;
    f |= ((hl ^ v ^ r) >> 8) & FLAG_H;
    if ((hl ^ v) & (hl ^ r) & 0x8000) f |= FLAG_PV;
    if (t & 0x10000) f |= FLAG_C;
    s.HL = r;
    setF(s, f);
}

inline void negate(Z80State& s)
{
    uint8_t a = regA(s);
    uint8_t r = static_cast<uint8_t>(0 - a);
    uint8_t f = flagTableZS[r] | FLAG_N;
    if (a & 0x0F) f |= FLAG_H;
    if (a == 0x80) f |= FLAG_PV;
    if (a != 0) f |= FLAG_C;
    s.AF = static_cast<uint16_t>(r << 8 | f);
}

inline void loadAFromInterruptState(Z80State& s, uint8_t v)
{
    uint8_t f = (regF(s) & FLAG_C) | flagTableZS[v];
    if (s.interruptFlags & IFF1) f |= FLAG_PV;
    s.AF = static_cast<uint16_t>(v << 8 | f);
}

inline void setInterruptMode(Z80State& s, uint8_t modeBits)
{
    s.interruptFlags = static_cast<uint8_t>((s.interruptFlags & ~(IM1 | IM2)) | modeBits);
}

inline void rotateDigitRight(Z80State& s)
{
    uint8_t v = readByte(s, s.HL);
    uint8_t a = regA(s);
    writeByte(s, s.HL, static_cast<uint8_t>((a << 4) | (v >> 4)));
    a = static_cast<uint8_t>((a & 0xF0) | (v & 0x0F));
    s.AF = static_cast<uint16_t>(a << 8 | inputFlags(s, a));
}

inline void rotateDigitLeft(Z80State& s)
{
    uint8_t v = readByte(s, s.HL);
    uint8_t a = regA(s);
    writeByte(s, s.HL, static_cast<uint8_t>((v << 4) | (a & 0x0F)));
    a = static_cast<uint8_t>((a & 0xF0) | (v >> 4));
    s.AF = static_cast<uint16_t>(a << 8 | inputFlags(s, a));
}

// One step of each block instruction; delta is +1 for the I forms, -1 for D.
template <class S>
Z80_INLINE void moveStep(S& s, int delta)
{
    uint8_t v = readByte(s, s.HL);
    s.HL = static_cast<uint16_t>(s.HL + delta);
    writeByte(s, s.DE, v);
    s.DE = static_cast<uint16_t>(s.DE + delta);
    --s.BC;
}

template <class S>
Z80_INLINE uint8_t moveFlags(const S& s)
{
    return (regF(s) & ALL_BUT_H_PV_N) | (s.BC ? FLAG_PV : 0);
}

struct CompareStep {
    uint8_t value, result;
};

template <class S>
Z80_INLINE CompareStep compareStep(S& s, int delta)
{
    uint8_t v = readByte(s, s.HL);
    s.HL = static_cast<uint16_t>(s.HL + delta);
    --s.BC;
    return {v, static_cast<uint8_t>(regA(s) - v)};
}

template <class S>
Z80_INLINE uint8_t compareFlags(const S& s, CompareStep step)
{
    return (regF(s) & FLAG_C) | FLAG_N | flagTableZS[step.result] | ((regA(s) ^ step.value ^ step.result) & FLAG_H) |
           (s.BC ? FLAG_PV : 0);
}

template <class S>
Z80_INLINE void inputStep(S& s, int delta)
{
    writeByte(s, s.HL, portIn(portC(s)));
    s.HL = static_cast<uint16_t>(s.HL + delta);
    setHigh(s.BC, static_cast<uint8_t>(high(s.BC) - 1));
}

template <class S>
Z80_INLINE void outputStep(S& s, int delta)
{
    uint8_t v = readByte(s, s.HL);
    s.HL = static_cast<uint16_t>(s.HL + delta);
    writePort(s, portC(s), v);
    setHigh(s.BC, static_cast<uint8_t>(high(s.BC) - 1));
}

template <class S>
Z80_INLINE uint8_t countFlags(const S& s)
{
    return high(s.BC) ? FLAG_N : FLAG_N | FLAG_Z;
}

// The repeating forms run against the budget inside one call, on locals of
// their own like the run loop's: step runs one repetition, more says whether
// another is due, and flags gives F once they stop. An unfinished one steps
// PC back onto itself so it resumes as the next instruction; a finished
// one's last step costs less.
template <class Step, class More, class Flags>
Z80_INLINE void repeatBlock(Z80State& s, Step step, More more, Flags flags)
{
    LoopRegisters r = holdRegisters(s);
    do {
        step(r);
        r.cyclesLeft -= REPEAT_STEP_CYCLES;
    } while (more(r) && r.cyclesLeft > 0);
    setF(r, flags(r));
    if (more(r)) r.PC = static_cast<uint16_t>(r.PC - 2);
    else r.cyclesLeft += FINAL_STEP_REFUND;
    writeBack(r);
}

Z80_INLINE bool bcLeft(const LoopRegisters& r) { return r.BC != 0; }
Z80_INLINE bool bLeft(const LoopRegisters& r) { return high(r.BC) != 0; }

inline void repeatMove(Z80State& s, int delta)
{
    repeatBlock(s, [delta](LoopRegisters& r) { moveStep(r, delta); }, bcLeft, moveFlags<LoopRegisters>);
}

inline void repeatCompare(Z80State& s, int delta)
{
    CompareStep last{};
    repeatBlock(
        s, [&last, delta](LoopRegisters& r) { last = compareStep(r, delta); },
        [&last](const LoopRegisters& r) { return bcLeft(r) && last.result != 0; },
        [&last](const LoopRegisters& r) { return compareFlags(r, last); });
}

template <void (*step)(LoopRegisters&, int)>
inline void repeatCounted(Z80State& s, int delta)
{
    repeatBlock(s, [delta](LoopRegisters& r) { step(r, delta); }, bLeft, countFlags<LoopRegisters>);
}

// The instruction whose second byte is at PC.
void runED(Z80State& s)
{
    uint8_t opcode;
    Z80_FETCH_AND_CHARGE(opcode, s, cyclesED);
    switch (opcode) {
    case 0x40: setHigh(s.BC, portIn(portC(s))); setF(s, inputFlags(s, high(s.BC))); break;
    case 0x48: setLow(s.BC, portIn(portC(s))); setF(s, inputFlags(s, low(s.BC))); break;
    case 0x50: setHigh(s.DE, portIn(portC(s))); setF(s, inputFlags(s, high(s.DE))); break;
    case 0x58: setLow(s.DE, portIn(portC(s))); setF(s, inputFlags(s, low(s.DE))); break;
    case 0x60: setHigh(s.HL, portIn(portC(s))); setF(s, inputFlags(s, high(s.HL))); break;
    case 0x68: setLow(s.HL, portIn(portC(s))); setF(s, inputFlags(s, low(s.HL))); break;
    case 0x70: setF(s, inputFlags(s, portIn(portC(s)))); break;  // IN F,(C): value not stored
    case 0x78: setA(s, portIn(portC(s))); setF(s, inputFlags(s, regA(s))); break;

    case 0x41: portOut(portC(s), high(s.BC)); break;
    case 0x49: portOut(portC(s), low(s.BC)); break;
    case 0x51: portOut(portC(s), high(s.DE)); break;
    case 0x59: portOut(portC(s), low(s.DE)); break;
    case 0x61: portOut(portC(s), high(s.HL)); break;
    case 0x69: portOut(portC(s), low(s.HL)); break;
    case 0x79: portOut(portC(s), regA(s)); break;

    case 0x42: sbc16(s, s.BC); break;
    case 0x52: sbc16(s, s.DE); break;
    case 0x62: sbc16(s, s.HL); break;
    case 0x72: sbc16(s, s.SP); break;
    case 0x4A: adc16(s, s.BC); break;
    case 0x5A: adc16(s, s.DE); break;
    case 0x6A: adc16(s, s.HL); break;
    case 0x7A: adc16(s, s.SP); break;

    case 0x43: writeWord(s, fetchWord(s), s.BC); break;
    case 0x53: writeWord(s, fetchWord(s), s.DE); break;
    case 0x63: writeWord(s, fetchWord(s), s.HL); break;
    case 0x73: writeWord(s, fetchWord(s), s.SP); break;
    case 0x4B: s.BC = readWord(s, fetchWord(s)); break;
    case 0x5B: s.DE = readWord(s, fetchWord(s)); break;
    case 0x6B: s.HL = readWord(s, fetchWord(s)); break;
    case 0x7B: s.SP = readWord(s, fetchWord(s)); break;

    case 0x44: negate(s); break;
    case 0x45:  // RETN
        s.interruptFlags = static_cast<uint8_t>((s.interruptFlags & ~IFF1) | ((s.interruptFlags & IFF2) ? IFF1 : 0));
        s.PC = pop(s);
        break;
    case 0x4D: s.PC = pop(s); break;  // RETI
    case 0x46: setInterruptMode(s, 0); break;
    case 0x56: setInterruptMode(s, IM1); break;
    case 0x5E: setInterruptMode(s, IM2); break;
    case 0x47: s.I = regA(s); break;
    case 0x4F: break;  // LD R,A: there is no refresh register to load
    case 0x57: loadAFromInterruptState(s, s.I); break;
    case 0x5F: loadAFromInterruptState(s, static_cast<uint8_t>(0 - s.cyclesLeft)); break;  // R from the budget
    case 0x67: rotateDigitRight(s); break;
    case 0x6F: rotateDigitLeft(s); break;

    case 0xA0: moveStep(s, 1); setF(s, moveFlags(s)); break;
    case 0xA8: moveStep(s, -1); setF(s, moveFlags(s)); break;
    case 0xA1: setF(s, compareFlags(s, compareStep(s, 1))); break;
    case 0xA9: setF(s, compareFlags(s, compareStep(s, -1))); break;
    case 0xA2: inputStep(s, 1); setF(s, countFlags(s)); break;
    case 0xAA: inputStep(s, -1); setF(s, countFlags(s)); break;
    case 0xA3: outputStep(s, 1); setF(s, countFlags(s)); break;
    case 0xAB: outputStep(s, -1); setF(s, countFlags(s)); break;

    case 0xB0: repeatMove(s, 1); break;
    case 0xB8: repeatMove(s, -1); break;
    case 0xB1: repeatCompare(s, 1); break;
    case 0xB9: repeatCompare(s, -1); break;
    case 0xB2: repeatCounted<inputStep<LoopRegisters>>(s, 1); break;
    case 0xBA: repeatCounted<inputStep<LoopRegisters>>(s, -1); break;
    case 0xB3: repeatCounted<outputStep<LoopRegisters>>(s, 1); break;
    case 0xBB: repeatCounted<outputStep<LoopRegisters>>(s, -1); break;

    case 0xED:  // a second prefix: fetch it again as the start of the next instruction
        --s.PC;
        chargeZeroCost(s);
        break;
    case 0xFE:
        patchHook(s);
        chargeZeroCost(s);
        break;
    default:  // no instruction here: nothing happens, nothing is charged
        chargeZeroCost(s);
        break;
    }
}

}  // namespace z80

void executeED(Z80State& s) { z80::runED(s); }
