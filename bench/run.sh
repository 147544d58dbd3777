#!/usr/bin/env bash
# Builds the Release programs, makes the test pictures, checks the fast paths
# against the baseline bit for bit, runs hsi_bench and the process-level
# measurements, and prints every figure with its target.
# Usage: bench/run.sh [REPETITIONS]   (default 5; results in build-release/bench-results)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=$root/build-release
out=$build/bench-results
pictures=$build/bench-pictures
repetitions=${1:-5}

"$root/scripts/install-deps.sh"

echo "== Release build in $build (log in $out/build.log)"
mkdir -p "$pictures" "$out"
# Without -Werror: GCC 12 at -O3 warns falsely (-Wrestrict) inside std::string.
targets=(hsi_bench hsi_bench_check hsi-cli hsi-demo)
if ! { cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DHSI_WERROR=OFF -DHSI_BUILD_BENCH=ON &&
       cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"; } >"$out/build.log" 2>&1; then
  cat "$out/build.log"
  exit 1
fi

echo "== test pictures in $pictures"
if [ ! -s "$pictures/baseline.jpg" ] || [ ! -s "$pictures/progressive.jpg" ]; then
  # A photograph-sized picture: 5640 x 3172, ImageMagick's plasma fractal.
  convert -seed 1 -size 5640x3172 plasma: -depth 8 "$pictures/plasma.ppm"
  cjpeg -quality 90 "$pictures/plasma.ppm" >"$pictures/baseline.jpg"
  cjpeg -quality 90 -progressive "$pictures/plasma.ppm" >"$pictures/progressive.jpg"
  rm "$pictures/plasma.ppm"
fi
ls -l "$pictures"

echo "== fast paths against the baseline, bit for bit"
"$build/bin/hsi_bench_check" "$pictures/baseline.jpg"

echo "== hsi_bench ($repetitions repetitions, interleaved at random)"
export HSI_BENCH_PICTURES=$pictures/baseline.jpg:$pictures/progressive.jpg
"$build/bin/hsi_bench" --benchmark_filter='^(Forward|Inverse|Load)/' \
  --benchmark_repetitions="$repetitions" --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true \
  --benchmark_out="$out/hsi_bench.json" --benchmark_out_format=json

echo "== first clicks, each alone in a fresh process; hsi-cli against djpeg"
python3 "$here/processes.py" "$build/bin" "$pictures/baseline.jpg" "$pictures/progressive.jpg" >"$out/processes.json"

echo "== the window's start-up under Xvfb"
xvfb-run -a -s "-screen 0 1400x900x24" python3 "$here/window_start.py" "$build/bin/hsi-demo" >"$out/window.json"

echo
python3 "$here/report.py" "$out/hsi_bench.json" "$out/processes.json" "$out/window.json"
