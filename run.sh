#!/bin/sh
# Installs what is missing, builds the game in build/ (not its tests) and
# starts it.
set -eu
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build
cmake --build build --parallel "$(nproc)" --target zorbel_program
exec ./build/zorbel "$@"
