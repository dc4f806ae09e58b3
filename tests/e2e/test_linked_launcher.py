"""Today's editors in linked mode (qtlinkeditor -launch -deep): the editor
starts through a launcher that hands the file to another process and ends at
once, and its edit window sits in a pane two levels below the top window.
The tool finds the window the launcher's successor shows, takes the top
window as the editor's, and its close reaches that top window (the editor's
own close), never the pane."""
import os
import shutil
import tempfile

from e2elib import BUILD, App, Failures, ini, wait_for
from linkedlib import (click_menu_item, click_tool, editor_windows, files, kill, linked_edit, read_log, winpath)

f = Failures()
EDITOR = "QtLinkEditor"

work = tempfile.mkdtemp(prefix="quiltor-linked-launcher-")
kill("qtlinkeditor.exe")
try:
    log = os.path.join(work, "launcher.log")
    path = os.path.join(work, "deep.txt")
    open(path, "wb").write(b"deep")
    settings = ini(Quiltor={"Top": 20, "Left": 420, "Height": 300, "Mode": 1, "OpenFile0": winpath(path)},
                   Setup={"EditerPath": winpath(os.path.join(BUILD, "qtlinkeditor.exe")),
                          "EditerParam": "-launch -deep " + winpath(log) + " %f", "ClassName1": EDITOR,
                          "ClassName2": "Edit", "Timer": 100, "CloseMode": 0})
    with App(settings) as app:
        app.wait_ready()
        click_tool("ToolButton_Open", arrow=True)
        click_menu_item("PopupMenu_Open", text=winpath(path))
        opened = wait_for(lambda: [line for line in read_log(log) if line.startswith("open deep.txt ")], 30, 0.2)
        f.check(bool(opened), "the launcher's successor opens the file")
        app.wait_idle()
        if opened:
            words = opened[-1].split(" ")
            edit, top = int(words[-3]), int(words[-1])
            f.equal(linked_edit(), edit, "the tool links the edit window two levels deep in another process")
            f.equal(files()["entries"], [" " + winpath(path)], "the file is listed")
            click_tool("ToolButton_Close")
            app.wait_idle()
            f.equal([line for line in read_log(log) if line.startswith("close ")], ["close deep.txt"],
                    "the close reaches the editor's top window")
            f.check(wait_for(lambda: top not in {t for t, _, _ in editor_windows(EDITOR)}, 10, 0.2),
                    "the editor closes")
            f.equal(files()["entries"], [], "the entry is gone")
finally:
    kill("qtlinkeditor.exe")
    shutil.rmtree(work, ignore_errors=True)
f.finish()
