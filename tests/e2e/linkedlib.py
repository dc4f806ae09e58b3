"""Linked mode from outside, for the end-to-end tests: the tool's menus, tool
buttons, open-file list and exchange field as qtdriver.exe reads them; the
file dialog driven by X input; editors (Wine's notepad and the test editor
qtlinkeditor) found, placed and closed as a user would; second starts of
the tool that hand it an editor window."""
import os
import shutil
import subprocess

from e2elib import (BUILD, WINE_RUN, centre, click, driver_family, end_program, place_window, run_driver, run_helper,
                    wait_for, xdotool)
from editorlib import click_into

NOTEPAD = "C:\\windows\\notepad.exe"
IDYES, IDNO, IDOK = 6, 7, 1


def winpath(path):
    """The Windows name of a Unix path, through Wine's drive Z:."""
    return "Z:" + path.replace("/", "\\")


run_tool = run_helper


linked = driver_family("linked")


def shared_current():
    """The exchange block's current-file field, read from another process."""
    lines = linked("shared", encoding="cp932")
    return lines[0][len("current ["):-1] if lines and lines[0].startswith("current [") else None


def edit_text(edit):
    """The text of another program's edit window, or None when it cannot be read."""
    out = linked("text", edit, encoding="cp932")
    joined = "\n".join(out)
    return joined[len("text ["):joined.rindex("]")] if joined.startswith("text [") else None


def bracketed(line):
    return line[line.index("[") + 1:line.rindex("]")]


def menus():
    """{menu name: [{"kind", "enabled", "checked", "rect", "text"}]} as the tool describes them."""
    result, current = {}, None
    for line in linked("menus"):
        words = line.split(" ")
        if words[0] == "menu":
            current = result.setdefault(words[1], [])
        elif words[0] == "item" and current is not None:
            x, y, w, h = (int(v) for v in words[5:9])
            current.append({"kind": words[2], "enabled": words[3] == "1", "checked": words[4] == "1",
                            "rect": (x, y, w, h), "text": bracketed(line)})
    return result


def menu_texts(menu):
    return [item["text"] for item in menu if item["kind"] != "-"]


def main_item(all_menus, text):
    """The entry of the main menu whose text is `text`."""
    for item in all_menus.get("PopupMenu_Main", []):
        if item["text"] == text:
            return item
    return None


def toolbar():
    """{tool button name: {"enabled", "checked", "rect", "hint"}}."""
    result = {}
    for line in linked("toolbar"):
        words = line.split(" ")
        if words[0] == "tool":
            result[words[1]] = {"enabled": words[2] == "1", "checked": words[3] == "1",
                                "rect": tuple(int(v) for v in words[4:8]), "hint": bracketed(line)}
    return result


def files():
    """The open-file list as the window shows it: entries, selection, labels;
    the status bar's text and its tool tip (None when the bar has none)."""
    d = {"entries": []}
    for line in run_driver("files"):
        words = line.split(" ")
        if words[0] == "combo":
            d["count"], d["selection"], d["enabled"] = int(words[1]), int(words[2]), words[3] == "1"
        elif words[0] == "entry":
            d["entries"].append(bracketed(line))
        elif words[0] in ("label1", "label2", "status"):
            d[words[0]] = bracketed(line)
        elif words[0] == "statushint":
            d["status_hint"] = bracketed(line) if words[1] == "1" else None
    return d


def linked_edit():
    lines = linked("linked")
    return int(lines[0].split()[1]) if lines and lines[0].startswith("linked ") else 0


