"""Wine's notepad as the user's editor for the end-to-end tests of items:
starting it beside the tool, preparing its text and selection as a user
would, and reading back its text and the clipboard through qtnotepad.exe.
The test editor qtlatepaste (late keys, a rich edit control, a control the
tool cannot ask) stands in the same place through LateEditor."""
import os
import subprocess
import tempfile

from e2elib import BUILD, SOURCE, WINE_RUN, click, end_program, foreground, place_window, run_helper, wait_for

FIXTURES = os.path.join(SOURCE, "tests", "fixtures", "items")


def tool_output(*args):
    # qtnotepad writes UTF-8, so texts of any language pass through it.
    return run_helper("qtnotepad.exe", *args, encoding="utf-8", lines=False)


def tool(*args):
    return tool_output(*args).splitlines()


def parse_text_and_selection(out):
    """(text, (start, end)) from a helper's "text [..]" / "sel a b" output; (None, None) when there is none."""
    # The text's own line ends stay inside the brackets.
    end = out.rfind("]\nsel ")
    if not out.startswith("text [") or end < 0:
        return None, None
    words = out[end + len("]\nsel "):].split()
    return out[len("text ["):end], (int(words[0]), int(words[1]))


def notepad_text():
    return parse_text_and_selection(tool_output("get"))[0]


def notepad_selection():
    """Notepad's selection as its edit control counts (UTF-16 units, CR LF as two)."""
    return parse_text_and_selection(tool_output("get"))[1]


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


def click_into(x, y, tries=5):
    """The user clicks into a window at (x, y); clicks again until Windows
    has that window in front (under load it may still be on its way)."""
    def in_front():
        left, top, w, h = foreground()[1]
        return left <= x < left + w and top <= y < top + h
    for _ in range(tries):
        click(x, y)
        if wait_for(in_front, 2, 0.05):
            return True
    return False


def notepad_windows():
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "メモ帳|Notepad"], capture_output=True,
                          text=True).stdout.split()


# Where the tests' editor stands: below the tool's usual place.
EDITOR_PLACE = (10, 320, 360, 240)


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
        xid = (wait_for(notepad_windows, 10, 0.1) or [None])[0]
        if xid:
            place_window(xid, *EDITOR_PLACE)
        self.top = top
        self.xid = xid
        return self

    def prepare(self, text, start, end):
        """The user clicks into notepad; the text holds `text` with start..end selected."""
        click_into(150, 450)
        tool("set", text, start, end)

    def __exit__(self, *exc):
        self.kill()

    def kill(self):
        end_program("notepad.exe")
        # The next editor must not be confused with this one's window while it goes.
        wait_for(lambda: not notepad_windows(), 10)


def button_point(d, row):
    """Screen point of a main-column button of the active page."""
    x, y, w, h = d["parts"]["PageControl"]["rect"]
    return x + 107, y + 34 + 20 * row


def late_editor(*args):
    """Runs a verb of qtlatepaste; its whole output."""
    return run_helper("qtlatepaste.exe", *args, encoding="cp932", lines=False)


class LateEditor:
    """qtlatepaste placed where notepad goes: `args` are its paste delay, cut
    delay and control ("edit", "rich" or "own")."""

    def __init__(self, *args):
        self.args = [str(a) for a in args] or ["60"]

    def __enter__(self):
        self.process = subprocess.Popen([WINE_RUN, os.path.join(BUILD, "qtlatepaste.exe")] + self.args,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if wait_for(lambda: self.text() is not None, 30) is None:
            raise AssertionError("qtlatepaste did not start")
        xid = wait_for(lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Late paste"],
                                              capture_output=True, text=True).stdout.split(), 10)
        if xid:
            place_window(xid[0], *EDITOR_PLACE)
        return self

    def text(self):
        return parse_text_and_selection(late_editor("get"))[0]

    def selection(self):
        return parse_text_and_selection(late_editor("get"))[1]

    def prepare(self, text, start, end):
        """The user clicks into the editor; it holds `text` with start..end selected."""
        click_into(150, 450)
        late_editor("set", text, start, end)

    def __exit__(self, *exc):
        end_program("qtlatepaste.exe")
        self.process.wait(30)
