#include "machine/cvz_tape.h"

namespace {

// ---- CSAVE's timing, from its code ---------------------------------------
// The cycles of the instructions it spends between two writes of the latch.
constexpr int32_t LD_R_N = 7, LD_A_NN = 13, LD_NN_A = 13, OR_N = 7, AND_N = 7, RLC_R = 8, DEC_R = 4, LD_R_R = 4;
constexpr int32_t CALL = 17, RET = 10, RET_NOT = 5, RET_TAKEN = 11, PUSH = 11, POP = 10;
constexpr int32_t JR_TAKEN = 12, JR_NOT = 7, DJNZ_TAKEN = 13, DJNZ_NOT = 8;
constexpr int32_t djnzLoop(int32_t turns) { return (turns - 1) * DJNZ_TAKEN + DJNZ_NOT; }

// ROM 0x3542: a short pulse: LD A,(783Bh); OR 06h; LD (6800h),A sets the
// cassette bits, 0x4C turns of DJNZ (0x354A), AND F9h; LD (6800h),A clears
// them, 0x4C turns again (0x3553), RET. ROM 0x352B: a long pulse, the same
// with 0x99 turns (0x3533, 0x353C), then JR 0x3524.
constexpr int32_t SHORT_TURNS = 0x4C;
constexpr int32_t LONG_TURNS = 0x99;
constexpr int32_t PULSE_LEAD_IN = LD_A_NN + OR_N + LD_NN_A;
constexpr int32_t SHORT_HIGH = LD_R_N + djnzLoop(SHORT_TURNS) + AND_N + LD_NN_A;
constexpr int32_t LONG_HIGH = LD_R_N + djnzLoop(LONG_TURNS) + AND_N + LD_NN_A;
constexpr int32_t SHORT_TAIL = LD_R_N + djnzLoop(SHORT_TURNS) + RET;
constexpr int32_t LONG_TAIL = LD_R_N + djnzLoop(LONG_TURNS) + JR_TAKEN;
static_assert(SHORT_HIGH == 1010 && LONG_HIGH == 2011);

// ROM 0x3517: a bit is a short pulse, then RLC H; JR NC 0x352B: for a 1
// two more short pulses (CALL 0x3542 twice), for a 0 one long pulse; then
// DEC L; JR NZ 0x3517 to the next bit, whose first pulse is a CALL 0x3542.
constexpr int32_t NEXT_BIT = DEC_R + JR_TAKEN + CALL + PULSE_LEAD_IN;
constexpr int32_t LOW_BEFORE_ONE = SHORT_TAIL + RLC_R + JR_NOT + CALL + PULSE_LEAD_IN;
constexpr int32_t LOW_BEFORE_ZERO = SHORT_TAIL + RLC_R + JR_TAKEN + PULSE_LEAD_IN;
constexpr int32_t LOW_BETWEEN_ONES = SHORT_TAIL + CALL + PULSE_LEAD_IN;
constexpr int32_t LOW_AFTER_ONE = SHORT_TAIL + NEXT_BIT;
constexpr int32_t LOW_AFTER_ZERO = LONG_TAIL + NEXT_BIT;
static_assert(LOW_AFTER_ONE == 1066 && LOW_AFTER_ZERO == 2069);

// After a byte's last bit the low lasts longer: 0x3524 falls through (DEC L;
// JR NZ; POP HL, BC, AF; RET), the caller runs on to its next byte, which
// starts (CALL 0x3511; PUSH AF, BC, HL; LD L,8; LD H,A; CALL 0x3542).
constexpr int32_t BYTE_END = DEC_R + JR_NOT + 3 * POP + RET - NEXT_BIT + CALL + 3 * PUSH + LD_R_N + LD_R_R + CALL +
                             PULSE_LEAD_IN;

// What the callers spend between two bytes, in CSAVE's order.
// ROM 0x3AE8, the test for Break: CALL; OR A; LD A,(68FDh); BIT 2,A; RET NZ
// with Ctrl up. ROM 0x3AF8 calls it and returns with RET NC.
constexpr int32_t BREAK_TEST = CALL + 4 + LD_A_NN + 8 + RET_TAKEN;
constexpr int32_t BREAK_TEST_AND_RETURN = CALL + BREAK_TEST + RET_TAKEN;
// ROM 0x355D and 0x356A, the leader and sync loops: CALL 0x3AE8; RET C;
// DJNZ; LD A,80h (or FEh). Between them LD B,5; after them LD A,C.
constexpr int32_t LEADER_LOOP = BREAK_TEST + RET_NOT + DJNZ_TAKEN + LD_R_N;
constexpr int32_t LEADER_TO_SYNC = BREAK_TEST + RET_NOT + DJNZ_NOT + LD_R_N + LD_R_N;
constexpr int32_t SYNC_TO_TYPE = BREAK_TEST + RET_NOT + DJNZ_NOT + LD_R_R;
// ROM 0x357D: LD A,(7AD6h); LD B,A; LD DE,7A9Dh; then the name loop at
// 0x3584: DJNZ; LD A,(DE); INC DE.
constexpr int32_t TYPE_TO_NAME = BREAK_TEST + RET_NOT + LD_A_NN + LD_R_R + 10 + 7 + 6;
constexpr int32_t NAME_LOOP = DJNZ_TAKEN + 7 + 6;
// ROM 0x34B3: after the name CSAVE waits 0x19A turns of DEC BC; LD A,C;
// OR B; JR NZ, while CLOAD shows the name it found. From the name loop's
// end: DJNZ; RET; JP C; PUSH HL; LD BC,19Ah; the wait; CALL 0x3AF8;
// LD IX,7823h; LD HL,(78A4h); LD A,L.
constexpr int32_t NAME_PAUSE = DJNZ_NOT + RET + 10 + PUSH + 10 + (0x19A * 26 - 5) + BREAK_TEST_AND_RETURN + 14 + 16 +
                               LD_R_R;
// ROM 0x388E, the checksum: CALL; ADD A,(IX+0); LD (IX+0),A; LD A,0;
// ADC A,(IX+1); LD (IX+1),A; RET.
constexpr int32_t CHECKSUM_ADD = CALL + 19 + 19 + LD_R_N + 19 + 19 + RET;
// ROM 0x34C9-0x34E9, the addresses: LD (IX+0),A; XOR A; LD (IX+1),A;
// LD A,H / the checksum; EX DE,HL; LD HL,(78F9h); LD A,L / the checksum;
// LD A,H / the checksum; CALL 0x3AF8; LD A,(DE); INC DE.
constexpr int32_t ADDRESS_LOOPS[4] = {19 + 4 + 19 + LD_R_R, CHECKSUM_ADD + 4 + 16 + LD_R_R, CHECKSUM_ADD + LD_R_R,
                                      CHECKSUM_ADD + BREAK_TEST_AND_RETURN + 7 + 6};
// ROM 0x34EC, the body loop: the checksum, CALL 0x3AF8, RST 18h (JP 7806h;
// JP 1C90h: LD A,H; SUB D; RET NZ, or on the end's page LD A,L; SUB E;
// RET), JR NZ; LD A,(DE); INC DE. After it LD A,(IX+0) for the checksum's
// low byte, LD A,(IX+1) for its high; then LD B,14h; XOR A and the
// trailer's DJNZ loop at 0x3509.
constexpr int32_t COMPARE_HIGH = 11 + 10 + 10 + LD_R_R + 4;
constexpr int32_t COMPARE_BOTH = COMPARE_HIGH + RET_NOT + LD_R_R + 4 + RET;
constexpr int32_t BODY_LOOP = CHECKSUM_ADD + BREAK_TEST_AND_RETURN + COMPARE_HIGH + RET_TAKEN + JR_TAKEN + 7 + 6;
constexpr int32_t BODY_LOOP_LAST_PAGE = CHECKSUM_ADD + BREAK_TEST_AND_RETURN + COMPARE_BOTH + JR_TAKEN + 7 + 6;
constexpr int32_t BODY_TO_CHECKSUM = CHECKSUM_ADD + BREAK_TEST_AND_RETURN + COMPARE_BOTH + JR_NOT + 19;
constexpr int32_t CHECKSUM_LOOP = 19;
constexpr int32_t CHECKSUM_TO_TRAILER = LD_R_N + 4;
constexpr int32_t TRAILER_LOOP = DJNZ_TAKEN;
static_assert(BODY_LOOP == 266 && NAME_PAUSE == 10819);

// Between two programs on one tape: the time a user takes to type the next
// CSAVE, at the least.
constexpr int64_t PROGRAM_GAP = TAPE_CYCLES_PER_SECOND;

// ROM 0x3629: CLOAD takes at most 0x12 bytes of name, its 0 included.
constexpr int NAME_MOST = 0x12;

void pulse(TapeSignalWriter& out, int32_t high, int32_t low)
{
    holdTapeLevel(out, true, high);
    holdTapeLevel(out, false, low);
}

// One byte as CSAVE writes it, most significant bit first.
void writeByte(TapeSignalWriter& out, uint8_t byte)
{
    for (int bit = 7; bit >= 0; --bit) {
        if (byte >> bit & 1) {
            pulse(out, SHORT_HIGH, LOW_BEFORE_ONE);
            pulse(out, SHORT_HIGH, LOW_BETWEEN_ONES);
            pulse(out, SHORT_HIGH, LOW_AFTER_ONE);
        } else {
            pulse(out, SHORT_HIGH, LOW_BEFORE_ZERO);
            pulse(out, LONG_HIGH, LOW_AFTER_ZERO);
        }
    }
}

void refuse(CvzReader& reader, const char* reason)
{
    reader.part = CvzPart::Refused;
    reader.reason = reason;
}

void enter(CvzReader& reader, CvzPart part)
{
    reader.part = part;
    reader.count = 0;
}

int addressAt(const CvzReader& reader, int index) { return reader.addresses[index] | reader.addresses[index + 1] << 8; }

// The cycles CSAVE's loops spend between the byte before (whose part the
// reader is in) and this one.
int32_t loopBefore(const CvzReader& reader, uint8_t byte)
{
    switch (reader.part) {
    case CvzPart::Leader: return byte == CVZ_SYNC ? LEADER_TO_SYNC : LEADER_LOOP;
    case CvzPart::Sync: return byte == CVZ_SYNC ? LEADER_LOOP : SYNC_TO_TYPE;
    case CvzPart::Type: return TYPE_TO_NAME;
    case CvzPart::Name: return NAME_LOOP;
    case CvzPart::Addresses: return reader.count == 0 ? NAME_PAUSE : ADDRESS_LOOPS[reader.count - 1];
    case CvzPart::Body: {
        if (reader.count == 0) return ADDRESS_LOOPS[3];
        // DE has moved past the byte before: on the end's page RST 18h
        // compares the low bytes too.
        int next = addressAt(reader, 0) + reader.count;
        return (next >> 8) == (addressAt(reader, 2) >> 8) ? BODY_LOOP_LAST_PAGE : BODY_LOOP;
    }
    case CvzPart::Checksum: return reader.count == 0 ? BODY_TO_CHECKSUM : CHECKSUM_LOOP;
    case CvzPart::Trailer: return reader.count == 0 ? CHECKSUM_TO_TRAILER : TRAILER_LOOP;
    case CvzPart::Refused: break;
    }
    return 0;
}

// Where the tape goes on after the byte.
void takeByte(CvzReader& reader, uint8_t byte)
{
    ++reader.count;
    switch (reader.part) {
    case CvzPart::Leader:
        if (byte == CVZ_SYNC) enter(reader, CvzPart::Sync);
        else if (byte != CVZ_LEADER) refuse(reader, "its leader of 0x80 bytes is followed by no sync bytes 0xFE");
        return;
    case CvzPart::Sync:
        // The first byte that is no sync byte is the program's type.
        if (byte != CVZ_SYNC) enter(reader, CvzPart::Type);
        return;
    case CvzPart::Type:
    case CvzPart::Name:
        if (byte == 0) return enter(reader, CvzPart::Addresses);
        if (reader.part == CvzPart::Type) {
            enter(reader, CvzPart::Name);
            reader.count = 1;
        }
        // With its 0 the name would be longer than CLOAD reads.
        if (reader.count == NAME_MOST) refuse(reader, "its program's name is longer than 17 characters");
        return;
    case CvzPart::Addresses:
        reader.addresses[reader.count - 1] = byte;
        if (reader.count < 4) return;
        if (addressAt(reader, 2) < addressAt(reader, 0)) {
            return refuse(reader, "its program's end address lies before its start address");
        }
        reader.bodyLeft = static_cast<uint32_t>(addressAt(reader, 2) - addressAt(reader, 0));
        return enter(reader, reader.bodyLeft == 0 ? CvzPart::Checksum : CvzPart::Body);
    case CvzPart::Body:
        if (--reader.bodyLeft == 0) enter(reader, CvzPart::Checksum);
        return;
    case CvzPart::Checksum:
        if (reader.count == 2) enter(reader, CvzPart::Trailer);
        return;
    case CvzPart::Trailer:
    case CvzPart::Refused: return;
    }
}

}  // namespace