def click_tool(name, arrow=False):
    """Clicks a tool button; `arrow` clicks the drop-down arrow of its right edge."""
    x, y, w, h = toolbar()[name]["rect"]
    click(x + w - 5 if arrow else x + w // 2 - (6 if w > 30 else 0), y + h // 2)


def wait_menu_open(name, seconds=10):
    """Waits until the tool's menu `name` is on the screen; returns its items."""
    def shown():
        items = menus().get(name, [])
        return items if any(item["rect"][2] > 0 for item in items) else None
    items = wait_for(shown, seconds, 0.2)
    if not items:
        raise AssertionError("the menu %s did not open" % name)
    return items


def click_menu_item(name, index=None, text=None):
    """With the menu `name` open: clicks its item by position or by text."""
    items = wait_menu_open(name)
    item = items[index] if index is not None else next(i for i in items if i["text"] == text)
    x, y, w, h = item["rect"]
    click(x + w // 2, y + h // 2)


def open_main_menu(app):
    """The main menu, as a click on the tool's icon opens it."""
    click(*centre(app.dump()["parts"]["ImageIcon"]["rect"]))
    return wait_menu_open("PopupMenu_Main")


def close_menus():
    """Escape until no menu of the tool is open."""
    def none_open():
        return not any(any(i["rect"][2] > 0 for i in items) for items in menus().values())
    for _ in range(5):
        if wait_for(none_open, 0.5, 0.05):
            return
        xdotool("key", "Escape")


def dialog_controls(title, wait_ms=2000):
    """{(id, class): {"rect", "selection", "dropped", "text"}} of the visible
    controls of the tool's dialog `title`; None while it is not open."""
    lines = linked("dialog", wait_ms, title)
    if not lines or not lines[0].startswith("dialog "):
        return None
    controls = {}
    for line in lines[1:]:
        words = line.split(" ")
        if words[0] == "control" and words[7] == "1":
            controls[(int(words[1]), words[2])] = {"rect": tuple(int(v) for v in words[3:7]),
                                                   "selection": int(words[8]), "dropped": words[9] == "1",
                                                   "text": bracketed(line)}
    return controls


# The file dialog's file name box (an edit inside a combo box, or a plain
# edit) and its file-type list.
FILE_NAME = ((0x47c, "Edit"), (0x480, "Edit"))
FILE_TYPES = (0x470, "ComboBox")


def file_dialog(title, path, filter_index=None, seconds=30):
    """The user types `path` into the tool's file dialog `title` and presses
    Enter; with `filter_index` (from 1) the file-type list is set first."""
    controls = wait_for(lambda: dialog_controls(title), seconds, 0.2)
    if not controls:
        raise AssertionError("the file dialog %s did not open" % title)
    name = next(key for key in FILE_NAME if key in controls)
    if filter_index is not None:
        click(*centre(controls[FILE_TYPES]["rect"]))
        if not wait_for(lambda: (dialog_controls(title) or {}).get(FILE_TYPES, {}).get("dropped"), 10, 0.1):
            raise AssertionError("the file-type list did not drop down")
        xdotool("key", "Home")
        for _ in range(filter_index - 1):
            xdotool("key", "Down")
        xdotool("key", "Return")
        chosen = wait_for(lambda: (lambda t: t and not t["dropped"] and t["selection"] == filter_index - 1)(
            (dialog_controls(title) or {}).get(FILE_TYPES)), 10, 0.1)
        if not chosen:
            raise AssertionError("the file type %d was not chosen" % filter_index)
    click(*centre(controls[name]["rect"]))
    xdotool("key", "ctrl+a")
    xdotool("type", "--delay", 30, path)
    if not wait_for(lambda: (dialog_controls(title) or {}).get(name, {}).get("text") == path, 10, 0.1):
        raise AssertionError("the typed name did not arrive in the file dialog")
    xdotool("key", "Return")


def wait_no_dialog(title, seconds=10):
    return wait_for(lambda: dialog_controls(title, 0) is None, seconds, 0.2)


def editor_windows(cls):
    """[(top, edit, title)] of every top-level window of class `cls`."""
    found = []
    for line in linked("windows", cls):
        words = line.split(" ")
        if words[0] == "window":
            found.append((int(words[1]), int(words[3]), bracketed(line)))
    return found


def x_window(title_part):
    """The X window whose title contains `title_part`."""
    ids = wait_for(lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title_part],
                                          capture_output=True, text=True).stdout.split(), 15, 0.2)
    return ids[0] if ids else None


def place(title_part, x, y, w=300, h=150):
    """Moves and sizes an editor's X window; no window manager does it."""
    xid = x_window(title_part)
    if xid:
        place_window(xid, x, y, w, h)
    return xid


def close_by_hand(x, y):
    """The user clicks into an editor at (x, y) and closes it with Alt+F4."""
    click_into(x, y)
    xdotool("key", "alt+F4")


kill = end_program


class LinkEditor:
    """The test editor qtlinkeditor, started as another program would, noting in `log`;
    with `ask` it asks whether to save when it is closed."""

    def __init__(self, log, name, ask=False):
        self.log, self.name = log, name
        self.process = subprocess.Popen([WINE_RUN, os.path.join(BUILD, "qtlinkeditor.exe")] + (["-ask"] if ask else [])
                                        + [winpath(log), name], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        line = wait_for(lambda: next((l for l in read_log(log) if l.startswith("open %s edit " % name)), None), 30, 0.2)
        if not line:
            raise AssertionError("qtlinkeditor %s did not start" % name)
        words = line.split(" ")
        # A name may hold blanks; the handles are the last words.
        self.edit, self.top = int(words[-3]), int(words[-1])


def editor_question(name, press=None):
    """(x, y, w, h) of the save question of the qtlinkeditor showing `name`,
    None while it asks nothing; `press` ("yes", "no", "cancel") answers it."""
    out = run_tool("qtlinkeditor.exe", *(("answer", name, press) if press else ("question", name)))
    words = out[0].split(" ") if out else []
    return tuple(int(v) for v in words[1:5]) if words and words[0] == "box" else None


def read_log(path):
    try:
        return open(path, "rb").read().decode("utf-8", "replace").splitlines()
    except FileNotFoundError:
        return []


def second_start(app, *args):
    """Another start of Quiltor.exe with `args` (it hands them to the running tool)."""
    return subprocess.run([WINE_RUN, "Quiltor.exe"] + list(args), cwd=app.folder, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, timeout=120).returncode


def tool_copy(folder, name, as_name):
    """A copy of a helper of the build under another name, in `folder`."""
    os.makedirs(folder, exist_ok=True)
    target = os.path.join(folder, as_name)
    shutil.copy(os.path.join(BUILD, name), target)
    return target


def notepad_for(name, seconds=30):
    """The notepad that shows the file `name`, once it is there: (top, edit)."""
    found = wait_for(lambda: [(t, e) for t, e, title in editor_windows("Notepad") if title.startswith(name + " ")],
                     seconds, 0.3)
    return found[0] if found else None


def open_file(app, path, row):
    """ToolButton_Open, the path typed into the dialog, Enter: returns the
    notepad that shows it, (top, edit), placed in row `row` left of the tool."""
    click_tool("ToolButton_Open")
    file_dialog("ﾌｧｲﾙを開く", winpath(path))
    window = notepad_for(os.path.basename(path))
    place(os.path.basename(path), 10, 20 + 110 * row, 380, 100)
    app.wait_idle()
    return window
