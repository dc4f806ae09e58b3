"""Linked mode's file commands as a user drives them, with Wine's notepad as
the editor: opening a file through the file dialog (notepad shows it, the
open-file list, both close menus and the history list it, the exchange
block names it); a new file named without extension taking the chosen
filter's; a new file that exists already (the question, No shows the
dialog again); the one file dialog of new and open keeping the filter
chosen in it last; a history entry whose file has vanished (the question,
No changes nothing); and a history of four that drops the oldest path from
both history menus and from the settings file."""
import os
import shutil

from e2elib import App, Failures, ini, read_ini, screenshot, wait_for, xdotool
from linkedlib import (FILE_TYPES, IDNO, NOTEPAD, click_menu_item, click_tool, close_menus, dialog_controls,
                       editor_windows, file_dialog, files, kill, menu_texts, menus, notepad_for, open_file,
                       open_main_menu, place, shared_current, toolbar, wait_menu_open, wait_no_dialog, winpath)

f = Failures()
LABEL_BYTES = 42


def shorten(entry_text):
    """The label the tool shows for an entry text (mark + path), counted in code page 932 bytes."""
    raw = entry_text.encode("cp932")
    if len(raw) <= LABEL_BYTES:
        return raw[1:].decode("cp932")
    name = raw[max(raw.rfind(b"\\"), raw.rfind(b":")) + 1:]
    tail = b"...\\" + name
    head = raw[1:1 + LABEL_BYTES - len(tail)]
    while True:
        try:
            return (head + tail).decode("cp932")
        except UnicodeDecodeError:
            head = head[:-1]


def settings(**setup):
    keys = {"EditerPath": NOTEPAD, "ClassName1": "Notepad", "ClassName2": "Edit", "Timer": 100}
    keys.update(setup)
    return ini(Quiltor={"Top": 20, "Left": 420, "Height": 300, "Mode": 1}, Setup=keys)


def filter_shown(title, seconds=30):
    """The position (from 0) of the filter the file dialog `title` shows once it is open."""
    controls = wait_for(lambda: dialog_controls(title), seconds, 0.2)
    return controls[FILE_TYPES]["selection"] if controls and FILE_TYPES in controls else None


def notepads():
    return len(editor_windows("Notepad"))


