"""The tool as a Japanese user runs it on a Windows set to English (code
page 1252), unpacked into a folder named in Japanese: a Japanese data file
named on the command line loads with its Japanese captions, items write
Japanese into notepad and keep every character of a selection (an accented
letter, an emoji, Hangul), a module gets Japanese but is refused a selection
its code page 932 buffer cannot hold, and with the program's folder
read-only (as Program Files is) the settings go to the user's own folder and
come back from there at the next start. Pictures of the tool are left in
build/win/e2e-any-windows for a person to look at."""
import os
import shutil

from e2elib import (BUILD, App, Failures, click, ini, isolated_windows, read_ini, read_only, screenshot,
                    user_folder, wait_for, writable)
from editorlib import Notepad, button_point, notepad_text, upper_module

prefix = isolated_windows("en_US.UTF-8")
f = Failures()

FOLDER = "くいるとる 試用"
DATA = "日本語.edt"
PAGE = "部品一覧"
WRAP, GREET, UPPER = range(3)
CAPTIONS = ["括弧で囲む", "挨拶", "大文字に"]
OTHER_SCRIPTS = "é 😀 한"  # none of them in code page 932
SHOTS = os.path.join(BUILD, "e2e-any-windows")
os.makedirs(SHOTS, exist_ok=True)


def data_file():
    return ("[Version]\r\nNo=170\r\n[Group]\r\nCount=1\r\nTitle=日本語のデータ\r\n"
            "[Menu00]\r\nTitle=%s\r\nCount=3\r\nM00=00,%s\r\nM01=00,%s\r\nM02=08,%s\r\n"
            "[Edit00]\r\nM00a=「\r\nM00b=」\r\nM01a=こんにちは\r\nM02a=upper.exe\r\nM02b=\r\n"
            % (PAGE, CAPTIONS[WRAP], CAPTIONS[GREET], CAPTIONS[UPPER])).encode("cp932")


def settings():
    return ini(Quiltor={"Top": 20, "Left": 420, "Height": 300, "ActivePage": 0},
               Setup={"PasteKindEZ": 0, "Timer": 100, "TimerEZ": 200})


def started(app, what):
    """Waits for the tool window; a message box in its place fails the check."""
    try:
        app.wait_ready()
    except AssertionError as error:
        f.check(False, "%s: the tool did not start (%s), message box %r" % (what, error, app.driver("box", 500)))
        return None
    f.equal(app.driver("box", 300)[:1], ["nobox"], "%s: no message at start" % what)
    d = app.dump()
    # Read back through GetWindowTextW and the common controls' W messages.
    f.equal(d["tabs"], [PAGE], "%s: the page title" % what)
    f.equal([b["caption"].strip() for b in d["buttons"].get((0, 0), [])][:len(CAPTIONS)], CAPTIONS,
            "%s: the item captions" % what)
    return d


def units(text):
    """Notepad's selection positions count UTF-16 units."""
    return len(text.encode("utf-16-le")) // 2


def write(app, d, item, expected, what):
    app.wait_target()
    click(*button_point(d, item))
    f.equal(wait_for(lambda: notepad_text() == expected, 15) and notepad_text(), expected, what)


# In a writable folder named in Japanese, started with a Japanese "/d": portable as always.
data = {DATA: data_file(), "upper.exe": open(upper_module(), "rb").read()}
with App(settings(), data, args=["/d" + DATA], folder_name=FOLDER) as app, Notepad() as pad:
    d = started(app, "Japanese folder")
    f.equal(read_ini(app.folder).get("Quiltor", {}).get("QuiltorData"), DATA,
            "the data file of /d is written beside the program, in code page 932")
    if d:
        pad.prepare("abc", 0, 3)
        write(app, d, WRAP, "「abc」", "an item wraps the selection in Japanese brackets")
        pad.prepare("", 0, 0)
        write(app, d, GREET, "こんにちは", "a Japanese text item arrives whole")
        pad.prepare(OTHER_SCRIPTS, 0, units(OTHER_SCRIPTS))
        write(app, d, WRAP, "「%s」" % OTHER_SCRIPTS, "the wrapped selection keeps every character")
        app.wait_idle()
        screenshot(os.path.join(SHOTS, "tool-and-notepad.png"))
        pad.prepare("日本語abc", 0, units("日本語abc"))
        write(app, d, UPPER, "日本語ABC", "a module gets a Japanese selection in code page 932")
        pad.prepare(OTHER_SCRIPTS, 0, units(OTHER_SCRIPTS))
        app.wait_target()
        click(*button_point(d, UPPER))
        box = app.driver("box", 10000, 1)
        f.check(bool(box) and "モジュールへ渡せない文字" in box[0], "a module is refused such a selection: %r" % box)
        app.wait_idle()
        f.equal(notepad_text(), OTHER_SCRIPTS, "nothing is written in place of the refused selection")
    f.equal(sorted(n for n in os.listdir(app.folder) if n.startswith("Quiltor.")), ["Quiltor.exe", "Quiltor.ini"],
            "the test write beside the program leaves nothing")

# The program's folder read-only: the settings go to %APPDATA%\Quiltor and come back from there.
own = os.path.join(user_folder(prefix), "Quiltor", "Quiltor.ini")
app = App(settings(), data, args=["/d" + DATA, "/L300", "/T200"], keep=True, folder_name=FOLDER)
shipped = open(os.path.join(app.folder, "Quiltor.ini"), "rb").read()
before = sorted(os.listdir(app.folder))
read_only(app.folder)
try:
    app.start()
    d = started(app, "read-only folder")
    if d:
        f.equal(d["window"][:2], (300, 200), "/L and /T place the window")
        screenshot(os.path.join(SHOTS, "read-only-folder.png"), crop=d["window"])
    app.close()
    saved = read_ini(os.path.dirname(own)).get("Quiltor", {})
    f.equal((saved.get("Left"), saved.get("Top"), saved.get("QuiltorData")), ("300", "200", DATA),
            "the window state is saved in the user's folder")
    f.equal(read_ini(os.path.dirname(own)).get("Setup", {}).get("TimerEZ"), "200",
            "the user's settings started from the shipped ones")
    f.equal(open(os.path.join(app.folder, "Quiltor.ini"), "rb").read(), shipped, "the shipped settings are untouched")
    f.equal(sorted(os.listdir(app.folder)), before, "nothing is left in the program's folder")

    # The next start, without arguments, reads the user's settings.
    app.args = []
    app.start()
    d = started(app, "the next start")
    if d:
        f.equal(d["window"][:2], (300, 200), "the next start comes back where the window was")
    app.close()
finally:
    app.stop()
    writable(app.folder)
    shutil.rmtree(app.root, ignore_errors=True)

f.finish()
