#!/bin/sh
# abc2midi-strict.sh ABC2MIDI IN.abc OUT.mid LOG
#
# Runs abc2midi and fails on any warning or error it prints: abc2midi exits
# with 0 even when it finds mistakes, and a bar of the wrong length or a voice
# shorter than the others would otherwise slip into the game unnoticed.
set -eu

abc2midi=$1
in=$2
out=$3
log=$4

if ! "$abc2midi" "$in" -o "$out" >"$log" 2>&1; then
    cat "$log" >&2
    exit 1
fi
if grep -E -q 'Warning|Error' "$log"; then
    grep -E 'Warning|Error' "$log" | sed "s|^|$in: |" >&2
    exit 1
fi
