"""Start position kept on the screen, "/L" "/T" applied unclamped, and the
window state saved in Quiltor.ini at the end."""
from e2elib import App, Failures, ini, read_ini, wait_for

f = Failures()

# Far below and left of the screen (1280 x 1024): bottom edge on the bottom, left 0.
settings = ini(Quiltor={"Top": 5000, "Left": -300, "Height": 282, "ActivePage": 0})
app = App(settings, keep=True)
with app:
    app.wait_ready()
    d = app.dump()
    f.equal(d["window"][:2], (0, 1024 - 282), "a position far off the screen is brought back")
    f.equal(d["window"][3], 282, "height")
    f.equal(d.get("tab_count"), 0, "no data file: no pages")
    f.check(not d["parts"]["ProgressBarLoading"]["visible"], "the loading bar is hidden")
    app.driver("command", "Popup_Exit")
    f.check(wait_for(lambda: app.process.poll() is not None, 20), "Popup_Exit ends the tool")
saved = read_ini(app.folder).get("Quiltor", {})
f.equal((saved.get("Top"), saved.get("Left"), saved.get("Height")), ("742", "0", "282"), "saved position")
f.equal(saved.get("ActivePage"), "0", "no pages: ActivePage 0")
f.equal(saved.get("ToolBar"), "1", "tool bar option saved")
f.equal(saved.get("QuiltorData"), "", "current data file saved")
f.equal(read_ini(app.folder).get("Version", {}).get("No"), "170", "format number written")
app.keep = False
app.stop()

# "/L" and "/T" come after the clamping and are not clamped.
settings = ini(Quiltor={"Top": 5000, "Left": 5000, "Height": 200})
app = App(settings, args=["/L-20", "/T1000"], keep=True)
with app:
    app.wait_ready()
    d = app.dump()
    f.equal(d["window"][:2], (-20, 1000), "/L and /T are applied as given")
saved = read_ini(app.folder).get("Quiltor", {})
f.equal((saved.get("Left"), saved.get("Top"), saved.get("Height")), ("-20", "1000", "200"), "WM_CLOSE saves")
app.keep = False
app.stop()

f.finish()
