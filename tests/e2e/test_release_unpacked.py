"""The release zip unpacked as a user does for portable use, into a writable
folder whose path holds blanks and Japanese, in a fresh Wine prefix: the
first start shows the samples, a text item and a sample module write into
notepad, Loomwork makes a data file through the tool's dialog, and the
settings end up beside the program, none in the user's folder."""
import os
import re

from e2elib import App, Failures, click, move_pointer, read_ini, xdotool
from editorlib import Notepad, button_point
from releaselib import (Prefix, make_data_file, project_version, release, release_zip, unpack, write_first_item,
                        written)

FOLDER = "C:\\ツール\\くいるとる 1.7"
f = Failures()
samples = release_zip.samples_folder(project_version())
first_sample = samples + "\\code.edt"

zip_path = release()
prefix = Prefix()
try:
    prefix.start()
    folder = prefix.drive_c(FOLDER)
    unpack(zip_path, folder)
    sample_text = open(os.path.join(folder, samples, "code.edt"), "rb").read().decode("cp932")
    tabs = re.findall(r"\[Menu\d\d\]\r\nTitle=([^\r]*)", sample_text)

    with App(folder=folder) as app:
        app.wait_ready()
        d = app.dump()
        f.equal(d["tabs"], tabs, "the first start shows the first sample data file")
        with Notepad() as pad:
            write_first_item(app, pad, f)
            pad.prepare("make it loud", 8, 12)
            app.wait_target()
            # "選択範囲を大文字に", the sample module upper.exe, lies below the
            # window's first height: one notch of the wheel scrolls it 60 pixels up.
            x, y = button_point(d, 8)
            move_pointer(x, y - 100)
            xdotool("click", 5)
            click(x, y - 60)
            f.equal(written("make it LOUD", 20), "make it LOUD",
                    "the sample module beside the sample data upper-cases the selection")

        make_data_file(app, "mine", f)

    f.check(os.path.exists(os.path.join(folder, "mine.edt")), "the new data file lies beside the program")
    settings = read_ini(folder)
    f.equal(settings.get("Quiltor", {}).get("QuiltorData"), first_sample,
            "the settings beside the program keep the data file in use")
    f.check("Top" in settings.get("Quiltor", {}), "the window's state was saved at the end")
    f.check(not os.path.exists(prefix.user_folder("Quiltor")), "nothing went to the user's folder")
finally:
    prefix.remove()

f.finish()
