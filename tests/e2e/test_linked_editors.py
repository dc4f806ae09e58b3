"""Linked mode following the user's editors (Wine's notepad): with automatic
switching a click into another file's notepad makes that file current within
one watch interval and a text item then writes into that notepad only; with
manual switching only ComboBoxFile changes the current file. A notepad the
user closes is dropped at the next tick; when it was the current one the
labels empty and the file-state controls go off, close all stays on while
files remain, and the exchange field keeps the old path. F2 and
ToolButton_Mode switch the mode, the hint names it, and the settings file
holds it at once and after a restart."""
import os
import shutil
import subprocess
import tempfile

from e2elib import App, Failures, centre, click, driver_command, ini, read_ini, run_cases, wait_for, xdotool
from editorlib import FIXTURES, button_point
from linkedlib import (NOTEPAD, close_by_hand, edit_text, files, kill, linked, linked_edit, main_item, menu_texts,
                       menus, open_file, shared_current, toolbar, winpath)

f = Failures()
BOLD = 0
TIMER_MS = 100


def settings(change_mode, mode=1):
    return ini(Quiltor={"QuiltorData": "items.edt", "Top": 20, "Left": 420, "Height": 400, "ActivePage": 0,
                        "Mode": mode},
               Setup={"EditerPath": NOTEPAD, "ClassName1": "Notepad", "ClassName2": "Edit", "PasteKind": 0,
                      "Timer": TIMER_MS, "TimerEZ": 200, "ChangeMode": change_mode})


DATA = {"items.edt": open(os.path.join(FIXTURES, "items.edt"), "rb").read()}


def open_files(app, names):
    """Opens each file through the dialog; returns {name: (top, edit, path)}, notepads in rows."""
    opened = {}
    for row, name in enumerate(names):
        path = os.path.join(app.folder, name)
        open(path, "wb").write(name.split(".")[0].encode())
        top, edit = open_file(app, path, row)
        opened[name] = (top, edit, winpath(path))
    return opened


def click_into(row):
    """A click into the notepad of row `row` (its text area)."""
    click(200, 20 + 110 * row + 60)


def follow_after_click(edit, row, limit_ms):
    """Clicks into the notepad of `row` while qtdriver watches how long after
    it came to the front the tool made `edit` its linked edit window."""
    with tempfile.TemporaryFile() as out:
        watcher = subprocess.Popen(driver_command("linked", "follow", edit, limit_ms), stdout=out,
                                   stderr=subprocess.DEVNULL)

        def seen():
            out.seek(0)
            return out.read().decode()
        if not wait_for(lambda: seen().startswith("ready"), 30, 0.05):
            watcher.kill()
            raise AssertionError("qtdriver linked follow did not start")
        click_into(row)
        watcher.wait(limit_ms / 1000 + 30)
        lines = seen().splitlines()
    words = lines[-1].split() if lines else []
    return (words[1] == "1", float(words[2])) if len(words) == 3 and words[0] == "follow" else (False, None)


def automatic_switching_follows_the_click_and_writes_there():
    with App(settings(1), DATA) as app:
        app.wait_ready()
        opened = open_files(app, ["one.txt", "two.txt"])
        one_top, one_edit, one_path = opened["one.txt"]
        two_top, two_edit, two_path = opened["two.txt"]
        f.equal(linked_edit(), two_edit, "automatic: the file opened last is current")
        switched, after_ms = follow_after_click(one_edit, 0, 3000)
        f.check(switched, "automatic: a click into one.txt's notepad makes it current")
        # One interval, and a little for the tick's own message to come through a busy machine.
        f.check(after_ms is not None and after_ms <= TIMER_MS + 60,
                "automatic: current within one interval (%s ms after the click)" % after_ms)
        app.wait_idle()
        f.equal(files()["selection"], 1, "automatic: ComboBoxFile selects one.txt's entry")
        f.equal(shared_current(), one_path, "automatic: the exchange field names one.txt")
        click(*button_point(app.dump(), BOLD))
        got = wait_for(lambda: edit_text(one_edit) if "<b>" in (edit_text(one_edit) or "") else None, 10)
        f.check(got is not None and "<b>" in got and "</b>" in got, "automatic: the item writes into one.txt: %r" % got)
        app.wait_idle()
        f.equal(edit_text(two_edit), "two", "automatic: two.txt's notepad is unchanged")
        # The written notepad asks before closing; the test ends it by force.
    kill("notepad.exe")


