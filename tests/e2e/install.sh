#!/usr/bin/env bash
# `cmake --install` into a fresh prefix: Debian's games layout, the desktop files, the documents,
# and the game started through its link in games/ from another folder.
source "$(dirname "$0")/lib.sh"
BUILD=$1
P=$WORK/prefix

cmake --install "$BUILD" --prefix "$P" >"$WORK/install.log" || fail "install: $(cat "$WORK/install.log")"
APP=$(sed -n 's|.*<id>\(.*\)</id>.*|\1|p' "$P"/share/metainfo/*.metainfo.xml)
[[ -n $APP ]] || fail "no AppStream id"
PROG=lib/games/kelo
DATA=share/games/kelo
for f in $PROG/kelo $DATA/levels.txt $DATA/Ding.wav $DATA/End.wav bin/kelo-levels \
         "share/applications/$APP.desktop" "share/metainfo/$APP.metainfo.xml" \
         share/man/man6/kelo.6.gz share/man/man1/kelo-levels.1.gz \
         share/doc/kelo/copyright share/doc/kelo/changelog.gz; do
  [[ -f $P/$f ]] || fail "$f is not installed"
done
# The command in games/ and the files beside the program are relative links, so that the tree
# works wherever it is unpacked.
[[ -L $P/games/kelo && $(readlink "$P/games/kelo") == ../$PROG/kelo ]] || fail "games/kelo is not a relative link"
for f in levels.txt Ding.wav End.wav; do
  [[ -L $P/$PROG/$f && $(readlink "$P/$PROG/$f") == ../../../$DATA/$f ]] || fail "$PROG/$f is not a link to $DATA"
done
cmp -s "$P/$PROG/levels.txt" "$E2E_ROOT/levels.txt" || fail "the installed levels differ from the shipped ones"
for size in 16 32 48 64 128 256; do
  icon=$P/share/icons/hicolor/${size}x$size/apps/$APP.png
  [[ $(identify -format '%wx%h' "$icon") == "${size}x$size" ]] || fail "$size px icon"
done
gzip -t "$P/share/man/man6/kelo.6.gz" "$P/share/doc/kelo/changelog.gz" || fail "compressed documents"
man --warnings -l "$P/share/man/man6/kelo.6.gz" 2>&1 >/dev/null | grep . && fail "kelo.6 has roff warnings"
man -l "$P/share/man/man6/kelo.6.gz" 2>/dev/null | grep -q 'levels.txt' || fail "kelo.6 does not tell of the level file"

# The desktop entry and the AppStream data pass their validators and say what the program says.
desktop=$P/share/applications/$APP.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net --pedantic "$P/share/metainfo/$APP.metainfo.xml" >"$WORK/as.log" 2>&1 ||
  fail "appstreamcli: $(cat "$WORK/as.log")"
grep -qx 'Name=Kelo' "$desktop" || fail "desktop name"
grep -qx 'Comment=Un petit jeu de stratégie...' "$desktop" || fail "desktop comment"
grep -qx 'Categories=Game;LogicGame;' "$desktop" || fail "desktop categories"
grep -qx "Icon=$APP" "$desktop" || fail "desktop icon"
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$P/share/metainfo/$APP.metainfo.xml" || fail "licence"
objcopy -O binary --only-section=.kelo.version "$P/$PROG/kelo" "$WORK/version.bin"
version_info=$(tr '\0' '\n' <"$WORK/version.bin")
for field in FileVersion=1.00 ProductVersion=1.00 Language=French ProductName=Kelo FileDescription=Kelo \
             'Comments=Un petit jeu de stratégie...'; do
  grep -qF "$field" <<<"$version_info" || fail "version information lacks $field"
done
grep -q '<release version="1.00"' "$P/share/metainfo/$APP.metainfo.xml" || fail "metainfo release"

# From a folder of its own, with no level file in it: the game reads the installed levels.
mkdir -p "$WORK/elsewhere"
start_x
launch "$P/games/kelo" "$WORK/elsewhere"
wait_title "Kelo - Niveau 1"
MENU=$(menu_height)
capture
tile_at 40 40 3
tile_at 560 40 2
tile_at 560 240 4
tile_at 40 280 2
[[ -z $(ls -A "$WORK/elsewhere") ]] || fail "the game wrote into the folder it was started from"
[[ $(xprop -id "$WIN" WM_CLASS) == *'"Kelo"'* ]] || fail "WM_CLASS does not match StartupWMClass"
grep -qx 'StartupWMClass=Kelo' "$desktop" || fail "desktop StartupWMClass"
echo "install: ok"
