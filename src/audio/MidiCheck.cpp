#include "audio/MidiCheck.h"

#include <algorithm>
#include <cstring>

namespace zorbel::audio
{

namespace
{

constexpr std::uint32_t kDefaultTempo = 500000; // microseconds a quarter note: 120 a minute

std::uint32_t be32(const unsigned char* p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

unsigned be16(const unsigned char* p)
{
    return unsigned(p[0]) << 8 | p[1];
}

struct TempoSegment {
    std::uint64_t pulse;
    double seconds; // at pulse
    std::uint32_t usPerQuarter;
};

class Checker
{
public:
    Checker(const unsigned char* data, std::size_t size) : d_(data), n_(size) {}
    bool run(MidiCheck& out);
    std::string error;

private:
    bool fail(const char* why)
    {
        error = why;
        return false;
    }
    bool readNumber(std::size_t& pos, std::size_t end, std::uint32_t& value);
    bool checkTrack(std::size_t pos, std::size_t end, MidiCheck& out);
    double secondsAt(std::uint64_t pulse) const;

    const unsigned char* d_;
    std::size_t n_;
    std::vector<TempoSegment> tempos_; // sorted by pulse once every track is read
    std::uint64_t timeSigPulse_ = 0;
    bool sawTimeSig_ = false;
    double secondsPerPulseUnit_ = 0.0; // seconds per pulse per microsecond of tempo
};

// A variable-length number: seven bits a byte, high bit set on all but the
// last, at most four bytes.
bool Checker::readNumber(std::size_t& pos, std::size_t end, std::uint32_t& value)
{
    value = 0;
    for (int i = 0; i < 4; ++i) {
        if (pos >= end)
            return fail("an event runs past the end of its track");
        const unsigned char b = d_[pos++];
        value = value << 7 | (b & 0x7F);
        if (!(b & 0x80))
            return true;
    }
    return fail("a variable-length number longer than four bytes");
}

bool Checker::checkTrack(std::size_t pos, std::size_t end, MidiCheck& out)
{
    MidiTrackInfo info;
    info.chunkOffset = pos - 8;
    const int track = int(out.tracks.size());
    std::uint64_t pulse = 0;
    unsigned char running = 0; // status of the last channel message; 0: none
    while (pos < end) {
        const std::size_t eventStart = pos;
        std::uint32_t delta = 0;
        if (!readNumber(pos, end, delta))
            return false;
        if (pos >= end)
            return fail("an event runs past the end of its track");
        pulse += delta;
        unsigned char status = d_[pos];
        if (status & 0x80)
            ++pos;
        else if (running)
            status = running;
        else
            return fail("running status without a channel message before it");

        if (status < 0xF0) {
            const std::size_t count = (status & 0xE0) == 0xC0 ? 1 : 2; // program, pressure: one
            if (end - pos < count)
                return fail("an event runs past the end of its track");
            if ((d_[pos] & 0x80) || (count == 2 && (d_[pos + 1] & 0x80)))
                return fail("a channel message cut short by a status byte");
            out.events.push_back(MidiChannelEvent{pulse, 0.0, track, status, d_[pos],
                                                  count == 2 ? d_[pos + 1] : std::uint8_t(0)});
            pos += count;
            running = status;
            info.lastPulse = pulse;
            continue;
        }
        running = 0; // system exclusive and meta events end running status
        if (status != 0xF0 && status != 0xF7 && status != 0xFF)
            return fail("a status byte that has no place in a file");
        unsigned char type = 0;
        if (status == 0xFF) {
            if (pos >= end)
                return fail("an event runs past the end of its track");
            type = d_[pos++];
            if (type & 0x80)
                return fail("a meta event type above 127");
        }
        std::uint32_t length = 0;
        if (!readNumber(pos, end, length))
            return false;
        if (end - pos < length)
            return fail("an event runs past the end of its track");
        const unsigned char* m = d_ + pos;
        pos += length;
        if (status != 0xFF) {
            info.lastPulse = pulse;
            continue;
        }
        if (type == 0x2F) {
            if (length != 0)
                return fail("an End of Track event with data");
            if (pos != end)
                return fail("data after the End of Track event");
            info.endOffset = eventStart;
            info.chunkEnd = end;
            info.endPulse = pulse;
            out.tracks.push_back(info);
            return true;
        }
        if (type == 0x51) {
            if (length != 3)
                return fail("a tempo event not three bytes long");
            const std::uint32_t us = std::uint32_t(m[0]) << 16 | std::uint32_t(m[1]) << 8 | m[2];
            if (us == 0)
                return fail("a tempo of zero");
            tempos_.push_back(TempoSegment{pulse, 0.0, us});
        } else if (type == 0x58) {
            if (length != 4 || m[0] == 0 || m[1] > 6)
                return fail("a malformed time signature");
            if (!sawTimeSig_ || pulse < timeSigPulse_) {
                sawTimeSig_ = true;
                timeSigPulse_ = pulse;
                out.timeSigNumerator = m[0];
                out.timeSigDenominator = 1 << m[1];
            }
        }
        info.lastPulse = pulse;
    }
    return fail("a track without an End of Track event");
}

double Checker::secondsAt(std::uint64_t pulse) const
{
    // The last segment that starts at or before pulse (the first starts at 0).
    auto it = std::upper_bound(tempos_.begin(), tempos_.end(), pulse,
                               [](std::uint64_t p, const TempoSegment& s) { return p < s.pulse; });
    const TempoSegment& s = *(it - 1);
    return s.seconds + double(pulse - s.pulse) * s.usPerQuarter * secondsPerPulseUnit_;
}

bool Checker::run(MidiCheck& out)
{
    if (n_ > kMaxMidiBytes)
        return fail("larger than 1 MiB");
    if (n_ < 14 || std::memcmp(d_, "MThd", 4) != 0)
        return fail("not a Standard MIDI File");
    const std::uint32_t headerLength = be32(d_ + 4);
    if (headerLength < 6 || headerLength > n_ - 8)
        return fail("a header chunk of the wrong length");
    out.format = int(be16(d_ + 8));
    const unsigned trackCount = be16(d_ + 10);
    const unsigned division = be16(d_ + 12);
    if (out.format > 1)
        return fail("a MIDI file format other than 0 and 1");
    if (trackCount == 0 || (out.format == 0 && trackCount != 1))
        return fail("a wrong number of tracks for its format");
    if (division & 0x8000)
        return fail("time-code timing, which is not supported");
    if (division == 0)
        return fail("a division of zero pulses a quarter note");
    out.pulsesPerQuarter = int(division);

    std::size_t pos = 8 + std::size_t(headerLength);
    while (pos < n_) {
        if (n_ - pos < 8)
            return fail("stray bytes after the last chunk");
        const std::uint32_t length = be32(d_ + pos + 4);
        if (length > n_ - pos - 8)
            return fail("a chunk runs past the end of the file");
        const bool isTrack = std::memcmp(d_ + pos, "MTrk", 4) == 0;
        pos += 8;
        if (isTrack) {
            if (out.tracks.size() == trackCount)
                return fail("more track chunks than the header says");
            if (!checkTrack(pos, pos + length, out))
                return false;
        }
        pos += length; // chunks of other kinds are skipped
    }
    if (out.tracks.size() != trackCount)
        return fail("fewer track chunks than the header says");

    // The tempo map, from every track's tempo events; of several at the same
    // pulse the last one read counts.
    std::stable_sort(tempos_.begin(), tempos_.end(),
                     [](const TempoSegment& a, const TempoSegment& b) { return a.pulse < b.pulse; });
    tempos_.insert(tempos_.begin(), TempoSegment{0, 0.0, kDefaultTempo});
    secondsPerPulseUnit_ = 1e-6 / division;
    for (std::size_t i = 1; i < tempos_.size(); ++i) {
        const TempoSegment& prev = tempos_[i - 1];
        tempos_[i].seconds =
            prev.seconds + double(tempos_[i].pulse - prev.pulse) * prev.usPerQuarter * secondsPerPulseUnit_;
    }

    std::uint64_t endPulse = 0;
    for (const MidiTrackInfo& t : out.tracks)
        endPulse = std::max(endPulse, t.endPulse);
    if (endPulse == 0)
        return fail("the tune is empty");
    out.seconds = secondsAt(endPulse);
    if (out.seconds > kMaxMidiSeconds)
        return fail("longer than an hour");

    std::stable_sort(out.events.begin(), out.events.end(),
                     [](const MidiChannelEvent& a, const MidiChannelEvent& b) { return a.pulse < b.pulse; });
    for (MidiChannelEvent& e : out.events)
        e.seconds = secondsAt(e.pulse);
    return true;
}

} // namespace

MidiCheck checkMidi(const unsigned char* data, std::size_t size)
{
    MidiCheck out;
    Checker checker(data, size);
    if (!checker.run(out)) {
        MidiCheck refused;
        refused.error = checker.error;
        return refused;
    }
    out.ok = true;
    return out;
}

} // namespace zorbel::audio
