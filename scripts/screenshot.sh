#!/usr/bin/env bash
# Makes docs/window.png, the README's picture of the window: the real program
# under Xvfb, as the smoke test drives it, cut to the window.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build --target hsi-demo >/dev/null
full=$(mktemp -d)/screen.png
tests/smoke/window_smoke.sh build/bin "$full" >/dev/null
# No window manager under Xvfb: the window sits at (91, 143) with no frame.
convert "$full" -crop 1036x780+91+143 +repage -resize 75% -strip -colors 64 docs/window.png
echo "docs/window.png"
