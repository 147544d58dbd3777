#!/usr/bin/env bash
# Makes docs/window.png, the README's picture of the window: the real program
# under Xvfb, driven as a person would: open a picture in the dialog, convert
# it to HSI and back, read the hues.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${HSI_SHOT_IN_XVFB:-}" ]; then
  cmake --build build --target hsi-demo >/dev/null
  export HSI_SHOT_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1400x900x24" "$0" "$@"
fi
work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work
unset QT_QPA_PLATFORM

# A colourful picture larger than the workspace, the same on every run.
convert -seed 7 -size 640x480 plasma:fractal -blur 0x1 "$work/plasma.ppm"
cjpeg -quality 92 -outfile "$work/picture.jpg" "$work/plasma.ppm"

build/bin/hsi-demo & pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
wid=$(xdotool search --sync --onlyvisible --name '^Form1$' | head -1)
click() { xdotool mousemove --window "$wid" "$1" "$2" click 1; sleep 0.4; }

click 88 56                       # 開啟檔案
xdotool search --sync --onlyvisible --class hsi-demo >/dev/null
sleep 0.5
xdotool type --delay 5 "$work/picture.jpg"
xdotool key Return
sleep 0.8
click 528 56                      # 轉換成HSI
click 964 64                      # 轉回RGB
click 100 536                     # Button4
import -window root "$work/screen.png"
# No window manager under Xvfb: the window sits at (91, 143) with no frame.
convert "$work/screen.png" -crop 1036x780+91+143 +repage -resize 75% -strip -colors 128 docs/window.png
echo "docs/window.png"
