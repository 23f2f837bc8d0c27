#!/usr/bin/env bash
# The packages that `make package` builds (the game, the level tool): their files, dependencies,
# and the game run from the packages installed into a throwaway root, then removed.
source "$(dirname "$0")/lib.sh"
cpack --config "$1/CPackConfig.cmake" -G DEB -B "$WORK/pkg" >"$WORK/cpack.log" 2>&1 || fail "cpack: $(cat "$WORK/cpack.log")"
deb=$(ls "$WORK"/pkg/kelo_1.00_*.deb) && tool=$(ls "$WORK"/pkg/kelo-levels_1.00_*.deb) || fail "packages: $(ls "$WORK/pkg")"
# Each file in the package of its part (the program and its links: run below). Debian's games
# section keeps the game out of usr/bin.
for f in "$deb":share/{applications/org.kelo.kelo.desktop,metainfo/org.kelo.kelo.metainfo.xml,man/man6/kelo.6.gz} \
         "$deb":share/{icons/hicolor/48x48/apps/org.kelo.kelo.png,doc/kelo/copyright,doc/kelo/changelog.gz} \
         "$tool":share/{man/man1/kelo-levels.1.gz,doc/kelo-levels/copyright,doc/kelo-levels/changelog.gz} \
         "$tool":{bin/kelo-editor,share/man/man1/kelo-editor.1.gz,share/applications/org.kelo.kelo-editor.desktop} \
         "$tool":share/icons/hicolor/48x48/apps/org.kelo.kelo-editor.png; do
  dpkg-deb -c "${f%:*}" | grep -F " ./usr/${f##*:}" >/dev/null || fail "$(basename "${f%:*}") lacks usr/${f##*:}"
done
! dpkg-deb -c "$deb" | grep ' ./usr/bin/' || fail "the game's package has files in usr/bin"

# Every library the game links against comes from a package it depends on, and each of those is
# a real Debian package. The sound library is opened at run time, out of dpkg-shlibdeps' sight:
# recommended by name.
depends=$(dpkg-deb -f "$deb" Depends) recommends=$(dpkg-deb -f "$deb" Recommends)
for p in libqt6core6 libqt6gui6 libqt6widgets6 libc6 libstdc++6 $(tr ',|' '\n\n' <<<"$depends" | sed 's/(.*//; s/ //g'); do
  [[ ", $depends," =~ [,\|]\ "$p"[\ ,] ]] || fail "Depends lacks $p: $depends"
  apt-cache show "$p" >/dev/null 2>&1 || dpkg -s "$p" >/dev/null 2>&1 || fail "unknown package $p in Depends"
done
[[ $recommends == *libcanberra0* && $recommends == *libcanberra-pulse* ]] || fail "Recommends lacks libcanberra: $recommends"
[[ $depends != *multimedia* ]] || fail "Depends still has Qt Multimedia: $depends"
[[ $(dpkg-deb -f "$deb" Version Section Homepage) == $'Version: 1.00\nSection: games' ]] ||
  fail "version, section or a Homepage (the project has no page): $(dpkg-deb -f "$deb" Version Section Homepage)"
(($(dpkg-deb -f "$deb" Description | wc -l) > 5)) || fail "no full description"
# No private library needs the linker cache: no maintainer scripts at all.
! dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -E '(pre|post)(inst|rm)$' || fail "the package has maintainer scripts"

# Installed by dpkg into a root of its own (without the Qt packages there: the game runs on this
# machine's libraries), the game runs through the package's link from another folder and reads
# the installed levels through the link beside it; removal takes every file away again.
R=$WORK/root
mkdir -p "$R/var/lib/dpkg/info" "$R/var/lib/dpkg/updates" "$WORK/elsewhere" && touch "$R/var/lib/dpkg/status"
dpkg --root="$R" --force-depends -i "$deb" "$tool" >"$WORK/dpkg.log" 2>&1 || fail "dpkg -i: $(cat "$WORK/dpkg.log")"
"$R/usr/bin/kelo-levels" check "$R/usr/lib/games/kelo/levels.txt" >"$WORK/check.log" 2>&1 ||
  fail "the packaged kelo-levels on the packaged levels: $(cat "$WORK/check.log")"
start_x
launch "$R/usr/games/kelo" "$WORK/elsewhere"
screen 40 40 3 560 40 2 560 240 4 40 280 2
[[ -z $(ls -A "$WORK/elsewhere") ]] || fail "the game wrote into the folder it was started from"
stop_game
dpkg --root="$R" -r kelo kelo-levels >"$WORK/dpkg.log" 2>&1 || fail "dpkg -r: $(cat "$WORK/dpkg.log")"
[[ -z $(find "$R" -path "$R/var" -prune -o ! -type d -print) ]] || fail "left: $(find "$R" -path "$R/var" -prune -o ! -type d -print)"
