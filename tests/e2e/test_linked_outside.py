"""Linked mode fed from outside, with the test editor qtlinkeditor: another
program hands the running tool an edit window and a file (/h /f); the tool
enters linked mode with an entry marked "*" and writes into that window; the
same window handed again is selected, not added; the status bar shows the
target's title, with the whole title as its tool tip when the bar cuts it
off; the same at the tool's own start. The current file run with programs:
the default listed program by the run button, another one from its
drop-down (once, the checked default stays), and the program the file's
extension is associated with, through its default verb, also by a
second start with "/X"; copies of the recording program qtrecord note the
command line they were started with. The programs lie in a folder with
spaces, and a copy at C:\\Program.exe notes any start that split the path
at its first space."""
import os
import shutil
import subprocess
import tempfile

from e2elib import BUILD, SOURCE, WINE_RUN, App, Failures, click, ini, read_ini, wait_for
from editorlib import FIXTURES, button_point
from linkedlib import (LinkEditor, click_menu_item, click_tool, edit_text, files, kill, linked_edit, menus,
                       second_start, shared_current, tool_copy, toolbar, winpath)

f = Failures()
BOLD = 0
DATA = {"items.edt": open(os.path.join(FIXTURES, "items.edt"), "rb").read()}


def settings(log, change_mode=1, setup=None, **sections):
    """The tool's settings: the test editor as the common entry's editor, noting in `log`."""
    keys = {"EditerPath": winpath(os.path.join(BUILD, "qtlinkeditor.exe")), "EditerParam": winpath(log) + " %f",
            "ClassName1": "QtLinkEditor", "ClassName2": "Edit", "PasteKind": 0, "Timer": 100, "ChangeMode": change_mode}
    keys.update(setup or {})
    return ini(Quiltor={"QuiltorData": "items.edt", "Top": 20, "Left": 420, "Height": 400, "ActivePage": 0, "Mode": 0},
               Setup=keys, **sections)


def forward(app, editor, path):
    """Another program hands the running tool `editor`'s edit window and `path`."""
    rc = second_start(app, "/h%d" % editor.edit, "/f" + path)
    app.wait_idle()
    return rc


def a_forwarded_window_links_the_tool_and_is_written_to(work):
    log = os.path.join(work, "forward.log")
    a_path, b_path = "C:\\doc\\a.txt", "C:\\doc\\b b.txt"
    # The editor names its window after the name it is given, not after the file.
    b_name = "b b, a name longer than the status bar of the tool window can show.txt"
    a_title, b_title = "a.txt - QtLinkEditor", b_name + " - QtLinkEditor"
    # Manual switching: the editor the user saw last stays in front, and must not take over.
    with App(settings(log, change_mode=0), DATA) as app:
        app.wait_ready()
        f.check(not toolbar()["ToolButton_Mode"]["checked"], "forward: simple mode at start")
        a = LinkEditor(log, "a.txt")
        f.equal(forward(app, a, a_path), 1, "forward: the second start hands over and ends")
        mode = toolbar()["ToolButton_Mode"]
        f.equal((mode["checked"], mode["hint"]), (True, "連動モードで実行中(F2)"), "forward: the tool enters linked mode")
        f.equal(files()["entries"], ["*" + a_path], "forward: an entry marked as linked from outside")
        f.equal(linked_edit(), a.edit, "forward: the handed window is the linked edit window")
        f.equal(shared_current(), a_path, "forward: the exchange field names the handed file")
        f.equal(read_ini(app.folder)["Quiltor"].get("Mode"), "0", "forward: the mode is not written to the settings")

        click(*button_point(app.dump(), BOLD))
        got = wait_for(lambda: (lambda t: t if t and "</b>" in t else None)(edit_text(a.edit)), 10)
        f.check(got is not None and got.startswith("<b>"), "forward: the item writes into the handed window: %r" % got)

        # The status bar shows the target's title; a title it cuts off is its tool tip too.
        shown = wait_for(lambda: (lambda d: d if d.get("status") == a_title else None)(files()), 10)
        f.check(shown is not None, "forward: the status bar shows the target's title")
        f.equal(shown and shown["status_hint"], "", "forward: a title the status bar shows whole needs no tip")
        b = LinkEditor(log, b_name)
        forward(app, b, b_path)
        f.equal(files()["entries"], ["*" + b_path, "*" + a_path], "forward: a second window adds a second entry")
        f.equal(linked_edit(), b.edit, "forward: the second window is current")
        shown = wait_for(lambda: (lambda d: d if d.get("status") == b_title else None)(files()), 10)
        f.equal(shown and shown["status_hint"], b_title, "forward: a title too long for the status bar is its tip")
        forward(app, a, a_path)
        shown = files()
        f.equal((shown["entries"], shown["selection"]), (["*" + b_path, "*" + a_path], 1),
                "forward: the first window handed again is selected, not added")
        f.equal(linked_edit(), a.edit, "forward: the first window is current again")
        f.equal(shared_current(), a_path, "forward: the exchange field names the first file again")
    kill("qtlinkeditor.exe")

    c = LinkEditor(log, "c.txt")
    with App(settings(log), DATA, args=["/h%d" % c.edit, "/fC:\\doc\\c.txt"]) as app:
        app.wait_ready()
        app.wait_idle()
        f.check(toolbar()["ToolButton_Mode"]["checked"], "own start: /h and /f start the tool in linked mode")
        f.equal(files()["entries"], ["*C:\\doc\\c.txt"], "own start: the window's entry is marked as from outside")
        f.equal(linked_edit(), c.edit, "own start: the window is the linked edit window")
        f.equal(shared_current(), "C:\\doc\\c.txt", "own start: the exchange field names the file")
    kill("qtlinkeditor.exe")


