#!/bin/sh
# Configures and builds Zorbel. Usage: scripts/build.sh BUILD_DIR [cmake options...]
# Configures every time, so an option given later is never silently ignored.
set -eu
cd "$(dirname "$0")/.."
dir=$1
shift
cmake -S . -B "$dir" "$@"
cmake --build "$dir" --parallel "$(nproc)"
