"""テスト１ of the settings dialog's 連動モード tab and the detection dialog
"エディタ テスト＆設定", driven as a user drives them, with Wine's notepad (and
the key logging editor qtkeylog) as the kind's editor: the test file, the
window lists, the test write and copy, OK and ｷｬﾝｾﾙ; an editor started
through a launcher that ends at once, its edit window two levels deep
(qtlinkeditor -launch -deep); and an editor that cannot be started."""
import os
import shutil
import tempfile

from e2elib import BUILD, App, read_ini, wait_for
from editorlib import notepad_text, tool as notepad_tool
from editortestlib import (PARENT_ROW, STANDARD2, TEST_FILE, TEST_TEXT, KeyLog, choose_child, choose_edit,
                           choose_top_window, class_names, click_row, close_detection, editor_dialog, f, file_bytes,
                           hex_handle, keylog_gone, keylog_settings, linked_tab, message_box, park_pointer,
                           press_test, run, settings, spin_up, start_detection, tab_state, test3_enabled, test_file,
                           windows_path)
from linkedlib import edit_text, editor_windows, kill, read_log


def detection_dialog_finds_writes_and_hands_back_the_editor():
    with App(settings()) as app:
        app.wait_ready(60000)
        park_pointer()
        path = test_file(app)
        d = linked_tab(app)

        # First run: the missing test file is made, empty, and opened.
        ed, (top, edit) = start_detection(d)
        f.equal(file_bytes(path), b"", "テスト１ makes the missing %s with no bytes" % TEST_FILE)
        f.check(not d.info(), "the settings dialog hides while the detection dialog is open")
        children = choose_top_window(ed, top)
        f.check(children[:1] == [PARENT_ROW] and hex_handle(edit) in children,
                "choosing notepad's window lists 親ｳｨﾝﾄﾞｳ and its edit control %s: %r" % (hex_handle(edit), children))
        f.equal(ed.list("IDC_ListBoxHandle2")[1], 0, "row 親ｳｨﾝﾄﾞｳ is chosen first")
        f.equal(class_names(ed), ("Notepad", ""), "the parent class shows, the child class is empty")
        choose_child(ed, children.index(hex_handle(edit)) if hex_handle(edit) in children else 1)
        f.equal(class_names(ed), ("Notepad", "Edit"), "choosing the edit control shows its class")

        press_test(ed, TEST_TEXT, "ﾒｯｾｰｼﾞ送信 writes the test text into the empty notepad")
        narrow = ed.info()[0][2]
        notepad_tool("set", "", 0, 0)
        ed.click("IDC_RadioGroupPasteKind1")
        wide = wait_for(lambda: (lambda w: w if w != narrow else None)(ed.info()[0][2]), 5, 0.1)
        # The widths come from the template's dialog units, so the font's rounding may add a pixel.
        f.check(abs(narrow - 366) <= 1 and abs(wide - 528) <= 1,
                "ｶｯﾄ&&ﾍﾟｰｽﾄ widens the dialog to show the cut & paste keys: got %r, expected (366, 528) within a pixel"
                % ((narrow, wide),))
        ed.click("IDC_RadioButtonCutPaste1")
        press_test(ed, TEST_TEXT, "ｶｯﾄ&&ﾍﾟｰｽﾄ with 標準１ writes the test text into the empty notepad")

        notepad_tool("set", "alpha beta gamma", 6, 10)
        ed.click("IDC_RadioGroupPasteKind0")
        ed.click("IDC_CheckBoxTestCopy")
        wait_for(lambda: ed.control("IDC_CheckBoxTestCopy").checked, 5, 0.1)
        ed.click("IDC_ButtonTest")
        box = message_box(15000, 1)
        f.equal(box and box[2], "beta", "ｺﾋﾟｰ確認 shows the word selected in notepad")
        f.equal(notepad_text(), "alpha beta gamma", "ｺﾋﾟｰ確認 leaves the word in notepad")

        ed.click("IDC_CheckBoxTestCopy")
        ed.click("IDC_RadioGroupPasteKind1")
        spin_up(ed, "IDC_CSpinEditInterval")
        wait_for(lambda: ed.control("IDC_CSpinEditInterval").text == "65", 5, 0.1)
        notepad_tool("set", "", 0, 0)
        press_test(ed, TEST_TEXT, "a last test write by ｶｯﾄ&&ﾍﾟｰｽﾄ before OK")
        close_detection(ed, "IDC_ButtonOK", "OK")
        f.check(d.wait(), "the settings dialog shows again after OK")
        f.equal(file_bytes(path), b"", "nothing was saved into the test file")
        f.equal(tab_state(d), {"class1": "Notepad", "class2": "Edit", "class2 ticked": True, "paste kind": 1,
                               "interval": "65", "cut & paste": "標 準 １"},
                "OK hands the classes, the writing method and the interval to the tab")

        # Second run: the existing file is left alone, and OK with row
        # 親ｳｨﾝﾄﾞｳ takes the child class away.
        open(path, "wb").write(b"keep me")
        before = os.stat(path).st_mtime_ns
        ed, (top, edit) = start_detection(d)
        f.equal((file_bytes(path), os.stat(path).st_mtime_ns), (b"keep me", before),
                "a second テスト１ leaves the existing test file alone")
        f.equal(wait_for(lambda: notepad_text() == "keep me", 10, 0.3) and notepad_text(), "keep me",
                "notepad opened the test file")
        choose_top_window(ed, top)
        close_detection(ed, "IDC_ButtonOK", "OK with 親ｳｨﾝﾄﾞｳ")
        d.wait()
        f.equal(tab_state(d)["class1"], "Notepad", "OK with 親ｳｨﾝﾄﾞｳ keeps the parent class")
        f.equal((tab_state(d)["class2"], tab_state(d)["class2 ticked"]), ("", False),
                "OK with 親ｳｨﾝﾄﾞｳ empties the child class and unticks its box")

        # Third run: a test write, then ｷｬﾝｾﾙ: the text is undone, notepad
        # closes, the tab keeps what it had.
        shown = tab_state(d)
        ed, (top, edit) = start_detection(d)
        choose_edit(ed, top, edit)
        ed.click("IDC_RadioGroupPasteKind0")
        ed.click("IDC_RadioButtonCutPaste2")
        ed.click("IDC_ButtonTest")
        wait_for(lambda: TEST_TEXT in (notepad_text() or ""), 15, 0.3)
        f.check(TEST_TEXT in (notepad_text() or ""), "the test text went into the opened file: %r" % notepad_text())
        close_detection(ed, "IDC_ButtonCancel", "ｷｬﾝｾﾙ")
        d.wait()
        f.equal(file_bytes(path), b"keep me", "ｷｬﾝｾﾙ leaves the test file unsaved")
        f.equal(tab_state(d), shown, "ｷｬﾝｾﾙ leaves the tab as it was")

        # Fourth run: 標準２ with OK shows on the tab and is stored with OK.
        ed, _ = start_detection(d)
        ed.click("IDC_RadioGroupPasteKind1")
        ed.click("IDC_RadioButtonCutPaste2")
        wait_for(lambda: ed.control("IDC_RadioButtonCutPaste2").checked, 5, 0.1)
        close_detection(ed, "IDC_ButtonOK", "OK with 標準２")
        d.wait()
        f.equal(tab_state(d)["cut & paste"], "標 準 ２", "標準２ chosen in the detection dialog shows on the tab")
        d.ok(app)
        app.wait_idle()
        stored = read_ini(app.folder).get("Setup", {})
        f.equal({k: stored.get(k) for k in ("ClassName1", "ClassName2", "PasteKind", "PasteInterval", "CutPasteKey")},
                {"ClassName1": "Notepad", "ClassName2": "", "PasteKind": "1", "PasteInterval": "65",
                 "CutPasteKey": str(STANDARD2)}, "the kind stores what the detection dialog handed back")


