#!/usr/bin/env bash
# The packages that `make package` builds (the game, the level tool): their files, dependencies,
# and the game run from the packages installed into a throwaway root.
source "$(dirname "$0")/lib.sh"
BUILD=$1

cpack --config "$BUILD/CPackConfig.cmake" -G DEB -B "$WORK/pkg" >"$WORK/cpack.log" 2>&1 ||
  fail "cpack: $(cat "$WORK/cpack.log")"
deb=$(ls "$WORK"/pkg/kelo_*.deb)
[[ $(basename "$deb") == kelo_1.00_*.deb ]] || fail "package file $(basename "$deb")"

contents=$(dpkg-deb -c "$deb")
for f in ./usr/lib/games/kelo/kelo \
         ./usr/share/games/kelo/levels.txt ./usr/share/games/kelo/Ding.wav ./usr/share/games/kelo/End.wav \
         ./usr/share/applications/org.kelo.kelo.desktop \
         ./usr/share/metainfo/org.kelo.kelo.metainfo.xml \
         ./usr/share/icons/hicolor/48x48/apps/org.kelo.kelo.png \
         ./usr/share/man/man6/kelo.6.gz \
         ./usr/share/doc/kelo/copyright ./usr/share/doc/kelo/changelog.gz; do
  grep -q " $f\$" <<<"$contents" || fail "the package lacks $f"
done
grep -q ' ./usr/games/kelo -> ../lib/games/kelo/kelo$' <<<"$contents" || fail "the package lacks the link usr/games/kelo"
# The designer's tool has a package of its own: Debian's games section keeps bin/ empty.
grep -q ' ./usr/bin/' <<<"$contents" && fail "the game's package has files in usr/bin"
tool=$WORK/pkg/kelo-levels_1.00_$(dpkg --print-architecture).deb
[[ -f $tool ]] || fail "no package of kelo-levels"
tool_contents=$(dpkg-deb -c "$tool")
for f in ./usr/bin/kelo-levels ./usr/share/man/man1/kelo-levels.1.gz ./usr/share/doc/kelo-levels/copyright \
         ./usr/share/doc/kelo-levels/changelog.gz; do
  grep -q " $f\$" <<<"$tool_contents" || fail "the package kelo-levels lacks $f"
done
grep -q ' ./usr/lib/games/kelo/levels.txt -> ../../../share/games/kelo/levels.txt$' <<<"$contents" ||
  fail "the package lacks the link to the levels beside the program"

# Every library the game links against comes from a package it depends on, and each of those
# is a real Debian package.
depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6core6 libqt6gui6 libqt6widgets6 libc6 libstdc++6; do
  [[ ", $depends," == *", $p "* || ", $depends," == *", $p,"* ]] || fail "Depends lacks $p: $depends"
done
for p in $(tr ',|' '\n\n' <<<"$depends" | sed 's/(.*//; s/ //g'); do
  apt-cache show "$p" >/dev/null 2>&1 || dpkg -s "$p" >/dev/null 2>&1 || fail "unknown package $p in Depends"
done
# The sound library is opened at run time, out of dpkg-shlibdeps' sight: recommended by name.
recommends=$(dpkg-deb -f "$deb" Recommends)
[[ $recommends == *libcanberra0* && $recommends == *libcanberra-pulse* ]] || fail "Recommends lacks libcanberra: $recommends"
[[ $depends != *multimedia* ]] || fail "Depends still has Qt Multimedia: $depends"
[[ $(dpkg-deb -f "$deb" Version) == 1.00 ]] || fail "package version"
[[ $(dpkg-deb -f "$deb" Section) == games ]] || fail "package section"
[[ -z $(dpkg-deb -f "$deb" Homepage) ]] || fail "a Homepage field, and the project has no page"
(($(dpkg-deb -f "$deb" Description | wc -l) > 5)) || fail "no full description"
# No private library needs the linker cache: no maintainer scripts at all.
dpkg-deb -e "$deb" "$WORK/control"
for script in preinst postinst prerm postrm; do
  [[ ! -e $WORK/control/$script ]] || fail "the package has a $script script"
done

# Installed by dpkg into a root of its own (without the Qt packages there: the game runs on this
# machine's libraries), the game runs through the package's link from another folder.
R=$WORK/root
mkdir -p "$R/var/lib/dpkg/info" "$R/var/lib/dpkg/updates"
: >"$R/var/lib/dpkg/status"
dpkg --root="$R" --force-depends -i "$deb" "$tool" >"$WORK/dpkg.log" 2>&1 || fail "dpkg -i: $(cat "$WORK/dpkg.log")"
[[ $(dpkg --root="$R" -s kelo | sed -n 's/^Status: //p') == "install ok installed" ]] || fail "dpkg status"
"$R/usr/bin/kelo-levels" check "$R/usr/lib/games/kelo/levels.txt" >"$WORK/check.log" 2>&1 ||
  fail "the packaged kelo-levels on the packaged levels: $(cat "$WORK/check.log")"
mkdir -p "$WORK/elsewhere"
start_x
launch "$WORK/root/usr/games/kelo" "$WORK/elsewhere"
wait_title "Kelo - Niveau 1"
MENU=$(menu_height)
capture
tile_at 40 40 3
tile_at 560 240 4
[[ -z $(ls -A "$WORK/elsewhere") ]] || fail "the game wrote into the folder it was started from"
stop_game

# Removal takes every file away again.
dpkg --root="$R" -r kelo kelo-levels >"$WORK/dpkg.log" 2>&1 || fail "dpkg -r: $(cat "$WORK/dpkg.log")"
left=$(find "$R" -path "$R/var" -prune -o \( -type f -o -type l \) -print)
[[ -z $left ]] || fail "left after removal: $left"
echo "package: ok"