def drive_c(*parts):
    """A path inside the test prefix's drive C:."""
    prefix = os.environ.get("QUILTOR_WINEPREFIX") or os.path.join(SOURCE, "build", "wineprefix")
    return os.path.join(prefix, "drive_c", *parts)


TOOLS = ("Program Files", "qt tools")  # under C:
TRAP = "Program.exe"  # at C:, where a path split at its first space leads


def recorded(program, folder=TOOLS):
    """The command lines the copy C:\\Program Files\\qt tools\\<program> of the recording program noted."""
    try:
        return open(drive_c(*folder, program + ".log"), "rb").read().decode("cp932").splitlines()
    except FileNotFoundError:
        return []


def reg(*args):
    subprocess.run([WINE_RUN, "reg"] + list(args), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)


# The extension associated with the recording program in the test prefix,
# through a default verb that is not "open". Wine resolves associations in
# HKEY_CLASSES_ROOT, which it keeps as the machine's classes; the user's own
# classes are not looked at.
ASSOCIATION = (("HKLM\\Software\\Classes\\.qtr", "QuiltorTestRecord"),
               ("HKLM\\Software\\Classes\\QuiltorTestRecord\\shell", "record"),
               ("HKLM\\Software\\Classes\\QuiltorTestRecord\\shell\\record\\command",
                '"C:\\Program Files\\qt tools\\assoc.exe" "%1"'))
PROGRAMS = {"ExecCaption0": "view", "ExecProgram0": "C:\\Program Files\\qt tools\\view.exe", "ExecParam0": "-x %f",
            "ExecCaption1": "other", "ExecProgram1": "C:\\Program Files\\qt tools\\other.exe", "ExecParam1": "%f",
            "ProgramNo": 1}
# The menu's checks: 関連付けﾌｧｲﾙ実行, the separator, view, other.
VIEW_CHECKED = [False, False, True, False]
ASSOCIATED_CHECKED = [True, False, False, False]


def exec_checks():
    return [item["checked"] for item in menus()["PopupMenu_Exec"]]


def ran(program):
    """Waits until `program` has noted a start; returns what it noted."""
    return wait_for(lambda: recorded(program), 30, 0.2)


