#!/usr/bin/env python3
"""The cost of the watch timer while the tool idles, read from outside: the
CPU time Linux counts for the tool's process (all its threads) over a quiet
stretch, in simple mode (a tick every Timer + TimerEZ = 2100 ms) against
linked mode with Timer 100 watching 5 and 20 open entries: windows of one
test-editor process, each handed to the tool as another program does.
Wine's server works on the tool's behalf too (every tick is a message through
it); its CPU time over the same stretch is shown beside, as this prefix's
server serves nothing else meanwhile. Prints figures: per cent of one core,
the ratio to simple mode and the growth per entry; asserts nothing (goal:
linked mode with 20 entries under 0.5 % of one core).
Run: QUILTOR_BUILD_DIR=build/win python3 bench/win/bench_linked_watch.py [seconds per stretch, 20]"""
import os
import subprocess
import sys
import tempfile
import time

from benchlib import count, figure, process_ns, server_pid, tool_pid
from e2elib import BUILD, WINE_RUN, App, ini, wait_for
from linkedlib import files, kill, linked, read_log, winpath

SETTLE_S = 2
def editors(log, count):
    """One test-editor process with `count` windows; returns their (edit window, file) pairs."""
    names = ["f%02d.txt" % n for n in range(count)]
    subprocess.Popen([WINE_RUN, os.path.join(BUILD, "qtlinkeditor.exe"), winpath(log)] + names,
                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    opened = wait_for(lambda: (lambda lines: lines if len(lines) == count else None)(
        [line for line in read_log(log) if line.startswith("open ")]), 60, 0.2)
    if not opened:
        raise SystemExit("bench_linked_watch: the test editor did not open %d windows" % count)
    return [(line.split(" ")[3], "C:\\doc\\" + line.split(" ")[1]) for line in opened]


def idle_cost(linked_mode, entries, seconds, work):
    """(per cent of one core for the tool, for the server) over `seconds` of idling with `entries` open entries."""
    log = os.path.join(work, "editors%d.log" % entries)
    settings = ini(Quiltor={"Mode": 1 if linked_mode else 0, "Top": 20, "Left": 420, "Height": 300},
                   Setup={"Timer": 100, "TimerEZ": 2000})
    # Ended by force at the end: its close waits under Wine without a window
    # manager about 2 s per window it hides, and is not measured.
    app = App(settings).start()
    try:
        app.wait_ready()
        if entries:
            pairs = editors(log, entries)
            linked("link", *[value for pair in pairs for value in pair], timeout=120)
            shown = len(files()["entries"])
            if shown != entries:
                raise SystemExit("bench_linked_watch: the tool lists %d of %d entries" % (shown, entries))
        app.wait_idle()
        time.sleep(count(SETTLE_S, 0))
        pid, server = tool_pid(app), server_pid()
        if not pid:
            raise SystemExit("bench_linked_watch: the tool's process was not found")
        before = process_ns(pid), process_ns(server) if server else None
        start = time.monotonic()
        time.sleep(seconds)
        after = process_ns(pid), process_ns(server) if server else None
        elapsed_ns = (time.monotonic() - start) * 1e9
    finally:
        app.stop()
    kill("qtlinkeditor.exe")
    tool = 100.0 * (after[0] - before[0]) / elapsed_ns
    wine = 100.0 * (after[1] - before[1]) / elapsed_ns if before[1] is not None and after[1] is not None else None
    return tool, wine


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else count(20, 1)
    entry_counts = count((0, 5, 20), (2,))
    work = tempfile.mkdtemp(prefix="quiltor-bench-watch-")
    kill("qtlinkeditor.exe")
    cases = (("simple", False, 0),) + tuple(("linked_%d_entries" % n, True, n) for n in entry_counts)
    results = [(name, n) + idle_cost(linked_mode, n, seconds, work) for name, linked_mode, n in cases]
    print("watch tick while idling, %.0f s per stretch (simple mode ticks every 2100 ms, linked mode every 100 ms)"
          % seconds)
    simple = results[0][2]
    for name, n, tool, wine in results:
        figure("watch.tool_cpu_%s" % name, tool, "%", "<0.5" if n == 20 else "-")
        if simple > 0 and name != "simple":
            figure("watch.tool_cpu_%s_to_simple" % name, tool / simple, "x")
        if wine is not None:
            figure("watch.server_cpu_%s" % name, wine, "%")
    by_entries = {n: tool for name, n, tool, wine in results[1:]}
    for low, high in zip(entry_counts, entry_counts[1:]):
        figure("watch.growth_per_entry_%d_to_%d" % (low, high), (by_entries[high] - by_entries[low]) / (high - low), "%")


if __name__ == "__main__":
    main()
