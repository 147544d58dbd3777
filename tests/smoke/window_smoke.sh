#!/usr/bin/env bash
# The real program in a real X window: start it, click 轉換成HSI, look at the
# screen, close the window as a window manager would, and check exit code 0.
# Usage: window_smoke.sh BIN_DIR [SCREENSHOT.png]   (runs itself under xvfb-run)
set -euo pipefail
bin=$(cd "$1" && pwd)/hsi-demo
shot=${2:-$(mktemp -d)/smoke.png}
here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${HSI_SMOKE_IN_XVFB:-}" ]; then
  export HSI_SMOKE_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1400x900x24" "$0" "$@"
fi

fail() { echo "window smoke: $*" >&2; exit 1; }
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
unset QT_QPA_PLATFORM  # a real X window, not the offscreen platform

"$bin" & pid=$!
wid=""
for _ in $(seq 100); do
  wid=$(xdotool search --onlyvisible --name '^Form1$' 2>/dev/null | head -1) && [ -n "$wid" ] && break
  kill -0 "$pid" 2>/dev/null || fail "hsi-demo exited before showing its window"
  sleep 0.1
done
[ -n "$wid" ] || { kill "$pid"; fail "no window named Form1 appeared"; }
sleep 0.3

geometry=$(xwininfo -id "$wid")
width=$(awk '/^  Width:/ {print $2}' <<<"$geometry")
height=$(awk '/^  Height:/ {print $2}' <<<"$geometry")
left=$(awk '/Absolute upper-left X:/ {print $4}' <<<"$geometry")
top=$(awk '/Absolute upper-left Y:/ {print $4}' <<<"$geometry")
[ "$width" = 1036 ] && [ "$height" = 780 ] || fail "window is ${width}x${height}, not 1036x780"

# 轉換成HSI is at (472, 32), 113 x 49, in the client area.
xdotool mousemove --window "$wid" 528 56 click 1
sleep 0.5
import -window root "$shot"

# The middle panel (464, 112), 423 x 384: black before any picture is loaded.
crop="423x384+$((left + 464))+$((top + 112))"
brightest=$(convert "$shot" -crop "$crop" +repage -format '%[fx:maxima*255]' info:)
[ "$brightest" = 0 ] || fail "middle panel is not black after 轉換成HSI (brightest $brightest)"
# The left panel has no picture: it shows the window's face colour.
face=$(convert "$shot" -crop "423x384+$((left + 32))+$((top + 112))" +repage -format '%[fx:minima*255]' info:)
[ "$face" != 0 ] || fail "left panel is black, but no picture was loaded"

python3 "$here/close_window.py" "$wid"
status=0
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then kill "$pid"; fail "hsi-demo did not exit when its window was closed"; fi
wait "$pid" || status=$?
[ "$status" = 0 ] || fail "exit code $status, not 0"
echo "window smoke: passed (screenshot $shot)"