def detection_dialog_copies_with_the_stored_direct_keys():
    with App(keylog_settings()) as app:
        app.wait_ready(60000)
        park_pointer()
        d = linked_tab(app)
        f.equal(tab_state(d)["cut & paste"], "直接指定", "a stored 538100435 shows as 直接指定")
        d.click_when_enabled("IDC_ButtonTest1")
        ed = editor_dialog()
        ed.wait()
        pad = KeyLog()
        if not wait_for(lambda: pad.state().get("edit"), 30):
            raise AssertionError("テスト１ did not start qtkeylog")
        park_pointer()
        c = ed.controls()
        keys = {name: (c[ed.ids["IDC_CheckBox%sCtrl" % name]].checked, c[ed.ids["IDC_CheckBox%sShift" % name]].checked,
                       c[ed.ids["IDC_CheckBox%sAlt" % name]].checked, ed.combo("IDC_ComboBox" + name))
                for name in ("Copy", "Cut", "Paste")}
        shown = {name: (ctrl, shift, alt, items[selected] if 0 <= selected < len(items) else None)
                 for name, (ctrl, shift, alt, (items, selected)) in keys.items()}
        f.equal(shown, {"Copy": (False, False, True, "[F1]"), "Cut": (False, False, False, "A"),
                        "Paste": (True, True, False, "0")}, "直接指定 opens with the keys of the stored value")
        f.check(c[ed.ids["IDC_RadioButtonCutPaste3"]].checked, "直接指定 is chosen in the detection dialog")
        rows = ed.list("IDC_ListBoxHandle1")[0]
        f.check(len(rows) >= 1, "the detection dialog lists qtkeylog's window: %r" % rows)
        click_row(ed, "IDC_ListBoxHandle1", 0)
        wait_for(lambda: len(ed.list("IDC_ListBoxHandle2")[0]) > 1, 5, 0.2)
        edit_row = ed.list("IDC_ListBoxHandle2")[0].index(hex_handle(pad.state()["edit"]))
        choose_child(ed, edit_row)
        ed.click("IDC_CheckBoxTestCopy")
        wait_for(lambda: ed.control("IDC_CheckBoxTestCopy").checked, 5, 0.1)
        pad.set("one word", 4, 8)
        ed.click("IDC_ButtonTest")
        box = message_box(15000, 1)
        f.equal((box and box[2], pad.state().get("keys")), ("word", ["Alt+[F1]"]),
                "ｺﾋﾟｰ確認 by keys copies with Alt+[F1] and shows the word")
        ed.click("IDC_ButtonCancel")
        f.check(ed.gone() and keylog_gone(), "ｷｬﾝｾﾙ closes the detection dialog and qtkeylog")
        d.wait()
        d.cancel(app)


