"""The companion program Loomwork.exe on its own: a faulty data file is opened
in the editor the settings name for ".edt" (a test editor), its faults are
listed with their lines and the tool's own messages, it is edited again and
mended; giving up ends it; a new data file is named in a save dialog; an
editor started through a launcher that ends at once is waited for by its
window; without settings, notepad edits."""
import os

from e2elib import Failures, ini, move_pointer, screenshot, wait_for
from loomworklib import (IDCANCEL, IDOK, Companion, Folder, centre, click_at, close, data_file, findings,
                         park_pointer, window, xdotool)

SHOTS = os.environ.get("QUILTOR_SHOTS", "/tmp")
f = Failures()

BAD = "\r\n".join([
    "[Version]",            # 1
    "No=170",               # 2
    "[Group]",              # 3
    "Count=2",              # 4
    "Title=Bad",            # 5
    "[Menu00]",             # 6
    "Count=3",              # 7
    "M00=00,Fine",          # 8
    "M01=15,Unknown",       # 9
    "M02=13,xx,Menu",       # 10
    "[Edit00]",             # 11
    "M00a=hello",           # 12
    "[Menu01]",             # 13
    "Count=1",              # 14
    "M00=00,No texts",      # 15
]).encode("cp932") + b"\r\n"
EXPECTED_ROWS = [
    ("9", "M01", "'M01' の種別コード 15 は不正です"),
    ("10", "M02", "'xx' は整数ではありません"),
    ("13", "Edit01", "'Edit01' のセクションがありません"),
]
MENDED = data_file("Mended", "[Menu00]\r\nCount=1\r\nM00=00,Fine\r\n[Edit00]\r\nM00a=hello\r\n").replace(
    b"Count=0", b"Count=1")


def folder_with_editor(files):
    folder = Folder(files, programs=[("Loomwork.exe", "Loomwork.exe"), ("qteditwait.exe", "qteditwait.exe")])
    folder.write("Quiltor.ini", ini(Setup={"ExtRendoCnt": 2},
                                    ExtRendo1={"ExtName": "text", "Ext": "txt", "EditerPath": "notepad.exe"},
                                    ExtRendo2={"ExtName": "data", "Ext": "EDT",
                                               "EditerPath": folder.win("qteditwait.exe")}))
    return folder


def editor_calls(folder):
    log = folder.read("editor-log.txt")
    return log.decode("cp932").splitlines() if log else []


def close_editor(folder, name, calls):
    """Waits for the editor's `calls`-th start on the file, then closes it."""
    started = wait_for(lambda: len(editor_calls(folder)) >= calls, 30, 0.2)
    f.check(started, "the editor was started %d time(s): %r" % (calls, editor_calls(folder)))
    if started:
        f.equal(editor_calls(folder)[calls - 1], folder.win(name).rstrip("\\"), "the editor got the full path")
    folder.write(name + ".close", b"")


def wait_findings():
    return wait_for(findings, 30, 0.3)


# A faulty file: listed, edited again, mended.
folder = folder_with_editor({"sub\\bad.edt": BAD})
companion = Companion(folder, ["sub\\bad.edt", "/L200", "/T150"])
try:
    close_editor(folder, "sub\\bad.edt", 1)
    d = wait_findings()
    f.check(d is not None, "the faults are listed")
    if d:
        f.equal(d["rows"], EXPECTED_ROWS, "line, key and the tool's message of every fault")
        f.equal(d["rect"][:2], (200, 150), "the list opens at /L and /T")
        f.check(d["text"].startswith(folder.win("sub\\bad.edt")), "it names the file: %r" % d["text"])
        screenshot(os.path.join(SHOTS, "loomwork-findings.png"), d["rect"])
        click_at(*centre(d["buttons"][IDOK]["rect"]))  # 再編集
        park_pointer()
        wait_for(lambda: len(editor_calls(folder)) >= 2, 30, 0.2)
        f.check(findings() is None, "the list is gone while the file is edited again")
        folder.write("sub\\bad.edt", MENDED)
        close_editor(folder, "sub\\bad.edt", 2)
        f.equal(companion.exit_code(30), 0, "a mended file ends the companion with success")
finally:
    companion.stop()
    folder.remove()

