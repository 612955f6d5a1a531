#!/bin/sh
# The game starts and runs under a Wayland compositor (weston, headless),
# with Qt's Wayland platform plugin, and closes on SIGTERM as on X.
# Skipped (status 77) where weston is not installed.
# Usage: wayland.sh <program folder>
set -eu
command -v weston >/dev/null || { echo "SKIP: weston is not installed"; exit 77; }
dir=$1
work=$(mktemp -d)
trap 'kill $compositor 2>/dev/null || true; rm -rf "$work"' EXIT
# A copy of the program folder, so its zorbel.ini is the test's own.
mkdir "$work/game" "$work/run"
cp "$dir/zorbel" "$dir"/*.wav "$dir"/*.mid "$work/game/"
chmod 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config"
weston --backend=headless-backend.so --socket=zorbel-test --idle-time=0 >"$work/weston.log" 2>&1 &
compositor=$!
i=0
until [ -S "$work/run/zorbel-test" ]; do
    i=$((i + 1))
    [ $i -le 300 ] || { cat "$work/weston.log"; echo "FAIL: weston did not start"; exit 1; }
    sleep 0.1
done
# Under the sanitizers, no leak check here: libwayland-client and Qt's Wayland
# plugin keep their display tables until the process ends, and the plugin is
# unloaded before the check can name it. Our own code's leaks are checked by
# every other test of the game.
ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" \
QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=zorbel-test SDL_AUDIODRIVER=dummy \
    "$work/game/zorbel" >"$work/game.log" 2>&1 &
game=$!
# Past the splash and the start-up: the window is up and the menu saved.
i=0
until grep -q LevelMax "$work/game/zorbel.ini" 2>/dev/null; do
    i=$((i + 1))
    if [ $i -gt 600 ] || ! kill -0 $game 2>/dev/null; then
        cat "$work/game.log"; echo "FAIL: the game did not come up under Wayland"; exit 1
    fi
    sleep 0.1
done
kill -TERM $game
status=0
wait $game || status=$?
[ $status -eq 0 ] || { cat "$work/game.log"; echo "FAIL: exit status $status"; exit 1; }
echo "PASS"
