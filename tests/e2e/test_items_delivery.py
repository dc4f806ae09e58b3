"""Items of a data page written into a real editor (Wine's notepad) as a user
does it: select text in the editor, click into it, click the item's button
in the tool window. Text items in both paste kinds, a two-line text, a menu
entry, an edit module that transforms the selection, and a module program
that is missing."""
import os
import shutil
import subprocess
import tempfile
import time

from e2elib import App, BUILD, SOURCE, WINE_RUN, Failures, click, ini, wait_for, xdotool

FIXTURES = os.path.join(SOURCE, "tests", "fixtures", "items")
f = Failures()


def tool_output(*args):
    out = subprocess.run([WINE_RUN, os.path.join(BUILD, "qtnotepad.exe")] + [str(a) for a in args],
                         capture_output=True, timeout=60)
    return out.stdout.decode("cp932", "replace")


def tool(*args):
    return tool_output(*args).splitlines()


def notepad_text():
    out = tool_output("get")
    # The helper writes bytes unchanged; the text's own line ends stay inside the brackets.
    end = out.rfind("]\nsel ")
    if not out.startswith("text [") or end < 0:
        return None
    return out[len("text ["):end]


def clipboard_text():
    lines = tool("clipget")
    return lines[0][len("clip ["):-1] if lines else None


def upper_module():
    """The sample module upper.exe; built here when the build has no module folder."""
    for folder in (os.path.join(BUILD, "modules"), os.path.join(SOURCE, "build", "win", "modules")):
        path = os.path.join(folder, "upper.exe")
        if os.path.exists(path):
            return path
    out = os.path.join(tempfile.mkdtemp(prefix="quiltor-module-"), "upper.exe")
    subprocess.run(["x86_64-w64-mingw32-g++-posix", "-std=c++20", "-O1", "-static", "-o", out,
                    os.path.join(SOURCE, "samples", "modules", "upper.cpp")], check=True)
    return out


def notepad_windows():
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "メモ帳|Notepad"], capture_output=True,
                          text=True).stdout.split()


class Notepad:
    """Wine's notepad as the user's editor, placed beside the tool window."""

    def __enter__(self):
        # A notepad left over from an interrupted run would take the helper's texts.
        self.kill()
        subprocess.Popen([WINE_RUN, "notepad.exe"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        lines = wait_for(lambda: [l for l in tool("edit") if l.startswith("edit ")], 30)
        if not lines:
            raise AssertionError("notepad did not start")
        top = int(lines[0].split()[3])
        # X window of notepad: the one whose title names it.
        xid = None
        for _ in range(50):
            found = notepad_windows()
            if found:
                xid = found[0]
                break
            time.sleep(0.2)
        if xid:
            xdotool("windowsize", xid, 360, 240)
            xdotool("windowmove", xid, 10, 320)
            time.sleep(0.5)
        self.top = top
        self.xid = xid
        return self

    def prepare(self, text, start, end):
        """The user clicks into notepad; the text holds `text` with start..end selected."""
        # Under load the window may still be on its way: click until notepad is active.
        for _ in range(10):
            click(150, 450)
            time.sleep(0.3)
            active = subprocess.run(["xdotool", "getactivewindow"], capture_output=True, text=True).stdout.strip()
            if not self.xid or active == self.xid:
                break
            time.sleep(0.5)
        tool("set", text, start, end)

    def __exit__(self, *exc):
        self.kill()

    def kill(self):
        subprocess.run([WINE_RUN, "taskkill", "/f", "/im", "notepad.exe"], capture_output=True, timeout=180)
        # The next editor must not be confused with this one's window while it goes.
        wait_for(lambda: not notepad_windows(), 10)


def button_point(d, row):
    """Screen point of a main-column button of the active page."""
    x, y, w, h = d["parts"]["PageControl"]["rect"]
    return x + 107, y + 34 + 20 * row


def settings(kind):
    return ini(Quiltor={"QuiltorData": "items.edt", "Top": 20, "Left": 420, "Height": 400, "ActivePage": 0},
               Setup={"PasteKindEZ": kind, "Timer": 100, "TimerEZ": 200})


BOLD, UPPER, MISSING, TAGS, LINES = 0, 1, 2, 3, 4

# A text item in both paste kinds; the user's clipboard text is back afterwards.
# Paste kind 1 (synthesised keys) through the running tool does not yet arrive
# reliably on a fresh Xvfb display without a window manager, where the X
# keyboard focus follows the pointer; run it with QUILTOR_KINDS="0 1". The key
# routines themselves are proven against notepad in the Win32 layer.
for kind in [int(k) for k in os.environ.get("QUILTOR_KINDS", "0").split()]:
    with App(settings(kind), {"items.edt": open(os.path.join(FIXTURES, "items.edt"), "rb").read()}) as app, \
            Notepad() as pad:
        app.wait_ready()
        d = app.dump()
        tool("clipset", "user clip")
        pad.prepare("hello xyz world", 6, 9)
        time.sleep(1.2)  # the watch timer records notepad as the target
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
        time.sleep(1.2)
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
    time.sleep(1.2)
    click(*button_point(d, UPPER))
    expected = "hello XYZ world"
    got = wait_for(lambda: notepad_text() == expected and expected, 15) or notepad_text()
    f.equal(got, expected, "the upper-case module replaces the selection")

    pad.prepare("keep me", 0, 4)
    time.sleep(1.2)
    click(*button_point(d, MISSING))
    box = app.driver("box", 10000, 1)
    f.check(bool(box) and "実行ファイルが見つかりません" in box[0], "missing module message: %r" % box)
    time.sleep(1)
    f.equal(notepad_text(), "keep me", "a missing module writes nothing")

    # A menu entry behind a drop-down button.
    pad.prepare("hello xyz world", 6, 9)
    time.sleep(1.2)
    bx, by = button_point(d, TAGS)
    click(bx, by)
    time.sleep(1.2)
    click(bx - 60, by + 10 + 9)
    expected = "hello <i>xyz</i> world"
    got = wait_for(lambda: notepad_text() == expected and expected, 10) or notepad_text()
    f.equal(got, expected, "a second-level menu entry writes its texts")

    # Re-edit from the tool bar writes the last texts again.
    pad.prepare("hello xyz world", 6, 9)
    time.sleep(1.2)
    app.driver("command", 105)  # ToolButton_Repeat
    expected = "hello <i>xyz</i> world"
    got = wait_for(lambda: notepad_text() == expected and expected, 10) or notepad_text()
    f.equal(got, expected, "re-edit writes the last texts again")

    # The keyboard: Down places the cursor on the first button, Down again on
    # the next; Enter fires it (the upper-case module).
    pad.prepare("abc", 0, 3)
    time.sleep(1.2)
    x, y, w, h = app.dump()["parts"]["StatusBar"]["rect"]
    click(x + 60, y + 8)  # into the tool window, away from any button
    time.sleep(0.5)
    xdotool("key", "Down")
    time.sleep(0.3)
    xdotool("key", "Down")
    time.sleep(0.3)
    marked = app.driver("dump")
    f.check(any(l.startswith("button 0 0 1 ") and l.split()[7] == "1" for l in marked),
            "Down twice marks the second button")
    xdotool("key", "Return")
    expected = "ABC"
    got = wait_for(lambda: notepad_text() == expected and expected, 15) or notepad_text()
    f.equal(got, expected, "Enter fires the marked button")

f.finish()
