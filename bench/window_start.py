#!/usr/bin/env python3
"""The window's start-up, as JSON on stdout: from starting hsi-demo until its
window is on the screen, until it has painted itself, and until it has
answered a click. Run under an X server (bench/run.sh uses xvfb-run).

Usage: window_start.py HSI_DEMO

The click is on 轉換成HSI before any picture is loaded: the middle panel,
which shows the window's face until then, turns black (every hue is 0 at
start). Its pixel is read straight from the X server, every millisecond or so.
"""
import ctypes
import ctypes.util
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

RUNS = 7
CONVERT_BUTTON = (528, 56)  # the middle of 轉換成HSI, in the window
MIDDLE_PANEL = (464 + 211, 112 + 192)  # a pixel in the middle of the middle panel
ZPIXMAP, ALL_PLANES = 2, 0xFFFFFFFF

x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XGetImage.restype = ctypes.c_void_p
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                          ctypes.c_ulong, ctypes.c_int]
x11.XGetPixel.restype = ctypes.c_ulong
x11.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
x11.XDestroyImage.argtypes = [ctypes.c_void_p]


def pixel(display, window, x, y):
    """The pixel's value, or None while the window cannot be read."""
    image = x11.XGetImage(display, window, x, y, 1, 1, ALL_PLANES, ZPIXMAP)
    if not image:
        return None
    value = x11.XGetPixel(image, 0, 0)
    x11.XDestroyImage(image)
    return value


def find_window(pid, deadline):
    while time.perf_counter() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Form1$"],
                               capture_output=True, text=True).stdout.split()
        if found:
            return int(found[0])
        if pid.poll() is not None:
            sys.exit("hsi-demo exited before showing its window")
        time.sleep(0.002)
    sys.exit("no window named Form1 appeared")


def wait_for(display, window, test, deadline, what):
    while time.perf_counter() < deadline:
        value = pixel(display, window, *MIDDLE_PANEL)
        if value is not None and test(value):
            return time.perf_counter()
        time.sleep(0.001)
    sys.exit(f"window_start: the middle panel never {what}")


def one_start(demo, display):
    """Seconds from the start until the window is visible, painted, and has answered the click."""
    start = time.perf_counter()
    app = subprocess.Popen([demo], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        deadline = start + 20
        window = find_window(app, deadline)
        visible = time.perf_counter()
        painted = wait_for(display, window, lambda v: v != 0, deadline, "showed the window's face")
        # Not waited for: xdotool lingers 0.1 s after sending a click.
        click = subprocess.Popen(["xdotool", "mousemove", "--window", str(window), *map(str, CONVERT_BUTTON),
                                  "click", "1"])
        answered = wait_for(display, window, lambda v: v == 0, deadline, "turned black")
        click.wait()
        return visible - start, painted - start, answered - start
    finally:
        app.terminate()
        app.wait()


def main():
    demo = sys.argv[1]
    os.environ.pop("QT_QPA_PLATFORM", None)  # a real X window
    os.environ.setdefault("XDG_RUNTIME_DIR", tempfile.mkdtemp())
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("window_start: cannot open the display")
    runs = [one_start(demo, display) for _ in range(RUNS)]
    figures = {}
    for k, name in enumerate(("visible_s", "painted_s", "answered_s")):
        figures[name] = statistics.median(r[k] for r in runs)
        figures[name.replace("_s", "_runs_s")] = [r[k] for r in runs]
    json.dump(figures, sys.stdout, indent=1)

if __name__ == "__main__":
    main()
