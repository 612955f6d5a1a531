#!/bin/sh
# Builds the Debian package zorbel_<version>-<release>_<arch>.deb from a
# fresh build folder and runs lintian on it.
# Usage: scripts/package.sh [BUILD_DIR]    (default: build-package)
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
dir=${1:-build-package}
./scripts/build.sh "$dir" -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
(cd "$dir" && cpack -G DEB)
deb=$(ls "$dir"/zorbel_*.deb)
lintian --fail-on error --display-info "$deb"
echo "$deb"
