#!/bin/sh
# Builds the Debian package from a build folder and checks what it ships:
# its files with their modes, its control fields and dependencies, the
# desktop entry, AppStream metadata and icons; then unpacks it into a
# scratch folder and starts the game from there, which must find its program
# folder and keep its progress in ~/.config/zorbel. Nothing outside the
# scratch folder changes.
# Usage: check-package.sh BUILD_DIR
set -eu

build=$1
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; }
deb=$work/out/zorbel_1.01-1_amd64.deb
[ -f "$deb" ] || fail "no zorbel_1.01-1_amd64.deb among: $(ls "$work/out")"

# Every entry with its mode and owner; the help page's own files are
# checked apart, as the page gains files.
dpkg-deb -c "$deb" | awk '{ print $1, $2, $6, $7, $8 }' | sed 's/ *$//' >"$work/contents"
grep -v '^-rw-r--r-- root/root ./usr/lib/zorbel/html/[^/]*$' "$work/contents" \
    >"$work/listed" || true
grep -q ' ./usr/lib/zorbel/html/index.htm$' "$work/contents" || fail "no help page"
cat >"$work/expected" <<'EOF'
drwxr-xr-x root/root ./usr/
drwxr-xr-x root/root ./usr/bin/
lrwxrwxrwx root/root ./usr/bin/zorbel-score -> ../lib/zorbel/zorbel-score
drwxr-xr-x root/root ./usr/games/
lrwxrwxrwx root/root ./usr/games/zorbel -> ../lib/zorbel/zorbel
drwxr-xr-x root/root ./usr/lib/
drwxr-xr-x root/root ./usr/lib/zorbel/
-rw-r--r-- root/root ./usr/lib/zorbel/buzzer1.wav
-rw-r--r-- root/root ./usr/lib/zorbel/drums2.wav
-rw-r--r-- root/root ./usr/lib/zorbel/fanfale1.wav
drwxr-xr-x root/root ./usr/lib/zorbel/html/
-rw-r--r-- root/root ./usr/lib/zorbel/pi2.wav
-rw-r--r-- root/root ./usr/lib/zorbel/rg1.mid
-rw-r--r-- root/root ./usr/lib/zorbel/rg2.mid
-rw-r--r-- root/root ./usr/lib/zorbel/rg3.mid
-rw-r--r-- root/root ./usr/lib/zorbel/rg4.mid
-rw-r--r-- root/root ./usr/lib/zorbel/rg5.mid
-rw-r--r-- root/root ./usr/lib/zorbel/rg7.mid
-rw-r--r-- root/root ./usr/lib/zorbel/rg8.mid
-rw-r--r-- root/root ./usr/lib/zorbel/rg9.mid
-rwxr-xr-x root/root ./usr/lib/zorbel/zorbel
-rwxr-xr-x root/root ./usr/lib/zorbel/zorbel-score
-rw-r--r-- root/root ./usr/lib/zorbel/zorbel.png
drwxr-xr-x root/root ./usr/share/
drwxr-xr-x root/root ./usr/share/applications/
-rw-r--r-- root/root ./usr/share/applications/io.github.zorbel.Zorbel.desktop
drwxr-xr-x root/root ./usr/share/doc/
drwxr-xr-x root/root ./usr/share/doc/zorbel/
-rw-r--r-- root/root ./usr/share/doc/zorbel/changelog.Debian.gz
-rw-r--r-- root/root ./usr/share/doc/zorbel/copyright
drwxr-xr-x root/root ./usr/share/icons/
drwxr-xr-x root/root ./usr/share/icons/hicolor/
drwxr-xr-x root/root ./usr/share/icons/hicolor/128x128/
drwxr-xr-x root/root ./usr/share/icons/hicolor/128x128/apps/
-rw-r--r-- root/root ./usr/share/icons/hicolor/128x128/apps/io.github.zorbel.Zorbel.png
drwxr-xr-x root/root ./usr/share/icons/hicolor/256x256/
drwxr-xr-x root/root ./usr/share/icons/hicolor/256x256/apps/
-rw-r--r-- root/root ./usr/share/icons/hicolor/256x256/apps/io.github.zorbel.Zorbel.png
drwxr-xr-x root/root ./usr/share/icons/hicolor/32x32/
drwxr-xr-x root/root ./usr/share/icons/hicolor/32x32/apps/
-rw-r--r-- root/root ./usr/share/icons/hicolor/32x32/apps/io.github.zorbel.Zorbel.png
drwxr-xr-x root/root ./usr/share/icons/hicolor/48x48/
drwxr-xr-x root/root ./usr/share/icons/hicolor/48x48/apps/
-rw-r--r-- root/root ./usr/share/icons/hicolor/48x48/apps/io.github.zorbel.Zorbel.png
drwxr-xr-x root/root ./usr/share/icons/hicolor/64x64/
drwxr-xr-x root/root ./usr/share/icons/hicolor/64x64/apps/
-rw-r--r-- root/root ./usr/share/icons/hicolor/64x64/apps/io.github.zorbel.Zorbel.png
drwxr-xr-x root/root ./usr/share/icons/hicolor/scalable/
drwxr-xr-x root/root ./usr/share/icons/hicolor/scalable/apps/
-rw-r--r-- root/root ./usr/share/icons/hicolor/scalable/apps/io.github.zorbel.Zorbel.svg
drwxr-xr-x root/root ./usr/share/man/
drwxr-xr-x root/root ./usr/share/man/man1/
-rw-r--r-- root/root ./usr/share/man/man1/zorbel-score.1.gz
drwxr-xr-x root/root ./usr/share/man/man6/
-rw-r--r-- root/root ./usr/share/man/man6/zorbel.6.gz
drwxr-xr-x root/root ./usr/share/metainfo/
-rw-r--r-- root/root ./usr/share/metainfo/io.github.zorbel.Zorbel.metainfo.xml
EOF
diff -u "$work/expected" "$work/listed" || fail "package contents"