def the_current_file_runs_with_its_programs(work):
    for program in ("view.exe", "other.exe", "assoc.exe"):
        tool_copy(drive_c(*TOOLS), "qtrecord.exe", program)
        if os.path.exists(drive_c(*TOOLS, program + ".log")):
            os.remove(drive_c(*TOOLS, program + ".log"))
    tool_copy(drive_c(), "qtrecord.exe", TRAP)
    if os.path.exists(drive_c(TRAP + ".log")):
        os.remove(drive_c(TRAP + ".log"))
    os.makedirs(drive_c("doc"), exist_ok=True)
    open(drive_c("doc", "a b.txt"), "wb").write(b"a")
    open(drive_c("doc", "a b.qtr"), "wb").write(b"a")
    for key, value in ASSOCIATION:
        reg("add", key, "/ve", "/d", value, "/f")
    log = os.path.join(work, "programs.log")
    # Files of the kind QTR (in capitals) run with the associated program by default.
    kinds = {"ExtRendo1": {"ExtName": "recorded", "Ext": "QTR", "ProgramNo": 0}}
    try:
        with App(settings(log, setup=dict(PROGRAMS, ExtRendoCnt=1), **kinds), DATA) as app:
            app.wait_ready()
            editor = LinkEditor(log, "a b.txt")
            forward(app, editor, "C:\\doc\\a b.txt")
            f.equal(exec_checks(), VIEW_CHECKED, "programs: the common kind's default program view is checked")
            click_tool("ToolButton_Exec")
            f.equal(ran("view.exe"), ['"C:\\Program Files\\qt tools\\view.exe" -x "C:\\doc\\a b.txt"'],
                    "programs: the run button starts the default program, quoted, with the quoted file")
            app.wait_idle()

            click_tool("ToolButton_Exec", arrow=True)
            click_menu_item("PopupMenu_Exec", text="other")
            f.equal(ran("other.exe"), ['"C:\\Program Files\\qt tools\\other.exe" "C:\\doc\\a b.txt"'],
                    "programs: the drop-down's other program runs with the file")
            app.wait_idle()
            f.equal(len(recorded("view.exe")), 1, "programs: the default did not run again")
            f.equal(len(recorded("other.exe")), 1, "programs: the other program ran once")
            f.equal(exec_checks(), VIEW_CHECKED, "programs: the checked default stays after running another")

            qtr = LinkEditor(log, "a b.qtr")
            forward(app, qtr, "C:\\doc\\a b.qtr")
            f.equal(exec_checks(), ASSOCIATED_CHECKED, "programs: the kind QTR checks 関連付けﾌｧｲﾙ実行 for .qtr")
            click_tool("ToolButton_Exec")
            lines = ran("assoc.exe")
            f.check(len(lines) == 1 and lines[0].endswith('"C:\\doc\\a b.qtr"'),
                    "programs: the run button opens a .qtr file with its associated program: %r" % lines)
            app.wait_idle()
            f.equal(app.driver("box", 0), ["nobox"], "programs: no message after running the associated program")
            f.equal(len(recorded("view.exe")), 1, "programs: the associated run started no listed program")

            # A start that ends right after handing the file on: the shell's work is done first.
            f.equal(second_start(app, "/XC:\\doc\\a b.qtr"), 1, "programs: /X opens the file and exits with 1")
            lines = wait_for(lambda: recorded("assoc.exe")[1:], 30, 0.2)
            f.check(len(lines) == 1 and lines[0].endswith('"C:\\doc\\a b.qtr"'),
                    "programs: /X opens the file with its associated program: %r" % lines)
            f.equal(recorded(TRAP, ()), [], "programs: no start took the path to the first space as a program")
    finally:
        reg("delete", ASSOCIATION[0][0], "/f")
        reg("delete", "HKLM\\Software\\Classes\\QuiltorTestRecord", "/f")
        kill("qtlinkeditor.exe")
        made = [drive_c(*TOOLS, name + end) for name in ("view.exe", "other.exe", "assoc.exe") for end in ("", ".log")]
        made += [drive_c(TRAP), drive_c(TRAP + ".log")]
        for path in made + [drive_c("doc", "a b.txt"), drive_c("doc", "a b.qtr")]:
            if os.path.exists(path):
                os.remove(path)
        shutil.rmtree(drive_c(TOOLS[0], TOOLS[1]), ignore_errors=True)


work = tempfile.mkdtemp(prefix="quiltor-linked-")
kill("qtlinkeditor.exe")
try:
    a_forwarded_window_links_the_tool_and_is_written_to(work)
    the_current_file_runs_with_its_programs(work)
finally:
    kill("qtlinkeditor.exe")
    shutil.rmtree(work, ignore_errors=True)
f.finish()
