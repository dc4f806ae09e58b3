"""The setup dialogs of a running Quiltor.exe, driven from outside as a user
does it: the title icon's menu opens them, tabs, buttons, boxes and lists
are clicked, values typed, rows dragged; qtdriver.exe reads what the
dialogs show."""
import contextlib
import os
import subprocess

from e2elib import (App, BUILD, SOURCE, WINE_RUN, centre, click, driver_family, end_program, foreground, move_pointer,
                    run_helper, screenshot, steady_screenshot, wait_for, xdotool)
from editorlib import click_into

SETUP = "環境設定"
KINDS = "ﾌｧｲﾙ種別設定"
EDITOR = "エディタ テスト＆設定"
ABOUT = "バージョン情報"

SHOTS = os.path.join(BUILD, "e2e-setup-shots")

# Control ids of the setup dialogs' id headers (src/ui/setup) and the version dialog's (src/ui/main).
IDS = {}


def _read_ids():
    for folder, name in (("setup", "setup_dialog_ids.h"), ("setup", "setup_ext_rendo_ids.h"),
                         ("setup", "setup_editor_ids.h"), ("main", "about_dialog_ids.h")):
        table = IDS.setdefault(name.split("_ids")[0], {})
        for line in open(os.path.join(SOURCE, "src", "ui", folder, name), encoding="utf-8"):
            words = line.split()
            if len(words) >= 3 and words[0] == "#define":
                value = words[2]
                if value.isdigit():
                    table[words[1]] = int(value)
                elif len(words) == 5 and words[3] == "+" and words[4].isdigit() and value in table:
                    table[words[1]] = table[value] + int(words[4])


_read_ids()


def setup_id(name):
    return IDS["setup_dialog"][name]


# The setup dialogs from outside, by caption.
tool = driver_family("setup")


def park_pointer():
    """Off every window, so no key reaches a window by accident."""
    move_pointer(1279, 1023)


class Control:
    def __init__(self, line):
        head, text = line.split(" [", 1)
        words = head.split()
        self.id = int(words[1])
        self.cls = words[2]
        self.rect = tuple(int(w) for w in words[3:7])
        self.enabled = words[8] == "1"
        self.checked = int(words[9]) == 1
        self.text = text[:-1]

    def __repr__(self):
        return "<%d %s %r %s %s>" % (self.id, self.cls, self.text, self.enabled, self.checked)


