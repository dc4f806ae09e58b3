"""Edit modules and hot keys, driven as a user does it against Wine's notepad:
a module that cuts the selection, one that runs with the tool window hidden,
a slow one while the tool must keep answering, one that leaves its text
without a terminator, one that crashes; the re-edit hot key repeating the last text item, and
the activate hot key bringing back a shrunk tool."""
import os
import subprocess
import tempfile

from e2elib import App, BUILD, Failures, centre, click, driver_command, ini, run_driver, wait_for, xdotool
from editorlib import FIXTURES, Notepad, button_point, notepad_text, upper_module

f = Failures()
UPPER_CUT, SLOW_HIDDEN, SLOW, BOLD, UNTERMINATED, CRASH = range(6)

settings = ini(Quiltor={"QuiltorData": "modules.edt", "Top": 20, "Left": 420, "Height": 400, "ActivePage": 0},
               Setup={"PasteKindEZ": 0, "Timer": 100, "TimerEZ": 200,
                      "HotKeyR": 1, "HotKeyR1": 3, "HotKeyR2": "Q",     # Ctrl+Alt+Q: re-edit
                      "HotKeyA": 1, "HotKeyA1": 3, "HotKeyA2": "W"})    # Ctrl+Alt+W: activate
data = {"modules.edt": open(os.path.join(FIXTURES, "modules.edt"), "rb").read(),
        "upper.exe": open(upper_module(), "rb").read(),
        "qtmodule.exe": open(os.path.join(BUILD, "qtmodule.exe"), "rb").read()}


def expect_text(expected, seconds, message):
    got = wait_for(lambda: notepad_text() == expected and expected, seconds) or notepad_text()
    return f.equal(got, expected, message)


def watch_visibility(ms):
    """Starts qtdriver's visibility watch; returns a function giving its lines once it ended."""
    out = tempfile.TemporaryFile()
    process = subprocess.Popen(driver_command("tool", "watch", ms),
                               stdout=out, stderr=subprocess.DEVNULL)

    def lines():
        process.wait(ms / 1000 + 60)
        out.seek(0)
        return out.read().decode("utf-8", "replace").splitlines()

    # The watch prints the visibility it starts with at once: from then on it sees every change.
    def started():
        out.seek(0)
        return out.read()
    wait_for(started, 30, 0.1)
    return lines


with App(settings, data) as app, Notepad() as pad:
    app.wait_ready()
    d = app.dump()

    # Variant 2: the selection is cut into the module's buffer, and its
    # upper-cased text is written in its place.
    pad.prepare("hello xyz world", 6, 9)
    app.wait_target()
    click(*button_point(d, UPPER_CUT))
    expect_text("hello XYZ world", 15, "a cutting module replaces the selection with its text")

    # Variant 3: the tool window is hidden while the module runs, shown after.
    pad.prepare("say it", 4, 6)
    app.wait_target()
    watched = watch_visibility(9000)
    click(*button_point(d, SLOW_HIDDEN))
    expect_text("say hidden done", 20, "the hidden-window module's text is written")
    changes = [line.split()[1] for line in watched()]
    f.equal(changes, ["1", "0", "1"], "the tool window hides while the module runs and comes back")
    f.check(wait_for(lambda: app.dump().get("visible"), 5), "the tool window is visible again")

    # A slow module: the tool keeps answering while it waits.
    pad.prepare("wait here", 5, 9)
    app.wait_target()
    click(*button_point(d, SLOW))
    f.check(wait_for(lambda: not app.status()[0], 10), "the tool is busy while the slow module runs")
    answer = run_driver("answers", 1000)
    f.check(bool(answer) and answer[0].startswith("answers 1"), "the tool answers while a module runs: %r" % answer)
    f.equal(notepad_text(), "wait here", "nothing is written before the module has ended")
    expect_text("wait late", 20, "the slow module's text arrives when it ends")

    # A module that fills its buffer to the last byte with no terminator:
    # exactly the buffer is written, nothing from beyond it.
    pad.prepare("ab", 1, 1)
    app.wait_target()
    click(*button_point(d, UNTERMINATED))
    expect_text("a" + "x" * 1024 + "b", 15, "an unterminated buffer is written up to its end")

    # A module that crashes: nothing is written, no message, and the tool answers.
    pad.prepare("keep this", 0, 4)
    app.wait_target()
    click(*button_point(d, CRASH))
    box = app.driver("box", 6000, 1)
    f.check(box and box[0] == "nobox", "a crashing module raises no message of the tool: %r" % box)
    answer = run_driver("answers", 1000)
    f.check(bool(answer) and answer[0].startswith("answers 1"), "the tool answers after a module crashed: %r" % answer)
    f.equal(notepad_text(), "keep this", "a crashing module writes nothing")

    # Re-edit hot key: the last text item is written again where the user is.
    pad.prepare("one two", 4, 7)
    app.wait_target()
    click(*button_point(d, BOLD))
    expect_text("one <b>two</b>", 10, "the text item writes its texts")
    pad.prepare("three four", 0, 5)
    app.wait_target()
    xdotool("key", "ctrl+alt+q")
    expect_text("<b>three</b> four", 10, "the re-edit hot key repeats the last text item")


# Activate hot key: with automatic shrinking on, the tool shrinks when the
# user goes to the editor; the hot key brings it to the front and stretches it.
auto_small = ini(Quiltor={"QuiltorData": "modules.edt", "Top": 20, "Left": 420, "Height": 400, "AutoSmall": 1},
                 Setup={"Timer": 100, "TimerEZ": 200, "HotKeyA": 1, "HotKeyA1": 3, "HotKeyA2": "W"})
with App(auto_small, data) as app, Notepad() as pad:
    app.wait_ready()
    full = 400
    # The user works in the tool first (a click on its title, there even when
    # the editor's start has shrunk it), then goes to the editor.
    click(*centre(app.dump()["parts"]["ImageTitle1"]["rect"]))
    f.check(wait_for(lambda: (lambda s: s.get("foreground") and s["window"][3] == full)(app.dump()), 10),
            "a click into the tool brings it to the front at full height")
    pad.prepare("x", 0, 0)
    f.check(wait_for(lambda: app.dump()["window"][3] < full, 10), "the tool shrinks when the editor is activated")
    f.check(not app.dump().get("foreground"), "the editor, not the tool, is in front before the hot key")
    xdotool("key", "ctrl+alt+w")
    front = wait_for(lambda: (lambda s: s.get("foreground") and s["window"][3] == full and s)(app.dump()), 10)
    f.check(bool(front), "the activate hot key brings the tool to the front at full height: %r"
            % ((app.dump().get("foreground"), app.dump()["window"]),))

f.finish()
