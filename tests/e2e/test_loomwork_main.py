"""Choosing data files through the running tool, as a user does: the selection
dialog opened by the tool button, the main menu and Shift+F9, the recent list
dropped down by F9, the window's strip while the dialog is open, the companion
program (a recording stand-in) and its absence, a recent file that no longer
loads, and the ten recent files the settings file keeps."""
import os
import shutil
import time

from e2elib import BUILD, App, Failures, centre, click, ini, read_ini, run_driver, screenshot, wait_for
from loomworklib import BUTTON_EDIT, BUTTON_NEW, buttons, key, park_pointer, row_centre, rows, shown_dialog
from datafileslib import (STRIP_HEIGHT, choose_menu_item, main_window, old_data_file, open_by_button, open_by_keys,
                          open_by_menu, paged_data_file, park_in_main, popups, recent_menu, wait_dialog, windows_path,
                          write)

SHOTS = os.environ.get("QUILTOR_SHOTS", BUILD)
HEIGHT = 300
MIN_HEIGHT = 60
# The dialog (380 wide) is centred over the 275-pixel window: 52 pixels to its left.
MAIN_LEFT, MAIN_TOP = 349, 181
DIALOG_AT = (297, 181)
f = Failures()


def selected_path(d):
    return d["items"][d["selected"]]["text"].split("|")[0] if d and d["selected"] >= 0 else None


def wait_selected(path):
    return wait_for(lambda: (lambda d: d if d and selected_path(d) == path else None)(shown_dialog()), 10, 0.1)


def strip_while_open(what):
    """While the dialog is open the window is a hidden strip."""
    w = main_window()
    f.check(w is not None and w[3] == STRIP_HEIGHT and not w[4],
            "%s: the window is a hidden %d-pixel strip while the dialog is open: %r" % (what, STRIP_HEIGHT, w))


def wait_closed_and_back(app, what, height=HEIGHT):
    """The dialog is gone and the window stretched back to its height."""
    gone = wait_for(lambda: shown_dialog() is None, 15, 0.1)
    f.check(gone, "%s: the dialog closes" % what)
    back = wait_for(lambda: (lambda w: w if w and w[3] == height and w[4] else None)(main_window()), 15, 0.1)
    f.check(back is not None, "%s: the window is shown at its height %d again: %r" % (what, height, main_window()))
    app.wait_idle()
    return app.dump()


def recent_states(app):
    """The recent list as F9 shows it: the enabled state of each item; the menu is closed again."""
    menu, items = recent_menu(app)
    key("Escape")
    f.check(wait_for(lambda: not popups(), 5, 0.1), "Esc closes the recent list")
    return [enabled for _, enabled in items]


STARTED = time.time()


def elapsed(what):
    print("%5.1f s  %s" % (time.time() - STARTED, what))


folder = None
settings = ini(Quiltor={"Left": MAIN_LEFT, "Top": MAIN_TOP, "Height": HEIGHT, "QuiltorData": ""},
               Setup={"MinHeight": MIN_HEIGHT})
