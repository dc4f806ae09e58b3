#!/usr/bin/env python3
"""Data-file swaps by the message a second start with /d sends, between a
data file of three pages and one of two, every page shown after each swap
(tabs, buttons and drop-down menus taken down and built each time). Prints
the tool's memory before the first swap and after 10, 50 and 500 swaps, read
from outside; flat figures mean the swaps leak nothing. Asserts nothing.
Run: QUILTOR_BUILD_DIR=build/win python3 bench/win/bench_swaps.py [swaps]"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
from soaklib import run  # noqa: E402

if __name__ == "__main__":
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 500
    code, lines, seconds = run("swaps", count, timeout=3600)
    for line in lines:
        print(line)
    print("%d data-file swaps: %.0f s" % (count, seconds))
    sys.exit(0 if code == 0 else 1)
