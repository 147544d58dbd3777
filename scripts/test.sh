#!/usr/bin/env bash
# Builds everything and runs every test: the library, the loaders, the
# window on Qt's offscreen platform and the real program under Xvfb; then the
# library, the loaders and hsi-cli again under AddressSanitizer and
# UndefinedBehaviorSanitizer. Arguments go to both ctest runs (e.g. -R Jpeg).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -DHSI_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs" "$@")

echo "== again under AddressSanitizer and UndefinedBehaviorSanitizer =="
cmake -S . -B build-sanitize -DHSI_WERROR=ON -DHSI_SANITIZE=ON -DHSI_BUILD_WINDOW=OFF -DHSI_BUILD_BENCH=OFF >/dev/null
cmake --build build-sanitize -j"$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
(cd build-sanitize && ctest --output-on-failure -j"$jobs" "$@")