class Dialog:
    """One dialog of the tool, found by its caption."""

    def __init__(self, caption, ids):
        self.caption = caption
        self.ids = ids

    def wait(self, ms=20000):
        lines = tool("wait", self.caption, ms, timeout=ms / 1000 + 30)
        if not lines or not lines[0].startswith("dialog "):
            raise AssertionError("the dialog %s did not show: %r" % (self.caption, lines))
        return self.rect(lines[0])

    @staticmethod
    def rect(line):
        words = line.split()
        return tuple(int(w) for w in words[1:5])

    def info(self):
        """(rect, topmost) or None when the dialog is not shown."""
        lines = tool("wait", self.caption, 0)
        if not lines or not lines[0].startswith("dialog "):
            return None
        return self.rect(lines[0]), lines[0].split()[5] == "1"

    def gone(self, ms=15000):
        lines = tool("gone", self.caption, ms, timeout=ms / 1000 + 30)
        return bool(lines) and lines[0] == "gone"

    def controls(self):
        """{id: Control} of the dialog and its tab sheet in front."""
        return {c.id: c for c in (Control(l) for l in tool("controls", self.caption) if l.startswith("ctl "))}

    def control(self, name):
        return self.controls().get(self.ids[name])

    def combo(self, name):
        """(items, selected)."""
        lines = tool("combo", self.caption, self.ids[name])
        if not lines or not lines[0].startswith("combo "):
            return [], -1
        items = [l.split(" [", 1)[1][:-1] for l in lines[1:] if l.startswith("item ")]
        return items, int(lines[0].split()[2])

    def list(self, name):
        """(items, selected, top, item height); items only for lists of texts."""
        lines = tool("list", self.caption, self.ids[name])
        if not lines or not lines[0].startswith("list "):
            return [], -1, 0, 0
        _, count, selected, top, height = lines[0].split()
        items = [l.split(" [", 1)[1][:-1] for l in lines[1:] if l.startswith("item ")]
        return items, int(selected), int(top), int(height)

    def rows(self, name):
        """How many rows a list holds (owner-drawn lists show no texts)."""
        lines = tool("list", self.caption, self.ids[name])
        return int(lines[0].split()[1]) if lines and lines[0].startswith("list ") else -1

    def point(self, name, dx=None, dy=None):
        control = self.control(name)
        if control is None:
            raise AssertionError("%s: no control %s shown" % (self.caption, name))
        x, y, w, h = control.rect
        return (x + (w // 2 if dx is None else dx), y + (h // 2 if dy is None else dy))

    def click(self, name, dx=None, dy=None):
        click(*self.point(name, dx, dy))

    def click_when_enabled(self, name, seconds=10):
        control = wait_for(lambda: (lambda c: c if c and c.enabled else None)(self.control(name)), seconds)
        if not control:
            raise AssertionError("%s: %s did not become usable" % (self.caption, name))
        click(*centre(control.rect))

    def type_into(self, name, text):
        """Clicks into an edit box, replaces its text by typing, and leaves it with Tab."""
        self.click(name)
        xdotool("key", "--delay", 40, "End", "shift+Home", "BackSpace")
        if text:
            xdotool("type", "--delay", 60, text)
        xdotool("key", "Tab")

    def choose(self, name, index):
        """Opens a drop-down list with a click and picks item `index` with the keys."""
        items, selected = self.combo(name)
        self.click(name)
        keys = ["Home"] + ["Down"] * index + ["Return"]
        xdotool("key", "--delay", 60, *keys)
        wait_for(lambda: self.combo(name)[1] == index, 5, 0.1)

    def row_point(self, name, row):
        """Screen point of a list row (lists of fixed row height)."""
        _, _, top, height = self.list(name)
        x, y, w, h = self.control(name).rect
        return x + min(w // 3, 60), y + 2 + (row - top) * height + height // 2

    def drag_row(self, name, row, to_row):
        """Drags row `row` with the pointer onto row `to_row` (the list follows the pointer)."""
        x, y = self.row_point(name, row)
        tx, ty = self.row_point(name, to_row)
        move_pointer(x, y)
        xdotool("mousedown", 1)
        steps = 6
        for i in range(1, steps + 1):
            move_pointer(x, y + (ty - y) * i // steps)
        move_pointer(tx, ty)
        xdotool("mouseup", 1)

    def shot(self, name):
        """A picture of the dialog as shown, cut from the screen once its
        painting has come to rest (two pictures in a row alike)."""
        return steady_screenshot(os.path.join(SHOTS, name), x_rect(self.caption) or self.info()[0])


class SetupDialog(Dialog):
    def __init__(self):
        super().__init__(SETUP, IDS["setup_dialog"])

    def tabs(self):
        """(selected, [rect of each tab])."""
        lines = tool("tabs", self.caption)
        if not lines or not lines[0].startswith("tabs "):
            return -1, []
        rects = [tuple(int(w) for w in l.split()[2:6]) for l in lines[1:] if l.startswith("tab ")]
        return int(lines[0].split()[2]), rects

    def click_tab(self, index):
        _, rects = self.tabs()
        x, y = centre(rects[index])
        for attempt in range(3):
            # A click that came while the dialog was still busy with the last
            # one is lost; the pointer comes in afresh for the next.
            move_pointer(x, y + 30)
            click(x, y)
            if wait_for(lambda: self.tabs()[0] == index, 3, 0.1):
                break
        if not wait_for(lambda: self.tabs()[0] == index, 2, 0.1):
            print("capture after the tab clicks:", tool("capture", self.caption))
            screenshot("/tmp/setup-tab-failure.png")
            raise AssertionError("tab %d did not come to the front" % index)

    def key_tab(self, index):
        """Moves to tab `index` with the arrow keys from the tab that is in front."""
        selected, rects = self.tabs()
        click(*centre(rects[selected]))
        step = "Right" if index > selected else "Left"
        for _ in range(abs(index - selected)):
            xdotool("key", step)
        if not wait_for(lambda: self.tabs()[0] == index, 5, 0.1):
            raise AssertionError("the arrow keys did not bring tab %d to the front" % index)

    def spin(self, name, up=True, times=1):
        """Clicks the up or down arrow of a number box's spin buttons."""
        spin = self.controls()[self.ids[name] + self.ids["IDC_UpDownOffset"]]
        x, y, w, h = spin.rect
        move_pointer(x + w // 2, y + (h // 4 if up else 3 * h // 4))
        xdotool("click", "--repeat", times, "--delay", 120, 1)

    def ok(self, app):
        self._close("IDC_ButtonOK", "OK", app)

    def cancel(self, app):
        self._close("IDC_ButtonCancel", "ｷｬﾝｾﾙ", app)

    def _close(self, button, caption, app):
        """Clicks the button and waits until the tool has done what follows
        the dialog. The dialog disappears first (under Wine without a window
        manager the hiding alone takes up to 2 s); the tool applies and saves
        only after that, and reports itself idle once it is done."""
        self.click(button)
        if not self.gone():
            raise AssertionError("the settings dialog did not close on %s" % caption)
        app.wait_idle()


def kinds_dialog():
    return Dialog(KINDS, IDS["setup_ext_rendo"])


def editor_dialog():
    return Dialog(EDITOR, IDS["setup_editor"])


def about_dialog():
    return Dialog(ABOUT, IDS["about_dialog"])


def open_main_menu(app):
    """Clicks the title icon; the main menu opens below it."""
    icon = app.dump()["parts"]["ImageIcon"]["rect"]
    click(*centre(icon))
    if not wait_for(lambda: app.open_menus() == 1, 10, 0.1):
        raise AssertionError("the title icon's menu did not open")


# How the keys reach an entry of the main menu: from its end (終了 is the
# last entry) or from its top (separators are skipped).
MENU_KEYS = {"環境設定": ["Up"] * 4, "バージョン情報": ["Up"] * 3, "ファイルを開く": ["Down"] * 3,
             "指定プログラムで実行": ["Down"] * 9}


def menus():
    """Rectangles of the shown pop-up menus, the deepest last."""
    # The system lists them from the front: the deepest first.
    return [tuple(int(v) for v in l.split()[1:5]) for l in tool("menu") if l.startswith("menu ")][::-1]


def choose_menu_entry(app, entry, keys=None):
    """Moves the highlight of the deepest open menu onto `entry` with the
    keys, then clicks it where the menu shows it highlighted."""
    xdotool("key", "--delay", 80, *(keys or MENU_KEYS[entry]))
    shown = menus()
    if not shown:
        raise AssertionError("no menu is open")
    x, y, w, h = shown[-1]
    row = highlighted_row(x, y, w, h)
    if row is None:
        raise AssertionError("no highlighted entry in the menu at %r" % (shown[-1],))
    click(x + w // 2, row)


def highlighted_row(x, y, w, h):
    """The middle of the run of highlighted rows in a menu on the screen."""
    column = subprocess.run(["import", "-window", "root", "-crop", "1x%d+%d+%d" % (h, x + w // 2, y), "txt:-"],
                            capture_output=True, text=True).stdout.splitlines()
    colours = [next((w for w in l.split() if w.startswith("#")), "") for l in column[1:]]
    if not colours:
        return None
    background = max(set(colours), key=colours.count)
    runs, start = [], None
    for i, colour in enumerate(colours + [background]):
        dark = colour != background and _is_highlight(colour)
        if dark and start is None:
            start = i
        elif not dark and start is not None:
            runs.append((start, i))
            start = None
    runs = [r for r in runs if r[1] - r[0] >= 8]
    if len(runs) != 1:
        return None
    return y + (runs[0][0] + runs[0][1]) // 2


def _is_highlight(colour):
    """A saturated colour (the selection bar), not grey text or a separator line."""
    if not colour.startswith("#") or len(colour) < 7:
        return False
    r, g, b = int(colour[1:3], 16), int(colour[3:5], 16), int(colour[5:7], 16)
    return max(r, g, b) - min(r, g, b) > 60


def open_setup(app):
    open_main_menu(app)
    choose_menu_entry(app, "環境設定")
    dialog = SetupDialog()
    dialog.wait()
    return dialog


def open_about(app):
    open_main_menu(app)
    choose_menu_entry(app, "バージョン情報")
    dialog = about_dialog()
    dialog.wait()
    return dialog


def exchange(mark=None):
    """{'block': (size1, size2), name: (size, first text)} of the exchange area, read from outside."""
    lines = tool("exchange", "mark", mark) if mark else tool("exchange")
    result = {}
    for line in lines:
        words = line.split()
        if words[0] == "block":
            result["block"] = (int(words[1]), int(words[2]))
        elif words[0] == "buffer":
            result[words[1]] = (int(words[2]), line.split(" [", 1)[1][:-1])
    return result


def x_window(caption):
    """The X window that shows the dialog, or None."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", caption], capture_output=True,
                           text=True).stdout.split()
    return found[-1] if found else None


def x_rect(caption):
    """Where the dialog's client area shows on the X screen (Wine draws no
    caption without a window manager)."""
    window = x_window(caption)
    if not window:
        return None
    shell = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window], capture_output=True,
                           text=True).stdout
    values = dict(line.split("=", 1) for line in shell.split() if "=" in line)
    return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])


def windows_path(path):
    """The path of a Linux file as the programs under Wine name it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class KeyLog:
    """qtkeylog.exe: an editor that records the keys it gets and cuts, copies
    and pastes with the keys of a packed setting."""

    def __init__(self, setting=202223221):
        self.setting = setting
        self.process = None

    def __enter__(self):
        end_program("qtkeylog.exe")
        self.process = subprocess.Popen([WINE_RUN, os.path.join(BUILD, "qtkeylog.exe"), str(self.setting)],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not wait_for(lambda: self.state().get("edit"), 30):
            raise AssertionError("qtkeylog did not start")
        return self

    def __exit__(self, *exc):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait(10)

    def state(self):
        """{'text': ..., 'keys': [...], 'edit': handle} of the running editor."""
        out = run_helper("qtkeylog.exe", "get", encoding="cp932", lines=False)
        result = {}
        # The text keeps its own line ends inside the brackets.
        end = out.rfind("]\nkeys [")
        if out.startswith("text [") and end >= 0:
            result["text"] = out[len("text ["):end]
            out = out[end + 2:]
        for line in out.splitlines():
            if line.startswith("keys ["):
                result["keys"] = line[len("keys ["):-1].split()
            elif line.startswith("edit "):
                result["edit"] = int(line.split()[1])
        return result

    def set(self, text, start, end):
        run_helper("qtkeylog.exe", "set", text, start, end)


def menu_entries(rect):
    """How many entries a menu without separators shows: the runs of screen
    rows inside it that hold anything but its background."""
    x, y, w, h = rect
    pixels = subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (w - 8, h - 4, x + 4, y + 2),
                             "txt:-"], capture_output=True, text=True).stdout.splitlines()[1:]
    rows = {}
    for line in pixels:
        position, rest = line.split(":", 1)
        column, row = (int(v) for v in position.split(","))
        colour = next((word for word in rest.split() if word.startswith("#")), "")
        rows.setdefault(row, set()).add(colour)
    everything = [c for colours in rows.values() for c in colours]
    background = max(set(everything), key=everything.count) if everything else ""
    marked = [any(c != background for c in rows[r]) for r in sorted(rows)]
    runs, inside = 0, 0
    for mark in marked + [False]:
        if mark:
            inside += 1
        else:
            runs += 1 if inside >= 5 else 0
            inside = 0
    return runs


# ---- A running tool over a settings file of known bytes ------------------

HISTORY = ["OpenFile%d=C:\\work\\file%d.txt" % (i, i) for i in range(8)]

# Every key the dialog writes is in the file with the value the dialog will
# show, so OK has no key to add and the file changes only where the user
# changed something. Comments, a key the tool does not know and another
# program's section must come through untouched.
SETTINGS = (["; Quiltor settings, kept by hand", "[Quiltor]", "Top=200", "Left=420", "Height=300", "Mode=0",
             "QuiltorData="] + HISTORY +
            ["Note=left by another version", "[Setup]", "; how often the tool looks at the editor", "Timer=100",
             "TimerEZ=200", "MinHeight=38", "MaxHeight=480", "Resize=0", "OpenFiles=10", "MakeNew=0",
             "CaretInside=1", "Favourite=blue", "ChangeMode=1", "CloseMode=1", "FileFilter=", "FileFilterC=", "CRLF=2",
             "BufSize1=1024", "BufSize2=1024", "HotKeyR=0", "HotKeyR1=1", "HotKeyR2=Q", "HotKeyA=1", "HotKeyA1=3",
             "HotKeyA2=A", "PasteKindEZ=1", "PasteIntervalEZ=0", "CutPasteKeyEZ=202223221",
             "; the editor of every file", "ExtRendoCnt=0", "EditerPath=", "EditerParam=", "ClassName1=",
             "ClassName2=", "PasteKind=0", "PasteInterval=0", "CutPasteKey=202223221", "ProgramNo=0",
             "[Colours]", "; another program's section", "Back=white", "Fore=black", "", "[Version]", "No=170"])

EDITOR_POINT = (150, 420)  # inside qtkeylog's window, away from the tool and its dialogs


def settings_variant(changed=None, after=None, lines=SETTINGS):
    """`lines` with the values of the keys in `changed` replaced and the
    lines of `after` ({line: [new lines]}) put after that line."""
    out = []
    for line in lines:
        key = line.split("=", 1)[0] if "=" in line and not line.startswith(";") else None
        if changed and key in changed:
            line = "%s=%s" % (key, changed[key])
        out.append(line)
        out += (after or {}).get(line, [])
    return out


def settings_bytes(app):
    return open(os.path.join(app.folder, "Quiltor.ini"), "rb").read()


@contextlib.contextmanager
def running_tool(lines=SETTINGS):
    """A tool started over a settings file of these lines, closed afterwards."""
    with App(("\r\n".join(lines) + "\r\n").encode("cp932")) as app:
        app.wait_ready(60000)
        park_pointer()
        yield app


def with_values(before, changed, dropped=()):
    """The file `before` with the values of the keys in `changed` replaced
    and the lines of the keys in `dropped` gone, every other byte kept."""
    out = []
    for line in before.split(b"\r\n"):
        key = line.split(b"=", 1)[0].decode("cp932") if b"=" in line else None
        if key in dropped:
            continue
        if key in changed:
            line = ("%s=%s" % (key, changed[key])).encode("cp932")
        out.append(line)
    return b"\r\n".join(out)


def press_in_editor(app, pad, key):
    """Puts the user in the editor, presses `key` there and tells who took
    it: "tool" when the tool came to the front, "editor" when the editor got
    the key (and the tool, idle afterwards, stayed behind)."""
    logged = "Ctrl+Alt+" + key[-1].upper()
    for _ in range(3):
        click_into(*EDITOR_POINT)
        if foreground()[0] != "QtKeyLog":
            return "nobody: the editor did not come to the front"
        pad.set("", 0, 0)
        xdotool("key", key)
        seen = wait_for(lambda: "tool" if app.dump().get("foreground") else pad.state().get("keys"), 10, 0.2)
        if seen == "tool":
            return "tool"
        if seen and logged in seen:
            app.wait_idle()
            return "tool" if app.dump().get("foreground") else "editor"
        # Wine drops the modifiers of a key that comes right after a change
        # of focus; the editor then got the bare letter. Press it again.
    return "nobody: %r" % (pad.state().get("keys"),)
