#!/bin/sh
# abc-to-midi.sh ABC2MIDI BAR_END_TOOL IN.abc OUT.mid WORK_DIR
#
# Compiles one tune from ABC notation to a Standard MIDI File and ends every
# track on the tune's last bar line (see midi-bar-end.cpp), so that a looping
# tune keeps its beat when it starts again.
#
# abc2midi exits with 0 even when it finds mistakes, so any warning or error it
# prints fails the build here: a bar of the wrong length or a voice shorter than
# the others would otherwise slip into the game unnoticed.
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

if ! "$abc2midi" "$in" -o "$raw" >"$log" 2>&1; then
    cat "$log" >&2
    exit 1
fi
if grep -E -q 'Warning|Error' "$log"; then
    grep -E 'Warning|Error' "$log" | sed "s|^|$in: |" >&2
    exit 1
fi
# Write beside the work files first, so that a failed step never leaves a
# half-written tune where the game looks for it.
"$barend" "$raw" "$work/$stem.mid"
mv -f "$work/$stem.mid" "$out"