def opening_lists_the_file_everywhere_and_publishes_it():
    with App(settings(MakeNew=1)) as app:
        app.wait_ready()
        docs = os.path.join(app.folder, "documents", "a rather long folder name")
        os.makedirs(docs)
        path = os.path.join(docs, "first.txt")
        open(path, "wb").write(b"first words")
        wanted = winpath(path)

        f.check(open_file(app, path, 0) is not None, "open: notepad starts with the file")
        shown = files()
        f.equal(shown["entries"], [" " + wanted], "open: ComboBoxFile lists the file, marked as opened by the tool")
        f.equal(shown["selection"], 0, "open: the new entry is selected")
        f.equal(shown["label1"], shorten(" " + wanted), "open: the panel shows the shortened path")
        f.check(shown["label1"].endswith("...\\first.txt"), "open: a long path is cut before the file name: %r" %
                shown["label1"])
        f.equal(shared_current(), wanted, "open: the exchange block's current-file field, read from outside")
        tools = toolbar()
        f.check(tools["ToolButton_Close"]["enabled"] and tools["ToolButton_Exec"]["enabled"],
                "open: the file-state tool buttons are on")

        # Both close menus, as the user opens them.
        click_tool("ToolButton_Close", arrow=True)
        items = wait_menu_open("PopupMenu_Close")
        f.equal(menu_texts(items), [wanted, "全てのファイル終了"], "open: ToolButton_Close's drop-down lists the file")
        f.check(items[-1]["enabled"], "open: close all is on")
        close_menus()
        open_main_menu(app)
        click_menu_item("PopupMenu_Main", text="選択ファイル終了")
        f.equal(menu_texts(wait_menu_open("Popup_CloseSel")), [wanted], "open: 選択ファイル終了 lists the file")
        close_menus()
        click_tool("ToolButton_Open", arrow=True)
        f.equal(menu_texts(wait_menu_open("PopupMenu_Open"))[:1], [wanted], "open: the file heads the history")
        close_menus()
        screenshot("/tmp/quiltor-linked-open.png")

        # New, named without extension, with the text filter chosen: memo.txt, created empty.
        click_tool("ToolButton_New")
        file_dialog("新規作成", winpath(os.path.join(docs, "memo")), filter_index=2)
        memo = os.path.join(docs, "memo.txt")
        f.check(notepad_for("memo.txt") is not None, "new: notepad starts with memo.txt")
        place("memo.txt", 10, 130, 380, 100)
        app.wait_idle()
        f.check(os.path.exists(memo) and os.path.getsize(memo) == 0, "new: MakeNew creates memo.txt with 0 bytes")
        f.equal(files()["entries"], [" " + winpath(memo), " " + wanted], "new: memo.txt heads the open-file list")
        f.equal(shared_current(), winpath(memo), "new: the exchange field names memo.txt")

        # New with a name that exists: the question; No shows the dialog again.
        # The dialog keeps the filter chosen in it last, so "first" is first.txt.
        before = notepads()
        click_tool("ToolButton_New")
        f.equal(filter_shown("新規作成"), 1, "new: the dialog comes with the filter chosen in it last")
        file_dialog("新規作成", winpath(os.path.join(docs, "first")))
        box = app.driver("box", 15000, IDNO)
        f.check(bool(box) and "first.txt|指定のファイルは既に存在します。||そのまま開きますか？" in box[0],
                "new: an existing file is asked about: %r" % box)
        f.equal(filter_shown("新規作成", 15), 1, "new: No shows the dialog again, with the same filter")
        xdotool("key", "Escape")
        wait_no_dialog("新規作成")
        app.wait_idle()
        click_tool("ToolButton_Open")
        f.equal(filter_shown("ﾌｧｲﾙを開く"), 1, "open: the dialog shows the filter chosen for new")
        xdotool("key", "Escape")
        wait_no_dialog("ﾌｧｲﾙを開く")
        app.wait_idle()
        f.equal(notepads(), before, "new: cancelled after No, no editor starts")
        f.equal(len(files()["entries"]), 2, "new: cancelled after No, the list is as it was")

        # A history entry whose file has vanished: the question; No changes nothing.
        os.remove(memo)
        history = menu_texts(menus()["PopupMenu_Open"])
        click_tool("ToolButton_Open", arrow=True)
        click_menu_item("PopupMenu_Open", text=winpath(memo))
        box = app.driver("box", 15000, IDNO)
        f.check(bool(box) and "memo.txt|このファイルは存在しません。||作成しますか？" in box[0],
                "history: a vanished file is asked about: %r" % box)
        app.wait_idle()  # the watch timer runs again
        f.check(not os.path.exists(memo), "history: No creates no file")
        f.equal(menu_texts(menus()["PopupMenu_Open"]), history, "history: No leaves the history as it was")
        f.equal(len(files()["entries"]), 2, "history: No leaves the open-file list as it was")
        f.equal(notepads(), before, "history: No starts no editor")
    kill("notepad.exe")


def a_history_of_four_drops_the_oldest_path():
    with App(settings(OpenFiles=4), keep=True) as app:
        app.wait_ready()
        paths = []
        for n in range(5):
            path = os.path.join(app.folder, "file%d.txt" % n)
            open(path, "wb").write(b"%d" % n)
            paths.append(path)
            open_file(app, path, n % 4)
        newest_first = [winpath(p) for p in reversed(paths)]
        all_menus = menus()
        f.equal(menu_texts(all_menus["PopupMenu_Open"]), newest_first[:4], "history of 4: ToolButton_Open's drop-down")
        f.equal(menu_texts(all_menus["Popup_OpenSel"]), newest_first[:4], "history of 4: ファイル履歴")
        f.equal(len(files()["entries"]), 5, "history of 4: all five files stay open")
    saved = read_ini(app.folder).get("Quiltor", {})
    f.equal([saved.get("OpenFile%d" % n) for n in range(4)], newest_first[:4], "history of 4: saved newest first")
    f.check("OpenFile4" not in saved, "history of 4: no fifth key is saved")
    shutil.rmtree(app.folder, ignore_errors=True)
    kill("notepad.exe")


kill("notepad.exe")
try:
    opening_lists_the_file_everywhere_and_publishes_it()
    a_history_of_four_drops_the_oldest_path()
finally:
    kill("notepad.exe")
f.finish()
