"""OK of the settings dialog "環境設定" of a running Quiltor.exe, opened as a
user opens it, from the title icon's menu, over a settings file that holds
comments, a key the tool does not know and another program's section: the
file afterwards is the file before with exactly the changed keys changed,
and the running tool takes the new buffer sizes, hot key, history length
and program rows at once. Program and filter rows are edited and moved by
keyboard too, Enter in those lists leaving the dialog open."""
import sys

from e2elib import Failures, click, wait_for, xdotool
from linkedlib import menu_texts, menus
from setuplib import (KeyLog, exchange, open_setup, park_pointer, press_in_editor, running_tool, settings_bytes,
                      settings_variant, with_values, x_rect, x_window)

f = Failures()

# Three program rows, as an earlier OK of the dialog left them.
PROGRAM_ROWS = [("Alpha", "C:\\tools\\alpha.exe", "%f"), ("Beta", "C:\\tools\\beta.exe", "%f"),
                ("Gamma", "C:\\tools\\gamma.exe", "-n %f")]


def program_keys(rows):
    return {"%s%d" % (name, i): value for i, row in enumerate(rows)
            for name, value in zip(("ExecCaption", "ExecProgram", "ExecParam"), row)}


WITH_PROGRAMS = settings_variant(after={"ProgramNo=0": ["%s=%s" % kv for kv in program_keys(PROGRAM_ROWS).items()]})

# The activate hot key is Ctrl+Alt+A; the user makes L its letter.
OLD_KEY, NEW_KEY = "ctrl+alt+a", "ctrl+alt+l"

# Positions in the 50-item key list of the key combo boxes.
KEY_A, KEY_0, KEY_F1 = 0, 35, 38

BUFFERS = ("QuiltorCommonMemory1", "QuiltorCommonMemory2")


def buffers():
    """The block's buffer sizes and the first text of each transfer buffer
    (a buffer made anew is empty)."""
    shown = exchange()
    return shown.get("block"), tuple((shown.get(name) or (0, None))[1] for name in BUFFERS)


def program_menus():
    """The listed programs of the two program menus, as the tool describes them."""
    shown = menus()
    return menu_texts(shown.get("PopupMenu_Exec", []))[1:], menu_texts(shown.get("Popup_ExecSel", []))


def tick_filter_row(d, row):
    """Clicks the tick box drawn at the left of a filter row."""
    _, y = d.row_point("IDC_CheckListBoxFileFilter", row)
    left = d.control("IDC_CheckListBoxFileFilter").rect[0]
    click(left + 9, y)


def add_filter_row(d, name, pattern):
    rows = d.rows("IDC_CheckListBoxFileFilter")
    d.type_into("IDC_EditFileFilterName", name)
    d.type_into("IDC_EditFileFilter", pattern)
    d.click("IDC_ButtonFileFilterAdd")
    f.check(wait_for(lambda: d.rows("IDC_CheckListBoxFileFilter") == rows + 1, 5, 0.1),
            "追加 adds the filter row %s" % name)


def set_key_group(d, group, ctrl, shift, alt, key):
    """Ticks the three modifier boxes of a key group of tab 簡易モード as asked
    and picks its key."""
    for modifier, wanted in (("Ctrl", ctrl), ("Shift", shift), ("Alt", alt)):
        name = "IDC_CheckBox%s%s" % (group, modifier)
        if d.control(name).checked != wanted:
            d.click(name)
            wait_for(lambda: d.control(name).checked == wanted, 5, 0.1)
    d.choose("IDC_ComboBox%s" % group, key)


