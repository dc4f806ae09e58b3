"""Two monitors: the primary and, left of it, a smaller one lower down, so
Windows gives it negative coordinates and a top below the primary's. A
title drag takes the tool onto it and snaps it to that monitor's left and
top edges; the settings dialog opens there; the next start shows the tool
where it was left; a start after that monitor is gone brings it onto the
primary.

Xvfb's Xinerama puts every screen at one origin, so the test runs an X
server of its own, one screen wide enough for both, and divides it into two
RandR monitors (libXrandr, which Wine itself loads); Wine reads them through
the Xinerama that RandR offers, once told not to use RandR itself
(UseXRandR=N in a prefix of the test's own). The display is the one after
QUILTOR_DISPLAY (:78 for :77), or QUILTOR_MONITORS_DISPLAY."""
import ctypes
import os
import subprocess
import sys
import time

MAIN_DISPLAY = os.environ.get("QUILTOR_DISPLAY", ":77")
DISPLAY = os.environ.get("QUILTOR_MONITORS_DISPLAY") or ":%d" % (int(MAIN_DISPLAY.lstrip(":").split(".")[0]) + 1)
os.environ["DISPLAY"] = DISPLAY

# The X screen: the left monitor at X (0, 128), the primary right of it.
# Windows puts the primary at (0, 0), so X = Windows + LEFT_WIDTH.
LEFT_WIDTH, LEFT_HEIGHT, LEFT_TOP = 1024, 768, 128
PRIMARY_WIDTH, PRIMARY_HEIGHT = 1280, 1024
LEFT = (-LEFT_WIDTH, LEFT_TOP, 0, LEFT_TOP + LEFT_HEIGHT)  # in Windows' coordinates


def answers(display):
    return subprocess.run(["xdotool", "getdisplaygeometry"], env=dict(os.environ, DISPLAY=display),
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0


class RandrMonitor(ctypes.Structure):
    _fields_ = [("name", ctypes.c_ulong), ("primary", ctypes.c_int), ("automatic", ctypes.c_int),
                ("noutput", ctypes.c_int), ("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("mwidth", ctypes.c_int), ("mheight", ctypes.c_int),
                ("outputs", ctypes.POINTER(ctypes.c_ulong))]


class Monitors:
    """The RandR monitors of the test's X screen, set through libXrandr."""

    def __init__(self):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.xrandr = ctypes.CDLL("libXrandr.so.2")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x11.XInternAtom.restype = ctypes.c_ulong
        self.x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        self.x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.xrandr.XRRGetMonitors.restype = ctypes.POINTER(RandrMonitor)
        self.xrandr.XRRGetMonitors.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                               ctypes.POINTER(ctypes.c_int)]
        self.xrandr.XRRAllocateMonitor.restype = ctypes.POINTER(RandrMonitor)
        self.xrandr.XRRAllocateMonitor.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.xrandr.XRRSetMonitor.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(RandrMonitor)]
        self.xrandr.XRRDeleteMonitor.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong]
        self.display = self.x11.XOpenDisplay(DISPLAY.encode())
        if not self.display:
            raise AssertionError("cannot open the X display " + DISPLAY)
        self.root = self.x11.XDefaultRootWindow(self.display)

    def _atom(self, name):
        return self.x11.XInternAtom(self.display, name.encode(), 0)

    def set(self, name, x, y, width, height, primary):
        count = ctypes.c_int()
        output = None
        current = self.xrandr.XRRGetMonitors(self.display, self.root, 0, ctypes.byref(count))
        for i in range(count.value):
            if current[i].noutput:
                output = current[i].outputs[0]
        # The primary takes the screen's one output, so it replaces the
        # monitor the server made for the whole screen.
        monitor = self.xrandr.XRRAllocateMonitor(self.display, 1 if primary else 0)
        m = monitor.contents
        m.name, m.primary, m.x, m.y, m.width, m.height = self._atom(name), int(primary), x, y, width, height
        m.mwidth, m.mheight = width * 254 // 960, height * 254 // 960
        if primary and output is not None:
            m.outputs[0] = output
        self.xrandr.XRRSetMonitor(self.display, self.root, monitor)
        self.x11.XSync(self.display, 0)

    def remove(self, name):
        self.xrandr.XRRDeleteMonitor(self.display, self.root, self._atom(name))
        self.x11.XSync(self.display, 0)

    def close(self):
        self.x11.XCloseDisplay(self.display)


