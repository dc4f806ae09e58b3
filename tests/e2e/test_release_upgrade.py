"""A newer release unpacked over an older portable folder, as a user updates:
the settings the tool wrote, a sample the user changed and a data file of
the user's own stay as they were; the new version brings its samples in a
folder of their own; and the tool, started again, goes on with the user's
changed sample."""
import os

from e2elib import App, Failures, read_ini
from loomworklib import data_file
from releaselib import Prefix, files_below, newer_release, project_version, release, release_zip, unpack

FOLDER = "C:\\ツール\\Quiltor"
f = Failures()
version = project_version()
major, minor = version.split(".")[:2]
newer = "%s.%d.0" % (major, int(minor) + 1)
old_samples = release_zip.samples_folder(version)
new_samples = release_zip.samples_folder(newer)

old_zip = release()
new_zip = newer_release(old_zip, newer)
prefix = Prefix()
try:
    prefix.start()
    folder = prefix.drive_c(FOLDER)
    unpack(old_zip, folder)
    f.check(not os.path.exists(os.path.join(folder, "Quiltor.ini")), "the zip brings no settings file")
    with App(folder=folder) as app:
        app.wait_ready()
    f.equal(read_ini(folder).get("Quiltor", {}).get("QuiltorData"), old_samples + "\\code.edt",
            "the first start wrote its settings beside the program")

    # The user renames the first page of the sample in use and makes a data file of their own.
    sample = os.path.join(folder, old_samples, "code.edt")
    original = open(sample, "rb").read()
    changed = original.replace("Title=C/C++\r\n".encode("cp932"), "Title=わたしの C/C++\r\n".encode("cp932"), 1)
    assert changed != original
    open(sample, "wb").write(changed)
    open(os.path.join(folder, "mine.edt"), "wb").write(data_file("わたしのデータ"))
    before = files_below(folder)

    unpack(new_zip, folder)
    after = files_below(folder)
    for name in ("Quiltor.ini", os.path.join(old_samples, "code.edt"), "mine.edt"):
        f.check(after.get(name) == before[name], "%s is kept as it was" % name)
    f.equal(after.get(os.path.join(new_samples, "code.edt")), original, "the new version's samples in their folder")
    f.check(newer in after["はじめに.txt"].decode("utf-8-sig"), "the notes are the new version's")
    f.equal(sorted(set(before) - set(after)), [], "nothing of the old folder is gone")

    with App(folder=folder) as app:
        app.wait_ready()
        tabs = app.dump()["tabs"]
        f.check(tabs[:1] == ["わたしの C/C++"], "the tool goes on with the user's changed sample: %r" % tabs)
finally:
    prefix.remove()

f.finish()
