"""The window keeps the height and place the user gave it: through a data-file
swap forwarded by a second start while automatic shrinking is on, through
the tool's own message boxes and the task-bar option, and through a close
while it is minimised."""
import os
import subprocess

from e2elib import App, SOURCE, WINE_RUN, Failures, centre, click, ini, read_ini, wait_for
from editorlib import Notepad

FIXTURES = os.path.join(SOURCE, "tests", "fixtures", "items")
DATA = {name: open(os.path.join(FIXTURES, name), "rb").read() for name in ("items.edt", "other.edt")}
FULL = 360
f = Failures()


def bring_to_front(app):
    """A click on the title, as a user does before working in the tool."""
    click(*centre(app.dump()["parts"]["ImageTitle1"]["rect"]))
    return wait_for(lambda: (lambda d: d.get("foreground") and d["window"][3] == FULL)(app.dump()), 10)


def height_after_idle(app):
    app.wait_idle()
    return app.dump()["window"][3]


# A forwarded data file is loaded behind a shrunk strip and the window comes
# back at the height it had, also with automatic shrinking on; the next
# shrink and stretch still know that height.
settings = ini(Quiltor={"QuiltorData": "items.edt", "Top": 30, "Left": 60, "Height": FULL, "AutoSmall": 1})
with App(settings, DATA) as app, Notepad() as pad:
    app.wait_ready()
    f.check(bring_to_front(app), "a click brings the tool to the front at full height")
    code = subprocess.run([WINE_RUN, "Quiltor.exe", "/dother.edt"], cwd=app.folder, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, timeout=120).returncode
    f.equal(code, 1, "the second start hands its /d over and ends")
    f.check(wait_for(lambda: app.dump()["tabs"] == ["別の一", "別の二"], 15), "the forwarded data file is loaded")
    f.equal(height_after_idle(app), FULL, "the height after the swap is the height before")
    pad.prepare("x", 0, 0)
    f.check(wait_for(lambda: app.dump()["window"][3] < FULL, 10), "the tool shrinks when the editor is activated")
    f.check(bring_to_front(app), "a click on the title stretches it back to the height before the swap")

# Hiding the task-bar button and showing a message box leave the main window
# shown and active, so automatic shrinking has nothing to react to.
settings = ini(Quiltor={"QuiltorData": "items.edt", "Top": 30, "Left": 60, "Height": FULL, "AutoSmall": 1,
                        "StayOnTop": 1})
with App(settings, DATA) as app:
    app.wait_ready()
    f.check(bring_to_front(app), "a click brings the tool to the front at full height")
    for state in ("on", "off"):
        app.driver("command", "Popup_Disp_HideIcon")
        d = app.dump()
        f.equal((d["visible"], height_after_idle(app)), (True, FULL),
                "the window stays shown at full height with the task-bar button %s" % state)

    app.driver("command", "Popup_Help")  # no help file beside the tool: a message box
    box = app.driver("box", 10000)
    f.check(bool(box) and box[0].startswith("box "), "the message box shows: %r" % box)
    d = app.dump()
    f.equal((d["visible"], d["window"][3]), (True, FULL), "the window stays at full height under its message box")
    app.driver("box", 5000, 1)
    f.equal(height_after_idle(app), FULL, "the window is at full height after the message box")

# Closing a minimised window saves where it was before it was minimised.
settings = ini(Quiltor={"QuiltorData": "items.edt", "Top": 40, "Left": 70, "Height": 330})
app = App(settings, DATA, keep=True)
with app:
    app.wait_ready()
    click(*centre(app.dump()["parts"]["SpeedButtonMinimize"]["rect"]))
    f.check(wait_for(lambda: app.dump()["window"][0] < -10000 or not app.dump()["visible"], 10),
            "the minimise button minimises the window")
saved = read_ini(app.folder).get("Quiltor", {})
f.equal((saved.get("Top"), saved.get("Left"), saved.get("Height")), ("40", "70", "330"),
        "a window closed while minimised saves its normal place and height")
app.keep = False
app.stop()

f.finish()
