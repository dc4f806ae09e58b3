"""Items of a data page written into a real editor (Wine's notepad) as a user
does it: select text in the editor, click into it, click the item's button
in the tool window. Text items in both paste kinds, a two-line text, menu
entries down to the fourth level, a separator, an edit module that
transforms the selection, a module program that is missing, re-edit and the
keyboard cursor."""
import os
import subprocess

from e2elib import App, Failures, click, ini, wait_for, xdotool
from editorlib import FIXTURES, Notepad, button_point, clipboard_text, notepad_text, tool, upper_module

f = Failures()


def settings(kind):
    # Wine takes the X focus for the editor a moment after the tool makes it
    # the foreground window, and then sets the modifier keys to what X says
    # is pressed: keys sent before that lose their Ctrl. A short paste
    # interval, the setting a user gives a slow editor, waits for it.
    interval = 60 if kind == 1 else 0
    return ini(Quiltor={"QuiltorData": "items.edt", "Top": 20, "Left": 420, "Height": 400, "ActivePage": 0},
               Setup={"PasteKindEZ": kind, "PasteIntervalEZ": interval, "Timer": 100, "TimerEZ": 200})


BOLD, UPPER, MISSING, TAGS, LINES, EMPTY, SEPARATOR, DEEP = range(8)

# A text item in both paste kinds; the user's clipboard text is back afterwards.
for kind in [int(k) for k in os.environ.get("QUILTOR_KINDS", "0 1").split()]:
    with App(settings(kind), {"items.edt": open(os.path.join(FIXTURES, "items.edt"), "rb").read()}) as app, \
            Notepad() as pad:
        app.wait_ready()
        d = app.dump()
        tool("clipset", "user clip")
        pad.prepare("hello xyz world", 6, 9)
        app.wait_target()
        if os.environ.get("QUILTOR_SHOT"):
            print(d["window"], d["parts"]["PageControl"], button_point(d, BOLD))
            subprocess.run(["import", "-window", "root", "/tmp/items_shot.png"])
        click(*button_point(d, BOLD))
        expected = "hello <b>xyz</b> world"
        got = wait_for(lambda: notepad_text() == expected and expected, 10) or notepad_text()
        if not f.equal(got, expected, "paste kind %d: the text item wraps the selection" % kind):
            print("message box:", app.driver("box", 500, 1), "clipboard:", clipboard_text())
        clip = wait_for(lambda: clipboard_text() == "user clip" and "user clip", 10) or clipboard_text()
        f.equal(clip, "user clip", "paste kind %d: the user's clipboard text is back" % kind)

        # A text with a line break escape writes two lines.
        pad.prepare("ab", 1, 1)
        app.wait_target()
        click(*button_point(d, LINES))
        expected = "aLine1\r\nLine2b"
        got = wait_for(lambda: notepad_text() == expected and expected, 10) or notepad_text()
        f.equal(got, expected, "paste kind %d: Line1\\nLine2 arrives as two lines" % kind)

# Modules: one transforms the selection, a missing one shows the message and writes nothing.
data = {"items.edt": open(os.path.join(FIXTURES, "items.edt"), "rb").read(),
        "upper.exe": open(upper_module(), "rb").read()}
