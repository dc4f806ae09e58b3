"""Helpers for the end-to-end tests of the data-file selection dialog and the
companion program: a program folder with data files, the dialog's harness
(qtloomworkdlg) over a plain owner window, the companion Loomwork.exe with a
test editor, and reading both from outside."""
import os
import re
import shutil
import subprocess
import tempfile

from e2elib import BUILD, WINE_RUN, driver_family, move_pointer, wait_for, xdotool

DIALOG = "くいるとるデータ"
COMPANION = "るーむわーく"
# Control ids of src/ui/datafile/loomwork_ids.h.
BUTTON_NEW, BUTTON_EDIT, BUTTON_SELECT = 2103, 2104, 2105
IDOK, IDCANCEL = 1, 2


def data_file(title, body=""):
    """A data file in CP932 with CRLF line ends."""
    text = "[Version]\r\nNo=170\r\n[Group]\r\nCount=0\r\nTitle=%s\r\n%s" % (title, body)
    return text.encode("cp932")


def windows_path(path):
    """The Wine path of a folder or file of this machine (drive Z:)."""
    return "Z:" + path.replace("/", "\\")


class Folder:
    """A program folder of its own with data files and programs."""

    def __init__(self, files=None, programs=()):
        self.path = tempfile.mkdtemp(prefix="quiltor-loomwork-")
        for name, content in (files or {}).items():
            self.write(name, content)
        for source, name in programs:
            shutil.copy(os.path.join(BUILD, source), os.path.join(self.path, name))

    def write(self, name, content):
        full = os.path.join(self.path, *name.split("\\"))
        os.makedirs(os.path.dirname(full), exist_ok=True)
        open(full, "wb").write(content)

    def read(self, name):
        full = os.path.join(self.path, *name.split("\\"))
        return open(full, "rb").read() if os.path.exists(full) else None

    def exists(self, name):
        return os.path.exists(os.path.join(self.path, *name.split("\\")))

    def win(self, name=""):
        return windows_path(os.path.join(self.path, *name.split("\\")) if name else self.path + "/")

    def remove(self):
        shutil.rmtree(self.path, ignore_errors=True)


# The dialog and the companion's windows from outside.
tool = driver_family("loomwork")


def text_of(line):
    return line.split("[", 1)[1][:-1] if "[" in line else ""


def parse_dump(lines):
    """The owner window and the dialog as qtdriver loomwork dump sees them; "shown"
    is False while the dialog is hidden or gone."""
    d = {"items": [], "buttons": {}, "shown": False}
    for line in lines:
        w = line.split(" ")
        if w[0] == "dialog":
            d["shown"] = True
            d["rect"] = tuple(int(v) for v in w[1:5])
        elif w[0] == "owner":
            d["owner_iconic"], d["owner_visible"] = w[1] == "1", w[2] == "1"
        elif w[0] == "header":
            d["sections"] = (int(w[1]), int(w[2]))
            d["header"] = (int(w[3]), int(w[4]), int(w[5]))
        elif w[0] == "list":
            d["count"], d["selected"] = int(w[1]), int(w[2])
            d["list"] = tuple(int(v) for v in w[3:7])
        elif w[0] == "item":
            d["items"].append({"rect": tuple(int(v) for v in w[2:6]), "text": text_of(line)})
        elif w[0] == "button":
            d["buttons"][int(w[1])] = {"enabled": w[2] == "1", "rect": tuple(int(v) for v in w[3:7]),
                                       "text": text_of(line)}
        elif w[0] == "status":
            d["status"] = text_of(line)
    return d


def dump():
    return parse_dump(tool("dump"))


def shown_dialog():
    """The dump of the shown dialog, or None."""
    d = dump()
    return d if d["shown"] else None


def rows(d):
    """The dialog's list rows as "path|title", in order."""
    return [item["text"] for item in d["items"]]


def row_centre(d, path):
    for item in d["items"]:
        if item["text"].split("|")[0] == path:
            return centre(item["rect"])
    raise AssertionError("no row %s in %r" % (path, rows(d)))


def buttons(d):
    """Whether 新規, 修正 and 選択 are enabled."""
    return tuple(d["buttons"][b]["enabled"] for b in (BUTTON_NEW, BUTTON_EDIT, BUTTON_SELECT))


def parse_findings(lines):
    if not lines or lines[0].startswith("nofindings"):
        return None
    d = {"rows": [], "buttons": {}}
    for line in lines:
        w = line.split(" ")
        if w[0] == "findings":
            d["rect"] = tuple(int(v) for v in w[1:5])
        elif w[0] == "text":
            d["text"] = text_of(line)
        elif w[0] == "row":
            d["rows"].append(re.match(r"row \[(.*?)\] \[(.*?)\] \[(.*)\]$", line).groups())
        elif w[0] == "button":
            d["buttons"][int(w[1])] = {"rect": tuple(int(v) for v in w[3:7]), "text": text_of(line)}
    return d


def findings():
    return parse_findings(tool("findings"))


def window(class_name="-", title="-"):
    """(x, y, w, h, caption) of a visible top-level window, or None."""
    lines = tool("window", class_name, title)
    if not lines or not lines[0].startswith("window"):
        return None
    return tuple(int(v) for v in lines[0].split(" ")[1:5]) + (text_of(lines[0]),)


def close(class_name):
    tool("close", class_name)


def centre(rect):
    x, y, w, h = rect
    return x + w // 2, y + h // 2


def click_at(x, y, double=False):
    """Moves the pointer there (the X focus follows it) and clicks."""
    move_pointer(x, y)
    xdotool("click", "--repeat", 2 if double else 1, "--delay", 80, 1)


def key(name, at=None):
    """A key for the window under the pointer (at `at` when given)."""
    if at:
        move_pointer(*at)
    xdotool("key", name)


def park_pointer():
    xdotool("mousemove", 1279, 1023)


class Harness:
    """The selection dialog over a plain owner window at `owner` (x, y, w, h)."""

    def __init__(self, folder, current="-", owner=(400, 100, 275, 300)):
        self.folder = folder
        self.out = os.path.join(folder.path, "harness-result.txt")
        park_pointer()
        self.process = subprocess.Popen(
            [WINE_RUN, os.path.join(BUILD, "qtloomworkdlg.exe"), folder.win(), current]
            + [str(v) for v in owner] + [windows_path(self.out)],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def wait_shown(self, seconds=30):
        d = wait_for(shown_dialog, seconds, 0.2)
        if not d:
            raise AssertionError("the selection dialog did not appear")
        return d

    def result(self, seconds=20):
        """'ok <path>' or 'cancel' once the dialog has closed; None while it is open."""
        try:
            self.process.wait(seconds)
        except subprocess.TimeoutExpired:
            return None
        return open(self.out, encoding="utf-8").read().strip() if os.path.exists(self.out) else "no result"

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait(10)
        park_pointer()


class Companion:
    """Loomwork.exe started from its folder as the dialog starts it."""

    def __init__(self, folder, args):
        park_pointer()
        self.process = subprocess.Popen([WINE_RUN, os.path.join(folder.path, "Loomwork.exe")] + list(args),
                                        cwd=folder.path, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def exit_code(self, seconds=20):
        try:
            return self.process.wait(seconds)
        except subprocess.TimeoutExpired:
            return None

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait(10)
        park_pointer()
