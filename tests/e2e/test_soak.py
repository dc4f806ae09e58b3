"""A soak of writes: 200 text items written into Wine's notepad by one tool
process, taking turns between simple mode (clipboard messages) and linked
mode (the editor's keys, notepad linked by a second start), the mode toggled
with ToolButton_Mode between writes. Three items take turns: one wraps the
selection, one replaces it, one inserts two lines at the caret. The user's
clipboard holds a text, a bitmap and a private format all along. After every
write notepad holds exactly the expected text and the clipboard all three
formats byte for byte (qtsoak checks and says which write went wrong). The
tool's memory is printed before the first write and after 50 and 200
writes; from write 50 to write 200 the working set must not grow by more
than 512 KB (a tool that read its own content back from the clipboard on
every write grew by about 1.3 MB there; bench/win/bench_soak.py shows the
figures over 2,000 writes)."""
import os

from e2elib import Failures
from soaklib import memory, run

COUNT = int(os.environ.get("QUILTOR_SOAK_WRITES", "200"))
LIMIT_KB = 512

f = Failures()
code, lines, seconds = run("writes", COUNT, timeout=540)
for line in lines:
    print(line)
print("soak of %d writes: %.1f s" % (COUNT, seconds))
f.equal(code, 0, "qtsoak's exit code")
f.check("writes %d ok" % COUNT in lines, "every write arrived and the user's clipboard came back each time")
f.check(any(l.startswith("notepad holds the expected text") for l in lines), "notepad's final text")
f.check(any(l.startswith("the clipboard holds the user's text, bitmap (CF_DIB) and private format") for l in lines),
        "the user's clipboard after the last write")
figures = memory(lines)
if 50 in figures and COUNT in figures:
    growth = figures[COUNT][0] - figures[50][0]
    print("working set growth from write 50 to write %d: %d KB" % (COUNT, growth))
    f.check(growth <= LIMIT_KB, "the working set grew by %d KB from write 50 to write %d (limit %d KB)"
            % (growth, COUNT, LIMIT_KB))
else:
    f.check(False, "qtsoak printed the memory after 50 and %d writes" % COUNT)
f.finish()
