#!/usr/bin/env python3
"""The soak of writes at 2,000 (tests/e2e/test_soak.py runs it at 200): one
tool process writes into Wine's notepad, simple mode by messages and linked
mode by keys in turn. Prints the run time and the tool's memory before the
first write and after 50, 200 and 2,000 writes (working set, which Wine reads
from Linux's VmRSS, and committed private regions, read from outside);
asserts nothing.
Run: QUILTOR_BUILD_DIR=build/win python3 bench/win/bench_soak.py [writes]"""
import sys

from benchlib import count, figure
from soaklib import memory, run

if __name__ == "__main__":
    writes = int(sys.argv[1]) if len(sys.argv) > 1 else count(2000, 20)
    code, lines, seconds = run("writes", writes, timeout=3600)
    for line in lines:
        if line.startswith(("memory", "FAIL", "writes", "notepad", "the clipboard")) or " writes in " in line:
            print(line)
    figure("soak.seconds_per_write", seconds / writes, "s")
    figures = memory(lines)
    if 0 in figures and writes in figures:
        figure("soak.working_set_growth", figures[writes][0] - figures[0][0], "KB")
        figure("soak.committed_private_growth", figures[writes][1] - figures[0][1], "KB")
    sys.exit(0 if code == 0 else 1)
