#!/usr/bin/env bash
# Builds everything and runs every test: the library, the loaders, the
# window on Qt's offscreen platform, and the real program under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DHSI_WERROR=ON >/dev/null
cmake --build build -j"$(nproc)"
cd build && ctest --output-on-failure -j"$(nproc)" "$@"
