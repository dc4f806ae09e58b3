"""What the Python benchmarks share with the C++ ones (bench/figures.h): a
figure is reported as the line "figure: <name> <value> <unit> <goal>", which
scripts/bench gathers into its closing table, and QUILTOR_BENCH_SMOKE=1 (as
scripts/test sets) asks for a brief run that only shows the benchmark works.
It also puts the end-to-end helpers on the path."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))

SMOKE = os.environ.get("QUILTOR_BENCH_SMOKE", "0") not in ("", "0")


def count(full, smoke):
    """The full run's count, or the smoke run's."""
    return smoke if SMOKE else full


def figure(name, value, unit, goal="-"):
    """`goal` says what the figure is held against ("<5", "~1"), "-" when it is only shown."""
    print("figure: %s %.4g %s %s" % (name, value, unit, goal), flush=True)
