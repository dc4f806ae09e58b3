"""The release zip unpacked into "C:\\Program Files\\くいるとる 1.7" of a fresh
Wine prefix, a folder the user cannot write to, as Windows keeps Program
Files: the tool starts there, shows the samples, writes a text item into
notepad, Loomwork makes a data file, and at the end the settings and the new
data file are in the user's folder %APPDATA%\\Quiltor.

Tests run as root, for whom file modes stop no write: the folder is a
read-only bind mount, inside a mount namespace of the test's own
(`unshare -m`), and every Wine process of the test runs in that namespace.
A tool that cannot keep its settings anywhere but beside itself says so at
its start; the test then reports itself skipped (exit code 77)."""
import os
import subprocess
import sys

from e2elib import App, Failures, read_ini, run_driver, wait_for
from editorlib import Notepad
from releaselib import Prefix, make_data_file, project_version, release, release_zip, unpack, write_first_item

FOLDER = "C:\\Program Files\\くいるとる 1.7"
SKIPPED = 77


def inside(prefix):
    """The scenario, run inside the namespace where the folder is read-only."""
    f = Failures()
    folder = prefix.drive_c(FOLDER)
    user = prefix.user_folder("Quiltor")
    user_ini = os.path.join(user, "Quiltor.ini")
    try:
        open(os.path.join(folder, "probe"), "wb").close()
        raise AssertionError("the program folder is writable; the test needs it read-only")
    except OSError:
        pass
    samples = release_zip.samples_folder(project_version())
    prefix.start()

    app = App(folder=folder).start()
    try:
        # The start settles in one of three ways: the settings file appears in
        # the user's folder; the tool says it cannot write its settings (it
        # keeps them only beside itself); or it is up and idle.
        box = []

        def settled():
            if os.path.exists(user_ini):
                return True
            lines = run_driver("box", 300)
            if lines and lines[0].startswith("box"):
                box.append(lines[0])
                return True
            return run_driver("status")[:1] == ["status 1"]
        wait_for(settled, 60, 0.2)
        if not os.path.exists(user_ini):
            print("SKIPPED: the tool does not keep its settings in the user's folder (%%APPDATA%%\\Quiltor) when "
                  "its own folder is read-only; at its start it says %s" % (box or ["nothing"]))
            return SKIPPED
        app.wait_ready()
        d = app.dump()
        f.check(d.get("tab_count", 0) > 0, "the first start shows the samples")
        with Notepad() as pad:
            write_first_item(app, pad, f)
        make_data_file(app, "mine", f)
        app.close()
    finally:
        app.stop()

    f.check(os.path.exists(os.path.join(user, "mine.edt")), "the new data file is in the user's folder")
    settings = read_ini(user)
    f.equal(settings.get("Quiltor", {}).get("QuiltorData"), samples + "\\code.edt",
            "the settings in the user's folder keep the data file in use")
    f.check("Top" in settings.get("Quiltor", {}), "the window's state was saved there at the end")
    f.check(not os.path.exists(os.path.join(folder, "Quiltor.ini")), "no settings beside the program")
    f.finish()
    return 0


if len(sys.argv) > 2 and sys.argv[1] == "--inside":
    sys.exit(inside(Prefix(sys.argv[2])))

zip_path = release()
prefix = Prefix()
try:
    folder = prefix.drive_c(FOLDER)
    unpack(zip_path, folder)
    mount = 'mount --bind "$1" "$1" && mount -o remount,bind,ro "$1" "$1" && shift && exec "$@"'
    done = subprocess.run(["unshare", "-m", "--propagation", "private", "sh", "-c", mount, "sh", folder,
                           sys.executable, os.path.abspath(__file__), "--inside", prefix.path])
finally:
    prefix.remove()
sys.exit(done.returncode)
