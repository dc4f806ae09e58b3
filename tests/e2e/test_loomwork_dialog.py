"""The data-file selection dialog over a plain owner window, driven with real X
input: the list and its order, choosing with a click, Enter, a double click and
Esc, the column boundary, and starting the companion (a recording stand-in) or
finding it missing."""
import os

from e2elib import Failures, move_pointer, screenshot, steady_screenshot, wait_for
from loomworklib import (BUTTON_EDIT, BUTTON_NEW, BUTTON_SELECT, Folder, Harness, buttons, centre, click_at,
                         data_file, dump, key, park_pointer, row_centre, rows, shown_dialog, tool, xdotool)
from e2elib import run_driver

SHOTS = os.environ.get("QUILTOR_SHOTS", "/tmp")
f = Failures()

FILES = {
    "a.edt": data_file("Alpha"),
    "Zeta.edt": data_file("最後"),
    "sub\\b.edt": data_file("日本語のタイトル"),
    "Early\\c.edt": data_file(""),
    "notes.txt": b"not a data file",
}
ORDER = ["a.edt|Alpha", "Zeta.edt|最後", "Early\\c.edt|", "sub\\b.edt|日本語のタイトル"]


def run(folder, current, steps):
    """Shows the dialog, runs steps(harness, first dump) and returns the harness result."""
    harness = Harness(folder, current)
    try:
        d = harness.wait_shown()
        steps(harness, d)
        return harness.result()
    finally:
        harness.stop()