def manual_switching_and_editors_closed_by_hand():
    with App(settings(0), DATA) as app:
        app.wait_ready()
        opened = open_files(app, ["one.txt", "two.txt", "three.txt"])
        one_edit, two_edit, three_edit = (opened[n][1] for n in ("one.txt", "two.txt", "three.txt"))
        f.equal(linked_edit(), three_edit, "manual: the file opened last is current")
        app.wait_idle()
        switched, _ = follow_after_click(two_edit, 1, 10 * TIMER_MS)
        f.check(not switched, "manual: a click into two.txt's notepad changes nothing in ten intervals")
        f.equal(linked_edit(), three_edit, "manual: three.txt stays current")

        # ComboBoxFile: the user opens the list and picks two.txt (entry 1).
        words = linked("combo")[0].split()
        x, y, w, h, item_height = (int(v) for v in words[1:6])
        click(x + w - 8, y + h // 2)
        dropped = wait_for(lambda: (lambda c: c if c[6] == "1" else None)(linked("combo")[0].split()), 10, 0.1)
        f.check(dropped is not None, "manual: ComboBoxFile drops its list")
        if dropped:
            list_x, list_y = int(dropped[9]), int(dropped[10])
            click(list_x + 40, list_y + item_height + item_height // 2)
        f.check(wait_for(lambda: linked_edit() == two_edit, 10, 0.1), "manual: choosing two.txt in the list makes it current")
        app.wait_idle()
        f.equal(shared_current(), opened["two.txt"][2], "manual: the exchange field names two.txt")
        f.equal(files()["selection"], 1, "manual: the list shows two.txt selected")

        # A notepad that is not current, closed by hand: its entry goes at the next tick.
        close_by_hand(200, 20 + 60)
        f.check(wait_for(lambda: files()["count"] == 2, 10, 0.1), "by hand: one.txt's entry is dropped")
        all_menus = menus()
        f.equal(menu_texts(all_menus["PopupMenu_Close"])[:-1], [opened["three.txt"][2], opened["two.txt"][2]],
                "by hand: the close drop-down no longer lists one.txt")
        f.equal(menu_texts(all_menus["Popup_CloseSel"]), [opened["three.txt"][2], opened["two.txt"][2]],
                "by hand: 選択ファイル終了 no longer lists one.txt")
        f.equal(linked_edit(), two_edit, "by hand: the current file stays")

        # The current notepad closed by hand.
        close_by_hand(200, 20 + 110 + 60)
        f.check(wait_for(lambda: files()["count"] == 1, 10, 0.1), "by hand: two.txt's entry is dropped")
        app.wait_idle()
        shown = files()
        f.equal((shown.get("label1"), shown.get("label2"), shown["selection"]), ("", "", -1),
                "by hand: the labels empty and nothing is selected")
        tools = toolbar()
        f.check(not tools["ToolButton_Close"]["enabled"] and not tools["ToolButton_Exec"]["enabled"],
                "by hand: the close and run buttons go off")
        all_menus = menus()
        for text in ("ファイル終了", "関連付けファイル実行", "指定プログラムで実行"):
            f.check(not main_item(all_menus, text)["enabled"], "by hand: %s goes off" % text)
        f.check(main_item(all_menus, "全てのファイル終了")["enabled"], "by hand: close all stays on, three.txt is open")
        f.check(all_menus["PopupMenu_Close"][-1]["enabled"], "by hand: the drop-down's close all stays on")
        buttons = app.dump()["buttons"].get((0, 0), [])
        f.check(bool(buttons) and not buttons[BOLD]["enabled"], "by hand: the item buttons go off")
        f.equal(shared_current(), opened["two.txt"][2], "by hand: the exchange field keeps the old path")
    kill("notepad.exe")


def mode_follows_f2_and_the_button_and_holds():
    with App(settings(1, mode=0), DATA, keep=True) as app:
        app.wait_ready()
        mode = toolbar()["ToolButton_Mode"]
        f.equal((mode["checked"], mode["hint"]), (False, "簡易モードで実行中(F2)"), "mode: simple at start")
        click(*centre(mode["rect"]))
        app.wait_idle()
        mode = toolbar()["ToolButton_Mode"]
        f.equal((mode["checked"], mode["hint"]), (True, "連動モードで実行中(F2)"), "mode: the button switches to linked")
        f.equal(read_ini(app.folder)["Quiltor"].get("Mode"), "1", "mode: linked is in the settings file at once")
        f.equal([i["checked"] for i in menus()["Popup_Mode"]], [False, True], "mode: 連動モード is checked")
        f.check(toolbar()["ToolButton_Open"]["enabled"], "mode: the file commands are on in linked mode")
        # F2 with the pointer on the tool: the keyboard goes where the pointer is.
        click(*centre(app.dump()["parts"]["StatusBar"]["rect"]))
        for expected in (False, True, False):
            xdotool("key", "F2")
            flipped = wait_for(lambda: toolbar()["ToolButton_Mode"]["checked"] == expected, 10, 0.1)
            f.check(flipped, "mode: F2 switches to %s" % ("linked" if expected else "simple"))
            app.wait_idle()
            mode = toolbar()["ToolButton_Mode"]
            f.equal(mode["hint"], "連動モードで実行中(F2)" if expected else "簡易モードで実行中(F2)",
                    "mode: the hint names the mode after F2")
            f.equal(read_ini(app.folder)["Quiltor"].get("Mode"), "1" if expected else "0",
                    "mode: F2's mode is in the settings file at once")
        f.check(not toolbar()["ToolButton_Open"]["enabled"], "mode: the file commands are off in simple mode")
        xdotool("key", "F2")
        wait_for(lambda: toolbar()["ToolButton_Mode"]["checked"], 10, 0.1)
    kept = open(os.path.join(app.folder, "Quiltor.ini"), "rb").read()
    shutil.rmtree(app.folder, ignore_errors=True)
    with App(kept, DATA) as again:
        again.wait_ready()
        again.wait_idle()
        mode = toolbar()["ToolButton_Mode"]
        f.equal((mode["checked"], mode["hint"]), (True, "連動モードで実行中(F2)"), "mode: linked after a restart")


kill("notepad.exe")
try:
    run_cases(automatic_switching_follows_the_click_and_writes_there, manual_switching_and_editors_closed_by_hand,
              mode_follows_f2_and_the_button_and_holds)
finally:
    kill("notepad.exe")
f.finish()
