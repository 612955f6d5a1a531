#!/bin/sh
# Installs the Debian 12 packages that Zorbel needs to build, test and run.
# Skips apt-get entirely when every package is already installed.
set -eu

PACKAGES="
g++
cmake
make
pkg-config
qt6-base-dev
qt6-qpa-plugins
qt6-wayland
libgl-dev
libsdl2-mixer-dev
libfluidsynth-dev
timgm6mb-soundfont
fonts-ipafont
abcmidi
fluidsynth
sox
librsvg2-bin
desktop-file-utils
qt6-translations-l10n
nodejs
chromium
scdoc
dpkg-dev
file
appstream
lintian
tidy
weston
"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
        missing="$missing $p"
    fi
done

if [ -z "$missing" ]; then
    exit 0
fi

echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
else
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
# shellcheck disable=SC2086
$SUDO apt-get install -y -q --no-install-recommends $missing
