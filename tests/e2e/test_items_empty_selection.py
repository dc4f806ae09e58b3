"""Items used with only a caret in the editor, with the settings a new user
has (writing by keys, no paste interval): a before/after item writes both
at the caret and leaves the caret between them, in Wine's notepad and in a
rich edit control; a copy module runs with an empty selection; the user's
clipboard is back afterwards. An editor whose edit control the tool cannot
ask, and which cuts late and then pastes its own cut, leaves the cut text on
the clipboard, and the user is told where it is."""
import os

from e2elib import BUILD, App, Failures, click, ini, wait_for
from editorlib import (FIXTURES, LateEditor, Notepad, button_point, clipboard_text, notepad_selection,
                       notepad_text, tool)

f = Failures()
BOLD, COPY_MODULE = 0, 1

# Nothing about delivery in the settings: PasteKindEZ and PasteIntervalEZ are
# the defaults. The watch runs fast so the tests need not wait for it.
SETTINGS = ini(Quiltor={"QuiltorData": "items.edt", "Top": 20, "Left": 420, "Height": 400, "ActivePage": 0},
               Setup={"Timer": 100, "TimerEZ": 200})

# The item fixture, with an after text holding a double-byte character and a
# line end, and the copy module replaced by one that echoes its selection.
AFTER = "</太>\r\n"
fixture = open(os.path.join(FIXTURES, "items.edt"), "rb").read()
items = fixture.replace(b"M00b=</b>", "M00b=</太>\\n".encode("cp932"))
items = items.replace(b"M01a=upper.exe\r\nM01b=", b"M01a=qtmodule.exe\r\nM01b=0 [{sel}]")
assert items.count(b"qtmodule") == 1 and b"</b>" not in items.split(b"M0300b")[0], "the fixture changed"
DATA = {"items.edt": items, "qtmodule.exe": open(os.path.join(BUILD, "qtmodule.exe"), "rb").read()}


def wait_equal(read, expected, message, seconds=10):
    got = wait_for(lambda: read() == expected and expected, seconds) or read()
    return f.equal(got, expected, message)


with App(SETTINGS, DATA) as app, Notepad() as pad:
    app.wait_ready()
    d = app.dump()
    tool("clipset", "user clip")
    pad.prepare("hello world", 6, 6)
    app.wait_target()
    click(*button_point(d, BOLD))
    wait_equal(notepad_text, "hello <b>" + AFTER + "world", "notepad: the pair arrives at the caret")
    app.wait_idle()
    # "hello <b>" in notepad's count: the caret stands between the texts.
    f.equal(notepad_selection(), (9, 9), "notepad: the caret stands between the texts")
    wait_equal(clipboard_text, "user clip", "notepad: the user's clipboard text is back")

    pad.prepare("hello world", 6, 6)
    app.wait_target()
    click(*button_point(d, COPY_MODULE))
    wait_equal(notepad_text, "hello []world", "a copy module runs with an empty selection")
    app.wait_idle()
    wait_equal(clipboard_text, "user clip", "copy module: the user's clipboard text is back")

# A rich edit control counts a line end as one position.
with App(SETTINGS, DATA) as app, LateEditor(0, 0, "rich") as editor:
    app.wait_ready()
    d = app.dump()
    tool("clipset", "user clip")
    editor.prepare("hello world", 6, 6)
    app.wait_target("RichEdit20W")
    click(*button_point(d, BOLD))
    wait_equal(editor.text, "hello <b>" + AFTER + "world", "rich edit: the pair arrives at the caret")
    app.wait_idle()
    f.equal(editor.selection(), (9, 9), "rich edit: the caret stands between the texts")
    wait_equal(clipboard_text, "user clip", "rich edit: the user's clipboard text is back")

# The editor's control cannot be asked; it handles its cut key 500 ms late,
# after the tool's wait, and its paste key 600 ms late.
with App(SETTINGS, DATA) as app, LateEditor(600, 500, "own") as editor:
    app.wait_ready()
    d = app.dump()
    tool("clipset", "user clip")
    editor.prepare("say hello now", 4, 9)
    app.wait_target("QtLateEdit")
    click(*button_point(d, BOLD))
    box = app.driver("box", 10000, 1)
    f.check(bool(box) and "エディタが遅れて切り取った文字列はクリップボードにあります" in box[0],
            "late cut: the user is told where the cut text is: %r" % box)
    app.wait_idle()
    f.equal(editor.text(), "say hello now", "late cut: the editor pasted back what it cut")
    f.equal(clipboard_text(), "hello", "late cut: the cut text stays on the clipboard")

f.finish()