bool looksLikeCvz(const uint8_t* bytes, size_t size) { return size > 0 && bytes[0] == CVZ_LEADER; }

void beginCvz(CvzReader& reader) { reader = CvzReader{CvzPart::Leader, 0, {}, 0, nullptr}; }

void feedCvz(CvzReader& reader, const uint8_t* bytes, size_t size, TapeSignalWriter& out)
{
    for (size_t i = 0; i < size && reader.part != CvzPart::Refused; ++i) {
        uint8_t byte = bytes[i];
        if (reader.part == CvzPart::Trailer && byte == CVZ_LEADER) {
            // The next program, after the pause a user makes.
            holdTapeLevel(out, false, PROGRAM_GAP);
            enter(reader, CvzPart::Leader);
        } else if (reader.part != CvzPart::Leader || reader.count > 0) {
            holdTapeLevel(out, false, BYTE_END + loopBefore(reader, byte));
        }
        takeByte(reader, byte);
        writeByte(out, byte);
    }
}

bool endCvz(CvzReader& reader, TapeSignalWriter& out, const char*& reason)
{
    endTapeSignal(out);
    switch (reader.part) {
    case CvzPart::Trailer: return true;
    case CvzPart::Refused: reason = reader.reason; break;
    case CvzPart::Leader:
    case CvzPart::Sync:
    case CvzPart::Type: reason = "it is cut short: it ends before its program's name"; break;
    case CvzPart::Name:
    case CvzPart::Addresses: reason = "it is cut short: it ends before its program's body"; break;
    case CvzPart::Body: reason = "it is cut short: it ends inside its program's body"; break;
    case CvzPart::Checksum: reason = "it is cut short: it ends before its program's checksum"; break;
    }
    return false;
}

