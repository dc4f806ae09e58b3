"""The help button of the settings dialog opens the help page at the tab's
topic: the browser (a copy of the recording program qtrecord, associated
with .html for the test) is handed a local page that sends it on to the
whole address of the topic, "#help-NNN" included, of the help page beside
the tool, in a folder whose name holds a space and a "#"."""
import os
import re
import shutil
import subprocess
import tempfile
import urllib.parse

from e2elib import BUILD, WINE_RUN, App, Failures, ini, wait_for
from linkedlib import tool_copy
from setuplib import open_setup

f = Failures()
BROWSER = ("Program Files", "qt tools", "browser.exe")  # under C:
HTML_CLASS = "HKLM\\Software\\Classes\\.html"
BROWSER_CLASS = "HKLM\\Software\\Classes\\QuiltorTestBrowser"


def drive_c(*parts):
    prefix = os.environ.get("QUILTOR_WINEPREFIX") or os.path.join(os.path.dirname(BUILD), "wineprefix")
    return os.path.join(prefix, "drive_c", *parts)


def reg(*args):
    return subprocess.run([WINE_RUN, "reg"] + list(args), stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          timeout=120).stdout.decode("utf-8", "replace")


def unix_path(windows_path):
    """The file of this machine behind a path of drive C: or Z:."""
    drive, rest = windows_path[:2].upper(), windows_path[3:].split("\\")
    return drive_c(*rest) if drive == "C:" else "/" + "/".join(rest)


def browsed():
    try:
        return open(drive_c(*BROWSER) + ".log", "rb").read().decode("cp932").splitlines()
    except FileNotFoundError:
        return []


previous = re.search(r"REG_SZ\s+(\S+)", reg("query", HTML_CLASS, "/ve"))
tool_copy(drive_c(*BROWSER[:2]), "qtrecord.exe", BROWSER[2])
reg("add", HTML_CLASS, "/ve", "/d", "QuiltorTestBrowser", "/f")
reg("add", BROWSER_CLASS + "\\shell\\open\\command", "/ve", "/d",
    '"C:\\%s" "%%1"' % "\\".join(BROWSER), "/f")
folder = tempfile.mkdtemp(prefix="quiltor help #")
shutil.copy(os.path.join(BUILD, "Quiltor.exe"), os.path.join(folder, "Quiltor.exe"))
try:
    with App(ini(Quiltor={"Left": 20, "Top": 20}), {"Quiltor.html": b"<html><h2 id=help-203>x</h2></html>"},
             folder=folder) as app:
        app.wait_ready()
        dialog = open_setup(app)
        dialog.click_tab(2)
        dialog.click("IDC_ButtonHelp")
        lines = wait_for(browsed, 30, 0.2)
        f.equal(len(lines), 1, "the browser is started once: %r" % lines)
        shown = re.findall(r'"([^"]*)"', lines[0] if lines else "")
        f.check(len(shown) == 2 and shown[1].lower().endswith(".html"), "it is handed a page: %r" % lines)
        if len(shown) == 2:
            page = open(unix_path(shown[1]), "rb").read().decode("utf-8")
            addresses = set(re.findall(r'url=([^"]+)"|replace\("([^"]+)"|href="([^"]+)"', page))
            targets = {a for group in addresses for a in group if a}
            f.equal(len(targets), 1, "the page names one address, three ways: %r" % targets)
            target = targets.pop() if targets else ""
            f.check(target.endswith("#help-203"), "the address keeps the third tab's topic: %r" % target)
            path = urllib.parse.unquote(urllib.parse.urlsplit(target).path)
            f.equal(unix_path(path.lstrip("/").replace("/", "\\")), os.path.join(folder, "Quiltor.html"),
                    "the address is the help page beside the tool")
        dialog.cancel(app)
finally:
    if previous:
        reg("add", HTML_CLASS, "/ve", "/d", previous.group(1), "/f")
    else:
        reg("delete", HTML_CLASS, "/f")
    reg("delete", BROWSER_CLASS, "/f")
    shutil.rmtree(drive_c(*BROWSER[:2]), ignore_errors=True)
    shutil.rmtree(folder, ignore_errors=True)
f.finish()
