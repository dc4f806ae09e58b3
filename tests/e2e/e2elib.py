"""Helpers for the end-to-end tests of the tool window: a temporary program
folder with Quiltor.exe, a settings file and data files; starting the tool
under Wine; the test driver; X input and screenshots."""
import atexit
import os
import pwd
import shutil
import subprocess
import sys
import tempfile
import time

SOURCE = os.environ.get("QUILTOR_SOURCE_DIR", os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
BUILD = os.environ.get("QUILTOR_BUILD_DIR", os.path.join(SOURCE, "build", "win"))
WINE_RUN = os.path.join(SOURCE, "scripts", "wine-run")
FIXTURES = os.path.join(SOURCE, "tests", "fixtures", "window")


def display():
    return subprocess.run([os.path.join(SOURCE, "scripts", "xvfb")], capture_output=True, text=True,
                          check=True).stdout.strip()


os.environ["DISPLAY"] = os.environ.get("DISPLAY") or display()


def ini(**sections):
    """Settings text in CP932 from {section: {key: value}}."""
    lines = []
    for section, keys in sections.items():
        lines.append("[%s]" % section)
        lines += ["%s=%s" % (k, v) for k, v in keys.items()]
    return ("\r\n".join(lines) + "\r\n").encode("cp932")


def read_ini(folder):
    """{section: {key: value}} of the folder's Quiltor.ini, decoded from CP932."""
    result, section = {}, None
    path = os.path.join(folder, "Quiltor.ini")
    if not os.path.exists(path):
        return result
    for line in open(path, "rb").read().decode("cp932").splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            section = result.setdefault(line[1:-1], {})
        elif "=" in line and section is not None:
            k, v = line.split("=", 1)
            section.setdefault(k.strip(), v.strip())
    return result


class App:
    """One started tool in a folder of its own (`folder_name`: a folder of that
    name inside it, such as a Japanese one); or, with `folder`, the tool of a
    program folder the test has made (an unpacked release), left in place."""

    def __init__(self, settings=None, data=None, args=(), keep=False, folder_name=None, folder=None):
        if folder:
            self.root = self.folder = folder
            keep = True
        else:
            self.root = tempfile.mkdtemp(prefix="quiltor-e2e-")
            self.folder = os.path.join(self.root, folder_name) if folder_name else self.root
            os.makedirs(self.folder, exist_ok=True)
            # QUILTOR_TOOL_EXE names another build of the tool (benchmarks compare two).
            shutil.copy(os.environ.get("QUILTOR_TOOL_EXE") or os.path.join(BUILD, "Quiltor.exe"),
                        os.path.join(self.folder, "Quiltor.exe"))
        if settings is not None:
            open(os.path.join(self.folder, "Quiltor.ini"), "wb").write(settings)
        for name, content in (data or {}).items():
            if isinstance(content, str):
                content = open(os.path.join(FIXTURES, content), "rb").read()
            open(os.path.join(self.folder, name), "wb").write(content)
        self.args = list(args)
        self.keep = keep
        self.process = None

    def start(self):
        self.process = subprocess.Popen([WINE_RUN, "Quiltor.exe"] + self.args, cwd=self.folder,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return self

    def driver(self, *args, timeout=60):
        return run_driver(*args, timeout=timeout)

    def wait_ready(self, ms=30000):
        lines = self.driver("wait", ms, timeout=ms / 1000 + 30)
        if not lines or not lines[0].startswith("ready"):
            raise AssertionError("the tool window did not finish starting: %r" % lines)
        return int(lines[0].split()[1])

    def dump(self):
        return parse_dump(self.driver("dump"))

    def wait_idle(self, ms=15000):
        """Waits until the tool has nothing pending; a check that something
        did not happen comes after this, so a slow tool cannot pass it."""
        lines = self.driver("idle", ms, timeout=ms / 1000 + 30)
        if not lines or not lines[0].startswith("idle 1"):
            raise AssertionError("the tool did not become idle: %r (status %r, menus %r, box %r)"
                                 % (lines, self.driver("status"), self.driver("menus"), self.driver("box", 200)))

    def wait_target(self, cls="Edit", ms=15000):
        """Waits until the tool's watch has taken a window of class `cls` as the simple-mode target."""
        lines = self.driver("target", ms, cls, timeout=ms / 1000 + 30)
        if not lines or not lines[0].startswith("target 1"):
            raise AssertionError("the tool did not take the %s window as its target: %r (status %r, foreground %r)"
                                 % (cls, lines, self.driver("status"), foreground()))

    def status(self):
        """(idle, simple target's class, linked edit window's class)."""
        lines = self.driver("status")
        if not lines or not lines[0].startswith("status "):
            return (False, "", "")
        idle, rest = lines[0][len("status "):].split(" ", 1)
        classes = rest.split("] [")
        return (idle == "1", classes[0].strip("[]"), classes[1].strip("[]") if len(classes) > 1 else "")

    def open_menus(self):
        lines = self.driver("menus")
        return int(lines[0].split()[1]) if lines and lines[0].startswith("menus ") else -1

    def close(self, timeout=30):
        """Closes the window (WM_CLOSE) and waits for the process to end."""
        if self.process and self.process.poll() is None:
            self.driver("close")
            try:
                self.process.wait(timeout)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(10)
                raise AssertionError("the tool did not end after WM_CLOSE")

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait(10)
        # Every start of the tool in this folder must be gone before the next
        # test, or the single-instance rule forwards to a dying instance.
        wait_for(lambda: subprocess.run(["pgrep", "-f", os.path.basename(self.root)],
                                        stdout=subprocess.DEVNULL).returncode != 0, 20, 0.2)
        if not self.keep:
            shutil.rmtree(self.root, ignore_errors=True)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        try:
            self.close()
        finally:
            self.stop()


def isolated_windows(locale="en_US.UTF-8"):
    """Runs the rest of the calling test script on a Windows of its own:
    Wine set to `locale` (en_US.UTF-8: English, code page 1252), in a mount
    namespace of its own with a copy-on-write copy of the Wine prefix, whose
    wineserver starts inside that namespace. The server is what opens files
    under Wine, so a folder made read-only here (read_only) refuses the
    tool's writes only when the server runs here too. Starts the script again
    under unshare; returns in that second run. Tests run as root, for whom
    file modes refuse nothing."""
    if os.environ.get("QUILTOR_ISOLATED") != "1":
        sys.stdout.flush()
        os.execvpe("unshare", ["unshare", "--mount", "--propagation", "private", sys.executable] + sys.argv,
                   dict(os.environ, QUILTOR_ISOLATED="1"))
    base = os.environ.get("QUILTOR_WINEPREFIX") or os.path.join(SOURCE, "build", "wineprefix")
    work = tempfile.mkdtemp(prefix="quiltor-prefix-")
    upper, scratch, prefix = (os.path.join(work, name) for name in ("upper", "work", "prefix"))
    for folder in (upper, scratch, prefix):
        os.mkdir(folder)
    subprocess.run(["mount", "-t", "overlay", "overlay", "-o",
                    "lowerdir=%s,upperdir=%s,workdir=%s" % (base, upper, scratch), prefix], check=True)
    os.environ["QUILTOR_WINEPREFIX"] = prefix
    os.environ["QUILTOR_WINE_LOCALE"] = locale
    server = dict(os.environ, WINEPREFIX=prefix)
    subprocess.run(["wineserver", "-p", "120"], env=server, check=True)
    # Wine's services and desktop start with the first programs and keep
    # their output open: start them here, on /dev/null.
    for first in ([os.path.join(BUILD, "qtdriver.exe"), "tool", "status"], ["taskkill", "/f", "/im", "notepad.exe"]):
        subprocess.run([WINE_RUN] + first, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=180)

    def finish():
        subprocess.run(["wineserver", "-k"], env=server)
        subprocess.run(["wineserver", "-w"], env=server)
        for mount in reversed(_read_only_mounts):
            subprocess.run(["umount", mount])
        subprocess.run(["umount", prefix])
        shutil.rmtree(work, ignore_errors=True)
    atexit.register(finish)
    return prefix


_read_only_mounts = []


def read_only(folder):
    """Makes `folder` read-only for the isolated Windows (isolated_windows),
    as Program Files is for a user: a read-only bind mount onto itself."""
    assert os.environ.get("QUILTOR_ISOLATED") == "1", "read_only needs isolated_windows()"
    subprocess.run(["mount", "--bind", folder, folder], check=True)
    subprocess.run(["mount", "-o", "remount,bind,ro", folder], check=True)
    _read_only_mounts.append(folder)


def writable(folder):
    """Undoes read_only."""
    subprocess.run(["umount", folder], check=True)
    _read_only_mounts.remove(folder)


def user_folder(prefix):
    """The Linux path of the user's application-data folder (%APPDATA%) of a Wine prefix."""
    return os.path.join(prefix, "drive_c", "users", pwd.getpwuid(os.getuid()).pw_name, "AppData", "Roaming")


def run_helper(exe, *args, timeout=60, encoding="utf-8", lines=True):
    """Runs a helper program of the build (exe: its file name) under Wine and
    returns its output: lines, or the whole text with lines=False. The output
    goes through a file, not a pipe: a Wine helper process started by this
    call (the first one in a fresh prefix starts the server's services) would
    inherit a pipe and keep it open long after the helper has ended.
    A helper that fails with no output says so on stderr. One that ends with
    an exit code none of them gives (theirs are 0, 1 and 2) did not run to
    its end: Wine lost it, which says nothing about the tool, so it runs once
    more."""
    command = [WINE_RUN, os.path.join(BUILD, exe)] + [str(a) for a in args]
    for attempt in (1, 2):
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            done = subprocess.run(command, stdout=out, stderr=err, stdin=subprocess.DEVNULL, timeout=timeout)
            out.seek(0)
            text = out.read().decode(encoding, "replace")
            if text or done.returncode == 0:
                break
            err.seek(0)
            again = attempt == 1 and done.returncode not in (1, 2)
            print("helper gave no output: %s %s: exit %d%s; %s"
                  % (exe, " ".join(str(a) for a in args), done.returncode, ", run again" if again else "",
                     err.read().decode("utf-8", "replace").strip()[-400:]), file=sys.stderr)
            if not again:
                break
    return text.splitlines() if lines else text


def foreground():
    """(class, (x, y, w, h), focus class) of the window Windows holds in
    front, and of the window of its thread that has the keyboard focus."""
    lines = run_helper("qtnotepad.exe", "foreground")
    if len(lines) < 3:
        return None, (0, 0, 0, 0), None
    return (lines[0][len("foreground ["):-1], tuple(int(v) for v in lines[1].split()[1:]),
            lines[2][len("focus ["):-1])


def end_program(image):
    """Ends every process of the lane's Wine server with that file name. No
    pipe either: taskkill may be the first Wine process, which starts the
    server's services."""
    subprocess.run([WINE_RUN, "taskkill", "/f", "/im", image], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=180)


def driver_command(family, *args):
    """The command line that runs a subcommand of a family of qtdriver.exe
    (for a driver the test leaves running while it acts)."""
    return [WINE_RUN, os.path.join(BUILD, "qtdriver.exe"), family] + [str(a) for a in args]


def driver_family(family):
    """A function giving the output of a subcommand of one family of
    qtdriver.exe (qtdriver.exe without arguments lists them), as run_helper."""
    def run(*args, **kw):
        return run_helper("qtdriver.exe", family, *args, **kw)
    return run


# The tool window from outside.
run_driver = driver_family("tool")


def parse_dump(lines):
    d = {"parts": {}, "tabs": [], "buttons": {}, "pages_visible": {}}
    for line in lines:
        words = line.split(" ")
        if words[0] == "window":
            d["window"] = tuple(int(w) for w in words[1:5])
        elif words[0] in ("visible", "foreground"):
            d[words[0]] = words[1] == "1"
        elif words[0] == "topmost":
            d["topmost"] = words[1] == "1"
        elif words[0] == "style":
            d["style"] = line
        elif words[0] == "part":
            x, y, w, h, visible, enabled = (int(v) for v in words[2:8])
            d["parts"][words[1]] = {"rect": (x, y, w, h), "visible": visible == 1, "enabled": enabled == 1}
        elif words[0] == "tabs":
            d["tab_count"] = int(words[1])
        elif words[0] == "active":
            d["active"] = int(words[1])
        elif words[0] == "tab":
            d["tabs"].append(line.split("[", 1)[1][:-1])
        elif words[0] == "page":
            d["pages_visible"][int(words[1])] = words[3] == "1"
        elif words[0] == "button":
            page, column, row, enabled, image, dropdown, marked, w, h = (int(v) for v in words[1:10])
            caption = line.split("[", 1)[1][:-1]
            d["buttons"].setdefault((page, column), []).append(
                {"enabled": enabled == 1, "image": image, "dropdown": dropdown == 1, "size": (w, h),
                 "caption": caption})
    return d


def xdotool(*args):
    subprocess.run(["xdotool"] + [str(a) for a in args], check=True)


def move_pointer(x, y):
    """Moves the pointer and waits until X reports it there (xdotool's own
    --sync waits for ever when the pointer is there already)."""
    xdotool("mousemove", x, y)
    wanted = "x:%d y:%d " % (x, y)
    wait_for(lambda: subprocess.run(["xdotool", "getmouselocation"], capture_output=True,
                                    text=True).stdout.startswith(wanted), 5, 0.02)


def click(x, y, repeat=1):
    move_pointer(x, y)
    xdotool("click", "--repeat", repeat, "--delay", 80, 1)


def place_window(xid, x, y, w, h):
    """Moves and sizes an X window (no window manager does it) and waits
    until X reports it there."""
    xdotool("windowsize", xid, w, h)
    xdotool("windowmove", xid, x, y)
    wanted = ("Position: %d,%d" % (x, y), "Geometry: %dx%d" % (w, h))
    wait_for(lambda: all(part in subprocess.run(["xdotool", "getwindowgeometry", xid], capture_output=True,
                                                text=True).stdout for part in wanted), 5, 0.05)


def centre(rect):
    x, y, w, h = rect
    return x + w // 2, y + h // 2


def screenshot(path, crop=None):
    subprocess.run(["import", "-window", "root", path], check=True)
    if crop:
        x, y, w, h = crop
        subprocess.run(["convert", path, "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage", path], check=True)
    return path


def steady_screenshot(path, rect):
    """A picture of `rect` once its painting has come to rest (two pictures
    in a row alike)."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    x, y, w, h = rect
    crop = (max(x, 0), max(y, 0), w, h)
    previous = None
    for _ in range(20):
        screenshot(path, crop)
        picture = open(path, "rb").read()
        if picture == previous:
            break
        previous = picture
        time.sleep(0.2)
    return path


def wait_for(predicate, seconds=15, step=0.3):
    end = time.time() + seconds
    while time.time() < end:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return predicate()


def run_cases(*cases):
    """Runs a test file's cases in order. "--only a,b" runs only those and
    "--skip a,b" all others: a case that times something runs alone, as a
    test of its own (QUILTOR_TIMED_* in cmake/windows.cmake)."""
    only = skip = ()
    if len(sys.argv) == 3 and sys.argv[1] in ("--only", "--skip"):
        names = tuple(sys.argv[2].split(","))
        only, skip = (names, ()) if sys.argv[1] == "--only" else ((), names)
        unknown = set(names) - {case.__name__ for case in cases}
        if unknown:
            raise SystemExit("no such case: %s" % ", ".join(sorted(unknown)))
    for case in cases:
        if (not only or case.__name__ in only) and case.__name__ not in skip:
            case()


class Failures:
    """Collects failed checks so one run reports all of them."""

    def __init__(self):
        self.messages = []

    def check(self, condition, message):
        if not condition:
            self.messages.append(message)
            print("FAIL:", message)
        return condition

    def equal(self, got, expected, message):
        return self.check(got == expected, "%s: got %r, expected %r" % (message, got, expected))

    def finish(self):
        if self.messages:
            raise SystemExit("%d check(s) failed" % len(self.messages))
        print("all checks passed")
