// The playing time of a Standard MIDI File, read from the file itself.
#pragma once

#include <QString>

namespace zorbel::audio
{

// Seconds from the start of the tune to its last event, following the
// file's tempo map; negative when the file is missing or cannot be parsed.
// Safe to call from any thread.
double midiLengthSeconds(const QString& path);

} // namespace zorbel::audio
