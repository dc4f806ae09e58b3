"""Shrinking and stretching the window by double clicks on its title, and
the buttons that follow the height."""

from e2elib import App, Failures, centre, click, ini, wait_for

f = Failures()
settings = ini(Quiltor={"Top": 50, "Left": 50, "Height": 300, "QuiltorData": "three.edt"},
               Setup={"Resize": 2, "MinHeight": 60})
with App(settings, {"three.edt": "three_pages.edt"}) as app:
    app.wait_ready()
    d = app.dump()
    f.equal(d["window"][3], 300, "full height after the start")
    f.check(d["parts"]["SpeedButtonResize1"]["visible"], "the shrink button shows at full height")
    title = centre(d["parts"]["ImageTitle1"]["rect"])

    click(*title, repeat=2)
    shrunk = wait_for(lambda: app.dump()["window"][3] == 60 and app.dump(), 10)
    f.check(bool(shrunk), "a double click shrinks to MinHeight")
    if shrunk:
        f.check(shrunk["parts"]["SpeedButtonResize2"]["visible"], "the stretch button shows when shrunk")
        f.check(not shrunk["parts"]["SpeedButtonResize1"]["visible"], "the shrink button is hidden")
        f.equal(shrunk["window"][:2], d["window"][:2], "shrinking keeps the position")

    click(*title, repeat=2)
    stretched = wait_for(lambda: app.dump()["window"][3] == 300 and app.dump(), 10)
    f.check(bool(stretched), "a second double click stretches back to 300")

    # The stretch button itself, after shrinking with the shrink button.
    click(*centre(d["parts"]["SpeedButtonResize1"]["rect"]))
    f.check(wait_for(lambda: app.dump()["window"][3] == 60, 10), "the shrink button shrinks")
    click(*centre(d["parts"]["SpeedButtonResize2"]["rect"]))
    f.check(wait_for(lambda: app.dump()["window"][3] == 300, 10), "the stretch button stretches")

    # Title drag snaps to the left and top edges.
    x, y = title
    from e2elib import move_pointer, xdotool
    xdotool("mousemove", x, y)
    xdotool("mousedown", 1)
    for step in range(1, 7):  # 48 pixels: within the 12- and 9-pixel snap zones
        move_pointer(x - step * 8, y - step * 8)
    xdotool("mouseup", 1)
    moved = wait_for(lambda: app.dump()["window"][:2] == (0, 0) and True, 5)
    f.check(bool(moved), "dragging the title near the top left corner snaps to (0, 0): %r" % (app.dump()["window"],))

f.finish()
