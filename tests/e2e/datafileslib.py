"""Helpers for the end-to-end tests that choose data files through the running
tool: data files with a page each, the tool bar and the shown menus as the
user finds them on the screen, the main window as seen from outside, and the
ways a user opens the selection dialog."""
import os
import subprocess

from e2elib import centre, click, move_pointer, run_driver, wait_for, xdotool
from loomworklib import shown_dialog

# Command ids of src/window/commands.h.
TOOL_LOOMWORK = 106
# Text items of the main menu, separators left out; the data-file entry's place.
MAIN_MENU_ITEMS = 15
MAIN_MENU_LOOMWORK = 11
# The strip the window becomes while a data file is chosen or loaded.
STRIP_HEIGHT = 38


def paged_data_file(title, tab):
    """A data file in CP932 with one page whose tab reads `tab`."""
    text = ("[Version]\r\nNo=170\r\n[Group]\r\nCount=1\r\nTitle=%s\r\n[Menu00]\r\nTitle=%s\r\nCount=1\r\n"
            "M00=00,item\r\n[Edit00]\r\nM00a=<%s>\r\n" % (title, tab, tab))
    return text.encode("cp932")


def old_data_file(title):
    """A data file of a format older than the tool reads."""
    return ("[Version]\r\nNo=169\r\n[Group]\r\nCount=0\r\nTitle=%s\r\n" % title).encode("cp932")


def write(folder, name, content):
    """Writes a file of the program folder; `name` may hold "sub\\"."""
    full = os.path.join(folder, *name.split("\\"))
    os.makedirs(os.path.dirname(full), exist_ok=True)
    open(full, "wb").write(content)


def windows_path(folder, name=""):
    """The Wine path of a file of the program folder (drive Z:)."""
    path = os.path.join(folder, *name.split("\\")) if name else folder + "/"
    return "Z:" + path.replace("/", "\\")


def main_window():
    """(x, y, w, h, visible) of the tool window. Sends the tool no message,
    so it answers while the tool waits for the companion."""
    for line in run_driver("window"):
        w = line.split(" ")
        if w[0] == "window":
            return tuple(int(v) for v in w[1:5]) + (w[5] == "1",)
    return None


def tool_button(command_id):
    """(x, y, w, h, enabled, dropdown) of a tool bar button on the screen."""
    for line in run_driver("buttons"):
        w = line.split(" ")
        if w[0] == "tool" and int(w[1]) == command_id:
            return tuple(int(v) for v in w[2:6]) + (w[6] == "1", w[7] == "1")
    return None


def popups():
    return [tuple(int(v) for v in line.split(" ")[1:5])
            for line in run_driver("popups") if line.startswith("popup ")]


def wait_popup(seconds=10):
    """The rectangle of the one shown pop-up menu."""
    shown = wait_for(lambda: (lambda p: p[0] if len(p) == 1 else None)(popups()), seconds, 0.1)
    if not shown:
        raise AssertionError("no menu dropped down")
    return shown


def pixels(rect):
    """Rows of (r, g, b) of a screen rectangle."""
    x, y, w, h = rect
    raw = subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage",
                          "-depth", "8", "ppm:-"], capture_output=True, check=True).stdout
    # P6 header: magic, width, height, maximum, each followed by one blank.
    fields, at = [], 0
    while len(fields) < 4:
        while raw[at:at + 1].isspace():
            at += 1
        start = at
        while not raw[at:at + 1].isspace():
            at += 1
        fields.append(raw[start:at])
    at += 1
    width, height = int(fields[1]), int(fields[2])
    return [[tuple(raw[at + (row * width + col) * 3:at + (row * width + col) * 3 + 3]) for col in range(width)]
            for row in range(height)]


def menu_items(rect):
    """The text items of a shown menu as the user sees them, top to bottom:
    [(screen y of the item's middle, enabled)]. Enabled items are written
    black, disabled ones grey; separators and the frame carry no text. The
    pointer must not rest on the menu, or its item is drawn highlighted."""
    x, y, w, h = rect
    rows = pixels((x + 2, y + 2, w - 4, h - 4))
    runs = []  # [first row, last row, black seen]
    for index, row in enumerate(rows):
        black = any(sum(p) < 100 for p in row)
        grey = any(max(p) - min(p) < 12 and 100 <= p[0] <= 150 for p in row)
        if not (black or grey):
            continue
        if runs and index - runs[-1][1] <= 3:
            runs[-1][1] = index
            runs[-1][2] = runs[-1][2] or black
        else:
            runs.append([index, index, black])
    # A separator's etched line is one or two rows; a text line is more.
    return [(y + 2 + (first + last) // 2, black) for first, last, black in runs if last - first >= 4]


def choose_menu_item(rect, index):
    """Clicks the index-th text item of a shown menu."""
    items = menu_items(rect)
    if index >= len(items):
        raise AssertionError("the menu shows %d items, not %d" % (len(items), index + 1))
    click(rect[0] + rect[2] // 2, items[index][0])


def park_in_main(app):
    """The pointer on the tool window's status bar, so its keys reach the tool
    (the X focus follows the pointer) and no menu item is under it."""
    d = app.dump()
    x, y, w, h = d["parts"]["StatusBar"]["rect"]
    move_pointer(x + 60, y + h // 2)
    return d


def main_keys(app, keys):
    """Keys for the tool window, as a user types them with the window in front."""
    d = park_in_main(app)
    if not d.get("foreground"):
        x, y, w, h = d["parts"]["StatusBar"]["rect"]
        click(x + 60, y + h // 2)
        if not wait_for(lambda: app.dump().get("foreground"), 10, 0.1):
            raise AssertionError("the tool window did not come to the front")
    xdotool("key", keys)


def open_by_button(app):
    """A click on the button part of ToolButton_Loomwork (not its arrow)."""
    x, y, w, h, enabled, dropdown = tool_button(TOOL_LOOMWORK)
    arrow = 14 if dropdown else 0
    click(x + (w - arrow) // 2, y + h // 2)


def open_by_menu(app):
    """The title icon opens the main menu; its entry "くいるとるデータ選択"."""
    d = app.dump()
    click(*centre(d["parts"]["ImageIcon"]["rect"]))
    menu = wait_popup()
    park_in_main(app)
    items = menu_items(menu)
    if len(items) != MAIN_MENU_ITEMS:
        raise AssertionError("the main menu shows %d items" % len(items))
    choose_menu_item(menu, MAIN_MENU_LOOMWORK)


def open_by_keys(app):
    main_keys(app, "shift+F9")


def wait_dialog(seconds=30):
    d = wait_for(shown_dialog, seconds, 0.2)
    if not d:
        raise AssertionError("the selection dialog did not appear")
    return d


def recent_menu(app):
    """F9 drops the recent list down: its rectangle and its items."""
    main_keys(app, "F9")
    menu = wait_popup()
    return menu, menu_items(menu)
