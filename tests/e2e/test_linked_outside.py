"""Linked mode fed from outside, with the test editor qtlinkeditor: another
program hands the running tool an edit window and a file (/h /f); the tool
enters linked mode with an entry marked "*" and writes into that window; the
same window handed again is selected, not added; the same at the tool's own
start."""
import os
import shutil
import tempfile

from e2elib import BUILD, App, Failures, click, ini, read_ini, wait_for
from editorlib import FIXTURES, button_point
from linkedlib import LinkEditor, edit_text, files, kill, linked_edit, second_start, shared_current, toolbar, winpath

f = Failures()
BOLD = 0
DATA = {"items.edt": open(os.path.join(FIXTURES, "items.edt"), "rb").read()}


def settings(log, change_mode=1):
    """The tool's settings: the test editor as the common entry's editor, noting in `log`."""
    return ini(Quiltor={"QuiltorData": "items.edt", "Top": 20, "Left": 420, "Height": 400, "ActivePage": 0, "Mode": 0},
               Setup={"EditerPath": winpath(os.path.join(BUILD, "qtlinkeditor.exe")), "EditerParam": winpath(log) + " %f",
                      "ClassName1": "QtLinkEditor", "ClassName2": "Edit", "PasteKind": 0, "Timer": 100,
                      "ChangeMode": change_mode})


def forward(app, editor, path):
    """Another program hands the running tool `editor`'s edit window and `path`."""
    rc = second_start(app, "/h%d" % editor.edit, "/f" + path)
    app.wait_idle()
    return rc


def a_forwarded_window_links_the_tool_and_is_written_to(work):
    log = os.path.join(work, "forward.log")
    a_path, b_path = "C:\\doc\\a.txt", "C:\\doc\\b b.txt"
    # Manual switching: the editor the user saw last stays in front, and must not take over.
    with App(settings(log, change_mode=0), DATA) as app:
        app.wait_ready()
        f.check(not toolbar()["ToolButton_Mode"]["checked"], "forward: simple mode at start")
        a = LinkEditor(log, "a.txt")
        f.equal(forward(app, a, a_path), 1, "forward: the second start hands over and ends")
        mode = toolbar()["ToolButton_Mode"]
        f.equal((mode["checked"], mode["hint"]), (True, "連動モードで実行中(F2)"), "forward: the tool enters linked mode")
        f.equal(files()["entries"], ["*" + a_path], "forward: an entry marked as linked from outside")
        f.equal(linked_edit(), a.edit, "forward: the handed window is the linked edit window")
        f.equal(shared_current(), a_path, "forward: the exchange field names the handed file")
        f.equal(read_ini(app.folder)["Quiltor"].get("Mode"), "0", "forward: the mode is not written to the settings")

        click(*button_point(app.dump(), BOLD))
        got = wait_for(lambda: (lambda t: t if t and "</b>" in t else None)(edit_text(a.edit)), 10)
        f.check(got is not None and got.startswith("<b>"), "forward: the item writes into the handed window: %r" % got)

        b = LinkEditor(log, "b b.txt")
        forward(app, b, b_path)
        f.equal(files()["entries"], ["*" + b_path, "*" + a_path], "forward: a second window adds a second entry")
        f.equal(linked_edit(), b.edit, "forward: the second window is current")
        forward(app, a, a_path)
        shown = files()
        f.equal((shown["entries"], shown["selection"]), (["*" + b_path, "*" + a_path], 1),
                "forward: the first window handed again is selected, not added")
        f.equal(linked_edit(), a.edit, "forward: the first window is current again")
        f.equal(shared_current(), a_path, "forward: the exchange field names the first file again")
    kill("qtlinkeditor.exe")

    c = LinkEditor(log, "c.txt")
    with App(settings(log), DATA, args=["/h%d" % c.edit, "/fC:\\doc\\c.txt"]) as app:
        app.wait_ready()
        app.wait_idle()
        f.check(toolbar()["ToolButton_Mode"]["checked"], "own start: /h and /f start the tool in linked mode")
        f.equal(files()["entries"], ["*C:\\doc\\c.txt"], "own start: the window's entry is marked as from outside")
        f.equal(linked_edit(), c.edit, "own start: the window is the linked edit window")
        f.equal(shared_current(), "C:\\doc\\c.txt", "own start: the exchange field names the file")
    kill("qtlinkeditor.exe")


work = tempfile.mkdtemp(prefix="quiltor-linked-")
kill("qtlinkeditor.exe")
try:
    a_forwarded_window_links_the_tool_and_is_written_to(work)
finally:
    kill("qtlinkeditor.exe")
    shutil.rmtree(work, ignore_errors=True)
f.finish()
