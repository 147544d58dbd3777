#!/usr/bin/env python3
"""Process-level figures for bench/run.sh, as JSON on stdout.

Usage: processes.py BIN_DIR BASELINE.jpg PROGRESSIVE.jpg

- each first-click benchmark of hsi_bench alone in fresh processes (the only
  way a first call is first), the baseline's and the fast one's alternating;
- `hsi-cli open FILE` against `djpeg -dct float FILE >/dev/null`, wall time,
  alternating run by run, and hsi-cli's peak resident memory;
- `hsi-cli readout`, a step that costs nothing but the start-up.
Each figure is the median of many runs; the machine may be busy.
"""
import json
import os
import statistics
import subprocess
import sys
import time

FIRST_CALL_RUNS = 9
OPEN_RUNS = 15
READOUT_RUNS = 25


def run(argv, env=None):
    """Wall seconds and peak RSS (KiB) of one process, output discarded."""
    with open(os.devnull, "wb") as null:
        start = time.perf_counter()
        child = subprocess.Popen(argv, stdout=null, stderr=subprocess.PIPE, env=env)
        _, status, usage = os.wait4(child.pid, 0)
        elapsed = time.perf_counter() - start
        child.returncode = os.waitstatus_to_exitcode(status)
        error = child.stderr.read().decode(errors="replace")
        child.stderr.close()
    if child.returncode != 0:
        sys.exit(f"{' '.join(argv)} failed ({child.returncode}): {error}")
    return elapsed, usage.ru_maxrss


def first_call_ms(bench, name):
    """One fresh hsi_bench process timing the first click `name` alone."""
    result = subprocess.run([bench, f"--benchmark_filter=^{name}/", "--benchmark_format=json"],
                            capture_output=True, text=True, check=True)
    runs = json.loads(result.stdout)["benchmarks"]
    if len(runs) != 1 or runs[0].get("error_occurred"):
        sys.exit(f"first call {name}: {runs}")
    return runs[0]["real_time"]


def first_calls(bench):
    figures = {}
    for workload in ("photo", "noise", "jpeg"):
        for click in ("Forward", "Inverse"):
            names = [f"FirstCall/{click}/{kind}/{workload}" for kind in ("Baseline", "Fast")]
            times = {name: [] for name in names}
            for _ in range(FIRST_CALL_RUNS):
                for name in names:
                    times[name].append(first_call_ms(bench, name))
            for name in names:
                figures[name] = statistics.median(times[name])
    return figures


def open_against_djpeg(cli, picture):
    ours, djpeg, rss = [], [], []
    for _ in range(OPEN_RUNS):
        seconds, peak = run([cli, "open", picture])
        ours.append(seconds)
        rss.append(peak)
        djpeg.append(run(["djpeg", "-dct", "float", picture])[0])
    return {"open_s": statistics.median(ours), "djpeg_s": statistics.median(djpeg), "peak_rss_kib": max(rss),
            "open_runs_s": ours, "djpeg_runs_s": djpeg}


def main():
    bin_dir, baseline, progressive = sys.argv[1:4]
    bench, cli = os.path.join(bin_dir, "hsi_bench"), os.path.join(bin_dir, "hsi-cli")
    os.environ["HSI_BENCH_PICTURES"] = baseline
    figures = {"first_calls_ms": first_calls(bench)}
    figures["open"] = {os.path.basename(p): open_against_djpeg(cli, p) for p in (baseline, progressive)}
    readout = [run([cli, "readout"])[0] for _ in range(READOUT_RUNS)]
    figures["readout_s"] = statistics.median(readout)
    json.dump(figures, sys.stdout, indent=1)


if __name__ == "__main__":
    main()
