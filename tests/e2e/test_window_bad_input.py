"""Bad input never stops the start: a missing data file, an old-format file
and a file with a bad type code each leave a working window."""
from e2elib import App, Failures, ini

f = Failures()

# Missing data file: no message, no pages, full height.
with App(ini(Quiltor={"QuiltorData": "missing.edt", "Height": 250}), {}) as app:
    app.wait_ready()
    d = app.dump()
    f.equal(d.get("tab_count"), 0, "missing file: no pages")
    f.equal(d["window"][3], 250, "missing file: the window still stretches")

# Old format: the message near the window, then an empty window.
with App(ini(Quiltor={"QuiltorData": "old.edt", "Top": 100, "Left": 100}), {"old.edt": "old_format.edt"}) as app:
    box = app.driver("box", 20000, 1)
    f.check(bool(box) and box[0].startswith("box"), "old format shows a message: %r" % box)
    if box and box[0].startswith("box"):
        words = box[0].split(" ")
        f.equal(box[0].split("[", 1)[1][:-1], "くいるとるデータが古い形式です|るーむわーくで変換してください",
                "old-format message text")
        f.equal((int(words[1]), int(words[2])), (100 + 23, 100 + 38), "placed 23, 38 from the window's corner")
    app.wait_ready()
    f.equal(app.dump().get("tab_count"), 0, "old format: no pages remain")

# A bad type code: the error box, then no pages.
with App(ini(Quiltor={"QuiltorData": "bad.edt"}), {"bad.edt": "bad_type.edt"}) as app:
    box = app.driver("box", 20000, 1)
    f.check(bool(box) and box[0].startswith("box"), "a bad type code is reported: %r" % box)
    app.wait_ready()
    f.equal(app.dump().get("tab_count"), 0, "bad type code: no partial pages")

f.finish()
