"""A second start of the tool hands its command line to the running one:
"/d" of an existing data file swaps the running window's data pages and the
second start ends with 1; a "/d" of a file that does not exist changes
nothing; a "/h" that is no number shows the conversion error."""
import os
import shutil
import subprocess

from e2elib import App, SOURCE, WINE_RUN, Failures, ini, read_ini, wait_for

FIXTURES = os.path.join(SOURCE, "tests", "fixtures", "items")
f = Failures()


def second_start(app, *args):
    return subprocess.run([WINE_RUN, "Quiltor.exe"] + list(args), cwd=app.folder, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, timeout=120).returncode


data = {name: open(os.path.join(FIXTURES, name), "rb").read() for name in ("items.edt", "other.edt")}
settings = ini(Quiltor={"QuiltorData": "items.edt", "Top": 30, "Left": 60, "Height": 360})
with App(settings, data, keep=True) as app:
    app.wait_ready()
    d = app.dump()
    f.equal(d["tabs"], ["部品"], "the first data file's tab")
    height = d["window"][3]

    f.equal(second_start(app, "/dmissing.edt"), 1, "a second start ends with 1")
    f.equal(app.dump()["tabs"], ["部品"], "a data file that does not exist changes nothing")

    # Messages no second start would send: the tool takes no file from them and keeps answering.
    answers = app.driver("garbage")
    f.equal(answers, ["copydata %d answered 1" % n for n in (65536, 0, 10, 13)], "odd forwarded messages are answered")
    f.equal(app.dump()["tabs"], ["部品"], "odd forwarded messages change nothing")

    f.equal(second_start(app, "/dother.edt"), 1, "a second start with /d ends with 1")
    tabs = wait_for(lambda: app.dump()["tabs"] == ["別の一", "別の二"] and ["別の一", "別の二"], 15)
    f.equal(tabs, ["別の一", "別の二"], "the running window shows the other data file's tabs")
    app.driver("wait", 10000)
    f.equal(app.dump()["window"][3], height, "the window is back at its height after loading")

    f.equal(second_start(app, "/hxyz"), 1, "a second start with a bad /h ends with 1")
    box = app.driver("box", 10000, 1)
    f.check(bool(box) and "'xyz' は整数ではありません" in box[0], "conversion error shown: %r" % box)

# The swapped data file is the one saved at the end.
f.equal(read_ini(app.folder).get("Quiltor", {}).get("QuiltorData"), "other.edt", "the swapped data file is saved")
shutil.rmtree(app.folder, ignore_errors=True)
f.finish()
