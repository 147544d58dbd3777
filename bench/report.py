#!/usr/bin/env python3
"""The table bench/run.sh ends with: each figure, what it is compared with,
the ratio, the target and whether it is met.

Usage: report.py HSI_BENCH.json PROCESSES.json WINDOW.json
"""
import json
import sys

WORKLOADS = ("photo", "noise", "jpeg")


def medians(bench_json):
    """Median real time in ms of each benchmark of a Google Benchmark JSON file."""
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
    found = {}
    for b in json.load(open(bench_json))["benchmarks"]:
        if b.get("aggregate_name", "median") == "median" and not b.get("error_occurred"):
            found[b["run_name"].removesuffix("/real_time")] = b["real_time"] * scale[b["time_unit"]]
    return found


rows = []


def row(figure, value, unit, against=None, target=None, limit=None, absolute=None):
    """`limit` bounds value / against; `absolute` bounds value itself."""
    ratio = value / against if against else None
    met = ""
    if limit is not None and ratio is not None:
        met = "yes" if ratio <= limit else "NO"
    if absolute is not None:
        met = "yes" if value <= absolute else "NO"
    rows.append((figure, f"{value:.3f} {unit}", f"{against:.3f} {unit}" if against else "",
                 f"{ratio:.3f}" if ratio is not None else "", target or "", met))


def main():
    bench, processes, window = medians(sys.argv[1]), json.load(open(sys.argv[2])), json.load(open(sys.argv[3]))
    first = processes["first_calls_ms"]
    for w in WORKLOADS:
        if f"Forward/Fast/{w}" not in bench:
            continue
        row(f"forward: ConvertRgbToHsi + PaintHueView, {w}", bench[f"Forward/Fast/{w}"], "ms",
            bench[f"Forward/Baseline/{w}"], "<= 0.3x baseline", 0.3)
        row(f"inverse: ConvertHsiToRgb + PaintReconstructionView, {w}", bench[f"Inverse/Fast/{w}"], "ms",
            bench[f"Inverse/Baseline/{w}"], "<= 0.3x baseline", 0.3)
        row(f"inverse, {w}, the same picture again", bench[f"Inverse/FastSamePicture/{w}"], "ms",
            bench[f"Inverse/Baseline/{w}"], "(cache warm)")
    for w in WORKLOADS:
        for click in ("Forward", "Inverse"):
            if f"FirstCall/{click}/Fast/{w}" in first:
                row(f"{click.lower()}, {w}, first call of a process", first[f"FirstCall/{click}/Fast/{w}"], "ms",
                    first[f"FirstCall/{click}/Baseline/{w}"], "(reported)")
    for name, ms in sorted(bench.items()):
        if name.startswith("Load/"):
            row(name, ms, "ms")
    for picture, o in processes["open"].items():
        # A progressive file must be read whole: its figures are reported, not bounded.
        whole = picture.startswith("progressive")
        row(f"hsi-cli open {picture} vs djpeg -dct float", o["open_s"] * 1e3, "ms", o["djpeg_s"] * 1e3,
            "(read whole)" if whole else "<= 0.2x djpeg", None if whole else 0.2)
        row(f"hsi-cli open {picture}: peak RSS", o["peak_rss_kib"] / 1024, "MiB", None,
            "(reported)" if whole else "< 40 MiB", absolute=None if whole else 40)
    row("window: start until visible", window["visible_s"] * 1e3, "ms")
    row("window: start until painted", window["painted_s"] * 1e3, "ms")
    row("window: start until a click is answered", window["answered_s"] * 1e3, "ms", None, "<= 300 ms",
        absolute=300)
    row("hsi-cli readout (start-up and one cheap step)", processes["readout_s"] * 1e3, "ms", None, "<= 50 ms",
        absolute=50)

    header = ("figure", "measured", "compared with", "ratio", "target", "met")
    widths = [max(len(r[k]) for r in rows + [header]) for k in range(len(header))]
    for r in [header] + rows:
        print("  ".join(cell.ljust(width) for cell, width in zip(r, widths)).rstrip())


if __name__ == "__main__":
    main()
