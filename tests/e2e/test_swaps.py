"""Data-file swaps: 50 swaps by the message a second start with /d sends,
between a data file of three pages and one of two, every page shown after
each swap so that its buttons and menus exist and the next swap has to take
them down. Each swap must leave the new file's pages, and the tool's working
set must not grow by more than 8 MB from swap 10 to swap 50.

Why 8 MB: the working set of the tool moves by a few hundred KB from run to
run as Wine's heaps and caches settle, while a swap that kept the windows,
menus, image lists and records of the file it replaced would keep tens of
windows and several image lists each time, some 200 KB or more a swap, 8 MB
over 40 swaps. bench/win/bench_swaps.py prints the figures of 500 swaps."""
from e2elib import Failures
from soaklib import memory, run

COUNT = 50
LIMIT_KB = 8 * 1024

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
