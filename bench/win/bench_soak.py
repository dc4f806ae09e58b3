#!/usr/bin/env python3
"""The soak of writes at 2,000 (tests/e2e/test_soak.py runs it at 200): one
tool process writes into Wine's notepad, simple mode by messages and linked
mode by keys in turn. Prints the run time and the tool's memory before the
first write and after 50, 200 and 2,000 writes (working set, which Wine reads
from Linux's VmRSS, and committed private regions, read from outside);
asserts nothing.
Run: QUILTOR_BUILD_DIR=build/win python3 bench/win/bench_soak.py [writes]"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
from soaklib import run  # noqa: E402

if __name__ == "__main__":
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 2000
    code, lines, seconds = run("writes", count, timeout=3600)
    for line in lines:
        if line.startswith(("memory", "FAIL", "writes", "notepad", "the clipboard")) or " writes in " in line:
            print(line)
    print("soak of %d writes: %.0f s" % (count, seconds))
    sys.exit(0 if code == 0 else 1)
