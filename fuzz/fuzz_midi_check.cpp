// libFuzzer target for the tune check: it must never read outside the bytes
// it is given, and what it accepts must hold together.
#include "audio/MidiCheck.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const zorbel::audio::MidiCheck r = zorbel::audio::checkMidi(data, size);
    if (r.ok != r.error.empty())
        std::abort();
    if (!r.ok)
        return 0;
    if (!(r.seconds > 0.0 && r.seconds <= zorbel::audio::kMaxMidiSeconds) || r.tracks.empty())
        std::abort();
    for (const auto& t : r.tracks) // each End of Track lies inside its chunk: FF 2F 00 ends it
        if (t.endOffset >= t.chunkEnd || t.chunkEnd > size || data[t.chunkEnd - 2] != 0x2F)
            std::abort();
    for (std::size_t i = 1; i < r.events.size(); ++i)
        if (r.events[i].pulse < r.events[i - 1].pulse || r.events[i].seconds < r.events[i - 1].seconds)
            std::abort();
    return 0;
}
