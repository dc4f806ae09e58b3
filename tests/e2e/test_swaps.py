"""Data-file swaps: 50 swaps by the message a second start with /d sends,
between a data file of three pages and one of two, every page shown after
each swap so that its buttons and menus exist and the next swap has to take
them down. Each swap must leave the new file's pages, and the tool's working
set must not grow by more than 2 MB from swap 10 to swap 50.

Why 2 MB: in the runs that set it, the working set moved by about 400 KB
while the first swaps settled (before swap 10) and by less than 20 KB from
swap 10 to swap 500; a swap that kept the windows, menus and records of the
file it replaced (tens of windows each time) would keep some tens of KB a
swap, over 40 swaps about the bound, while the bound stays five times above
the settling. bench/win/bench_swaps.py prints the figures of 500 swaps."""
from e2elib import Failures
from soaklib import memory, run

COUNT = 50
LIMIT_KB = 2 * 1024

f = Failures()
code, lines, seconds = run("swaps", COUNT, timeout=300)
for line in lines:
    print(line)
print("%d swaps: %.1f s" % (COUNT, seconds))
f.equal(code, 0, "qtsoak's exit code")
f.check("swaps %d ok" % COUNT in lines, "every swap left the new data file's pages")
figures = memory(lines)
if f.check(10 in figures and COUNT in figures, "memory printed after swap 10 and swap %d" % COUNT):
    growth = figures[COUNT][0] - figures[10][0]
    print("working set growth from swap 10 to swap %d: %d KB" % (COUNT, growth))
    f.check(growth <= LIMIT_KB, "the working set grew by %d KB from swap 10 to swap %d (limit %d KB)"
            % (growth, COUNT, LIMIT_KB))
f.finish()
