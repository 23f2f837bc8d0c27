#!/usr/bin/env bash
# The .deb that `make package` builds: its files, its dependencies, and the game run from the
# package's files unpacked into a throwaway root.
source "$(dirname "$0")/lib.sh"
BUILD=$1

cpack --config "$BUILD/CPackConfig.cmake" -G DEB -B "$WORK/pkg" >"$WORK/cpack.log" 2>&1 ||
  fail "cpack: $(cat "$WORK/cpack.log")"
deb=$(ls "$WORK"/pkg/kelo_*.deb)
[[ $(basename "$deb") == kelo_1.00_*.deb ]] || fail "package file $(basename "$deb")"

contents=$(dpkg-deb -c "$deb")
for f in ./usr/lib/kelo/kelo ./usr/lib/kelo/levels.txt ./usr/lib/kelo/Ding.wav ./usr/lib/kelo/End.wav \
         ./usr/bin/kelo-levels ./usr/share/applications/org.kelo.Kelo.desktop \
         ./usr/share/metainfo/org.kelo.Kelo.metainfo.xml \
         ./usr/share/icons/hicolor/32x32/apps/org.kelo.Kelo.png \
         ./usr/share/icons/hicolor/256x256/apps/org.kelo.Kelo.png; do
  grep -q " $f\$" <<<"$contents" || fail "the package lacks $f"
done
grep -q ' ./usr/bin/kelo -> ../lib/kelo/kelo$' <<<"$contents" || fail "the package lacks the link usr/bin/kelo"

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
dpkg --root="$R" --force-depends -i "$deb" >"$WORK/dpkg.log" 2>&1 || fail "dpkg -i: $(cat "$WORK/dpkg.log")"
[[ $(dpkg --root="$R" -s kelo | sed -n 's/^Status: //p') == "install ok installed" ]] || fail "dpkg status"
mkdir -p "$WORK/elsewhere"
start_x
launch "$WORK/root/usr/bin/kelo" "$WORK/elsewhere"
wait_title "Kelo - Niveau 1"
MENU=$(menu_height)
capture
tile_at 40 40 3
tile_at 560 240 4
[[ -z $(ls -A "$WORK/elsewhere") ]] || fail "the game wrote into the folder it was started from"
stop_game

# Removal takes every file away again.
dpkg --root="$R" -r kelo >"$WORK/dpkg.log" 2>&1 || fail "dpkg -r: $(cat "$WORK/dpkg.log")"
left=$(find "$R" -path "$R/var" -prune -o \( -type f -o -type l \) -print)
[[ -z $left ]] || fail "left after removal: $left"
echo "package: ok"