def ok_after_changes_on_every_tab(pad):
    with running_tool(WITH_PROGRAMS) as app:
        before = settings_bytes(app)
        d = open_setup(app)
        # 動作環境Ⅰ: the timer one step up, the history from 10 down to 5.
        d.click_tab(0)
        d.spin("IDC_CSpinEditTimer", up=True)
        d.spin("IDC_CSpinEditOpenFiles", up=False, times=5)
        f.equal((d.control("IDC_CSpinEditTimer").text, d.control("IDC_CSpinEditOpenFiles").text), ("110", "5"),
                "one click on the timer's up arrow adds 10, five on the history's down arrow give 5")
        # The caret setting, on in the file, is shown ticked; the user unticks it.
        f.check(d.control("IDC_CheckBoxCaretInside").checked, "the caret setting is shown ticked")
        d.click("IDC_CheckBoxCaretInside")
        f.check(wait_for(lambda: not d.control("IDC_CheckBoxCaretInside").checked, 5, 0.1),
                "a click unticks the caret setting")
        # 動作環境Ⅱ: another close mode and two filter rows, the first ticked.
        d.click_tab(1)
        d.click("IDC_RadioGroupCloseMode2")
        add_filter_row(d, "Text", "*.txt")
        add_filter_row(d, "All", "*.*")
        tick_filter_row(d, 0)
        # 編集環境: typed buffer sizes snap to powers of two; a new hot key letter.
        d.click_tab(2)
        d.type_into("IDC_CSpinEditBufSize1", "3000")
        d.type_into("IDC_CSpinEditBufSize2", "100")
        f.equal((d.control("IDC_CSpinEditBufSize1").text, d.control("IDC_CSpinEditBufSize2").text), ("4096", "256"),
                "typed buffer sizes 3000 and 100 become 4096 and 256")
        d.type_into("IDC_ComboBoxHotKeyA2", "L")
        f.equal(d.control("IDC_ComboBoxHotKeyA2").text, "L", "the activate hot key's letter box shows L")
        # 簡易モード: keys of the user's own: copy Alt+[F1], cut A, paste Ctrl+Shift+0.
        d.click_tab(3)
        d.click("IDC_RadioButtonCutPaste3")
        f.check(wait_for(lambda: d.control("IDC_ComboBoxCopy").enabled, 5, 0.1),
                "直接指定 makes the key groups usable")
        set_key_group(d, "Copy", False, False, True, KEY_F1)
        set_key_group(d, "Cut", False, False, False, KEY_A)
        set_key_group(d, "Paste", True, True, False, KEY_0)
        # 連動モード: the common kind writes by cut and paste.
        d.click_tab(4)
        d.click("IDC_RadioGroupPasteKind1")
        # プログラム: the common kind runs the second program.
        d.click_tab(5)
        d.choose("IDC_ComboBoxDefaultProgram", 2)
        f.equal(d.combo("IDC_ComboBoxDefaultProgram")[1], 2, "the default program box shows the second program")
        d.ok(app)
        expected = with_values(before, {"Timer": "110", "OpenFiles": "5", "CaretInside": "0", "CloseMode": "2",
                                        "FileFilter": "Text|*.txt||All|*.*||", "FileFilterC": "10",
                                        "BufSize1": "4096", "BufSize2": "256", "HotKeyA2": "L",
                                        "CutPasteKeyEZ": "538100435", "PasteKind": "1", "ProgramNo": "2"},
                               ["OpenFile%d" % n for n in range(5, 20)])
        after = settings_bytes(app)
        if not f.equal(after, expected, "OK changes exactly the changed values and drops the history past 5"):
            open("/tmp/quiltor-setup-after.ini", "wb").write(after)
        f.equal(buffers()[0], (4096, 256), "the exchange block records the new buffer sizes at once")
        f.equal(press_in_editor(app, pad, OLD_KEY), "editor", "after OK the old hot key no longer reaches the tool")
        f.equal(press_in_editor(app, pad, NEW_KEY), "tool", "after OK the new hot key brings the tool forward")


def buffers_are_made_anew_only_for_a_new_size():
    with running_tool(settings_variant({"CutPasteKeyEZ": "538100435"})) as app:
        before = settings_bytes(app)
        exchange(mark="before")
        d = open_setup(app)
        f.equal(d.tabs()[0], 3, "the dialog opens on the tab 簡易モード")
        f.check(d.control("IDC_RadioButtonCutPaste3").checked, "keys of the user's own show as 直接指定")
        d.click("IDC_RadioButtonCutPaste1")
        d.click_tab(2)
        d.spin("IDC_CSpinEditBufSize1", up=True)
        f.equal(d.control("IDC_CSpinEditBufSize1").text, "2048", "the up arrow at 1024 gives 2048")
        d.ok(app)
        after = settings_bytes(app)
        f.equal(after, with_values(before, {"BufSize1": "2048", "CutPasteKeyEZ": "202223221"}),
                "OK saves the new size and 標準１ as 202223221, nothing else")
        f.equal(buffers(), ((2048, 1024), ("", "")),
                "a new size of the first buffer makes both buffers anew")
        exchange(mark="kept")
        d = open_setup(app)
        d.ok(app)
        f.equal(settings_bytes(app), after, "OK without changes leaves the file as it was")
        f.equal(buffers(), ((2048, 1024), ("kept", "kept")),
                "OK with the sizes unchanged leaves the buffers and their contents alone")


def program_rows_deleted_and_dragged():
    with running_tool(settings_variant({"ProgramNo": "2"}, lines=WITH_PROGRAMS)) as app:
        before = settings_bytes(app)
        f.equal(program_menus(), (["Alpha", "Beta", "Gamma"],) * 2, "the program menus list the three rows")
        d = open_setup(app)
        d.click_tab(5)
        click(*d.row_point("IDC_ListBoxProgram", 1))
        d.click_when_enabled("IDC_ButtonProgramCancel")
        box = app.driver("box", 10000, 1)
        f.check(box and "削除します" in box[0], "削除 asks before it removes a row: %r" % (box,))
        f.check(wait_for(lambda: d.rows("IDC_ListBoxProgram") == 2, 5, 0.1),
                "the row is removed after OK in the question")
        d.drag_row("IDC_ListBoxProgram", 1, 0)
        d.ok(app)
        rows = [PROGRAM_ROWS[2], PROGRAM_ROWS[0]]
        expected = with_values(before, program_keys(rows),
                               ["%s%d" % (name, n) for name in ("ExecCaption", "ExecProgram", "ExecParam")
                                for n in range(2, 20)])
        after = settings_bytes(app)
        if not f.equal(after, expected, "the file holds the two rows in their new order and no row 2; "
                                        "the common kind keeps ProgramNo 2"):
            open("/tmp/quiltor-setup-programs.ini", "wb").write(after)
        f.equal(program_menus(), (["Gamma", "Alpha"],) * 2, "the program menus follow the rows at once")


