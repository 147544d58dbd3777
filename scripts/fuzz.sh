#!/usr/bin/env bash
# scripts/fuzz.sh TARGET SECONDS: builds the libFuzzer targets with clang in
# build-fuzz/ (the libraries instrumented as well), seeds TARGET's corpus from
# fixtures like the tests' (cjpeg in many modes; bitmaps of every depth), runs
# TARGET for SECONDS and prints the executions, the coverage and any findings.
#   TARGET   jpeg_fuzzer or bmp_fuzzer
#   FUZZ_KEEP_GOING=1  go on past a finding (libFuzzer's fork mode), so a
#            long run is not cut short by the first one
# The corpus grows in build-fuzz/corpus/TARGET, findings land in
# build-fuzz/artifacts/TARGET, the run's output in build-fuzz/logs/. A finding
# becomes a file in tests/hostile/regressions/, which every test run loads.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  echo "usage: scripts/fuzz.sh jpeg_fuzzer|bmp_fuzzer SECONDS" >&2
  exit 2
}
[ $# -eq 2 ] || usage
target=$1
seconds=$2
case $target in
  jpeg_fuzzer) max_len=65536 dict=fuzz/jpeg.dict ;;  # room for files with many segments and scans
  bmp_fuzzer) max_len=32768 dict=fuzz/bmp.dict ;;
  *) usage ;;
esac
[[ $seconds =~ ^[0-9]+$ ]] || usage

build=build-fuzz
# Shared machines: never more than two compile jobs.
jobs=2

# The project's own packages, and clang with its sanitizer runtimes
# (libFuzzer is among them), all through the project's installer.
scripts/install-deps.sh clang libclang-rt-14-dev

# Coverage and the sanitizers on every library, not only on the targets;
# none on the loops over the whole workspace (see the ignore list).
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
flags+=" -fsanitize-coverage-ignorelist=$PWD/fuzz/coverage-ignore.txt"
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DHSI_BUILD_FUZZERS=ON -DHSI_BUILD_WINDOW=OFF -DHSI_BUILD_BENCH=OFF -DHSI_BUILD_TESTS=OFF \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build "$build" -j"$jobs" --target "$target" fuzz_seeds >/dev/null

# ---- Seeds ------------------------------------------------------------------
seeds="$build/seeds/$target"
corpus="$build/corpus/$target"
artifacts="$build/artifacts/$target"
rm -rf "$seeds"
mkdir -p "$seeds" "$corpus" "$artifacts" "$build/logs"
made="$build/seeds/made-$target"
rm -rf "$made"
"$build/bin/fuzz_seeds" "$made"

if [ "$target" = jpeg_fuzzer ]; then
  command -v cjpeg >/dev/null || { echo "cjpeg is missing (libjpeg-turbo-progs)" >&2; exit 1; }
  n=0
  jpeg() {  # jpeg NAME PNM CJPEG-ARGS...
    local name=$1 pnm=$2
    shift 2
    cjpeg "$@" -outfile "$seeds/$name.jpg" "$pnm"
    n=$((n + 1))
  }
  ppm="$made/synthetic.ppm"
  jpeg baseline420 "$ppm" -sample 2x2
  jpeg baseline422 "$ppm" -sample 2x1
  jpeg baseline444 "$ppm" -sample 1x1
  jpeg baseline440 "$ppm" -sample 1x2
  jpeg optimized "$ppm" -optimize
  jpeg quality5 "$ppm" -quality 5
  jpeg quality100 "$ppm" -quality 100 -sample 1x1
  jpeg progressive "$ppm" -progressive
  jpeg progressive444 "$ppm" -progressive -sample 1x1
  jpeg arithmetic "$ppm" -arithmetic
  jpeg arithmetic-progressive "$ppm" -arithmetic -progressive
  jpeg grayscale "$ppm" -grayscale
  jpeg gray-input "$made/synthetic.pgm"
  jpeg gray-progressive "$made/synthetic.pgm" -progressive
  jpeg restart-rows "$ppm" -restart 1
  jpeg restart-blocks "$ppm" -restart 2B
  jpeg rgb "$ppm" -rgb
  jpeg rgb-progressive "$ppm" -rgb -progressive
  jpeg smoothed "$ppm" -smooth 30
  jpeg wide "$made/wide.ppm"
  jpeg wide-progressive "$made/wide.ppm" -progressive
  cp "$made"/jpeg/*.jpg "$seeds/"
  # The size's parity picks the screen depth: every seed at both.
  for f in "$seeds"/*.jpg; do
    cp "$f" "${f%.jpg}-odd.jpg"
    printf '\0' >>"${f%.jpg}-odd.jpg"
  done
else
  cp "$made"/bmp/*.bmp "$seeds/"
  # Something that is not a bitmap at all, as a file named .bmp may be.
  cp "$made"/jpeg/cmyk.jpg "$seeds/jpeg-named.bmp"
fi
echo "$target: $(ls "$seeds" | wc -l) seeds, corpus $(ls "$corpus" | wc -l) files"

# ---- Run --------------------------------------------------------------------
log="$build/logs/$target-$(date +%Y%m%d-%H%M%S).log"
options=(-max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -max_len="$max_len" -dict="$dict"
         -artifact_prefix="$artifacts/" -print_final_stats=1 -reload=1)
[ "${FUZZ_KEEP_GOING:-0}" = 1 ] && options+=(-fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1)
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
echo "running $target for $seconds s; output in $log"
status=0
"$build/bin/$target" "${options[@]}" "$corpus" "$seeds" >"$log" 2>&1 || status=$?

# ---- Report -----------------------------------------------------------------
# Executions: the final statistics, or in fork mode the last status line's count.
execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
[ -n "$execs" ] || execs=$(grep -oE '^#[0-9]+' "$log" | tail -1 | tr -d '#')
coverage=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1)
echo "== $target: exit status $status"
echo "executions: ${execs:-unknown}"
echo "coverage:   ${coverage:-unknown} (final)"
echo "corpus:     $(ls "$corpus" | wc -l) files in $corpus"
findings=$(find "$artifacts" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'timeout-*' -o -name 'oom-*' \
             -o -name 'leak-*' -o -name 'slow-unit-*' \) | sort)
if [ -n "$findings" ]; then
  echo "findings:"
  echo "$findings" | while read -r f; do echo "  $f ($(stat -c %s "$f") bytes)"; done
  echo "Reproduce: $build/bin/$target FILE; shrink: $build/bin/$target -minimize_crash=1 -runs=20000 FILE;"
  echo "then keep it as tests/hostile/regressions/NAME (small)."
else
  echo "findings:   none"
fi
grep -E '^(==[0-9]+==ERROR|SUMMARY:|.*runtime error:)' "$log" | head -5 || true
exit "$status"
