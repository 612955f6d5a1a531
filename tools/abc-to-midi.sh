#!/bin/sh
# abc-to-midi.sh ABC2MIDI BAR_END_TOOL IN.abc OUT.mid WORK_DIR
#
# Compiles one tune from ABC notation to a Standard MIDI File and ends every
# track on the tune's last bar line (see midi-bar-end.cpp), so that a looping
# tune keeps its beat when it starts again.
# Any warning from abc2midi fails the build (abc2midi-strict.sh).
set -eu

abc2midi=$1
barend=$2
in=$3
out=$4
work=$5

mkdir -p "$work"
stem=$(basename "$out" .mid)
raw="$work/$stem.raw.mid"
log="$work/$stem.abc2midi.log"

sh "$(dirname "$0")/abc2midi-strict.sh" "$abc2midi" "$in" "$raw" "$log"
# Write beside the work files first, so that a failed step never leaves a
# half-written tune where the game looks for it.
"$barend" "$raw" "$work/$stem.mid"
mv -f "$work/$stem.mid" "$out"