def detection_dialog_follows_a_launcher_to_its_editor():
    work = tempfile.mkdtemp(prefix="quiltor-detect-launcher-")
    log = os.path.join(work, "editor.log")
    kill("qtlinkeditor.exe")
    try:
        with App(settings(EditerPath=windows_path(os.path.join(BUILD, "qtlinkeditor.exe")),
                          EditerParam="-launch -deep %s %%f" % windows_path(log))) as app:
            app.wait_ready(60000)
            park_pointer()
            d = linked_tab(app)
            d.click_when_enabled("IDC_ButtonTest1")
            ed = editor_dialog()
            ed.wait()
            opened = wait_for(lambda: [l for l in read_log(log) if l.startswith("open %s " % TEST_FILE)], 30, 0.2)
            if not opened:
                raise AssertionError("the launcher's editor did not open %s: %r" % (TEST_FILE, read_log(log)))
            words = opened[0].split(" ")
            edit, top = int(words[-3]), int(words[-1])
            park_pointer()
            # The launcher has ended by now; the list is taken again as a
            # user would, once the editor's window shows.
            ed.click("IDC_ButtonHandle")
            rows = wait_for(lambda: (lambda r: r if hex_handle(top) in r else None)(ed.list("IDC_ListBoxHandle1")[0]),
                            10, 0.2)
            f.check(bool(rows), "the detection dialog lists the window of the process the launcher handed over to: "
                    "%s in %r" % (hex_handle(top), ed.list("IDC_ListBoxHandle1")[0]))
            choose_edit(ed, top, edit)
            f.equal(class_names(ed), ("QtLinkEditor", "Edit"),
                    "the edit control two windows below the top shows its class")
            ed.click("IDC_ButtonTest")
            f.check(wait_for(lambda: TEST_TEXT.split("\r")[0] in (edit_text(edit) or ""), 15, 0.3),
                    "the test text reaches the editor of the other process: %r" % edit_text(edit))
            ed.click("IDC_ButtonOK")
            f.check(ed.gone(), "OK closes the detection dialog")
            f.check(wait_for(lambda: top not in {t for t, _, _ in editor_windows("QtLinkEditor")}, 15, 0.3),
                    "OK closes the launcher's editor")
            f.equal([l for l in read_log(log) if l.startswith("close ")], ["close " + TEST_FILE],
                    "the close reaches the editor's top window once, never the pane")
            f.check(d.wait(), "the settings dialog shows again after OK")
            state = tab_state(d)
            f.equal((state["class1"], state["class2"], state["class2 ticked"]), ("QtLinkEditor", "Edit", True),
                    "OK hands the editor's classes to the tab")
            d.cancel(app)
    finally:
        kill("qtlinkeditor.exe")
        shutil.rmtree(work, ignore_errors=True)


def unstartable_editor_warns_in_the_first_test_only():
    with App(settings()) as app:
        broken = os.path.join(app.folder, "broken.exe")
        open(broken, "wb").write(b"not a program")
        # The path is typed as a user would: the file exists, so the tests are usable.
        app.wait_ready(60000)
        park_pointer()
        d = linked_tab(app)
        d.type_into("IDC_EditEditerPath", windows_path(broken))
        park_pointer()
        rect = d.info()[0]
        d.click_when_enabled("IDC_ButtonTest1")
        box = message_box(20000)
        f.equal(box, (rect[0] + 100, rect[1] + 100, "プログラムの起動に失敗しました"),
                "テスト１ warns at the settings dialog's left + 100, top + 100")
        if box:
            message_box(1, 1)
        f.check(wait_for(lambda: not message_box(), 5, 0.2), "OK closes the warning")
        f.check(d.wait(), "the settings dialog stays after the warning")
        f.check(not editor_dialog().info(), "no detection dialog opens")

        d.click_when_enabled("IDC_ButtonTest2")
        d.controls()  # answers once テスト２ has run
        noticed = wait_for(lambda: message_box() or test3_enabled(d), 1.5, 0.1)
        f.check(not noticed, "テスト２ is silent and テスト３ stays disabled: %r" % (noticed,))
        d.cancel(app)


run([detection_dialog_finds_writes_and_hands_back_the_editor, detection_dialog_copies_with_the_stored_direct_keys,
     detection_dialog_follows_a_launcher_to_its_editor, unstartable_editor_warns_in_the_first_test_only])