folder = Folder(FILES)
try:
    # Listing, placement and a click on a row.
    def list_and_click(h, d):
        f.equal(rows(d), ORDER, "program folder first, then the subfolders, each by name")
        f.equal(d["rect"], (400 - 52, 100, 380, 285), "centred over the 275-pixel owner, its top at the owner's")
        f.equal(d["selected"], -1, "no current file: nothing selected")
        f.equal(buttons(d), (True, False, False), "without a selection only 新規 can be used")
        f.equal(d["sections"], (150, 600), "header sections")
        screenshot(os.path.join(SHOTS, "loomwork-dialog.png"), d["rect"])
        click_at(*row_centre(d, "sub\\b.edt"))
        d = wait_for(lambda: (lambda x: x if x and x["selected"] == 3 else None)(shown_dialog()), 10, 0.2)
        f.check(d is not None, "a click selects the row")
        if d:
            f.equal(buttons(d), (True, True, True), "a selection enables 修正 and 選択")
            f.equal(d["status"], folder.win("sub\\b.edt"), "the status bar shows the full path")
        key("Return")

    f.equal(run(folder, "-", list_and_click), "ok sub\\b.edt", "Enter chooses the selected row")

    # A current file that is not listed: Enter and a double click do nothing.
    harness = Harness(folder, "gone.edt")
    try:
        d = harness.wait_shown()
        f.equal(d["selected"], -1, "a current file that is not listed selects nothing")
        list_rect = d["list"]
        key("Return", (list_rect[0] + 100, list_rect[1] + list_rect[3] - 10))
        click_at(list_rect[0] + 100, list_rect[1] + list_rect[3] - 10, double=True)
        # Input is handled in order: once this click has selected the row,
        # the Enter and the double click before it are done with.
        click_at(*row_centre(d, "Zeta.edt"))
        d2 = wait_for(lambda: (lambda x: x if x and x["selected"] == 1 else None)(shown_dialog()), 10, 0.2)
        f.check(d2 is not None, "Enter and a double click without a selection leave the dialog open")
        click_at(*row_centre(d, "Early\\c.edt"), double=True)
        f.equal(harness.result(), "ok Early\\c.edt", "a double click chooses the row")
    finally:
        harness.stop()

    # Esc cancels even with a selection.
    def escape(h, d):
        key("Escape", centre(d["list"]))

    f.equal(run(folder, "a.edt", escape), "cancel", "Esc closes without a choice")

    # The column boundary follows the dragged header section, never below 50 pixels.
    def drag(h, d):
        x, y, height = d["header"]
        divider = (x + 150, y + height // 2)
        for target, expected in ((x + 230, 230), (x + 10, 50)):
            move_pointer(*divider)
            xdotool("mousedown", 1)
            for step in range(1, 6):
                move_pointer(divider[0] + (target - divider[0]) * step // 5, divider[1])
            xdotool("mouseup", 1)
            got = wait_for(lambda: (lambda x: x if x and x["sections"][0] == expected else None)(shown_dialog()),
                           5, 0.2)
            f.check(got is not None, "dragged to %d: section 0 is %d wide (%r)" %
                    (target - x, expected, shown_dialog()["sections"]))
            if expected == 230:
                screenshot(os.path.join(SHOTS, "loomwork-dialog-wide.png"), d["rect"])
            divider = (x + expected, divider[1])
        key("Escape", centre(d["list"]))

    run(folder, "a.edt", drag)

    # Resizable, but never below 380 x 285; the list and 選択 follow the size.
    def resize(h, d):
        for size, expected in (((200, 120), (380, 285)), ((600, 400), (600, 400))):
            tool("resize", *size)
            got = wait_for(lambda: (lambda x: x if x and x["rect"][2:] == expected else None)(shown_dialog()), 5, 0.2)
            f.check(got is not None, "sized to %r: the dialog is %r" % (size, expected))
            if got:
                right = got["rect"][0] + got["rect"][2]
                select = got["buttons"][BUTTON_SELECT]["rect"]
                f.check(right - (select[0] + select[2]) < 20, "選択 stays at the right edge: %r" % (select,))
                f.check(got["list"][2] >= expected[0] - 20, "the list fills the width: %r" % (got["list"],))
        steady_screenshot(os.path.join(SHOTS, "loomwork-dialog-large.png"), shown_dialog()["rect"])
        key("Escape", centre(d["list"]))

    run(folder, "a.edt", resize)
finally:
    folder.remove()

# 新規 and 修正 start the companion with the dialog's position, the owner is
# minimised while it runs, and the list is read again afterwards.
folder = Folder(FILES, programs=[("qtfakeloomwork.exe", "Loomwork.exe")])
try:
    args_file = os.path.join(folder.path, "loomwork-args.txt")

    def companion_calls():
        return open(args_file, "rb").read().decode("cp932").splitlines() if os.path.exists(args_file) else []

    def start_companion(button, d, release, calls):
        click_at(*centre(d["buttons"][button]["rect"]))
        got = wait_for(lambda: len(companion_calls()) == calls, 20, 0.2)
        f.check(got, "the companion was started (%r)" % companion_calls())
        waiting = wait_for(lambda: (lambda x: x if x["owner_iconic"] and not x["shown"] else None)(dump()), 10, 0.2)
        f.check(waiting is not None, "while it runs the owner is minimised and the dialog hidden")
        park_pointer()
        folder.write("loomwork-release.txt", release)
        back = wait_for(shown_dialog, 20, 0.2)
        f.check(back is not None and not back["owner_iconic"], "afterwards the owner and the dialog are back")
        return back

    def new_and_edit(h, d):
        x, y = d["rect"][0], d["rect"][1]
        back = start_companion(BUTTON_NEW, d, b"new made.edt", 1)
        line = companion_calls()[0]
        f.check(line.endswith("Loomwork.exe\" /L%d /T%d" % (x, y)) or line.endswith("Loomwork.exe /L%d /T%d" % (x, y)),
                "新規 passes only the position: %r" % line)
        if back:
            f.equal(back["count"], len(ORDER) + 1, "the new file is listed")
            f.equal(back["selected"], -1, "a new file leaves the list without a selection")
            f.equal(buttons(back), (True, False, False), "and 修正 and 選択 disabled")
            click_at(*row_centre(back, "sub\\b.edt"))
            wait_for(lambda: (lambda x: x if x and x["selected"] >= 0 else None)(shown_dialog()), 10, 0.2)
            back = start_companion(BUTTON_EDIT, shown_dialog(), b"", 2)
            line = companion_calls()[1]
            f.check(line.endswith(" sub\\b.edt /L%d /T%d" % (x, y)), "修正 passes the file and the position: %r" % line)
            if back:
                f.equal(back["items"][back["selected"]]["text"].split("|")[0] if back["selected"] >= 0 else None,
                        "sub\\b.edt", "the edited file stays selected")
        key("Escape", centre(d["list"]))

    run(folder, "-", new_and_edit)
finally:
    folder.remove()

# Without Loomwork.exe: the warning 50 pixels right of and below the dialog's corner.
folder = Folder(FILES)
try:
    def missing(h, d):
        x, y = d["rect"][0], d["rect"][1]
        click_at(*centre(d["buttons"][BUTTON_NEW]["rect"]))
        park_pointer()
        box = run_driver("box", 20000)
        f.check(bool(box) and box[0].startswith("box"), "a missing companion is reported: %r" % box)
        if box and box[0].startswith("box"):
            words = box[0].split(" ")
            f.equal(box[0].split("[", 1)[1][:-1], "\"るーむわーく\"が見つかりません", "the warning's text")
            f.equal((int(words[1]), int(words[2])), (x + 50, y + 50), "the warning's place")
            screenshot(os.path.join(SHOTS, "loomwork-missing.png"), (x, y, 420, 300))
            run_driver("box", 5000, 1)
        again = wait_for(shown_dialog, 10, 0.2)
        f.check(again is not None and again["count"] == len(ORDER), "the dialog stays, its list unchanged")
        key("Escape", centre(d["list"]))

    f.equal(run(folder, "a.edt", missing), "cancel", "the dialog still answers after the warning")
finally:
    folder.remove()

f.finish()
