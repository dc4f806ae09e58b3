"""What the Python benchmarks share with the C++ ones (bench/figures.h): a
figure is reported as the line "figure: <name> <value> <unit> <goal>", which
scripts/bench gathers into its closing table, and QUILTOR_BENCH_SMOKE=1 (as
scripts/test sets) asks for a brief run that only shows the benchmark works.
It also puts the end-to-end helpers on the path."""
import glob
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))

from e2elib import SOURCE  # noqa: E402  (after the path is set)

SMOKE = os.environ.get("QUILTOR_BENCH_SMOKE", "0") not in ("", "0")


def count(full, smoke):
    """The full run's count, or the smoke run's."""
    return smoke if SMOKE else full


def figure(name, value, unit, goal="-"):
    """`goal` says what the figure is held against ("<5", "~1"), "-" when it is only shown."""
    print("figure: %s %.4g %s %s" % (name, value, unit, goal), flush=True)


CLOCK_TICK = os.sysconf("SC_CLK_TCK")


def process_ns(pid):
    """CPU time of a Linux process in ns: the scheduler's run time of its threads where the kernel keeps it,
    else user + system time in clock ticks."""
    total = 0
    try:
        for task in glob.glob("/proc/%d/task/*/schedstat" % pid):
            total += int(open(task).read().split()[0])
        if total:
            return total
        fields = open("/proc/%d/stat" % pid).read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) * 1_000_000_000 // CLOCK_TICK
    except (FileNotFoundError, ProcessLookupError, IndexError, ValueError):
        return None


def tool_pid(app):
    """The tool's Linux process: the one Wine's loader started as, renamed after the exe."""
    pid = app.process.pid
    try:
        return pid if open("/proc/%d/comm" % pid).read().strip() == "Quiltor.exe" else None
    except FileNotFoundError:
        return None


def server_pid():
    """This prefix's wineserver: the one whose working folder is the server folder of the prefix."""
    prefix = os.environ.get("QUILTOR_WINEPREFIX") or os.path.join(SOURCE, "build", "wineprefix")
    st = os.stat(prefix)
    wanted = "/server-%x-%x" % (st.st_dev, st.st_ino)
    for pid in subprocess.run(["pgrep", "^wineserver"], capture_output=True, text=True).stdout.split():
        try:
            if os.readlink("/proc/%s/cwd" % pid).endswith(wanted):
                return int(pid)
        except OSError:
            continue
    return None
