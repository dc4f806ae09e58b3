#!/usr/bin/env python3
"""Data-file swaps by the message a second start with /d sends, between a
data file of three pages and one of two, every page shown after each swap
(tabs, buttons and drop-down menus taken down and built each time). Prints
the tool's memory before the first swap and after 10, 50 and 500 swaps, read
from outside; flat figures mean the swaps leak nothing. Asserts nothing.
Run: QUILTOR_BUILD_DIR=build/win python3 bench/win/bench_swaps.py [swaps]"""
import sys

from benchlib import count, figure
from soaklib import memory, run

if __name__ == "__main__":
    swaps = int(sys.argv[1]) if len(sys.argv) > 1 else count(500, 10)
    code, lines, seconds = run("swaps", swaps, timeout=3600)
    for line in lines:
        print(line)
    figure("swaps.seconds_per_swap", seconds / swaps, "s")
    figures = memory(lines)
    if 10 in figures and swaps in figures:
        figure("swaps.working_set_growth_after_swap_10", figures[swaps][0] - figures[10][0], "KB")
    sys.exit(0 if code == 0 else 1)