# Control fields; library versions come from dpkg-shlibdeps, so only the
# package names of Depends are compared.
dpkg-deb -f "$deb" Package Version Architecture Section Priority >"$work/fields"
printf '%s\n' "Package: zorbel" "Version: 1.01-1" "Architecture: amd64" \
    "Section: games" "Priority: optional" | diff -u - "$work/fields" || fail "control fields"
dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/ *([^)]*)//g; s/^ *//' | sort >"$work/depends"
diff -u - "$work/depends" <<'EOF' || fail "Depends"
fonts-ipafont-gothic
fonts-ipafont-mincho
libc6
libfluidsynth3
libgcc-s1
libqt6core6
libqt6gui6
libqt6widgets6
libsdl2-2.0-0
libsdl2-mixer-2.0-0
libstdc++6
timgm6mb-soundfont | sf2-soundfont-gm | sf3-soundfont-gm
EOF

# No lintian error or warning but the two that docs/packaging.md explains.
lintian --fail-on error,warning \
    --suppress-tags package-section-games-but-has-usr-bin,initial-upload-closes-no-bugs "$deb" ||
    fail "lintian"

root=$work/root
dpkg-deb -x "$deb" "$root"
desktop=$root/usr/share/applications/io.github.zorbel.Zorbel.desktop
[ -z "$(desktop-file-validate "$desktop")" ] ||
    { desktop-file-validate "$desktop"; fail "desktop entry"; }
appstreamcli validate --no-net "$root/usr/share/metainfo/io.github.zorbel.Zorbel.metainfo.xml" ||
    fail "AppStream metadata"
for size in 32 48 64 128 256; do
    file "$root/usr/share/icons/hicolor/${size}x$size/apps/io.github.zorbel.Zorbel.png" |
        grep -q "PNG image data, $size x $size," || fail "icon ${size}x$size"
done

# The game, started through /usr/games as a player would, where the program
# folder cannot be written (root may write anywhere, so root plays as nobody).
chmod -R a-w "$root/usr/lib/zorbel"
home=$work/home
runtime=$work/runtime
mkdir "$home" "$runtime"
chmod 700 "$runtime"
as_player=""
if [ "$(id -u)" -eq 0 ]; then
    chmod 755 "$work"
    chown nobody "$home" "$runtime"
    as_player="setpriv --reuid=nobody --regid=nogroup --clear-groups"
fi
ini=$home/.config/zorbel/zorbel.ini
env -u XDG_CONFIG_HOME XDG_RUNTIME_DIR="$runtime" HOME="$home" QT_QPA_PLATFORM=offscreen \
    SDL_AUDIODRIVER=dummy $as_player "$root/usr/games/zorbel" >"$work/game.log" 2>&1 &
game=$!
# The menu starts its tune and saves the progress once it is up; then a
# SIGTERM closes the window as the close box does, and the game ends
# normally.
tries=0
while [ ! -f "$ini" ] && [ $tries -lt 300 ] && kill -0 $game 2>/dev/null; do
    sleep 0.1
    tries=$((tries + 1))
done
kill -TERM $game 2>/dev/null || true
status=0
wait $game || status=$?
[ $status -eq 0 ] || { cat "$work/game.log"; fail "the game ended with status $status"; }
[ -f "$ini" ] || { cat "$work/game.log"; fail "no zorbel.ini in ~/.config/zorbel"; }
[ ! -e "$root/usr/lib/zorbel/zorbel.ini" ] || fail "zorbel.ini written into the program folder"
# A file the game misses in its program folder (the menu's tune) is
# reported as "zorbel: cannot play ...".
! grep '^zorbel:' "$work/game.log" || fail "the game missed files of its program folder"
echo "package checked: $(basename "$deb")"
