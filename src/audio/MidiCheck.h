// A strict, bounded check of a Standard MIDI File held in memory.
//
// Nothing reaches the mixer, FluidSynth or any tool that reads tunes before
// it has passed this check: a cut or garbled file made FluidSynth spin
// forever and made other readers read and write past their buffers. The
// check accepts formats 0 and 1 with pulses-per-quarter timing, and only
// when every chunk lies inside the file, every event is complete, every
// variable-length number has at most four bytes, running status follows a
// channel message only, and every track ends with an End of Track event
// (and nothing after it). Plain C++, no Qt: the fuzz target links it alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zorbel::audio
{

// A tune is a few kilobytes; anything larger is refused unread.
constexpr std::size_t kMaxMidiBytes = 1024 * 1024;
// A tune longer than this is refused (it keeps the time sums in range).
constexpr double kMaxMidiSeconds = 3600.0;

struct MidiChannelEvent {
    std::uint64_t pulse = 0; // from the start of the tune
    double seconds = 0.0;    // the same, following the tempo map
    int track = 0;           // numbered from 0
    std::uint8_t status = 0; // 0x80 ... 0xEF
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0; // 0 for messages with one data byte
};

struct MidiTrackInfo {
    std::size_t chunkOffset = 0; // where the "MTrk" of the chunk starts
    std::size_t endOffset = 0;   // where the delta time of its End of Track starts
    std::size_t chunkEnd = 0;    // just past the chunk (and its End of Track)
    std::uint64_t lastPulse = 0; // time of its last event before the End of Track
    std::uint64_t endPulse = 0;  // time of its End of Track
};

struct MidiCheck {
    bool ok = false;
    std::string error;    // why the file was refused; empty when ok
    double seconds = 0.0; // start to the last End of Track, through the tempo map
    int format = 0;
    int pulsesPerQuarter = 0;
    // The first time signature, 4/4 when there is none.
    int timeSigNumerator = 4;
    int timeSigDenominator = 4;
    std::vector<MidiTrackInfo> tracks;
    // Every channel message of every track, ordered by time (ties keep
    // track order).
    std::vector<MidiChannelEvent> events;
};

// Checks size bytes at data. A file that is structurally sound but lasts no
// time at all is refused too ("the tune is empty").
MidiCheck checkMidi(const unsigned char* data, std::size_t size);

} // namespace zorbel::audio
