"""Wine's notepad as the user's editor for the end-to-end tests of items:
starting it beside the tool, preparing its text and selection as a user
would, and reading back its text and the clipboard through qtnotepad.exe."""
import os
import subprocess
import tempfile
import time

from e2elib import BUILD, SOURCE, WINE_RUN, click, wait_for, xdotool

FIXTURES = os.path.join(SOURCE, "tests", "fixtures", "items")


def tool_output(*args):
    out = subprocess.run([WINE_RUN, os.path.join(BUILD, "qtnotepad.exe")] + [str(a) for a in args],
                         capture_output=True, timeout=60)
    return out.stdout.decode("utf-8", "replace")


def tool(*args):
    return tool_output(*args).splitlines()


def notepad_text():
    out = tool_output("get")
    # The helper writes the text in UTF-8; its own line ends stay inside the brackets.
    end = out.rfind("]\nsel ")
    if not out.startswith("text [") or end < 0:
        return None
    return out[len("text ["):end]


def clipboard_text():
    lines = tool("clipget")
    return lines[0][len("clip ["):-1] if lines else None


def upper_module():
    """The sample module upper.exe; built here when the build has no module folder."""
    for folder in (os.path.join(BUILD, "modules"), os.path.join(SOURCE, "build", "win", "modules")):
        path = os.path.join(folder, "upper.exe")
        if os.path.exists(path):
            return path
    out = os.path.join(tempfile.mkdtemp(prefix="quiltor-module-"), "upper.exe")
    subprocess.run(["x86_64-w64-mingw32-g++-posix", "-std=c++20", "-O1", "-static", "-o", out,
                    os.path.join(SOURCE, "samples", "modules", "upper.cpp")], check=True)
    return out


def notepad_windows():
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "メモ帳|Notepad"], capture_output=True,
                          text=True).stdout.split()


class Notepad:
    """Wine's notepad as the user's editor, placed beside the tool window."""

    def __enter__(self):
        # A notepad left over from an interrupted run would take the helper's texts.
        self.kill()
        subprocess.Popen([WINE_RUN, "notepad.exe"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        lines = wait_for(lambda: [l for l in tool("edit") if l.startswith("edit ")], 30)
        if not lines:
            raise AssertionError("notepad did not start")
        top = int(lines[0].split()[3])
        # X window of notepad: the one whose title names it.
        xid = None
        for _ in range(50):
            found = notepad_windows()
            if found:
                xid = found[0]
                break
            time.sleep(0.2)
        if xid:
            xdotool("windowsize", xid, 360, 240)
            xdotool("windowmove", xid, 10, 320)
            time.sleep(0.5)
        self.top = top
        self.xid = xid
        return self

    def prepare(self, text, start, end):
        """The user clicks into notepad; the text holds `text` with start..end selected."""
        # Under load the window may still be on its way: click until notepad is active.
        for _ in range(10):
            click(150, 450)
            time.sleep(0.3)
            active = subprocess.run(["xdotool", "getactivewindow"], capture_output=True, text=True).stdout.strip()
            if not self.xid or active == self.xid:
                break
            time.sleep(0.5)
        tool("set", text, start, end)

    def __exit__(self, *exc):
        self.kill()

    def kill(self):
        subprocess.run([WINE_RUN, "taskkill", "/f", "/im", "notepad.exe"], capture_output=True, timeout=180)
        # The next editor must not be confused with this one's window while it goes.
        wait_for(lambda: not notepad_windows(), 10)


def button_point(d, row):
    """Screen point of a main-column button of the active page."""
    x, y, w, h = d["parts"]["PageControl"]["rect"]
    return x + 107, y + 34 + 20 * row
