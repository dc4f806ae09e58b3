"""At 96 and 144 dots per inch (100 % and 150 %): the tool window and its
parts grow with the DPI and lie inside it; every control of every dialog
(the settings dialog's six tabs, the file-kind dialog, the detection dialog,
the version dialog, the data-file dialog) lies inside its dialog's client
area, and no text of a label or button is wider or taller than its control,
measured from outside in the dialog's font at the dialog's DPI. Pictures of
the window and of each dialog at both DPIs go to build/win/e2e-dpi-shots for
a person to look at.

Wine takes the DPI (HKCU\\Control Panel\\Desktop LogPixels) when its server
starts, so 144 runs in a prefix of its own, a copy with that setting."""
import os
import shutil
import subprocess
import tempfile

from e2elib import BUILD, WINE_RUN, App, Failures, ini, steady_screenshot, wait_for
from loomworklib import DIALOG as DATA_DIALOG, Folder, Harness, data_file
from releaselib import Prefix
from setuplib import (ABOUT, EDITOR, KINDS, SETUP, Dialog, IDS, SetupDialog, park_pointer, tool,
                      x_rect)

SHOTS = os.path.join(BUILD, "e2e-dpi-shots")
SETUP_FONT = ("ＭＳ Ｐゴシック", 9)  # the templates' font
DATA_FONT = ("MS Shell Dlg", 9)
f = Failures()

# Control styles (winuser.h) that decide how much room a text needs.
SS_TYPEMASK, SS_ICON = 0x1F, 0x3
BS_TYPEMASK, BS_GROUPBOX = 0xF, 0x7
BS_BOXES = {0x2, 0x3, 0x4, 0x5, 0x6, 0x9}  # check boxes and radio buttons


def px(units, dpi):
    return (units * dpi + 48) // 96


def needed_width(cls, style, text_width, dpi):
    """The width a control needs for its text, or None for controls whose
    text scrolls or that show none (edit boxes, lists, icons)."""
    if cls == "Static":
        return None if style & SS_TYPEMASK == SS_ICON else text_width
    if cls == "Button":
        kind = style & BS_TYPEMASK
        if kind == BS_GROUPBOX:
            return text_width + px(12, dpi)
        if kind in BS_BOXES:
            return text_width + px(13 + 3, dpi)
        return text_width + px(4, dpi)
    return None


def check_dialog(caption, font, what, dpi, beyond_right=False):
    """Every control of the dialog (and of its tab sheet in front) inside
    its client area, and every label and button wide and high enough for its
    text. With `beyond_right`, controls that start past the right edge are
    hidden there on purpose."""
    lines = tool("texts", caption, font[0], font[1])
    client = [l for l in lines if l.startswith("client ")]
    if not f.check(client, "%s at %d dpi: the dialog is shown (%r)" % (what, dpi, lines[:2])):
        return
    cx, cy, cw, ch, seen_dpi = (int(v) for v in client[0].split()[1:6])
    f.equal(seen_dpi, dpi, "%s: the dialog's DPI" % what)
    controls = 0
    for line in lines:
        if not line.startswith("text "):
            continue
        head, text = line.split(" [", 1)
        words = head.split()
        cid, cls, style = int(words[1]), words[2], int(words[3])
        x, y, w, h, tw, th = (int(v) for v in words[4:10])
        text = text[:-1]
        if beyond_right and x >= cx + cw:
            continue
        controls += 1
        f.check(cx <= x and cy <= y and x + w <= cx + cw and y + h <= cy + ch,
                "%s at %d dpi: control %d %s [%s] at %r lies outside the client area %r"
                % (what, dpi, cid, cls, text, (x, y, w, h), (cx, cy, cw, ch)))
        need = needed_width(cls, style, tw, dpi)
        if need is not None and text:
            f.check(need <= w, "%s at %d dpi: the text [%s] of control %d needs %d pixels, has %d"
                    % (what, dpi, text, cid, need, w))
            f.check(th <= h + px(1, dpi), "%s at %d dpi: the text [%s] of control %d is %d pixels high, the "
                    "control %d" % (what, dpi, text, cid, th, h))
    f.check(controls > 0, "%s at %d dpi: controls were read" % (what, dpi))


def shot(name, caption, dpi):
    rect = x_rect(caption)
    if rect:
        steady_screenshot(os.path.join(SHOTS, "%d-%s.png" % (dpi, name)), rect)


