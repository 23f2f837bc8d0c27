#!/usr/bin/env bash
# `cmake --install` into a fresh prefix: Debian's games layout with relative links, the desktop
# files and the documents, valid and saying what the program says. (package.sh runs the game so
# installed, from the package.)
source "$(dirname "$0")/lib.sh"
P=$WORK/prefix PROG=lib/games/kelo DATA=share/games/kelo
cmake --install "$1" --prefix "$P" >"$WORK/install.log" || fail "install: $(cat "$WORK/install.log")"
APP=$(sed -n 's|.*<id>\(.*\)</id>.*|\1|p' "$P"/share/metainfo/*.metainfo.xml)
desktop=$P/share/applications/$APP.desktop metainfo=$P/share/metainfo/$APP.metainfo.xml
# The command in games/ and the files beside the program are relative links to installed files,
# so that the tree works wherever it is unpacked. (The manual pages and documents of each package:
# package.sh.)
[[ $(readlink "$P/games/kelo") == ../$PROG/kelo && -x $P/games/kelo ]] || fail "games/kelo is not a relative link"
for f in levels.txt Ding.wav End.wav; do
  [[ $(readlink "$P/$PROG/$f") == ../../../$DATA/$f && -f $P/$PROG/$f ]] || fail "$PROG/$f is not a link to $DATA"
done
cmp -s "$P/$PROG/levels.txt" "$E2E_ROOT/levels.txt" || fail "the installed levels differ from the shipped ones"
icons=$(identify -format '%wx%h ' "$P"/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/"$APP".png)
[[ $icons == "16x16 32x32 48x48 64x64 128x128 256x256 " ]] || fail "icons of $icons"
gzip -t "$P/share/man/man6/kelo.6.gz" "$P/share/doc/kelo/changelog.gz" || fail "compressed documents"
man --warnings -l "$P/share/man/man6/kelo.6.gz" 2>&1 >/dev/null | grep . && fail "kelo.6 has roff warnings"
man -l "$P/share/man/man6/kelo.6.gz" 2>/dev/null | grep -q 'levels.txt' || fail "kelo.6 does not tell of the level file"

# The desktop entry and the AppStream data pass their validators and say what the program says;
# StartupWMClass is the window class that session.sh checks.
desktop-file-validate "$desktop" || fail "desktop-file-validate"
# The level editor's entry, in the level tool's package, starts the installed editor with its icon.
editor=$P/share/applications/org.kelo.kelo-editor.desktop
desktop-file-validate "$editor" || fail "desktop-file-validate on the editor's entry"
grep -qxF 'Exec=kelo-editor %f' "$editor" && [[ -x $P/bin/kelo-editor && -f $P/share/man/man1/kelo-editor.1.gz ]] ||
  fail "the editor's entry, program or manual page"
[[ $(identify -format '%wx%h' "$P"/share/icons/hicolor/256x256/apps/org.kelo.kelo-editor.png) == 256x256 ]] ||
  fail "the editor's icon"
appstreamcli validate --no-net --pedantic "$metainfo" >"$WORK/as.log" 2>&1 || fail "appstreamcli: $(cat "$WORK/as.log")"
(($(grep -cxF -e Name=Kelo -e 'Comment=Un petit jeu de stratégie...' -e 'Categories=Game;LogicGame;' -e "Icon=$APP" \
  -e StartupWMClass=Kelo "$desktop") == 5)) || fail "the desktop entry lacks a line: $(cat "$desktop")"
(($(grep -cF -e '<project_license>GPL-3.0-or-later</project_license>' -e '<release version="1.00"' "$metainfo") == 2)) ||
  fail "the metainfo lacks the licence or the release"
objcopy -O binary --only-section=.kelo.version "$P/$PROG/kelo" "$WORK/version.bin"
(($(tr '\0' '\n' <"$WORK/version.bin" | grep -cxF -e FileVersion=1.00 -e ProductVersion=1.00 -e Language=French \
  -e ProductName=Kelo -e FileDescription=Kelo -e 'Comments=Un petit jeu de stratégie...') == 6)) ||
  fail "the version information lacks a field: $(tr '\0' ' ' <"$WORK/version.bin")"
