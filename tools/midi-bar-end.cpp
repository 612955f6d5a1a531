// zorbel-midi-bar-end IN.mid OUT.mid
//
// abc2midi closes every track 25 pulses after its last event. For a tune that
// loops, those pulses are a short stumble at every turn, so this tool moves the
// End of Track of every track to the end of the bar in which the last event
// lies: the file then lasts a whole number of bars and the loop keeps the beat.
// The bar length comes from the file's first time signature (4/4 when it has
// none). The file must pass the game's own tune check first (MidiCheck.h),
// which also tells where each End of Track lies; only the delta time of each
// End of Track changes, every other byte is kept as it is.

#include "audio/MidiCheck.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

using zorbel::audio::checkMidi;
using zorbel::audio::MidiCheck;

namespace
{

using Bytes = std::vector<unsigned char>;

void putNumber(Bytes& out, std::uint32_t value) // a variable-length number
{
    unsigned char groups[4];
    int n = 0;
    do {
        groups[n++] = value & 0x7F;
        value >>= 7;
    } while (value);
    while (n > 1)
        out.push_back(groups[--n] | 0x80);
    out.push_back(groups[0]);
}

void put32(Bytes& out, std::size_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back((value >> shift) & 0xFF);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s IN.mid OUT.mid\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    Bytes file;
    if (in)
        file.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    const MidiCheck midi = checkMidi(file.data(), file.size());
    if (!in || !midi.ok) {
        std::fprintf(stderr, "%s: %s is not a tune the game would play (%s)\n", argv[0], argv[1],
                     in ? midi.error.c_str() : "cannot read it");
        return 1;
    }

    const std::uint64_t bar = std::uint64_t(midi.pulsesPerQuarter) * 4 *
                              unsigned(midi.timeSigNumerator) / unsigned(midi.timeSigDenominator);
    std::uint64_t last = 0;
    for (const auto& track : midi.tracks)
        last = std::max(last, track.lastPulse);
    const std::uint64_t end = bar ? (last + bar - 1) / bar * bar : 0;
    if (end == 0) {
        std::fprintf(stderr, "%s: %s has no bar to end on\n", argv[0], argv[1]);
        return 1;
    }

    Bytes out;
    std::size_t copied = 0; // header and chunks of other kinds pass unchanged
    for (const auto& track : midi.tracks) {
        out.insert(out.end(), file.begin() + long(copied), file.begin() + long(track.chunkOffset));
        Bytes body(file.begin() + long(track.chunkOffset + 8), file.begin() + long(track.endOffset));
        if (end - track.lastPulse > 0x0FFFFFFF) {
            std::fprintf(stderr, "%s: %s: the bar end lies too far away\n", argv[0], argv[1]);
            return 1;
        }
        putNumber(body, std::uint32_t(end - track.lastPulse));
        body.insert(body.end(), {0xFF, 0x2F, 0x00});
        out.insert(out.end(), {'M', 'T', 'r', 'k'});
        put32(out, body.size());
        out.insert(out.end(), body.begin(), body.end());
        copied = track.chunkEnd;
    }
    out.insert(out.end(), file.begin() + long(copied), file.end());

    const MidiCheck written = checkMidi(out.data(), out.size());
    std::ofstream o(argv[2], std::ios::binary | std::ios::trunc);
    o.write(reinterpret_cast<const char*>(out.data()), long(out.size()));
    if (!written.ok || !o.flush()) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
