"""A soak of writes: 200 text items written into Wine's notepad by one tool
process, taking turns between simple mode (clipboard messages) and linked
mode (the editor's keys, notepad linked by a second start), the mode toggled
with ToolButton_Mode between writes. Three items take turns: one wraps the
selection, one replaces it, one inserts two lines at the caret. The user's
clipboard holds a text, a bitmap and a private format all along. After every
write notepad holds exactly the expected text and the clipboard all three
formats byte for byte (qtsoak checks and says which write went wrong). The
tool's memory is printed before the first write and after 50 and 200
writes, and not asserted: it still grows by some KB with each write while
the user's clipboard holds anything (bench/win/bench_soak.py shows it over
2,000 writes)."""
import os

from e2elib import Failures
from soaklib import run

COUNT = int(os.environ.get("QUILTOR_SOAK_WRITES", "200"))

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
f.finish()