# Giving up ends it without a success.
folder = folder_with_editor({"bad.edt": BAD})
companion = Companion(folder, ["bad.edt", "/L300", "/T250"])
try:
    close_editor(folder, "bad.edt", 1)
    d = wait_findings()
    f.check(d is not None, "the faults are listed again")
    if d:
        f.equal(d["rect"][:2], (300, 250), "at the new position")
        click_at(*centre(d["buttons"][IDCANCEL]["rect"]))  # 中止
        f.equal(companion.exit_code(30), 1, "giving up ends the companion")
        f.equal(folder.read("bad.edt"), BAD, "the file is left as the user left it")
finally:
    companion.stop()
    folder.remove()

# A new data file: named in a save dialog at /L /T that opens in the program's folder.
folder = folder_with_editor({})
companion = Companion(folder, ["/L200", "/T150"])
try:
    save = wait_for(lambda: window("-", "新しいくいるとるデータ"), 30, 0.3)
    f.check(save is not None, "a save dialog asks for the name")
    if save:
        f.equal(save[:2], (200, 150), "the save dialog opens at /L and /T")
        screenshot(os.path.join(SHOTS, "loomwork-save.png"), save[:4])
        move_pointer(save[0] + save[2] // 2, save[1] + 40)
        xdotool("type", "--delay", 60, "memo")
        xdotool("key", "Return")
        park_pointer()
        close_editor(folder, "memo.edt", 1)
        text = (folder.read("memo.edt") or b"").decode("cp932")
        f.check("[Version]\r\nNo=170\r\n" in text and "Title=memo\r\n" in text and "[Edit00]" in text,
                "a valid new data file was written in the program's folder: %r" % text[:200])
        f.equal(companion.exit_code(30), 0, "the new file is sound: the companion ends")
finally:
    companion.stop()
    folder.remove()

# The editor starts through a launcher that ends at once (qtlinkeditor
# -launch): the companion waits on the window that shows the file, so it
# reads the file as the user left it when that window closed, not as it was
# when the launcher ended.
folder = Folder({"handed.edt": MENDED}, programs=[("Loomwork.exe", "Loomwork.exe"),
                                                   ("qtlinkeditor.exe", "qtlinkeditor.exe")])
folder.write("Quiltor.ini", ini(Setup={"ExtRendoCnt": 1},
                                ExtRendo1={"ExtName": "data", "Ext": "edt",
                                           "EditerPath": folder.win("qtlinkeditor.exe"),
                                           "EditerParam": "-launch %s %%f" % folder.win("editor.log")}))
companion = Companion(folder, ["handed.edt", "/L200", "/T150"])
try:
    opened = wait_for(lambda: window("QtLinkEditor", "handed.edt - QtLinkEditor"), 30, 0.3)
    f.check(opened is not None, "the launcher's successor shows the file")
    f.check(companion.exit_code(0) is None, "the companion still waits once the launcher has ended")
    folder.write("handed.edt", BAD)  # the user's edit, saved
    close("QtLinkEditor")
    d = wait_findings()
    f.check(d is not None, "the faults of the edit are listed after the editor closed")
    if d:
        f.equal(d["rows"], EXPECTED_ROWS, "the file was read as the user left it")
        click_at(*centre(d["buttons"][IDCANCEL]["rect"]))  # 中止
        f.equal(companion.exit_code(30), 1, "giving up ends the companion")
finally:
    companion.stop()
    close("QtLinkEditor")
    folder.remove()

# Without settings, notepad edits the file.
folder = Folder({"ok.edt": MENDED}, programs=[("Loomwork.exe", "Loomwork.exe")])
companion = Companion(folder, ["ok.edt", "/L10", "/T10"])
try:
    # Notepad shows itself untitled for a moment before it has read the file.
    pad = wait_for(lambda: (lambda w: w if w and "ok.edt" in w[4] else None)(window("Notepad", "-")), 30, 0.3)
    f.check(pad is not None, "notepad opens the file: %r" % (window("Notepad", "-"),))
    close("Notepad")
    f.equal(companion.exit_code(30), 0, "closing notepad on a sound file ends the companion")
finally:
    companion.stop()
    close("Notepad")
    folder.remove()

f.finish()
