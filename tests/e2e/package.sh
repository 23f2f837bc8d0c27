#!/usr/bin/env bash
# The packages that `make package` builds (the game, the level tool): their files, dependencies,
# and the game run from the packages installed into a throwaway root, then removed.
source "$(dirname "$0")/lib.sh"
cpack --config "$1/CPackConfig.cmake" -G DEB -B "$WORK/pkg" >"$WORK/cpack.log" 2>&1 || fail "cpack: $(cat "$WORK/cpack.log")"
deb=$(ls "$WORK"/pkg/kelo_1.00_*.deb) || fail "no package kelo_1.00_*.deb: $(ls "$WORK/pkg")"
tool=$WORK/pkg/kelo-levels_1.00_$(dpkg --print-architecture).deb
contents=$(dpkg-deb -c "$deb") tool_contents=$(dpkg-deb -c "$tool") || fail "no package of kelo-levels"
# Each file in the package of its part. Debian's games section keeps the game out of usr/bin.
for f in games/kelo' -> ../lib/games/kelo/kelo' lib/games/kelo/levels.txt' -> ../../../share/games/kelo/levels.txt' \
         share/applications/org.kelo.kelo.desktop share/metainfo/org.kelo.kelo.metainfo.xml \
         share/icons/hicolor/48x48/apps/org.kelo.kelo.png share/man/man6/kelo.6.gz share/doc/kelo/{copyright,changelog.gz}; do
  grep -qF " ./usr/$f" <<<"$contents" || fail "the package lacks usr/$f"
done
grep -q ' ./usr/bin/' <<<"$contents" && fail "the game's package has files in usr/bin"
for f in bin/kelo-levels share/man/man1/kelo-levels.1.gz share/doc/kelo-levels/{copyright,changelog.gz}; do
  grep -qF " ./usr/$f" <<<"$tool_contents" || fail "the package kelo-levels lacks usr/$f"
done

# Every library the game links against comes from a package it depends on, and each of those is
# a real Debian package. The sound library is opened at run time, out of dpkg-shlibdeps' sight:
# recommended by name.
depends=$(dpkg-deb -f "$deb" Depends) recommends=$(dpkg-deb -f "$deb" Recommends)
for p in libqt6core6 libqt6gui6 libqt6widgets6 libc6 libstdc++6; do
  [[ ", $depends," =~ ,\ "$p"[\ ,] ]] || fail "Depends lacks $p: $depends"
done
for p in $(tr ',|' '\n\n' <<<"$depends" | sed 's/(.*//; s/ //g'); do
  apt-cache show "$p" >/dev/null 2>&1 || dpkg -s "$p" >/dev/null 2>&1 || fail "unknown package $p in Depends"
done
[[ $recommends == *libcanberra0* && $recommends == *libcanberra-pulse* ]] || fail "Recommends lacks libcanberra: $recommends"
[[ $depends != *multimedia* ]] || fail "Depends still has Qt Multimedia: $depends"
[[ $(dpkg-deb -f "$deb" Version Section Homepage) == $'Version: 1.00\nSection: games' ]] ||
  fail "version, section or a Homepage (the project has no page): $(dpkg-deb -f "$deb" Version Section Homepage)"
(($(dpkg-deb -f "$deb" Description | wc -l) > 5)) || fail "no full description"
# No private library needs the linker cache: no maintainer scripts at all.
dpkg-deb -e "$deb" "$WORK/control"
[[ -z $(ls "$WORK/control" | grep -E '^(pre|post)(inst|rm)$') ]] || fail "the package has maintainer scripts"

# Installed by dpkg into a root of its own (without the Qt packages there: the game runs on this
# machine's libraries), the game runs through the package's link from another folder and reads
# the installed levels; removal takes every file away again.
R=$WORK/root
mkdir -p "$R/var/lib/dpkg/info" "$R/var/lib/dpkg/updates" "$WORK/elsewhere"
: >"$R/var/lib/dpkg/status"
dpkg --root="$R" --force-depends -i "$deb" "$tool" >"$WORK/dpkg.log" 2>&1 || fail "dpkg -i: $(cat "$WORK/dpkg.log")"
[[ $(dpkg --root="$R" -s kelo | sed -n 's/^Status: //p') == "install ok installed" ]] || fail "dpkg status"
"$R/usr/bin/kelo-levels" check "$R/usr/lib/games/kelo/levels.txt" >"$WORK/check.log" 2>&1 ||
  fail "the packaged kelo-levels on the packaged levels: $(cat "$WORK/check.log")"
start_x
launch "$R/usr/games/kelo" "$WORK/elsewhere"
level 1
screen 40 40 3 560 40 2 560 240 4 40 280 2
[[ -z $(ls -A "$WORK/elsewhere") ]] || fail "the game wrote into the folder it was started from"
stop_game
dpkg --root="$R" -r kelo kelo-levels >"$WORK/dpkg.log" 2>&1 || fail "dpkg -r: $(cat "$WORK/dpkg.log")"
left=$(find "$R" -path "$R/var" -prune -o \( -type f -o -type l \) -print)
[[ -z $left ]] || fail "left after removal: $left"
echo "e2e package: 1 passed, 0 failed"
