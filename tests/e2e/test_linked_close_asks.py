"""Closing a linked file whose editor asks whether to save (qtlinkeditor -ask):
while the question is up the tool goes on reading its messages: it answers
a message from outside within a second and its activate hot key, pressed
over the question, brings it to the front; it reports itself busy and keeps
the entry. The close completes once the user answers: Cancel keeps the
editor open, No closes it; either way the entry leaves the list."""
import os
import shutil
import tempfile

from e2elib import BUILD, App, Failures, ini, move_pointer, run_driver, wait_for, xdotool
from linkedlib import (LinkEditor, click_tool, editor_question, editor_windows, files, kill, read_log, second_start,
                       winpath)

f = Failures()
EDITOR = "QtLinkEditor"


def settings(log):
    return ini(Quiltor={"Top": 20, "Left": 420, "Height": 300, "Mode": 1},
               Setup={"EditerPath": winpath(os.path.join(BUILD, "qtlinkeditor.exe")),
                      "EditerParam": "-ask " + winpath(log) + " %f", "ClassName1": EDITOR, "ClassName2": "Edit",
                      "Timer": 100, "CloseMode": 0,
                      "HotKeyA": 1, "HotKeyA1": 3, "HotKeyA2": "W"})    # Ctrl+Alt+W: activate


def answered(log, name):
    return [line.split(" ")[-1] for line in read_log(log) if line.startswith("answered %s " % name)]


def close_while_asking(app, log, editor, press):
    what = "closing with the question answered %s" % press
    second_start(app, "/h%d" % editor.edit, "/fC:\\doc\\" + editor.name)
    app.wait_idle()
    f.equal(files()["entries"], ["*C:\\doc\\" + editor.name], "%s: the file is listed" % what)
    before = len(answered(log, editor.name))
    click_tool("ToolButton_Close")
    box = wait_for(lambda: editor_question(editor.name), 20, 0.2)
    f.check(box is not None, "%s: the editor asks" % what)
    if box is None:
        return
    answer = run_driver("answers", 1000)
    f.check(bool(answer) and answer[0].startswith("answers 1") and int(answer[0].split(" ")[2]) < 1000,
            "%s: the tool answers a message within a second while the editor asks: %r" % (what, answer))
    f.check(not app.status()[0], "%s: the tool is not idle while it waits" % what)
    f.check(not app.dump().get("foreground"), "%s: the question, not the tool, is in front" % what)
    # Without a window manager a window's X window is its client area only,
    # and the key goes to the X window under the pointer: above the
    # question's client area it would reach no program at all.
    move_pointer(box[0] + box[2] // 2, box[1] + box[3] // 2)
    xdotool("key", "ctrl+alt+w")
    f.check(wait_for(lambda: app.dump().get("foreground"), 10, 0.2),
            "%s: the activate hot key brings the tool to the front while the editor asks" % what)
    f.check(editor_question(editor.name) is not None, "%s: the question is still up" % what)
    f.equal(files()["entries"], ["*C:\\doc\\" + editor.name], "%s: the entry stays until the editor answered" % what)

    editor_question(editor.name, press)
    app.wait_idle()
    f.equal(answered(log, editor.name)[before:], [press], "%s: the editor heard the answer" % what)
    f.equal(files()["entries"], [], "%s: the entry is gone" % what)
    tops = {top for top, _, _ in editor_windows(EDITOR)}
    f.equal(editor.top in tops, press == "cancel", "%s: the editor is open" % what)


work = tempfile.mkdtemp(prefix="quiltor-linked-asks-")
kill("qtlinkeditor.exe")
try:
    log = os.path.join(work, "asks.log")
    with App(settings(log)) as app:
        app.wait_ready()
        editor = LinkEditor(log, "a.txt", ask=True)
        close_while_asking(app, log, editor, "cancel")
        close_while_asking(app, log, editor, "no")
finally:
    kill("qtlinkeditor.exe")
    shutil.rmtree(work, ignore_errors=True)
f.finish()
