"""The release as a Windows user gets it: the zip made by scripts/package,
unpacked into a folder of a fresh Wine prefix (a copy of the prepared one),
and the user's folders in that prefix."""
import calendar
import glob
import os
import pwd
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile

from datafileslib import open_by_button, wait_dialog
from e2elib import BUILD, SOURCE, WINE_RUN, click, move_pointer, wait_for
from editorlib import button_point, notepad_text
from loomworklib import BUTTON_NEW, centre, close, key, park_pointer, rows, shown_dialog, window, xdotool

sys.path.insert(0, os.path.join(SOURCE, "scripts"))
import release_zip  # noqa: E402  (the zip's layout: its name, the samples folder)

PACKAGE = os.path.join(SOURCE, "scripts", "package")


def project_version():
    """The version as CMakeLists.txt sets it, the one place that does."""
    text = open(os.path.join(SOURCE, "CMakeLists.txt"), encoding="utf-8").read()
    return re.search(r"project\(Quiltor VERSION (\S+)", text).group(1)


def package(dist_dir, build_dir=None):
    """Runs scripts/package into `dist_dir` (and `build_dir`); the zip's path."""
    shutil.rmtree(dist_dir, ignore_errors=True)
    command = [PACKAGE, "--dist-dir", dist_dir] + (["--build-dir", build_dir] if build_dir else [])
    done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=3600)
    if done.returncode != 0:
        raise AssertionError("scripts/package failed:\n" + done.stdout[-4000:])
    zips = glob.glob(os.path.join(dist_dir, "*.zip"))
    if len(zips) != 1:
        raise AssertionError("scripts/package made %r" % zips)
    return zips[0]


def release():
    """The release zip of the present tree, made for the tests in the build folder."""
    return package(os.path.join(BUILD, "release-zip"))


def newer_release(zip_path, version):
    """The same programs packed as another version, as the next release would be."""
    dist_dir = os.path.join(BUILD, "release-zip-newer")
    shutil.rmtree(dist_dir, ignore_errors=True)
    build_dir = os.path.join(SOURCE, "build", "release")
    with zipfile.ZipFile(zip_path) as archive:
        stamp = archive.infolist()[0].date_time
    env = dict(os.environ, SOURCE_DATE_EPOCH=str(calendar.timegm(stamp + (0, 0, 0))))
    subprocess.run([sys.executable, release_zip.__file__, "--build-dir", build_dir, "--dist-dir", dist_dir,
                    "--version", version], check=True, env=env, stdout=subprocess.DEVNULL)
    return os.path.join(dist_dir, release_zip.zip_name(version))


def unpack(zip_path, folder):
    """Unpacks the zip as a user does, replacing files of the same name."""
    os.makedirs(folder, exist_ok=True)
    with zipfile.ZipFile(zip_path) as archive:
        archive.extractall(folder)


def files_below(folder):
    """{relative path: bytes} of every file below `folder`."""
    found = {}
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            found[os.path.relpath(path, folder)] = open(path, "rb").read()
    return found


class Prefix:
    """A fresh Wine prefix: a copy of the prepared one, used by every Wine
    start of the test (the tool, its helpers, notepad) until `remove`."""

    def __init__(self, path=None):
        """A copy of the prepared prefix; with `path`, that prefix as it is."""
        if path:
            self.path = path
        else:
            prepared = os.environ.get("QUILTOR_WINEPREFIX") or os.path.join(SOURCE, "build", "wineprefix")
            self.path = os.path.join(tempfile.mkdtemp(prefix="quiltor-prefix-"), "prefix")
            subprocess.run(["cp", "-a", prepared, self.path], check=True)
        os.environ["QUILTOR_WINEPREFIX"] = self.path

    def drive_c(self, windows_path):
        """The file of this machine behind a path of drive C:."""
        parts = windows_path.split("\\")
        assert parts[0].upper() == "C:", windows_path
        return os.path.join(self.path, "drive_c", *parts[1:])

    def user_folder(self, name=""):
        """%APPDATA% of the prefix's user (and a name below it)."""
        return os.path.join(self.path, "drive_c", "users", pwd.getpwuid(os.getuid()).pw_name, "AppData", "Roaming",
                            *([name] if name else []))

    def start(self):
        """Starts the prefix's server and background services, on /dev/null: a
        helper whose output a test reads must not hand its pipe to them."""
        subprocess.run([WINE_RUN, "cmd", "/c", "exit"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=120)

    def remove(self):
        subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=self.path),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=dict(os.environ, WINEPREFIX=self.path),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        shutil.rmtree(os.path.dirname(self.path), ignore_errors=True)


def written(expected, seconds):
    """Notepad's text once it is `expected`, or as it is after `seconds`."""
    return wait_for(lambda: notepad_text() == expected and expected, seconds) or notepad_text()


def write_first_item(app, pad, f):
    """With "stdio.h" selected in notepad, the first button of the first
    sample, "#include <...>", wraps it."""
    pad.prepare("stdio.h", 0, 7)
    app.wait_target()
    click(*button_point(app.dump(), 0))
    f.equal(written("#include <stdio.h>\r\n", 15), "#include <stdio.h>\r\n", "a sample text item writes into notepad")


def make_data_file(app, name, f):
    """A data file of the user's own: the data-file dialog's 新規 starts
    Loomwork, which asks for the name, opens the file in notepad and checks
    it when notepad closes; the dialog lists it, and the user leaves the
    dialog with Esc."""
    app.wait_idle()
    open_by_button(app)
    dialog = wait_dialog()
    click(*centre(dialog["buttons"][BUTTON_NEW]["rect"]))
    park_pointer()
    save = wait_for(lambda: window("-", "新しいくいるとるデータ"), 30, 0.3)
    f.check(save is not None, "Loomwork asks for the new data file's name")
    if save:
        move_pointer(save[0] + save[2] // 2, save[1] + 40)
        xdotool("type", "--delay", "60", name)
        xdotool("key", "Return")
        park_pointer()
        pad = wait_for(lambda: (lambda w: w if w and name + ".edt" in w[4] else None)(window("Notepad", "-")), 30, 0.3)
        f.check(pad is not None, "Loomwork opens the new data file in notepad")
        close("Notepad")
        listed = wait_for(lambda: (lambda d: d if d and any(r.split("|")[0].endswith(name + ".edt") for r in rows(d))
                                   else None)(shown_dialog()), 30)
        f.check(listed is not None, "the new data file is listed once Loomwork has ended: %r" % (shown_dialog(),))
    dialog = shown_dialog()
    if dialog:
        # A click into the list, below its rows, and Esc.
        x, y, w, h = dialog["list"]
        click(x + w // 2, y + h - 10)
        key("Escape")
    f.check(wait_for(lambda: shown_dialog() is None, 15), "Esc closes the dialog")
    park_pointer()
    app.wait_idle()