class SetupHarness:
    """qtsetupdlg in a folder of its own (it reads and writes the settings
    file beside it), showing one dialog over a plain owner window."""

    def __init__(self, mode):
        self.folder = tempfile.mkdtemp(prefix="quiltor-dpi-")
        shutil.copy(os.path.join(BUILD, "qtsetupdlg.exe"), self.folder)
        park_pointer()
        self.process = subprocess.Popen([WINE_RUN, "qtsetupdlg.exe", mode], cwd=self.folder,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait(10)
        shutil.rmtree(self.folder, ignore_errors=True)


def check_window(dpi):
    """The tool window at this DPI: its width and strips grown, its parts inside it."""
    with App(ini(Quiltor={"Left": 40, "Top": 30, "Height": 360, "QuiltorData": "three.edt"}),
             {"three.edt": "three_pages.edt"}) as app:
        app.wait_ready()
        d = app.dump()
        x, y, w, h = d["window"]
        f.equal((w, h), (px(275, dpi), px(360, dpi)), "the tool window at %d dpi" % dpi)
        title = d["parts"]["PanelTop"]["rect"]
        f.equal(title[3], px(15, dpi), "the title strip's height at %d dpi" % dpi)
        for name, part in d["parts"].items():
            if not part["visible"] or name == "EditDummy":
                continue
            px_, py_, pw, ph = part["rect"]
            f.check(x <= px_ and y <= py_ and px_ + pw <= x + w and py_ + ph <= y + h,
                    "the part %s at %d dpi lies outside the window: %r in %r" % (name, dpi, part["rect"],
                                                                                d["window"]))
        # The tool bars make the rows as high as their images and font need.
        rows = d["buttons"].get((0, 0), [])
        f.check(rows and rows[0]["size"][0] == px(211, dpi) and rows[0]["size"][1] >= px(18, dpi),
                "an item button is 211 units wide and a row grows with the DPI at %d dpi: %r" % (dpi, rows[:1]))
        steady_screenshot(os.path.join(SHOTS, "%d-window.png" % dpi), (x, y, w, h))


def check_dialogs(dpi):
    with SetupHarness("setup"):
        dialog = SetupDialog()
        dialog.wait()
        for tab in range(6):
            dialog.click_tab(tab)
            park_pointer()
            check_dialog(SETUP, SETUP_FONT, "the settings dialog's tab %d" % tab, dpi)
            shot("setup-tab%d" % tab, SETUP, dpi)
    with SetupHarness("kinds"):
        Dialog(KINDS, IDS["setup_ext_rendo"]).wait()
        check_dialog(KINDS, SETUP_FONT, "the file-kind dialog", dpi)
        shot("kinds", KINDS, dpi)
    with SetupHarness("editor"):
        editor = Dialog(EDITOR, IDS["setup_editor"])
        editor.wait()
        # Narrow with message sending: the cut & paste group waits beyond the edge.
        editor.click("IDC_RadioGroupPasteKind0")
        park_pointer()
        check_dialog(EDITOR, SETUP_FONT, "the detection dialog, narrow", dpi, beyond_right=True)
        shot("editor-narrow", EDITOR, dpi)
        editor.click("IDC_RadioGroupPasteKind1")
        park_pointer()
        wait_for(lambda: editor.control("IDC_GroupBox1") is not None, 5)
        check_dialog(EDITOR, SETUP_FONT, "the detection dialog, wide", dpi)
        shot("editor-wide", EDITOR, dpi)
    with SetupHarness("about"):
        Dialog(ABOUT, IDS["about_dialog"]).wait()
        check_dialog(ABOUT, SETUP_FONT, "the version dialog", dpi)
        shot("about", ABOUT, dpi)
    folder = Folder({"code.edt": data_file("コード"), "sub\\html.edt": data_file("HTML 用の長めのデータ名")})
    harness = Harness(folder, "code.edt")
    try:
        harness.wait_shown()
        check_dialog(DATA_DIALOG, DATA_FONT, "the data-file dialog", dpi)
        shot("datafile", DATA_DIALOG, dpi)
    finally:
        harness.stop()
        folder.remove()


os.makedirs(SHOTS, exist_ok=True)
check_window(96)
check_dialogs(96)

prefix = Prefix()
try:
    subprocess.run([WINE_RUN, "reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                    "/d", "144", "/f"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True, timeout=120)
    subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=prefix.path))
    subprocess.run(["wineserver", "-w"], env=dict(os.environ, WINEPREFIX=prefix.path), timeout=60)
    prefix.start()
    check_window(144)
    check_dialogs(144)
finally:
    prefix.remove()

print("pictures in", SHOTS)
f.finish()
