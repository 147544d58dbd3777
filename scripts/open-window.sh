#!/usr/bin/env bash
# Builds the program and opens its window.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target hsi-demo
exec build/bin/hsi-demo