if answers(DISPLAY):
    print("the display %s is in use; name a free one in QUILTOR_MONITORS_DISPLAY" % DISPLAY)
    sys.exit(1)
# -noreset: the monitors stay when the last client goes.
server = subprocess.Popen(["Xvfb", DISPLAY, "-screen", "0", "%dx%dx24" % (LEFT_WIDTH + PRIMARY_WIDTH, PRIMARY_HEIGHT),
                           "-nolisten", "tcp", "-noreset"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
for _ in range(100):
    if answers(DISPLAY):
        break
    time.sleep(0.1)

from e2elib import WINE_RUN, App, Failures, centre, click, ini, move_pointer, read_ini, xdotool  # noqa: E402
from releaselib import Prefix  # noqa: E402
from setuplib import SetupDialog  # noqa: E402

f = Failures()


def x_point(x, y):
    """Where a point of Windows' screen lies on the X screen."""
    return x + LEFT_WIDTH, y


def drag_title(app, to_x, step=40):
    """Drags the title strip with the pointer, left to X column `to_x`."""
    x, y = x_point(*centre(app.dump()["parts"]["ImageTitle1"]["rect"]))
    move_pointer(x, y)
    xdotool("mousedown", 1)
    while x > to_x:
        x = max(x - step, to_x)
        move_pointer(x, y)
    xdotool("mouseup", 1)


def place(app):
    return app.dump()["window"][:2]


monitors = Monitors()
prefix = None
app = None
try:
    monitors.set("QT0", LEFT_WIDTH, 0, PRIMARY_WIDTH, PRIMARY_HEIGHT, True)
    monitors.set("QT1", 0, LEFT_TOP, LEFT_WIDTH, LEFT_HEIGHT, False)
    prefix = Prefix()
    subprocess.run([WINE_RUN, "reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "UseXRandR", "/d", "N", "/f"],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True, timeout=120)
    subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=prefix.path))
    subprocess.run(["wineserver", "-w"], env=dict(os.environ, WINEPREFIX=prefix.path), timeout=60)
    prefix.start()

    app = App(ini(Quiltor={"Left": 200, "Top": 100, "Height": 282}), keep=True)
    with app:
        app.wait_ready()
        f.equal(place(app), (200, 100), "the tool starts on the primary monitor")
        # The pointer goes far into the left monitor: the window snaps to its
        # left edge and to its top, which lies 128 pixels lower.
        drag_title(app, 150)
        f.equal(place(app), (LEFT[0], LEFT[1]), "dragged onto the left monitor, snapped to its left and top edges "
                "(Wine must see two monitors)")
        window = app.dump()["window"]
        f.check(window[0] + window[2] <= LEFT[2] and window[1] >= LEFT[1], "the whole window is on it: %r" % (window,))

        # The settings dialog opens on the tool's monitor, not the primary.
        app.driver("command", "Popup_Setup")
        dialog = SetupDialog()
        x, y, w, h = dialog.wait()
        f.check(LEFT[0] <= x and x + w <= LEFT[2], "the settings dialog opens on the left monitor: %r" % ((x, y, w, h),))
        click(*x_point(*dialog.point("IDC_ButtonCancel")))
        f.check(dialog.gone(), "Cancel closes the settings dialog")
        app.wait_idle()
        f.equal(place(app), (LEFT[0], LEFT[1]), "the tool is back where it was after the dialog")
    saved = read_ini(app.folder).get("Quiltor", {})
    f.equal((saved.get("Left"), saved.get("Top")), (str(LEFT[0]), str(LEFT[1])), "the place is saved")

    with App(folder=app.folder) as again:
        again.wait_ready()
        f.equal(place(again), (LEFT[0], LEFT[1]), "the next start shows the tool on the left monitor")

    # The left monitor is unplugged; Wine reads the monitors when its server starts.
    monitors.remove("QT1")
    subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=prefix.path))
    subprocess.run(["wineserver", "-w"], env=dict(os.environ, WINEPREFIX=prefix.path), timeout=60)
    prefix.start()
    with App(folder=app.folder) as alone:
        alone.wait_ready()
        f.equal(place(alone), (0, LEFT[1]), "without the left monitor the tool comes to the primary's left edge")
finally:
    if app:
        app.keep = False
        app.stop()
    if prefix:
        prefix.remove()
    monitors.close()
    server.terminate()
    server.wait(10)

f.finish()
