#!/usr/bin/env bash
# `cmake --install` into a fresh prefix: the layout, the desktop files, and the game started
# through its link on the PATH from another folder.
source "$(dirname "$0")/lib.sh"
BUILD=$1
P=$WORK/prefix

cmake --install "$BUILD" --prefix "$P" >"$WORK/install.log" || fail "install: $(cat "$WORK/install.log")"
APP=$(sed -n 's|.*<id>\(.*\)</id>.*|\1|p' "$P"/share/metainfo/*.metainfo.xml)
[[ -n $APP ]] || fail "no AppStream id"
for f in lib/kelo/kelo lib/kelo/levels.txt lib/kelo/Ding.wav lib/kelo/End.wav bin/kelo-levels \
         "share/applications/$APP.desktop" "share/metainfo/$APP.metainfo.xml" \
         "share/icons/hicolor/32x32/apps/$APP.png" "share/icons/hicolor/256x256/apps/$APP.png"; do
  [[ -f $P/$f ]] || fail "$f is not installed"
done
[[ -L $P/bin/kelo && $(readlink "$P/bin/kelo") == ../lib/kelo/kelo ]] || fail "bin/kelo is not a relative link"
cmp -s "$P/lib/kelo/levels.txt" "$E2E_ROOT/levels.txt" || fail "the installed levels differ from the shipped ones"
[[ $(identify -format '%wx%h' "$P/share/icons/hicolor/32x32/apps/$APP.png") == 32x32 ]] || fail "32 px icon"
[[ $(identify -format '%wx%h' "$P/share/icons/hicolor/256x256/apps/$APP.png") == 256x256 ]] || fail "256 px icon"

# The desktop entry and the AppStream data pass their validators and say what the program says.
desktop=$P/share/applications/$APP.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$P/share/metainfo/$APP.metainfo.xml" >"$WORK/as.log" 2>&1 ||
  fail "appstreamcli: $(cat "$WORK/as.log")"
grep -qx 'Name=Kelo' "$desktop" || fail "desktop name"
grep -qx 'Comment=Un petit jeu de stratégie...' "$desktop" || fail "desktop comment"
grep -qx 'Categories=Game;LogicGame;' "$desktop" || fail "desktop categories"
grep -qx "Icon=$APP" "$desktop" || fail "desktop icon"
objcopy -O binary --only-section=.kelo.version "$P/lib/kelo/kelo" "$WORK/version.bin"
version_info=$(tr '\0' '\n' <"$WORK/version.bin")
for field in FileVersion=1.00 ProductVersion=1.00 Language=French ProductName=Kelo FileDescription=Kelo \
             'Comments=Un petit jeu de stratégie...'; do
  grep -qF "$field" <<<"$version_info" || fail "version information lacks $field"
done
grep -q '<release version="1.00"' "$P/share/metainfo/$APP.metainfo.xml" || fail "metainfo release"

# From a folder of its own, with no level file in it: the game reads the installed levels.
mkdir -p "$WORK/elsewhere"
start_x
launch "$P/bin/kelo" "$WORK/elsewhere"
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
