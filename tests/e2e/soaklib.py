"""Runs the soak helper qtsoak.exe against a tool of its own: a temporary
program folder with Quiltor.exe, into which the helper writes the settings
and data files, starts the tool and drives it with window messages. Used by
the soak test and by the soak and swap benchmarks."""
import os
import re
import subprocess
import tempfile
import time

from e2elib import App, BUILD, WINE_RUN, end_program, move_pointer


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run(verb, count, timeout, *extra):
    """(exit code, output lines, seconds) of `qtsoak <verb> <folder> <count> <extra...>`."""
    app = App()
    try:
        # No window manager: the keyboard focus follows the pointer, which
        # waits in a corner that no window of the run covers.
        move_pointer(1279, 1023)
        started = time.monotonic()
        # Through a file, not a pipe: Wine services started by the helper
        # would keep a pipe open after it ends.
        with tempfile.TemporaryFile() as out:
            try:
                code = subprocess.run([WINE_RUN, os.path.join(BUILD, "qtsoak.exe"), verb, windows_path(app.folder),
                                       str(count)] + list(extra), stdout=out, stderr=subprocess.DEVNULL, timeout=timeout).returncode
            except subprocess.TimeoutExpired:
                code = None
            out.seek(0)
            lines = out.read().decode("utf-8", "replace").splitlines()
        return code, lines, time.monotonic() - started
    finally:
        # The helper ends the tool and notepad it started; a run that broke
        # off may have left them.
        end_program("notepad.exe")
        app.stop()


def memory(lines):
    """{steps: (working set KB, committed private KB)} from qtsoak's memory lines."""
    figures = {}
    for line in lines:
        m = re.match(r"memory (\d+) [^:]*: working set (\d+) KB, committed private (\d+) KB", line)
        if m:
            figures[int(m.group(1))] = (int(m.group(2)), int(m.group(3)))
    return figures
