#!/bin/sh
# check-tunes.sh [PROGRAM_DIR] [GAIN]
#
# Listening check without a sound card: renders every tune in PROGRAM_DIR
# (default: build) to WAV with FluidSynth and the game's SoundFont, and prints
# one Markdown table row per tune with
#   - the loop period: a looping tune is rendered once and twice in a row,
#     the difference is the time from one start to the next,
#   - the rendered length (music plus the instruments' release tail),
#   - the peak and RMS level in dBFS.
# GAIN is FluidSynth's output gain. SDL_mixer sets it to volume x 1.2 / 128,
# so the default 0.9375 is what the game hears at a music volume of 100.
# Fails when a tune reaches -1 dBFS, where the game's mixer would start to clip.
# Takes some seconds per tune; it is a check to run by hand, not a unit test.
set -eu

dir=${1:-build}
gain=${2:-0.9375}
soundfont=/usr/share/sounds/sf2/TimGM6mb.sf2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

render() {
    out=$1
    shift
    fluidsynth -n -i -q -g "$gain" -F "$out" -T wav -O s16 -r 44100 "$soundfont" "$@" \
        >/dev/null 2>&1
}

status=0
echo "| Tune | Loop period (s) | Rendered (s) | Peak (dBFS) | RMS (dBFS) |"
echo "|---|---|---|---|---|"
for tune in rg1 rg2 rg3 rg4 rg5 rg7 rg8 rg9; do
    mid="$dir/$tune.mid"
    if [ ! -f "$mid" ]; then
        echo "$mid: missing" >&2
        status=1
        continue
    fi
    render "$work/once.wav" "$mid"
    once=$(soxi -D "$work/once.wav")
    period="played once"
    if [ "$tune" != rg9 ]; then
        render "$work/twice.wav" "$mid" "$mid"
        twice=$(soxi -D "$work/twice.wav")
        period=$(awk -v a="$twice" -v b="$once" 'BEGIN { printf "%.2f", a - b }')
    fi
    levels=$(sox "$work/once.wav" -n stats 2>&1 |
        awk '/^Pk lev dB/ { pk = $4 } /^RMS lev dB/ { rms = $4 } END { print pk, rms }')
    peak=${levels% *}
    rms=${levels#* }
    printf '| %s | %s | %.2f | %s | %s |\n' "$tune" "$period" "$once" "$peak" "$rms"
    if awk -v p="$peak" 'BEGIN { exit !(p > -1.0) }'; then
        echo "$tune peaks at $peak dBFS: it would clip" >&2
        status=1
    fi
done
exit $status
