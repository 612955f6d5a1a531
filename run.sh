#!/bin/sh
# Installs what is missing, builds Zorbel in build/ and starts it.
set -eu
cd "$(dirname "$0")"
./scripts/install-deps.sh
./scripts/build.sh build
exec ./build/zorbel "$@"