def text_of(d, name):
    control = d.control(name)
    return control.text if control else None


def program_and_filter_rows_by_keyboard():
    lines = settings_variant({"FileFilter": "Text|*.txt||All|*.*||", "FileFilterC": "10"}, lines=WITH_PROGRAMS)
    with running_tool(lines) as app:
        before = settings_bytes(app)
        d = open_setup(app)
        d.click_tab(5)
        click(*d.row_point("IDC_ListBoxProgram", 0))
        xdotool("key", "alt+Down")
        f.check(wait_for(lambda: d.list("IDC_ListBoxProgram")[1] == 1, 5, 0.1),
                "programs: Alt+Down moves the selected row one place down, still selected")
        xdotool("key", "Return")
        f.check(wait_for(lambda: text_of(d, "IDC_EditProgramCaption") == "Alpha", 5, 0.1),
                "programs: Enter edits the selected row, and the dialog stays open")
        f.equal(text_of(d, "IDC_ButtonProgramSet"), "設定", "programs: the row is in its edit mode")
        d.click("IDC_ButtonProgramCancel")
        f.check(wait_for(lambda: text_of(d, "IDC_ButtonProgramSet") == "追加", 5, 0.1), "programs: 中止 ends the edit")
        click(*d.row_point("IDC_ListBoxProgram", 2))
        xdotool("key", "F2")
        f.check(wait_for(lambda: text_of(d, "IDC_EditProgramCaption") == "Gamma", 5, 0.1), "programs: F2 edits the row")
        xdotool("type", "--delay", 60, "Delta")  # the keys go on in the caption, its text selected
        f.check(wait_for(lambda: text_of(d, "IDC_EditProgramCaption") == "Delta", 5, 0.1),
                "programs: after F2 the caption takes the keys: %r" % text_of(d, "IDC_EditProgramCaption"))
        d.click("IDC_ButtonProgramSet")
        f.check(wait_for(lambda: text_of(d, "IDC_ButtonProgramSet") == "追加", 5, 0.1), "programs: 設定 ends the edit")

        d.click_tab(1)
        click(*d.row_point("IDC_CheckListBoxFileFilter", 1))
        xdotool("key", "alt+Up")
        f.check(wait_for(lambda: d.list("IDC_CheckListBoxFileFilter")[1] == 0, 5, 0.1),
                "filters: Alt+Up moves the selected row one place up, still selected")
        xdotool("key", "Return")
        xdotool("type", "--delay", 60, "Every")
        f.check(wait_for(lambda: text_of(d, "IDC_EditFileFilterName") == "Every", 5, 0.1),
                "filters: Enter puts the keys in the row's name, and the dialog stays open: %r" %
                text_of(d, "IDC_EditFileFilterName"))
        d.click("IDC_ButtonFileFilterUpdate")
        d.ok(app)
        rows = [PROGRAM_ROWS[1], PROGRAM_ROWS[0], ("Delta",) + PROGRAM_ROWS[2][1:]]
        changed = program_keys(rows)
        changed.update({"FileFilter": "Every|*.*||Text|*.txt||", "FileFilterC": "01"})
        after = settings_bytes(app)
        if not f.equal(after, with_values(before, changed), "the rows in their new order, the edited ones changed"):
            open("/tmp/quiltor-setup-keyboard.ini", "wb").write(after)


def dialog_at_the_left_edge_brings_the_main_window_along():
    with running_tool(settings_variant({"Left": "20"})) as app:
        main = app.dump()["window"]
        f.equal(main[:2], (20, 200), "the tool starts at the left edge")
        d = open_setup(app)
        f.equal(d.info()[0][:2], (0, 200), "the dialog 100 pixels left of the tool stops at the screen's edge")
        d.cancel(app)
        f.equal(app.dump()["window"], main, "closed where it opened, the dialog puts the tool back where it was")
        d = open_setup(app)
        # Wine takes a move of the dialog's X window (its client area) as the user's move.
        x, y, _, _ = x_rect(d.caption)
        xdotool("windowmove", x_window(d.caption), x + 50, y)
        f.check(wait_for(lambda: d.info()[0][:2] == (50, 200), 5, 0.1), "the dialog moved 50 pixels right")
        d.cancel(app)
        f.equal(app.dump()["window"], (70,) + main[1:], "the tool follows the dialog 50 pixels to the right")


# Names given on the command line pick some of the tests, for a run by hand.
CHOSEN = sys.argv[1:]


def chosen(test):
    return not CHOSEN or any(name in test.__name__ for name in CHOSEN)


if chosen(ok_after_changes_on_every_tab):
    with KeyLog() as editor:
        ok_after_changes_on_every_tab(editor)
for test in (buffers_are_made_anew_only_for_a_new_size, program_rows_deleted_and_dragged,
             program_and_filter_rows_by_keyboard, dialog_at_the_left_edge_brings_the_main_window_along):
    if chosen(test):
        test()
park_pointer()
f.finish()
