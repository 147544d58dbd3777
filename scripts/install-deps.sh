#!/usr/bin/env bash
# Installs from Debian's packages whatever of the build, the tests and the
# window is missing, and any further packages named as arguments; quick when
# everything is already there.
set -euo pipefail

packages=(
  g++ make cmake                      # the build
  qt6-base-dev qt6-base-dev-tools     # Qt Widgets for the window, Qt Gui for the BMP reader, Qt Test, moc
  qt6-qpa-plugins libgl-dev           # Qt's X11 and offscreen platforms; OpenGL headers Qt's CMake files ask for
  libjpeg62-turbo-dev                 # libjpeg-turbo, the JPEG decoder
  fonts-wqy-microhei                  # a sans font with the Traditional Chinese glyphs of the captions
  libgtest-dev libbenchmark-dev       # GoogleTest for the library, Google Benchmark for bench/
  libjpeg-turbo-progs                 # djpeg, cjpeg, jpegtran: the tests' independent JPEG oracle and fixtures
  imagemagick                         # the tests' independent BMP decoder, and screenshots
  xvfb xauth xdotool x11-utils python3  # the real-window smoke test: X server, clicks, geometry, close
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing from Debian's packages: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null >/dev/null
