#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Kelo need.
# Only missing packages are installed, so a second run costs a dpkg query.
set -euo pipefail

packages=(
  build-essential cmake make pkg-config git
  qt6-base-dev libgl-dev
  # Qt reads its fonts through fontconfig; the game starts that reading ahead of Qt.
  libfontconfig-dev
  # The level tool's contact sheet, written a band at a time.
  libpng-dev
  qt6-qpa-plugins qt6-translations-l10n
  # Qt's French texts for its boxes are cut from its catalogue at build time.
  qt6-l10n-tools
  libcanberra0 libcanberra-pulse libcanberra-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth xdotool x11-utils xclip imagemagick fonts-dejavu-core
  pulseaudio pulseaudio-utils
  # Only for the benchmark's comparison of sound paths (QSoundEffect beside libcanberra).
  qt6-multimedia-dev libqt6multimedia6 gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  strace valgrind jq
  # The mutation run, scripts/mutate.py.
  python3 ccache
  desktop-file-utils appstream dpkg-dev binutils lintian man-db
  libx11-dev libxtst-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

sudo=()
if [[ $(id -u) -ne 0 ]]; then
  sudo=(sudo)
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
