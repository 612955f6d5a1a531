#!/bin/sh
# render-sound.sh ABC2MIDI FLUIDSYNTH SOX SOUNDFONT IN.abc OUT.wav LENGTH FADE PEAK WORK_DIR
#
# Turns one sound effect written in ABC notation into a WAV file:
#   abc2midi   ABC -> MIDI (any warning or error fails the build),
#   fluidsynth MIDI -> WAV, rendered faster than real time with the SoundFont,
#   sox        cut to LENGTH seconds, a 3 ms fade-in and a FADE-second
#              fade-out so that neither end clicks, then the peak set to
#              PEAK dB below full scale.
# The result is 16-bit stereo at 44100 Hz. No dither is added, so the same
# sources always give the same bytes.
set -eu

abc2midi=$1
fluidsynth=$2
sox=$3
soundfont=$4
in=$5
out=$6
length=$7
fade=$8
peak=$9
work=${10}

mkdir -p "$work"
stem=$(basename "$out" .wav)
mid="$work/$stem.mid"
raw="$work/$stem.raw.wav"
log="$work/$stem.log"

sh "$(dirname "$0")/abc2midi-strict.sh" "$abc2midi" "$in" "$mid" "$log"

"$fluidsynth" -n -i -q -F "$raw" -T wav -O s16 -r 44100 "$soundfont" "$mid" >"$log" 2>&1 || {
    cat "$log" >&2
    exit 1
}

# Write beside the work files first, so that a failed step never leaves a
# half-written sound where the game looks for it.
"$sox" -D "$raw" -b 16 -r 44100 -c 2 "$work/$stem.wav" \
    trim 0 "$length" fade h 0.003 "$length" "$fade" gain -n "$peak"
mv -f "$work/$stem.wav" "$out"