// ---- The output's signal back into bytes --------------------------------

namespace {

// A pulse longer than halfway from short to long is long.
constexpr int64_t LONG_PULSE_LEAST = (SHORT_HIGH + LONG_HIGH) / 2;
// A low this long ends a burst: CSAVE never rests so long inside one.
constexpr int64_t BURST_GAP = TAPE_CYCLES_PER_SECOND / 10;
static_assert(BURST_GAP > NAME_PAUSE + LOW_AFTER_ZERO + BYTE_END);

enum class BitPart : uint8_t { Start, AfterFirst, AfterSecondShort };

struct BitDecoder {
    BitPart part;
    bool aligned;  // since the burst's first 1, its leader's first bit
    int bits;
    uint8_t byte;
};

// A bit from the pulses: 0 or 1 once complete, -1 while not.
int takePulse(BitDecoder& decoder, bool isLong)
{
    switch (decoder.part) {
    case BitPart::Start:
        if (!isLong) decoder.part = BitPart::AfterFirst;
        return -1;
    case BitPart::AfterFirst:
        if (isLong) {
            decoder.part = BitPart::Start;
            return 0;
        }
        decoder.part = BitPart::AfterSecondShort;
        return -1;
    case BitPart::AfterSecondShort:
        decoder.part = BitPart::Start;
        return isLong ? -1 : 1;
    }
    return -1;
}

}  // namespace

size_t cvzFromSignal(const TapeSignal& signal, uint8_t* out, size_t capacity)
{
    size_t written = 0;
    BitDecoder decoder{BitPart::Start, false, 0, 0};
    uint32_t index = 0;
    for (bool high = false;; high = !high) {
        int64_t cycles = nextTapeLevel(signal, index);
        if (cycles < 0) break;
        if (!high) {
            if (cycles >= BURST_GAP) decoder = BitDecoder{BitPart::Start, false, 0, 0};
            continue;
        }
        int bit = takePulse(decoder, cycles >= LONG_PULSE_LEAST);
        if (bit < 0 || (!decoder.aligned && bit == 0)) continue;
        decoder.aligned = true;
        decoder.byte = static_cast<uint8_t>(decoder.byte << 1 | bit);
        if (++decoder.bits < 8) continue;
        if (written == capacity) break;
        out[written++] = decoder.byte;
        decoder.bits = 0;
    }
    return written;
}