app = App(settings)
try:
    folder = app.folder
    write(folder, "a.edt", paged_data_file("Alpha", "甲ページ"))
    write(folder, "sub\\b.edt", paged_data_file("日本語のタイトル", "乙ページ"))
    app.start()
    app.wait_ready()
    d = app.dump()
    f.equal(d["window"], (MAIN_LEFT, MAIN_TOP, 275, HEIGHT), "the window where the settings put it")
    f.equal(d.get("tab_count", 0), 0, "no data file yet: no pages")

    # The tool button opens the dialog: a.edt first, then sub\b.edt, with titles; nothing selected.
    park_in_main(app)
    open_by_button(app)
    dlg = wait_dialog()
    park_pointer()
    strip_while_open("tool button")
    f.equal(rows(dlg), ["a.edt|Alpha", "sub\\b.edt|日本語のタイトル"], "the program folder's file, then the subfolder's")
    f.equal(dlg["rect"], DIALOG_AT + (380, 285), "the dialog centred over the window, at its top")
    f.equal(dlg["selected"], -1, "no current data file: nothing selected")
    f.equal(buttons(dlg), (True, False, False), "only 新規 without a selection")
    screenshot(os.path.join(SHOTS, "loomwork-main-dialog.png"), dlg["rect"])

    # Enter and a double click with no row selected do nothing.
    list_rect = dlg["list"]
    below_rows = (list_rect[0] + 100, list_rect[1] + list_rect[3] - 10)
    key("Return", below_rows)
    click(*below_rows, repeat=2)
    click(*row_centre(dlg, "sub\\b.edt"))
    got = wait_selected("sub\\b.edt")
    f.check(got is not None, "Enter and a double click without a selection leave the dialog open; a click selects")
    if got:
        f.equal(buttons(got), (True, True, True), "a selection enables 修正 and 選択")
        f.equal(got["status"], windows_path(folder, "sub\\b.edt"), "the status bar shows the full path")
    strip_while_open("after Enter without a selection")
    click(*row_centre(dlg, "a.edt"))
    got = wait_selected("a.edt")
    f.check(got is not None and got["status"] == windows_path(folder, "a.edt"),
            "a click on a.edt shows its full path: %r" % (got and got["status"]))
    key("Return")
    d = wait_closed_and_back(app, "Enter on a.edt")
    f.equal(d["tabs"], ["甲ページ"], "Enter loads the chosen data file")
    f.equal(recent_states(app), [False], "the recent list holds it, disabled")

    # The main menu's entry; a double click on sub\b.edt loads it.
    open_by_menu(app)
    dlg = wait_dialog()
    park_pointer()
    strip_while_open("main menu")
    f.equal(selected_path(dlg), "a.edt", "the current data file is selected")
    click(*row_centre(dlg, "sub\\b.edt"), repeat=2)
    d = wait_closed_and_back(app, "double click on sub\\b.edt")
    f.equal(d["tabs"], ["乙ページ"], "a double click loads the data file")
    f.equal(recent_states(app), [False, True], "the new file on top, disabled; the former top enabled")

    # Shift+F9; Esc leaves the current data file as it is.
    open_by_keys(app)
    dlg = wait_dialog()
    strip_while_open("Shift+F9")
    click(*row_centre(dlg, "a.edt"))
    wait_selected("a.edt")
    key("Escape")
    d = wait_closed_and_back(app, "Esc")
    f.equal(d["tabs"], ["乙ページ"], "Esc keeps the current data file")
    f.equal(recent_states(app), [False, True], "Esc leaves the recent list as it was")

    # F9 and the second item: the former file comes back, the list turns round.
    menu, items = recent_menu(app)
    screenshot(os.path.join(SHOTS, "loomwork-main-recent.png"), (menu[0] - 10, menu[1] - 10, menu[2] + 20,
                                                                 menu[3] + 20))
    choose_menu_item(menu, 1)
    park_in_main(app)
    ok = wait_for(lambda: (lambda d: d["tabs"] == ["甲ページ"] and d)(app.dump()), 15, 0.2)
    f.check(bool(ok), "the recent item loads its data file")
    app.wait_idle()
    f.equal(app.dump()["window"][3], HEIGHT, "the window is back at its height after loading")
    f.equal(recent_states(app), [False, True], "the chosen item on top, disabled")
    elapsed("choosing")

    # No Loomwork.exe beside the tool: 新規 warns 50 pixels right of and below the dialog's corner.
    open_by_keys(app)
    dlg = wait_dialog()
    click(*centre(dlg["buttons"][BUTTON_NEW]["rect"]))
    park_pointer()
    box = run_driver("box", 20000)
    f.check(bool(box) and box[0].startswith("box"), "a missing companion is reported: %r" % box)
    if box and box[0].startswith("box"):
        words = box[0].split(" ")
        f.equal(box[0].split("[", 1)[1][:-1], "\"るーむわーく\"が見つかりません", "the warning's text")
        f.equal((int(words[1]), int(words[2])), (DIALOG_AT[0] + 50, DIALOG_AT[1] + 50), "the warning's place")
        screenshot(os.path.join(SHOTS, "loomwork-main-missing.png"), DIALOG_AT + (420, 300))
        run_driver("box", 5000, 1)
    again = wait_for(shown_dialog, 10, 0.2)
    f.check(again is not None and rows(again) == rows(dlg), "the dialog stays, its list unchanged")
    strip_while_open("after the warning")
    key("Escape", centre(dlg["list"]))
    wait_closed_and_back(app, "Esc after the warning")
    elapsed("missing companion")

    # The companion (a recording stand-in): 新規 adds a row and leaves none
    # selected; 修正 that changes nothing keeps the row selected.
    shutil.copy(os.path.join(BUILD, "qtfakeloomwork.exe"), os.path.join(folder, "Loomwork.exe"))
    args_file = os.path.join(folder, "loomwork-args.txt")

    def companion_calls():
        return open(args_file, "rb").read().decode("cp932").splitlines() if os.path.exists(args_file) else []

    def parameters(line):
        """What follows the program and one blank."""
        program_end = line.index('"', 1) + 1 if line.startswith('"') else line.index(" ")
        return line[program_end + 1:] if line[program_end:program_end + 1] == " " else None

    def run_companion(button_rect, release, calls, what):
        click(*centre(button_rect))
        park_pointer()
        f.check(wait_for(lambda: len(companion_calls()) == calls, 20, 0.1), "%s starts the companion" % what)
        w = main_window()
        f.check(shown_dialog() is None and w is not None and not w[4] and w[3] == STRIP_HEIGHT,
                "%s: while the companion runs the dialog is hidden, the window a hidden strip: %r" % (what, w))
        # Hiding the dialog and the window holds the tool up to 2 s each under
        # Wine without a window manager; after that it must answer, although
        # the companion runs until the test releases it.
        answer = wait_for(lambda: (lambda a: a if a and a[0].startswith("answers 1") else None)(
            run_driver("answers", 1000)), 15, 0.2)
        f.check(bool(answer), "%s: while the companion runs the tool answers a message within a second" % what)
        write(folder, "loomwork-release.txt", release)
        back = wait_for(shown_dialog, 20, 0.1)
        f.check(back is not None, "%s: the dialog is back when the companion ends" % what)
        return back

    open_by_button(app)
    dlg = wait_dialog()
    before = len(dlg["items"])
    back = run_companion(dlg["buttons"][BUTTON_NEW]["rect"], b"new sub\\memo.edt", 1, "新規")
    if companion_calls():
        f.equal(parameters(companion_calls()[0]), "/L%d /T%d" % DIALOG_AT, "新規 passes the dialog's place only")
    if back:
        f.equal(len(back["items"]), before + 1, "the new data file is listed")
        f.equal(back["selected"], -1, "after a new file nothing is selected")
        f.equal(buttons(back), (True, False, False), "and 修正 and 選択 are disabled")
        key("Return", centre(back["list"]))
        click(*row_centre(back, "sub\\memo.edt"))
        got = wait_selected("sub\\memo.edt")
        f.check(got is not None, "Enter without a selection keeps the dialog; a click selects the new row")
        if got:
            back = run_companion(got["buttons"][BUTTON_EDIT]["rect"], b"", 2, "修正")
            if len(companion_calls()) > 1:
                f.equal(parameters(companion_calls()[1]), "sub\\memo.edt /L%d /T%d" % DIALOG_AT,
                        "修正 passes the file and the dialog's place")
            f.equal(selected_path(back), "sub\\memo.edt", "an edit without a change keeps the row selected")
            if back:
                f.equal(buttons(back), (True, True, True), "修正 and 選択 stay enabled")
    key("Escape", centre(dlg["list"]))
    d = wait_closed_and_back(app, "Esc after the companion")
    f.equal(d["tabs"], ["甲ページ"], "the companion changed no current data file")
    elapsed("companion")

    # A recent file that no longer loads (an older format): its message, then
    # the dialog; afterwards the window's height and MinHeight are as before.
    write(folder, "sub\\b.edt", old_data_file("日本語のタイトル"))
    menu, items = recent_menu(app)
    choose_menu_item(menu, 1)
    park_pointer()
    box = run_driver("box", 20000)
    f.check(bool(box) and box[0].startswith("box"), "the old format is reported: %r" % box)
    run_driver("box", 5000, 1)
    dlg = wait_dialog()
    strip_while_open("a recent file that does not load")
    f.equal(selected_path(dlg), "sub\\b.edt", "the dialog opens on the file that did not load")
    click(*row_centre(dlg, "a.edt"), repeat=2)
    d = wait_closed_and_back(app, "another choice after a file that did not load")
    f.equal(d["tabs"], ["甲ページ"], "the other choice loads")
    click(*centre(d["parts"]["SpeedButtonResize1"]["rect"]))
    shrunk = wait_for(lambda: (lambda w: w and w[3] == MIN_HEIGHT)(main_window()), 10, 0.1)
    f.check(shrunk, "the shrink button shrinks to MinHeight again: %r" % (main_window(),))
    click(*centre(app.dump()["parts"]["SpeedButtonResize2"]["rect"]))
    f.check(wait_for(lambda: (lambda w: w and w[3] == HEIGHT)(main_window()), 10, 0.1), "and stretches back")
    app.wait_idle()

    # A recent file that is gone: the dialog opens at once; Esc leaves no
    # pages of the former file behind, as none of it is current any more.
    os.remove(os.path.join(folder, "sub", "b.edt"))
    menu, items = recent_menu(app)
    choose_menu_item(menu, 1)
    park_pointer()
    dlg = wait_dialog()
    strip_while_open("a recent file that is gone")
    f.equal(rows(dlg), ["a.edt|Alpha", "sub\\memo.edt|New"], "the gone file is not listed")
    key("Escape", centre(dlg["list"]))
    d = wait_closed_and_back(app, "Esc after a file that is gone")
    f.equal(d.get("tab_count"), 0, "no pages of another file stay")
    elapsed("recent files that do not load")

    # Eleven data files chosen one after another: ten stay in the recent list.
    names = ["more\\d%02d.edt" % i for i in range(11)]
    for i, name in enumerate(names):
        write(folder, name, paged_data_file("D%02d" % i, "D%02d" % i))
    openers = [open_by_keys, open_by_button, open_by_menu]
    for i, name in enumerate(names):
        openers[i % 3](app)
        dlg = wait_dialog()
        strip_while_open("choice %d" % i)
        if i == 0:
            click(*row_centre(dlg, name))
        else:
            f.equal(selected_path(dlg), names[i - 1], "the dialog opens on the current data file")
            key("Down", centre(dlg["list"]))
        f.check(wait_selected(name) is not None, "%s selected" % name)
        key("Return", centre(dlg["list"]))
        d = wait_closed_and_back(app, "choice %d" % i)
        f.equal(d["tabs"], ["D%02d" % i], "%s loads" % name)
    f.equal(recent_states(app), [False] + [True] * 9, "ten recent items, the current one disabled")
    elapsed("eleven choices")
    app.close()
    q = read_ini(folder).get("Quiltor", {})
    f.equal(q.get("QuiltorData"), names[-1], "the settings file names the current data file")
    f.equal([q.get("QuiltorData%d" % i) for i in range(20)], names[:0:-1] + [""] * 10,
            "the settings file keeps the ten, newest first; the oldest is gone")
finally:
    try:
        app.close()
    finally:
        app.stop()

f.finish()
