"""Closing files in linked mode, with the test editor qtlinkeditor, which
notes every WM_CLOSE its windows receive. Under each close mode (0 always
closes, 1 leaves files linked from outside open, 2 only forgets): the close
button on a current file linked from outside ("*"); then close all over two
files linked from outside and one the tool opened from its history, which
reaches the editors in list order, newest first, and leaves the list, both
close menus, the labels and the exchange field empty."""
import os
import shutil
import tempfile

from e2elib import BUILD, App, Failures, ini, wait_for
from linkedlib import (LinkEditor, click_menu_item, click_tool, editor_windows, files, kill, linked_edit, menu_texts,
                       menus, read_log, second_start, shared_current, toolbar, winpath)

f = Failures()
EDITOR = "QtLinkEditor"
CLOSE_ALL = "全てのファイル終了"

# close mode: (whether the close button closes an outside file's editor,
#              the editors close all reaches, in the order they hear of it)
CASES = {
    0: (True, ["x.txt", "b.txt", "a.txt"]),
    1: (False, ["x.txt"]),
    2: (False, []),
}


def settings(log, close_mode, history):
    return ini(Quiltor={"Top": 20, "Left": 420, "Height": 300, "Mode": 1, "OpenFile0": winpath(history)},
               Setup={"EditerPath": winpath(os.path.join(BUILD, "qtlinkeditor.exe")), "EditerParam": winpath(log) + " %f",
                      "ClassName1": EDITOR, "ClassName2": "Edit", "Timer": 100, "CloseMode": close_mode})


def closes(log):
    """The editors that received WM_CLOSE, in the order they did."""
    return [line.split(" ", 1)[1] for line in read_log(log) if line.startswith("close ")]


def open_tops():
    return {top for top, _, _ in editor_windows(EDITOR)}


def forward(app, editor, path):
    second_start(app, "/h%d" % editor.edit, "/f" + path)
    app.wait_idle()


def open_from_history(app, log, path):
    """The user picks `path` in ToolButton_Open's history; the tool starts the editor with it."""
    click_tool("ToolButton_Open", arrow=True)
    click_menu_item("PopupMenu_Open", text=winpath(path))
    name = os.path.basename(path)
    started = wait_for(lambda: [line for line in read_log(log) if line.startswith("open %s " % name)], 30, 0.2)
    if not started:
        raise AssertionError("the tool did not start the editor with %s" % name)
    app.wait_idle()
    return int(started[-1].split(" ")[-1])


def close_mode_rules_closing(work, close_mode):
    closes_outside, close_all_reaches = CASES[close_mode]
    log = os.path.join(work, "close%d.log" % close_mode)
    x_path = os.path.join(work, "x.txt")
    open(x_path, "wb").write(b"x")
    with App(settings(log, close_mode, x_path)) as app:
        app.wait_ready()
        label = "close mode %d" % close_mode

        c = LinkEditor(log, "c.txt")
        forward(app, c, "C:\\doc\\c.txt")
        f.equal(files()["entries"], ["*C:\\doc\\c.txt"], "%s: the outside file is listed" % label)
        click_tool("ToolButton_Close")
        app.wait_idle()
        f.equal(files()["entries"], [], "%s: the close button removes the outside file's entry" % label)
        f.equal(closes(log), ["c.txt"] if closes_outside else [],
                "%s: WM_CLOSE from the close button on an outside file" % label)
        f.equal(c.top in open_tops(), not closes_outside, "%s: the outside file's editor is open" % label)
        f.equal(linked_edit(), 0, "%s: no linked edit window after the close button" % label)

        a = LinkEditor(log, "a.txt")
        forward(app, a, "C:\\doc\\a.txt")
        b = LinkEditor(log, "b.txt")
        forward(app, b, "C:\\doc\\b.txt")
        x_top = open_from_history(app, log, x_path)
        f.equal(files()["entries"], [" " + winpath(x_path), "*C:\\doc\\b.txt", "*C:\\doc\\a.txt"],
                "%s: the list before close all, newest first" % label)
        before = len(closes(log))

        click_tool("ToolButton_Close", arrow=True)
        click_menu_item("PopupMenu_Close", text=CLOSE_ALL)
        app.wait_idle()
        f.equal(closes(log)[before:], close_all_reaches, "%s: close all's WM_CLOSE, newest first" % label)
        reached = set(close_all_reaches)
        tops = open_tops()
        for name, top in (("a.txt", a.top), ("b.txt", b.top), ("x.txt", x_top)):
            f.equal(top in tops, name not in reached, "%s: after close all, %s's editor is open" % (label, name))
        shown = files()
        f.equal((shown["count"], shown.get("label1"), shown.get("label2")), (0, "", ""),
                "%s: close all empties the list and the labels" % label)
        all_menus = menus()
        f.equal(menu_texts(all_menus["PopupMenu_Close"]), [CLOSE_ALL],
                "%s: the close drop-down keeps only its close all" % label)
        f.equal(menu_texts(all_menus["Popup_CloseSel"]), [], "%s: 選択ファイル終了 lists nothing" % label)
        f.equal(shared_current(), "", "%s: the exchange field is empty" % label)
        f.equal(linked_edit(), 0, "%s: no linked edit window after close all" % label)
        tools = toolbar()
        f.check(not tools["ToolButton_Close"]["enabled"] and not tools["ToolButton_Exec"]["enabled"],
                "%s: the close and run buttons go off" % label)
    kill("qtlinkeditor.exe")


work = tempfile.mkdtemp(prefix="quiltor-linked-close-")
kill("qtlinkeditor.exe")
try:
    for mode in sorted(CASES):
        close_mode_rules_closing(work, mode)
finally:
    kill("qtlinkeditor.exe")
    shutil.rmtree(work, ignore_errors=True)
f.finish()
