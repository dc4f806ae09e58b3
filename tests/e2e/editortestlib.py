"""The editor tests of the settings dialog's 連動モード tab, driven from
outside: the settings for notepad or qtkeylog as the kind's editor, the
detection dialog's lists, test writes and buttons, the tool's message boxes
and the editors the tests start."""

import os
import sys

from e2elib import BUILD, Failures, click, end_program, ini, run_driver, wait_for
from editorlib import notepad_text
from linkedlib import NOTEPAD, editor_windows, notepad_for, place
from setuplib import KeyLog, editor_dialog, open_setup, park_pointer, windows_path

f = Failures()

TEST_FILE = "Quiltor.xxx"
TEST_TEXT = "正常に送信されました ( ^^)／＼(^^ )\r\n"
PARENT_ROW = "親ｳｨﾝﾄﾞｳ"
LINKED_TAB = 4
STANDARD1, STANDARD2, DIRECT = 202223221, 236337336, 538100435


def settings(**setup):
    keys = {"Timer": 100, "HotKeyR": 0, "HotKeyA": 0, "CRLF": 2, "ExtRendoCnt": 0, "EditerPath": NOTEPAD,
            "EditerParam": "%f", "ClassName1": "", "ClassName2": "", "PasteKind": 0,
            # Keys right after a change of focus lose their Ctrl under Wine
            # (DEVELOPERS.md): the editor gets the interval a slow one needs.
            "PasteInterval": 60, "CutPasteKey": STANDARD1, "ProgramNo": 0}
    keys.update(setup)
    return ini(Quiltor={"Top": 200, "Left": 420, "Height": 300, "Mode": 0}, Setup=keys, Version={"No": 170})


def linked_tab(app):
    d = open_setup(app)
    d.click_tab(LINKED_TAB)
    return d


def test_file(app):
    return os.path.join(app.folder, TEST_FILE)


def file_bytes(path):
    return open(path, "rb").read() if os.path.exists(path) else None


def notepads():
    return editor_windows("Notepad")


def no_notepad_left(seconds=15):
    """Every notepad has ended on its own: none asked whether to save."""
    return wait_for(lambda: not notepads(), seconds, 0.3)


def kill_notepads():
    end_program("notepad.exe")
    wait_for(lambda: not notepads(), 10, 0.3)


def message_box(ms=0, press=None):
    """(left, top, text) of the tool's message box shown now (or within
    `ms`), pressing button `press` when given; None without one."""
    # The driver looks at least once only for a wait of 1 ms or more.
    lines = run_driver("box", max(ms, 1), *([press] if press else []), timeout=ms / 1000 + 60)
    if not lines or not lines[0].startswith("box "):
        return None
    words = lines[0].split(" ")
    return int(words[1]), int(words[2]), lines[0].split("[", 1)[1][:-1]


def hex_handle(handle):
    return "%08X" % handle


def start_detection(d):
    """テスト１: the settings dialog gives way to the detection dialog over
    the started notepad; returns the dialog and notepad's (top, edit)."""
    for _ in range(3):
        d.click_when_enabled("IDC_ButtonTest1")
        # The settings dialog gives way as soon as the click arrives. Shown
        # again just before, its X window may not yet take clicks: the click
        # is lost, and only then is it given again.
        if d.gone(3000):
            break
    ed = editor_dialog()
    ed.wait()
    window = notepad_for(TEST_FILE)
    if not window:
        raise AssertionError("テスト１ did not start notepad with %s: %r" % (TEST_FILE, notepads()))
    # Out of the dialogs' way, where no click of the test lands on it.
    place(TEST_FILE, 10, 20, 280, 150)
    park_pointer()
    return ed, window


def click_row(dialog, name, row):
    click(*dialog.row_point(name, row))


def choose_top_window(ed, top):
    rows = ed.list("IDC_ListBoxHandle1")[0]
    f.check(hex_handle(top) in rows, "the detection dialog lists notepad's window %s: %r" % (hex_handle(top), rows))
    if hex_handle(top) in rows:
        click_row(ed, "IDC_ListBoxHandle1", rows.index(hex_handle(top)))
    return wait_for(lambda: ed.list("IDC_ListBoxHandle2")[0], 5, 0.2)


def choose_child(ed, row):
    click_row(ed, "IDC_ListBoxHandle2", row)
    wait_for(lambda: ed.list("IDC_ListBoxHandle2")[1] == row, 5, 0.2)


def choose_edit(ed, top, edit):
    children = choose_top_window(ed, top)
    if hex_handle(edit) in children:
        choose_child(ed, children.index(hex_handle(edit)))


def class_names(ed):
    return ed.control("IDC_EditClassNameWk1").text, ed.control("IDC_EditClassNameWk2").text


def press_test(ed, expected, what):
    """ButtonTest, then what notepad holds; a message box the test raised is
    reported and closed."""
    ed.click("IDC_ButtonTest")
    wait_for(lambda: notepad_text() == expected or message_box(), 15, 0.3)
    box = message_box(1, 1)
    f.equal((notepad_text(), box and box[2]), (expected, None), what)


def close_detection(ed, button, what):
    ed.click(button)
    f.check(ed.gone(), "%s closes the detection dialog" % what)
    f.check(no_notepad_left(), "%s closes the test notepad without asking whether to save" % what)
    kill_notepads()


def tab_state(d):
    c = d.controls()
    pick = lambda name: c[d.ids[name]]
    return {"class1": pick("IDC_EditClassName1").text, "class2": pick("IDC_EditClassName2").text,
            "class2 ticked": pick("IDC_CheckBoxClassName2").checked,
            "paste kind": 1 if pick("IDC_RadioGroupPasteKind1").checked else 0,
            "interval": pick("IDC_CSpinEditInterval").text,
            "cut & paste": next((pick("IDC_RadioGroupCutPaste%d" % i).text for i in range(3)
                                 if pick("IDC_RadioGroupCutPaste%d" % i).checked), None)}


def spin_up(ed, name):
    spin = ed.controls()[ed.ids[name] + ed.ids["IDC_UpDownOffset"]]
    x, y, w, h = spin.rect
    click(x + w // 2, y + h // 4)


def keylog_settings(**setup):
    """qtkeylog as the kind's editor, cutting, copying and pasting with the
    kind's stored 直接指定 keys."""
    keys = {"EditerPath": windows_path(os.path.join(BUILD, "qtkeylog.exe")), "EditerParam": "%d %%f" % DIRECT,
            "ClassName1": "QtKeyLog", "ClassName2": "Edit", "PasteKind": 1, "CutPasteKey": DIRECT}
    keys.update(setup)
    return settings(**keys)


def keylog_gone():
    return wait_for(lambda: not KeyLog().state().get("edit"), 15, 0.3)


def test3_enabled(d):
    control = d.control("IDC_ButtonTest3")
    return control is not None and control.enabled


def run(tests):
    """Runs the tests named on the command line (all without names), then
    ends every editor they left and reports."""
    chosen = sys.argv[1:]
    try:
        for test in tests:
            if not chosen or any(name in test.__name__ for name in chosen):
                test()
    finally:
        kill_notepads()
        end_program("qtkeylog.exe")
    f.finish()