with App(settings(0), data) as app, Notepad() as pad:
    app.wait_ready()
    d = app.dump()
    pad.prepare("hello xyz world", 6, 9)
    app.wait_target()
    click(*button_point(d, UPPER))
    expected = "hello XYZ world"
    got = wait_for(lambda: notepad_text() == expected and expected, 15) or notepad_text()
    f.equal(got, expected, "the upper-case module replaces the selection")

    pad.prepare("keep me", 0, 4)
    app.wait_target()
    click(*button_point(d, MISSING))
    box = app.driver("box", 10000, 1)
    f.check(bool(box) and "実行ファイルが見つかりません" in box[0], "missing module message: %r" % box)
    app.wait_idle()
    f.equal(notepad_text(), "keep me", "a missing module writes nothing")

    # An empty module name makes the data folder itself the program path: a
    # folder is no program, so the same message, and no folder window opens.
    path = os.path.join(app.folder, "items.edt")
    contents = open(path, "rb").read().replace(b"M02a=nosuch.exe", b"M02a=")
    open(path, "wb").write(contents)
    app.wait_target()
    click(*button_point(d, MISSING))
    box = app.driver("box", 10000, 1)
    f.check(bool(box) and "実行ファイルが見つかりません" in box[0], "an empty module name: %r" % box)
    app.wait_idle()
    f.equal(notepad_text(), "keep me", "an empty module name writes nothing")

    # A menu entry behind a drop-down button.
    pad.prepare("hello xyz world", 6, 9)
    app.wait_target()
    bx, by = button_point(d, TAGS)
    click(bx, by)
    app.wait_target()
    click(bx - 60, by + 10 + 9)
    expected = "hello <i>xyz</i> world"
    got = wait_for(lambda: notepad_text() == expected and expected, 10) or notepad_text()
    f.equal(got, expected, "a second-level menu entry writes its texts")

    # A separator button does nothing.
    pad.prepare("stay", 0, 4)
    app.wait_target()
    click(*button_point(d, SEPARATOR))
    app.wait_idle()
    f.equal(notepad_text(), "stay", "a separator button writes nothing")

    # Menus to the fourth key level, walked with the keys as a user may:
    # Deep > Level2 > Level3 > {Four, Dead}. The fourth-level entry that would
    # open yet another menu does nothing; its runnable sibling writes.
    def walk_to_fourth_level(down):
        bx, by = button_point(d, DEEP)
        click(bx, by)
        for key, menus in [("Down", 1), ("Right", 1), ("Right", 2)] + [("Down", 3)] * down:
            f.check(wait_for(lambda: app.open_menus() == menus, 10), "%d menus open before %s" % (menus, key))
            xdotool("key", key)
        f.check(wait_for(lambda: app.open_menus() == 3, 10), "the third menu level is open")
        xdotool("key", "Return")

    pad.prepare("stay", 0, 4)
    app.wait_target()
    walk_to_fourth_level(1)
    app.wait_idle()
    f.equal(notepad_text(), "stay", "a menu entry at the fourth level that opens a menu does nothing")
    xdotool("key", "Escape")
    pad.prepare("stay", 0, 4)
    app.wait_target()
    walk_to_fourth_level(0)
    expected = "FOUR"
    got = wait_for(lambda: notepad_text() == expected and expected, 10) or notepad_text()
    f.equal(got, expected, "a text entry at the fourth level writes its text")

    # Re-edit from the tool bar writes the last texts again.
    pad.prepare("hello xyz world", 6, 9)
    app.wait_target()
    app.driver("command", "ToolButton_Repeat")
    expected = "hello FOUR world"
    got = wait_for(lambda: notepad_text() == expected and expected, 10) or notepad_text()
    f.equal(got, expected, "re-edit writes the last texts again")

    # The keyboard: Down places the cursor on the first button, Down again on
    # the next; Enter fires it (the upper-case module).
    pad.prepare("abc", 0, 3)
    app.wait_target()
    x, y, w, h = app.dump()["parts"]["StatusBar"]["rect"]
    click(x + 60, y + 8)  # into the tool window, away from any button
    f.check(wait_for(lambda: app.dump().get("foreground"), 10), "the tool is in front after the click")
    xdotool("key", "Down")
    xdotool("key", "Down")
    marked = wait_for(lambda: (lambda lines: any(l.startswith("button 0 0 1 ") and l.split()[7] == "1"
                                                 for l in lines))(app.driver("dump")), 10)
    f.check(marked, "Down twice marks the second button")
    xdotool("key", "Return")
    expected = "ABC"
    got = wait_for(lambda: notepad_text() == expected and expected, 15) or notepad_text()
    f.equal(got, expected, "Enter fires the marked button")

f.finish()
