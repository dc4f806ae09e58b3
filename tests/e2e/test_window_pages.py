"""The data pages as a user sees them: tabs, captions, enable states and the
active page; a screenshot of the window with the sample data."""
import os

from e2elib import App, BUILD, Failures, SOURCE, centre, click, ini, screenshot, wait_for, xdotool

f = Failures()

settings = ini(Quiltor={"QuiltorData": "three.edt", "ActivePage": 2, "Top": 40, "Left": 40, "Height": 300})
with App(settings, {"three.edt": "three_pages.edt"}) as app:
    app.wait_ready()
    d = app.dump()
    f.equal(d.get("tab_count"), 3, "tab count")
    f.equal(d["tabs"], ["定型文", "空のページ", "三ページ目"], "tab captions")
    f.equal(d.get("active"), 2, "the saved ActivePage 2 is active")
    f.equal(d["pages_visible"], {0: False, 2: True}, "the active page's box is shown, the first page's made hidden")
    f.check(1 not in d["pages_visible"], "a page not shown yet has no buttons: they are made when it is shown")
    # The user goes to the first page (Shift+Left twice, as the keys do).
    click(*centre(d["parts"]["StatusBar"]["rect"]))
    xdotool("key", "shift+Left")
    xdotool("key", "shift+Left")
    d = wait_for(lambda: (lambda x: x.get("active") == 0 and x)(app.dump()), 10) or app.dump()
    f.equal(d["pages_visible"], {0: True, 1: False, 2: False}, "only the active page's box is shown")
    main = d["buttons"].get((0, 0), [])
    side = d["buttons"].get((0, 1), [])
    f.equal(len(main), 5, "four rows and the end marker in the main column")
    f.equal(len(side), 5, "side column places")
    if len(main) == 5:
        f.equal(main[0]["caption"], " こんにちは" + " " * 20, "a 10-byte caption gets 20 blanks")
        f.equal([b["enabled"] for b in main], [True, False, True, True, False], "main column enable states")
        f.equal(main[1]["caption"], " ───────────────", "separator caption")
        f.check(main[2]["dropdown"], "a menu item has a drop-down")
        f.check(main[3]["caption"].startswith(" A&&B"), "an ampersand is doubled so that it shows")
        f.equal(main[4]["caption"], "       *** end of data ***     ", "end marker")
        f.equal({b["size"] for b in main}, {(211, 20)}, "main buttons are 211 x 20")
    if len(side) == 5:
        f.equal([b["enabled"] for b in side], [True, False, False, False, False], "side column enable states")
        f.equal(side[0]["image"], 6, "a module item shows image 6")
        f.equal({b["size"] for b in side}, {(25, 20)}, "side buttons are 25 x 20")
    f.equal(len(d["buttons"].get((1, 0), [])), 1, "an empty page shows only the end marker")
    style = d.get("style", "")
    f.equal(style, "style popup 1 thickframe 1 caption 0 sysmenu 0", "captionless pop-up with a sizing frame")
    f.equal(d["window"][2], 275, "width")

# An ActivePage that names no page (the default 10 with three pages): the first page.
settings = ini(Quiltor={"QuiltorData": "three.edt"})
with App(settings, {"three.edt": "three_pages.edt"}) as app:
    app.wait_ready()
    d = app.dump()
    f.equal(d.get("active"), 0, "an ActivePage beyond the pages falls back to the first page")
    f.equal(d["pages_visible"].get(0), True, "the first page's box is shown")

# The sample data, for a look at the window.
sample = os.path.join(SOURCE, "samples", "data", "code.edt")
settings = ini(Quiltor={"QuiltorData": "code.edt", "ActivePage": 0, "Top": 60, "Left": 60, "Height": 420})
with App(settings, {"code.edt": open(sample, "rb").read()}) as app:
    app.wait_ready()
    d = app.dump()
    x, y, w, h = d["window"]
    path = screenshot(os.path.join(BUILD, "e2e_window_sample.png"), (x - 10, y - 10, w + 20, h + 20))
    print("screenshot:", path)
    f.check(d.get("tab_count", 0) >= 1, "the sample data has pages")

f.finish()
