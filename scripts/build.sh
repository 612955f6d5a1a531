#!/bin/sh
# Configures and builds Zorbel. Usage: scripts/build.sh BUILD_DIR [cmake options...]
set -eu
cd "$(dirname "$0")/.."
dir=$1
shift
if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S . -B "$dir" "$@"
fi
cmake --build "$dir" --parallel "$(nproc)"
