#include "machine/wav_tape.h"

#include <algorithm>
#include <cstring>

namespace {

uint32_t read16(const uint8_t* p) { return static_cast<uint32_t>(p[0] | p[1] << 8); }
uint32_t read32(const uint8_t* p) { return read16(p) | read16(p + 2) << 16; }

void put16(uint8_t*& p, uint32_t value)
{
    *p++ = static_cast<uint8_t>(value);
    *p++ = static_cast<uint8_t>(value >> 8);
}

void put32(uint8_t*& p, uint32_t value)
{
    put16(p, value & 0xFFFF);
    put16(p, value >> 16);
}

void putTag(uint8_t*& p, const char* tag)
{
    std::memcpy(p, tag, 4);
    p += 4;
}

bool isTag(const uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

constexpr uint16_t FORMAT_PCM = 1;
constexpr uint16_t FORMAT_EXTENSIBLE = 0xFFFE;  // its subformat's first two bytes are the tag
constexpr uint32_t EXTENSIBLE_SUBFORMAT_AT = 24;
constexpr uint32_t FORMAT_LEAST = 16;
constexpr uint32_t RATE_LEAST = 8000;
constexpr uint32_t RATE_MOST = 96000;

// Values inside the comparator and the writer carry 8 bits of fraction; the
// filters' factors 30.
constexpr int FRACTION = 8;
constexpr int FACTOR = 30;
constexpr int64_t ONE = int64_t{1} << FACTOR;

// The lead's coupling capacitor: a high-pass near 20 Hz, which takes out a
// recording's offset and leaves the 0.6 ms pulses all but whole.
constexpr double COUPLING_HZ = 20.0;
int64_t highPassPole(uint32_t rate)
{
    return static_cast<int64_t>((1.0 - 2.0 * 3.141592653589793 * COUPLING_HZ / rate) * static_cast<double>(ONE));
}

int64_t highPass(int64_t input, int64_t& lastInput, int64_t& filtered, int64_t pole)
{
    filtered = input - lastInput + (filtered * pole >> FACTOR);
    lastInput = input;
    return filtered;
}

// The envelope falls by a factor e in 20 ms, so it follows a tape whose
// loudness wanders but holds over the gaps between pulses.
constexpr uint32_t ENVELOPE_SAMPLES_PER_SECOND = 50;
// Below 2% of full scale nothing counts, so that the hiss of a quiet stretch
// does not.
constexpr int64_t THRESHOLD_LEAST = (32768 / 50) << FRACTION;
constexpr int ENVELOPE_TO_THRESHOLD = 2;  // a quarter: shifted by 2
constexpr int SLOPE_STEP_SHIFT = 5;
constexpr int64_t SLOPE_SAMPLES_MOST = 1024;

// A tape with fewer changes of level holds not one byte CLOAD could read.
constexpr uint32_t CHANGES_LEAST = 32;

void beginComparator(WavComparator& c, uint32_t rate)
{
    c = WavComparator{};
    c.pole = highPassPole(rate);
    c.decay = ONE - ONE / (rate / ENVELOPE_SAMPLES_PER_SECOND);
}

int64_t cycleOfSample(int64_t sample, int64_t fraction16, uint32_t rate)
{
    return (sample * TAPE_CYCLES_PER_SECOND + (fraction16 * TAPE_CYCLES_PER_SECOND >> 16)) / rate;
}

// Where between the sample before and this one the signal passed level,
// in 1/65536ths of a sample.
int64_t crossingFraction(int64_t before, int64_t now, int64_t level)
{
    if (now == before) return 0x10000;
    return std::clamp<int64_t>(((level - before) << 16) / (now - before), 0, 0x10000);
}

// Short enough for a short pulse or the low after one, long enough not to be
// a click.
constexpr int64_t SHORT_LEVEL_LEAST = 700;
constexpr int64_t SHORT_LEVEL_MOST = 1400;
bool isShortLevel(int64_t cycles) { return cycles >= SHORT_LEVEL_LEAST && cycles <= SHORT_LEVEL_MOST; }

void placeChange(WavComparator& c, int64_t cycle, TapeSignalWriter& out)
{
    int64_t cycles = cycle - c.lastChange;
    if (!c.high) c.lastHigh = cycles;
    else if (isShortLevel(cycles) && isShortLevel(c.lastHigh)) c.balance += cycles - c.lastHigh;
    holdTapeLevel(out, !c.high, cycles);
    c.lastChange = std::max(c.lastChange, cycle);
    c.pending = false;
    c.steepest[0] = c.steepest[1] = WavSlope{};
}

// A slope has ended: the steepest of its direction since the last change is
// the edge. Its middle is the centroid of its steps from sample to sample,
// each between its two samples: for an edge the recording's filters smoothed,
// or that fell between two samples, where it was.
void endSlope(WavComparator& c, uint32_t rate)
{
    if (c.slopeDirection == 0 || c.slopeSum == 0) return;
    WavSlope& steepest = c.steepest[c.slopeDirection > 0];
    if (c.slopeSum <= steepest.sum) return;
    int64_t fraction = c.slopeMoment / c.slopeSum * 0x10000 + (c.slopeMoment % c.slopeSum << 16) / c.slopeSum;
    steepest = WavSlope{c.slopeSum, cycleOfSample(c.slopeStart - 1, 0x8000 + fraction, rate)};
}

// The change the hysteresis found, at its edge, or where the threshold was
// crossed when no slope led there.
void placeAtEdge(WavComparator& c, int64_t crossing, TapeSignalWriter& out)
{
    const WavSlope& edge = c.steepest[c.high];
    placeChange(c, edge.sum > 0 ? edge.cycle : crossing, out);
}

void compare(WavComparator& c, int32_t value, uint32_t rate, TapeSignalWriter& out)
{
    int64_t input = int64_t{value} << FRACTION;
    // The first sample sets the level the coupling has settled on.
    if (c.sample == 0) c.lastInput = input;
    int64_t before = c.filtered;
    int64_t now = highPass(input, c.lastInput, c.filtered, c.pole);
    // The hysteresis decides that the level changed; the moment it changed
    // is the middle of the steepest slope towards it, which neither the size
    // of the thresholds nor a drift of the signal's middle moves. Steps
    // smaller than a 32nd of the envelope are the sag of a level the coupling
    // lets drift, or hiss: no slope. No slope is longer than an edge at 96 kHz
    // could be.
    int64_t step = now - before;
    int64_t least = c.envelope >> SLOPE_STEP_SHIFT;
    int8_t direction = step > least ? int8_t{1} : step < -least ? int8_t{-1} : int8_t{0};
    if (direction != c.slopeDirection || c.sample - c.slopeStart > SLOPE_SAMPLES_MOST) {
        endSlope(c, rate);
        if (c.pending) placeAtEdge(c, c.lastChange, out);
        c.slopeDirection = direction;
        c.slopeStart = c.sample;
        c.slopeSum = c.slopeMoment = 0;
    }
    if (direction != 0) {
        int64_t weight = step < 0 ? -step : step;
        c.slopeSum += weight;
        c.slopeMoment += weight * (c.sample - c.slopeStart);
    }
    c.envelope = std::max(now < 0 ? -now : now, c.envelope * c.decay >> FACTOR);
    int64_t threshold = std::max(c.envelope >> ENVELOPE_TO_THRESHOLD, THRESHOLD_LEAST);
    bool high = c.high ? now > -threshold : now > threshold;
    if (high != c.high) {
        c.high = high;
        ++c.changes;
        // On the slope still: its end may make it the steepest.
        c.pending = true;
        if (c.slopeDirection != (high ? 1 : -1)) {
            int64_t crossing = crossingFraction(before, now, high ? threshold : -threshold);
            placeAtEdge(c, cycleOfSample(c.sample - 1, crossing, rate), out);
        }
    }
    ++c.sample;
}

int32_t frameValue(const WavReader& reader, const uint8_t* frame)
{
    int32_t sum = 0;
    for (int channel = 0; channel < reader.channels; ++channel) {
        const uint8_t* at = frame + channel * reader.bytesPerSample;
        sum += reader.bytesPerSample == 1 ? (at[0] - 128) << 8 : static_cast<int16_t>(read16(at));
    }
    return reader.inverted ? -sum / reader.channels : sum / reader.channels;
}

void refuse(WavReader& reader, const char* reason)
{
    reader.part = WavPart::Refused;
    reader.reason = reason;
}

void want(WavReader& reader, WavPart part, uint32_t bytes)
{
    reader.part = part;
    reader.heldCount = 0;
    reader.heldWanted = bytes;
}

void skip(WavReader& reader, uint64_t bytes)
{
    reader.left = bytes;
    if (bytes == 0) return want(reader, WavPart::ChunkHeader, 8);
    want(reader, WavPart::Skip, 0);
}

void takeFormat(WavReader& reader)
{
    const uint8_t* f = reader.held;
    uint32_t tag = read16(f);
    if (tag == FORMAT_EXTENSIBLE && reader.heldCount >= EXTENSIBLE_SUBFORMAT_AT + 2) {
        tag = read16(f + EXTENSIBLE_SUBFORMAT_AT);
    }
    uint32_t channels = read16(f + 2), rate = read32(f + 4), bits = read16(f + 14);
    if (reader.heldCount < FORMAT_LEAST) return refuse(reader, "its format chunk is too short");
    if (tag != FORMAT_PCM) return refuse(reader, "its samples are not PCM");
    if (bits != 8 && bits != 16) return refuse(reader, "its samples are neither 8 nor 16 bits");
    if (channels != 1 && channels != 2) return refuse(reader, "it is neither mono nor stereo");
    if (rate < RATE_LEAST || rate > RATE_MOST) return refuse(reader, "its sample rate lies outside 8 to 96 kHz");
    reader.formatSeen = true;
    reader.channels = static_cast<uint16_t>(channels);
    reader.bytesPerSample = static_cast<uint16_t>(bits / 8);
    reader.rate = rate;
    beginComparator(reader.comparator, rate);
}

// A complete piece in held: what it says, and what comes next.
void takeHeld(WavReader& reader)
{
    const uint8_t* h = reader.held;
    switch (reader.part) {
    case WavPart::Riff:
        if (!isTag(h, "RIFF") || !isTag(h + 8, "WAVE")) return refuse(reader, "it is neither a .cvz nor a .wav tape");
        return want(reader, WavPart::ChunkHeader, 8);
    case WavPart::ChunkHeader: {
        uint32_t size = read32(h + 4);
        uint64_t padded = uint64_t{size} + (size & 1);
        if (isTag(h, "data")) {
            if (!reader.formatSeen) return refuse(reader, "its samples come before their format");
            reader.left = size;
            reader.part = size == 0 ? WavPart::Done : WavPart::Data;
            return want(reader, reader.part, uint32_t{reader.channels} * reader.bytesPerSample);
        }
        if (isTag(h, "fmt ")) {
            uint32_t kept = std::min<uint32_t>(size, sizeof reader.held);
            reader.left = padded - kept;
            return want(reader, WavPart::Format, kept);
        }
        return skip(reader, padded);
    }
    case WavPart::Format:
        takeFormat(reader);
        if (reader.part == WavPart::Refused) return;
        return skip(reader, reader.left);
    default: return;
    }
}

}  // namespace

void makeWavHeader(uint8_t header[WAV_HEADER_SIZE], uint32_t rate, uint32_t samples)
{
    constexpr uint16_t CHANNELS = 1, BYTES_PER_SAMPLE = 2;
    uint32_t dataBytes = samples * BYTES_PER_SAMPLE;
    uint8_t* p = header;
    putTag(p, "RIFF");
    put32(p, WAV_HEADER_SIZE - 8 + dataBytes);
    putTag(p, "WAVE");
    putTag(p, "fmt ");
    put32(p, FORMAT_LEAST);
    put16(p, FORMAT_PCM);
    put16(p, CHANNELS);
    put32(p, rate);
    put32(p, rate * CHANNELS * BYTES_PER_SAMPLE);
    put16(p, CHANNELS * BYTES_PER_SAMPLE);
    put16(p, 8 * BYTES_PER_SAMPLE);
    putTag(p, "data");
    put32(p, dataBytes);
}

bool looksLikeWav(const uint8_t* bytes, size_t size) { return size >= 4 && isTag(bytes, "RIFF"); }

void beginWav(WavReader& reader, bool inverted)
{
    reader = WavReader{};
    reader.inverted = inverted;
    want(reader, WavPart::Riff, 12);
}

int64_t wavBalance(const WavReader& reader) { return reader.comparator.balance; }

void feedWav(WavReader& reader, const uint8_t* bytes, size_t size, TapeSignalWriter& out)
{
    const uint8_t* end = bytes + size;
    while (bytes < end) {
        if (reader.part == WavPart::Refused || reader.part == WavPart::Done) return;
        if (reader.part == WavPart::Skip) {
            size_t skipped = static_cast<size_t>(std::min<uint64_t>(reader.left, static_cast<size_t>(end - bytes)));
            bytes += skipped;
            skip(reader, reader.left - skipped);
            continue;
        }
        if (reader.part == WavPart::Data && reader.heldCount == 0) {
            // Whole frames straight from the piece.
            size_t frame = reader.heldWanted;
            uint64_t available = std::min<uint64_t>(reader.left, static_cast<size_t>(end - bytes));
            size_t frames = static_cast<size_t>(available / frame);
            for (size_t i = 0; i < frames; ++i, bytes += frame) {
                compare(reader.comparator, frameValue(reader, bytes), reader.rate, out);
            }
            reader.left -= frames * frame;
            if (reader.left == 0) reader.part = WavPart::Done;
            if (frames > 0) continue;
        }
        size_t taken = std::min<size_t>(reader.heldWanted - reader.heldCount, static_cast<size_t>(end - bytes));
        if (reader.part == WavPart::Data) taken = static_cast<size_t>(std::min<uint64_t>(taken, reader.left));
        std::memcpy(reader.held + reader.heldCount, bytes, taken);
        reader.heldCount += static_cast<uint32_t>(taken);
        bytes += taken;
        if (reader.part != WavPart::Data) {
            if (reader.heldCount == reader.heldWanted) takeHeld(reader);
            continue;
        }
        reader.left -= taken;
        if (reader.heldCount == reader.heldWanted) {
            compare(reader.comparator, frameValue(reader, reader.held), reader.rate, out);
            reader.heldCount = 0;
        }
        if (reader.left == 0) reader.part = WavPart::Done;
    }
}

bool endWav(WavReader& reader, TapeSignalWriter& out, const char*& reason)
{
    WavComparator& c = reader.comparator;
    if (reader.part == WavPart::Done) {
        endSlope(c, reader.rate);
        if (c.pending) placeAtEdge(c, c.lastChange, out);
        holdTapeLevel(out, c.high, cycleOfSample(c.sample, 0, reader.rate) - c.lastChange);
    }
    endTapeSignal(out);
    switch (reader.part) {
    case WavPart::Done:
        if (c.changes >= CHANGES_LEAST) return true;
        reason = "it holds no tape: nothing in it is loud enough to turn the machine's input";
        break;
    case WavPart::Refused: reason = reader.reason; break;
    case WavPart::Data: reason = "it is cut short: it ends before the samples its header announces"; break;
    case WavPart::ChunkHeader:
        if (reader.heldCount == 0) {
            reason = "it holds no tape: it has no samples";
            break;
        }
        [[fallthrough]];
    default: reason = "it is cut short: it ends inside its header"; break;
    }
    return false;
}

// ---- Writing ----------------------------------------------------------------

namespace {

constexpr int64_t TICKS_PER_CYCLE = 12;
constexpr int64_t TICKS_PER_SAMPLE = TAPE_CYCLES_PER_SECOND * TICKS_PER_CYCLE / TAPE_WAV_RATE;
static_assert(TICKS_PER_SAMPLE * TAPE_WAV_RATE == TAPE_CYCLES_PER_SECOND * TICKS_PER_CYCLE);

// The level at rest and the high level, around 0 once coupled: well inside
// 16 bits even as a step from one to the other.
constexpr int64_t OUTPUT_AMPLITUDE = 12000;
constexpr uint64_t SAMPLES_MOST = (0xFFFFFFFFu - WAV_HEADER_SIZE) / 2;

// The ticks of high level in the next sample.
int64_t highTicksOfSample(WavWriter& writer, const TapeSignal& signal)
{
    int64_t needed = TICKS_PER_SAMPLE, high = 0;
    while (needed > 0) {
        if (writer.levelLeft == 0) {
            int64_t cycles = nextTapeLevel(signal, writer.index);
            // After its end the signal rests low.
            writer.high = cycles >= 0 && !writer.high;
            writer.levelLeft = cycles >= 0 ? cycles * TICKS_PER_CYCLE : TICKS_PER_SAMPLE;
            continue;
        }
        int64_t taken = std::min(needed, writer.levelLeft);
        if (writer.high) high += taken;
        needed -= taken;
        writer.levelLeft -= taken;
    }
    return high;
}

}  // namespace

uint64_t beginWavWriting(WavWriter& writer, const TapeSignal& signal)
{
    int64_t ticks = signal.length * TICKS_PER_CYCLE;
    uint64_t samples = static_cast<uint64_t>((ticks + TICKS_PER_SAMPLE - 1) / TICKS_PER_SAMPLE);
    samples = std::min(samples, SAMPLES_MOST);
    // Before the first level (low) the writer holds a high of no length.
    writer = WavWriter{0, true, 0, -1, static_cast<int64_t>(samples), -(OUTPUT_AMPLITUDE << FRACTION), 0};
    return WAV_HEADER_SIZE + 2 * samples;
}

size_t writeWavPiece(WavWriter& writer, const TapeSignal& signal, uint8_t* out, size_t capacity)
{
    uint8_t* p = out;
    if (writer.sample < 0) {
        if (capacity < WAV_HEADER_SIZE) return 0;
        makeWavHeader(p, TAPE_WAV_RATE, static_cast<uint32_t>(writer.samples));
        p += WAV_HEADER_SIZE;
        writer.sample = 0;
    }
    const int64_t pole = highPassPole(TAPE_WAV_RATE);
    while (writer.sample < writer.samples && static_cast<size_t>(p - out) + 2 <= capacity) {
        int64_t high = highTicksOfSample(writer, signal);
        int64_t input = ((2 * high - TICKS_PER_SAMPLE) * OUTPUT_AMPLITUDE << FRACTION) / TICKS_PER_SAMPLE;
        int64_t value = highPass(input, writer.lastInput, writer.filtered, pole) >> FRACTION;
        put16(p, static_cast<uint16_t>(std::clamp<int64_t>(value, INT16_MIN, INT16_MAX)));
        ++writer.sample;
    }
    return static_cast<size_t>(p - out);
}
