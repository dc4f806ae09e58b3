"""An editor that stops answering, as a user meets it: the user works in the
editor, the editor hangs, the user clicks a text item. The tool tells the
user near its window that the editor does not answer, keeps answering
itself, writes nothing late, and the user's clipboard text stays as it was.
Both paste kinds; the editor is the test helper qtlatepaste."""
import os
import time

from e2elib import App, Failures, click, ini, run_driver
from editorlib import FIXTURES, LateEditor, button_point, clipboard_text, late_editor, tool

f = Failures()
BOLD = 0
HANG_MS = 9000


for kind in (0, 1):
    settings = ini(Quiltor={"QuiltorData": "items.edt", "Top": 20, "Left": 420, "Height": 400, "ActivePage": 0},
                   Setup={"PasteKindEZ": kind, "PasteIntervalEZ": 60 if kind else 0, "Timer": 100, "TimerEZ": 200})
    with App(settings, {"items.edt": open(os.path.join(FIXTURES, "items.edt"), "rb").read()}) as app, LateEditor(60) as ed:
        app.wait_ready()
        d = app.dump()
        tool("clipset", "user clip")
        click(150, 450)  # the user works in the editor: the tool records it as the target
        app.wait_target("Edit")
        late_editor("stop", HANG_MS)  # returns once the editor hangs
        started = time.time()
        click(*button_point(d, BOLD))
        box = app.driver("box", 8000)
        took = time.time() - started
        f.check(bool(box) and "応答していません" in box[0],
                "paste kind %d: the tool says the editor does not answer: %r" % (kind, box))
        f.check(took < 8, "paste kind %d: the message came after %.1f s" % (kind, took))
        answer = run_driver("answers", 1000)
        f.check(bool(answer) and answer[0].startswith("answers 1"),
                "paste kind %d: the tool answers while the editor hangs: %r" % (kind, answer))
        app.driver("box", 2000, 1)  # OK
        f.equal(clipboard_text(), "user clip", "paste kind %d: the user's clipboard text stays" % kind)
        # Once the editor answers again, nothing arrives late.
        time.sleep(max(0.0, HANG_MS / 1000 - (time.time() - started)) + 1.0)
        f.equal(ed.text(), "", "paste kind %d: nothing is written into the editor later" % kind)
        f.equal(clipboard_text(), "user clip", "paste kind %d: the clipboard text is still the user's" % kind)

f.finish()
