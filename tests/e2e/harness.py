#!/usr/bin/env python3
"""End-to-end harness: Kalibrix on a private Xvfb display, optionally under openbox, driven the way a
user would (XTEST), with real window places and real pixels read over one X connection (python3-xlib)
and pictures handled by PIL. The pytest fixtures in conftest.py build on it:

    def test_nudge(kalibrix):  # the program, started afresh on the module's display
        beam, slider = kalibrix.show(harness.HORIZONTAL)
        kalibrix.click_in(slider, harness.HORIZONTAL.plus)
        kalibrix.wait_title(slider, "0.03 cm")

Every wait polls for the awaited state with a generous timeout, never a fixed sleep: a first paint
right after Xvfb and openbox start can take many seconds. Fixed durations appear only as input, the
time a user holds a button.

Run as a script it shows the program on a virtual display and saves a screenshot (scripts/run).
"""

import argparse
import configparser
import contextlib
import ctypes
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from dataclasses import dataclass
from typing import NamedTuple

from PIL import Image, ImageDraw
from Xlib import X, XK, Xatom, display as xdisplay, error as xerror
from Xlib.display import Display as XDisplay
from Xlib.ext import randr, xtest
from Xlib.protocol import event as xevent, rq

SKIP_RETURN_CODE = 77
SCREEN_SIZE = (1280, 800)
# Generous on purpose: a fresh X server occasionally takes more than 10 s to the first paint.
WINDOW_TIMEOUT = float(os.environ.get("KALIBRIX_E2E_TIMEOUT", "60"))
STEP_TIMEOUT = WINDOW_TIMEOUT / 3  # a step of a test: a title, a place, a picture changing
EXIT_TIMEOUT = 30.0
# A synthetic press held this long is seen as a real press by the window manager's move mode.
PRESS_HOLD = 0.03
# A user holds the button still for a moment before dragging.
PRESS_BEFORE_MOVE = 0.1


class HarnessError(RuntimeError):
    pass


# --------------------------------------------------------------------------------------------
# Waiting


def wait_until(predicate, timeout, what, interval=0.02):
    """Polls predicate until it returns a true value, which is returned; raises TimeoutError
    naming `what` when the timeout passes first."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise TimeoutError(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


def wait_value(read, accept, timeout, what, interval=0.02):
    """Polls read() until accept(value) is true and returns that value; the TimeoutError names
    the last value read, so that a failure shows what was there instead."""
    seen = []

    def check():
        seen[:] = [read()]
        return accept(seen[0])

    try:
        wait_until(check, timeout, what, interval)
    except TimeoutError as e:
        raise TimeoutError(f"{e}; last seen: {seen[0]!r}" if seen else str(e)) from None
    return seen[0]


def wait_settled(read, timeout, what, polls=3, interval=0.05):
    """Polls read() until it returns the same value `polls` times in a row, `interval` apart, and
    returns that value: for a state that is reached through several timer ticks."""
    seen = []

    def settled():
        seen.append(read())
        return len(seen) >= polls and all(v == seen[-1] for v in seen[-polls:])

    try:
        wait_until(settled, timeout, what, interval)
    except TimeoutError as e:
        raise TimeoutError(f"{e}; last values: {seen[-polls:]!r}") from None
    return seen[-1]


# --------------------------------------------------------------------------------------------
# Processes


def _die_with_parent():
    """Runs in each child before exec: the child gets SIGKILL when the harness dies, so a killed
    test (a ctest timeout, say) leaves no X server or program behind."""
    with contextlib.suppress(OSError, AttributeError):
        ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


def spawn(args, env, log, **kwargs):
    """Starts a child in a session of its own (Ctrl+C reaches the harness only, which then ends
    it properly), output to the open file `log`, killed should the harness die."""
    return subprocess.Popen(args, env=env, stdin=subprocess.DEVNULL, stdout=kwargs.pop("stdout", log),
                            stderr=log, preexec_fn=_die_with_parent, start_new_session=True, **kwargs)


def stop_process(proc, grace=5.0):
    """Ends a child process: SIGTERM, then SIGKILL after the grace period."""
    if proc is None or proc.poll() is not None:
        return
    try:
        proc.terminate()
        proc.wait(timeout=grace)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait(timeout=grace)
    except ProcessLookupError:
        pass


class Program:
    """One run of the program under test, with its output captured in files."""

    def __init__(self, args, env, log_dir):
        self.args = list(args)
        fd, self.stdout_path = tempfile.mkstemp(prefix="kalibrix-", suffix=".out", dir=log_dir)
        os.close(fd)
        self.stderr_path = self.stdout_path[:-4] + ".err"
        with open(self.stdout_path, "wb") as out, open(self.stderr_path, "wb") as err:
            self.proc = spawn(self.args, env, err, stdout=out)

    @property
    def pid(self):
        return self.proc.pid

    def running(self):
        return self.proc.poll() is None

    def wait(self, timeout=EXIT_TIMEOUT):
        """Waits for the program to end and returns its exit code (negative: killed by a signal)."""
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise TimeoutError(f"program still running {timeout:.0f} s after it was asked to end"
                               f"\n{self.describe()}") from None

    def stop(self):
        stop_process(self.proc)

    def stderr_text(self):
        with open(self.stderr_path, encoding="utf-8", errors="replace") as f:
            return f.read()

    def describe(self):
        """The command, exit status and captured output, for failure messages."""
        code = self.proc.poll()
        text = self.stderr_text().strip()
        if len(text) > 4000:
            text = "...\n" + text[-4000:]
        return (f"{' '.join(self.args)}: {'running' if code is None else f'exit code {code}'}"
                f"\n--- stderr ---\n{text or '(empty)'}")


def program_path():
    path = os.environ.get("KALIBRIX_BIN")
    if not path:
        raise HarnessError("KALIBRIX_BIN is not set (ctest sets it to the built program)")
    if not os.access(path, os.X_OK):
        raise HarnessError(f"KALIBRIX_BIN={path} is not an executable program")
    return path


# --------------------------------------------------------------------------------------------
# Pictures (PIL images in RGB)


def differences(actual, expected):
    """How many pixels differ and the first of them, as text; empty when the pictures are equal."""
    if actual.size != expected.size:
        return f"size {actual.size}, expected {expected.size}"
    if actual.tobytes() == expected.tobytes():
        return ""
    wrong = [i for i, (a, b) in enumerate(zip(actual.getdata(), expected.getdata())) if a != b]
    x, y = wrong[0] % actual.width, wrong[0] // actual.width
    return (f"{len(wrong)} pixels differ; first at ({x}, {y}): {actual.getpixel((x, y))}, "
            f"expected {expected.getpixel((x, y))}")


def colour_counts(image):
    """{colour: number of pixels} of a picture."""
    return {colour: n for n, colour in image.getcolors(image.width * image.height)}


def save_pictures(name, **pictures):
    """Saves pictures as NAME/KEY.png under $KALIBRIX_E2E_ARTIFACTS (ctest: the build's
    tests/e2e/failures) and returns the folder, for a failure message."""
    base = os.environ.get("KALIBRIX_E2E_ARTIFACTS") or os.path.join(tempfile.gettempdir(),
                                                                    "kalibrix-e2e-failures")
    folder = os.path.join(base, "".join(c if c.isalnum() or c in "-_." else "_" for c in name))
    os.makedirs(folder, exist_ok=True)
    for key, picture in pictures.items():
        picture.save(os.path.join(folder, f"{key}.png"))
    return folder


def wait_picture(read, expected, what, name, timeout=STEP_TIMEOUT):
    """Polls read() until it gives exactly the expected picture; fails saving both otherwise."""
    seen = []

    def same():
        seen[:] = [read()]
        return seen[0].tobytes() == expected.tobytes() and seen[0].size == expected.size

    try:
        wait_until(same, timeout, what, interval=0.05)
    except TimeoutError as e:
        folder = save_pictures(name, actual=seen[0], expected=expected)
        raise AssertionError(f"{e}: {differences(seen[0], expected)} (pictures in {folder})") \
            from None


def pattern_image(size):
    """A test pattern in which every pixel has a colour of its own:
    (x & 0xFF, y & 0xFF, (x >> 8) << 4 | y >> 8)."""
    width, height = size
    blue_rows = [bytes((x >> 8) << 4 | high for x in range(width))
                 for high in range(height // 256 + 1)]
    channels = (bytes(x & 0xFF for x in range(width)) * height,
                b"".join(bytes([y & 0xFF]) * width for y in range(height)),
                b"".join(blue_rows[y >> 8] for y in range(height)))
    return Image.merge("RGB", [Image.frombytes("L", size, c) for c in channels])


def expected_view(pattern, pointer, scale=1.0):
    """What the magnifier's view shows of `pattern` around the pointer: the square from 30 pixels
    above and left of it (96-dpi pixels: at a scale, that many more device pixels), each device pixel
    a 3 x 3 block, black beyond the screen."""
    size, offset = scaled(VIEW[2:], scale), round(30 * scale)
    x, y = pointer[0] - offset, pointer[1] - offset
    return pattern.crop((x, y, x + size[0] // 3, y + size[1] // 3)).resize(size, Image.NEAREST)


COLOUR_LINE = 24  # 96-dpi pixels along the view's bottom that hold at most the colour line


def pointer_block(size, scale=1.0, zoom=3):
    """Where the magnifier draws the pointer's pixel in its view of `size` device pixels: the top-left
    corner of its block (both coordinates the same); at 3x 30 96-dpi pixels from the view's edge,
    at other zooms in the middle."""
    return round(30 * scale) * 3 if zoom == 3 else size // 2 // zoom * zoom


def without_marks(image, scale=1.0, zoom=3):
    """A picture of the magnifier's view with what it draws over the enlargement painted over in one
    colour: the crosshair round the pointer's pixel and the colour line along the bottom."""
    image = image.copy()
    draw = ImageDraw.Draw(image)
    at, reach = pointer_block(image.width, scale, zoom), max(round(6 * scale), 2 * zoom) + 2
    draw.rectangle((at - reach, at - reach, at + zoom + reach, at + zoom + reach), fill=(255, 0, 255))
    draw.rectangle((0, image.height - round(COLOUR_LINE * scale), image.width, image.height),
                   fill=(255, 0, 255))
    return image


# --------------------------------------------------------------------------------------------
# The display


class Geometry(NamedTuple):
    """Absolute position and size of a window's client area, in screen pixels."""
    x: int
    y: int
    width: int
    height: int


@dataclass(frozen=True)
class Monitor:
    """A RandR monitor: a named part of the screen, in screen pixels."""
    name: str
    x: int
    y: int
    width: int
    height: int
    primary: bool = False

    def contains(self, g):
        """Whether the rectangle g (anything with x, y, width, height) lies wholly on it."""
        return (self.x <= g.x and g.x + g.width <= self.x + self.width
                and self.y <= g.y and g.y + g.height <= self.y + self.height)


@dataclass(frozen=True)
class Screen:
    """How a test's X server is set up: with or without openbox, its size, RandR monitors splitting
    it (millimetres for 96 dpi) and more options for Xvfb, such as ("-dpi", "120")."""
    wm: bool = True
    size: tuple = SCREEN_SIZE
    monitors: tuple = ()
    xvfb_args: tuple = ()

    def __str__(self):  # the test id: test_x[openbox], test_x[no-wm]
        parts = ["openbox" if self.wm else "no-wm"] + [m.name for m in self.monitors]
        if self.size != SCREEN_SIZE:
            parts.append("%dx%d" % self.size)
        return "-".join(parts + [a.lstrip("-") for a in self.xvfb_args])


OPENBOX, NO_WM = Screen(), Screen(wm=False)


@dataclass(frozen=True)
class Scaling:
    """One way a desktop asks programs to draw larger: Xft.dpi in the X resources and/or
    environment variables (as name, value pairs), giving `scale` device pixels per 96-dpi pixel."""
    name: str
    scale: float
    dpi: int = None
    env: tuple = ()

    def __str__(self):
        return self.name


# What desktops set for 200 % and 150 %, and Qt's own factor for 200 %.
SCALINGS = (Scaling("Xft.dpi-192", 2.0, dpi=192), Scaling("Xft.dpi-144", 1.5, dpi=144),
            Scaling("QT_SCALE_FACTOR-2", 2.0, env=(("QT_SCALE_FACTOR", "2"),)))


def scaled(point, scale):
    """A point (or size) of the 96-dpi design at a scale, to the nearest device pixel."""
    return tuple(round(v * scale) for v in point)


# What a user's environment must not bring into a test: another session, another scale.
FOREIGN_VARIABLES = ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XAUTHORITY", "SESSION_MANAGER",
                     "DBUS_SESSION_BUS_ADDRESS", "DESKTOP_SESSION", "XDG_CURRENT_DESKTOP",
                     "XDG_SESSION_TYPE", "PIPEWIRE_RUNTIME_DIR", "QT_SCALE_FACTOR",
                     "QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR",
                     "QT_ENABLE_HIGHDPI_SCALING", "QT_USE_PHYSICAL_DPI", "QT_FONT_DPI")


class _SetMonitor(rq.Request):
    """RandR's SetMonitor with the monitor's fields inline: python-xlib 0.33's own set_monitor
    cannot pack its monitor structure (ValueError from rq.Object.pack_value)."""
    _request = rq.Struct(
        rq.Card8("opcode"), rq.Opcode(43), rq.RequestLength(), rq.Window("window"), rq.Card32("name"),
        rq.Bool("primary"), rq.Bool("automatic"), rq.LengthOf("outputs", 2), rq.Int16("x"),
        rq.Int16("y"), rq.Card16("width"), rq.Card16("height"), rq.Card32("width_mm"),
        rq.Card32("height_mm"), rq.List("outputs", rq.Card32Obj))


KEY_NAMES = {"ctrl": "Control_L", "shift": "Shift_L", "alt": "Alt_L"}


class Display:
    """A private Xvfb server set up as `screen` says, plus an isolated home and settings directory
    for the programs started on it. Xft.dpi and the monitors stay for the server's life (it runs
    with -noreset) and can be changed between programs."""

    def __init__(self, screen=OPENBOX):
        self.screen = screen
        self.size = screen.size
        self.tmp = self.xvfb = self.openbox = self.x = None
        self.programs = []
        self._selection_window = self._probe_window = None

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.close()

    def start(self):
        missing = [t for t in ("Xvfb",) + ("openbox",) * self.screen.wm if shutil.which(t) is None]
        if missing:
            raise HarnessError(f"missing: {', '.join(missing)} (scripts/deps installs them)")
        self.tmp = tempfile.mkdtemp(prefix="kalibrix-e2e-")
        try:
            self.env = self._session_env()
            self._start_xvfb()
            self.env["DISPLAY"] = self.name
            if self.screen.monitors:
                self.set_monitors(self.screen.monitors)
            if self.screen.wm:
                self._start_openbox()
        except BaseException:
            self.close()
            raise
        return self

    def close(self):
        for program in self.programs:
            program.stop()
        self.programs = []
        stop_process(self.openbox)
        if self.x is not None:
            with contextlib.suppress(Exception):
                self.x.close()
            self.x = None
        stop_process(self.xvfb)
        self.openbox = self.xvfb = None
        if self.tmp and not os.environ.get("KALIBRIX_E2E_KEEP"):
            shutil.rmtree(self.tmp, ignore_errors=True)
        self.tmp = None

    def _session_env(self):
        env = {k: v for k, v in os.environ.items() if k not in FOREIGN_VARIABLES + ("DISPLAY",)}
        home = os.path.join(self.tmp, "home")
        env.update(HOME=home, XDG_RUNTIME_DIR=os.path.join(self.tmp, "runtime"),
                   XDG_CONFIG_HOME=os.path.join(self.tmp, "config"),
                   XDG_CACHE_HOME=os.path.join(home, ".cache"),
                   XDG_DATA_HOME=os.path.join(home, ".local", "share"), LC_ALL="C.UTF-8")
        for d in (home, env["XDG_RUNTIME_DIR"], env["XDG_CONFIG_HOME"]):
            os.makedirs(d, mode=0o700, exist_ok=True)
        return env

    def _start_xvfb(self):
        read_end, write_end = os.pipe()
        try:
            with open(os.path.join(self.tmp, "xvfb.log"), "wb") as log:
                self.xvfb = spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                                   "%dx%dx24" % self.size, "-nolisten", "tcp", "-noreset",
                                   *self.screen.xvfb_args], self.env, log, pass_fds=(write_end,))
        finally:
            os.close(write_end)
        # Xvfb writes its display number once it accepts connections.
        text = b""
        deadline = time.monotonic() + WINDOW_TIMEOUT
        try:
            while not text.endswith(b"\n"):
                remaining = deadline - time.monotonic()
                if remaining <= 0 or not select.select([read_end], [], [], remaining)[0]:
                    raise HarnessError("Xvfb did not report a display number in time")
                chunk = os.read(read_end, 64)
                if not chunk:
                    raise HarnessError("Xvfb failed to start:\n" + self.log("xvfb.log"))
                text += chunk
        finally:
            os.close(read_end)
        self.connect(int(text.strip()))

    def connect(self, number, xauthority=None):
        """Opens the harness's X connection to server `number` (with this cookie file, if any)."""
        self.number, self.name = number, f":{number}"
        saved = os.environ.get("XAUTHORITY")
        # python-xlib reads the cookie from there; a file that does not exist means none
        os.environ["XAUTHORITY"] = xauthority or "/nonexistent/.Xauthority"
        # python-xlib 0.33 registers each server's extension events in one table for all connections
        # of the process, and servers with other extensions (Xvfb, XWayland) then clash (TypeError
        # in add_extension_event): each connection gets a table of its own.
        xdisplay._BaseDisplay.event_classes = xevent.event_class.copy()
        try:
            self.x = XDisplay(self.name)
            self.x.display.event_classes = xdisplay._BaseDisplay.event_classes
        finally:
            if saved is None:
                del os.environ["XAUTHORITY"]
            else:
                os.environ["XAUTHORITY"] = saved
        self.root = self.x.screen().root

    def _start_openbox(self):
        with open(os.path.join(self.tmp, "openbox.log"), "wb") as log:
            self.openbox = spawn(["openbox", "--sm-disable"], self.env, log)

        def ready():
            if self.openbox.poll() is not None:
                raise HarnessError("openbox failed to start:\n" + self.log("openbox.log"))
            return self.property(self.root, "_NET_SUPPORTING_WM_CHECK")

        wait_until(ready, WINDOW_TIMEOUT, "openbox to manage the screen")

    def log(self, name):
        try:
            with open(os.path.join(self.tmp, name), encoding="utf-8", errors="replace") as f:
                return f.read()[-4000:]
        except OSError:
            return ""

    # The server's settings -----------------------------------------------------------------

    def set_dpi(self, dpi):
        """Sets Xft.dpi in the server's resources (None: removes it), as a desktop does for its
        scale; programs started from now on see it."""
        old = self.root.get_full_property(Xatom.RESOURCE_MANAGER, Xatom.STRING)
        lines = [line for line in (old.value.decode() if old else "").splitlines()
                 if line and not line.startswith("Xft.dpi:")] + ([f"Xft.dpi:\t{dpi}"] if dpi else [])
        if lines:
            self.root.change_property(Xatom.RESOURCE_MANAGER, Xatom.STRING, 8,
                                      ("\n".join(lines) + "\n").encode())
        else:
            self.root.delete_property(Xatom.RESOURCE_MANAGER)
        self.x.sync()

    def set_monitors(self, monitors):
        """Replaces the screen's monitors by these (one of them may be the primary one). The first
        is bound to the screen's output, which takes the automatic whole-screen monitor away."""
        for old in self.root.xrandr_get_monitors().monitors:
            if not old.automatic:
                self.root.xrandr_delete_monitor(old.name)
        resources = self.root.xrandr_get_screen_resources()
        output = next(o for o in resources.outputs
                      if self.x.xrandr_get_output_info(o, resources.config_timestamp).connection == 0)
        for i, m in enumerate(monitors):
            _SetMonitor(display=self.x.display,
                        opcode=self.x.display.get_extension_major(randr.extname),
                        window=self.root, name=self.atom(m.name), primary=m.primary, automatic=False,
                        x=m.x, y=m.y, width=m.width, height=m.height,
                        width_mm=round(m.width * 25.4 / 96), height_mm=round(m.height * 25.4 / 96),
                        outputs=[output] if i == 0 else [])
        listed = sorted(self.x.get_atom_name(m.name)
                        for m in self.root.xrandr_get_monitors().monitors)
        if listed != sorted(m.name for m in monitors):
            raise HarnessError(f"monitors {listed} instead of {[m.name for m in monitors]}")

    # Programs and settings -----------------------------------------------------------------

    def settings_path(self, organisation="Kalibrix", application="Kalibrix"):
        return os.path.join(self.env["XDG_CONFIG_HOME"], organisation, application + ".conf")

    def reset_config(self):
        """Empties the settings directory, as on a first start."""
        shutil.rmtree(self.env["XDG_CONFIG_HOME"], ignore_errors=True)
        os.makedirs(self.env["XDG_CONFIG_HOME"])

    def launch(self, binary=None, args=(), env=None):
        """Starts the program (default: $KALIBRIX_BIN) on this display."""
        program = Program([binary or program_path(), *args], dict(self.env, **(env or {})), self.tmp)
        self.programs.append(program)
        return program

    # Windows -------------------------------------------------------------------------------

    def atom(self, name):
        return self.x.intern_atom(name)

    def window(self, wid):
        return self.x.create_resource_object("window", wid)

    def property(self, window, name, kind=X.AnyPropertyType):
        """The value of a window's property (bytes or a list of numbers), or None."""
        with contextlib.suppress(xerror.BadWindow):
            reply = window.get_full_property(self.atom(name), kind)
            return reply.value if reply else None
        return None

    def _viewable(self, window):
        """The viewable windows below `window`, depth first."""
        try:
            children = window.query_tree().children
        except xerror.XError:  # gone meanwhile
            return
        for child in children:
            with contextlib.suppress(xerror.XError):
                if child.get_attributes().map_state == X.IsViewable:
                    yield child
                    yield from self._viewable(child)

    def window_ids(self, title=None, pid=None):
        """Ids of the mapped windows with exactly this title and/or of process `pid`."""
        return [w.id for w in self._viewable(self.root)
                if (pid is None or (self.property(w, "_NET_WM_PID") or [None])[0] == pid)
                and (title is None or self.window_name(w.id) == title)]

    def window_name(self, wid):
        window = self.window(wid)
        name = self.property(window, "_NET_WM_NAME") or self.property(window, "WM_NAME")
        return name.decode("utf-8", "replace") if name is not None else None

    def wait_window(self, title, program=None, timeout=WINDOW_TIMEOUT):
        """Waits until a window with exactly this title is mapped and returns its id. Fails at
        once, with the program's output, if the program ends first."""
        def find():
            if program is not None and not program.running():
                raise HarnessError(f"program ended before window {title!r} appeared\n"
                                   + program.describe())
            return next(iter(self.window_ids(title)), None)

        try:
            return wait_until(find, timeout, f"a window titled {title!r}")
        except TimeoutError as e:
            raise TimeoutError(f"{e}\n{program.describe()}" if program else str(e)) from None

    def wait_window_gone(self, wid, timeout=EXIT_TIMEOUT):
        wait_until(lambda: not self.is_viewable(wid), timeout, f"window 0x{wid:x} to go away")

    def geometry(self, wid):
        """Absolute position and size of the window's client area."""
        window = self.window(wid)
        size = window.get_geometry()
        at = self.root.translate_coords(window, 0, 0)
        return Geometry(at.x, at.y, size.width, size.height)

    def is_viewable(self, wid):
        try:
            return self.window(wid).get_attributes().map_state == X.IsViewable
        except xerror.XError:
            return False

    def wm_state(self, wid):
        """The window's _NET_WM_STATE atoms, e.g. {'_NET_WM_STATE_ABOVE'}."""
        atoms = self.property(self.window(wid), "_NET_WM_STATE") or ()
        return {self.x.get_atom_name(a) for a in atoms}

    def shape_extents(self, wid):
        """The window's bounding shape extents (width, height, x, y), or None without a shape."""
        e = self.window(wid).shape_query_extents()
        return ((e.bounding_shape_extents_width, e.bounding_shape_extents_height,
                 e.bounding_shape_extents_x, e.bounding_shape_extents_y)
                if e.bounding_shaped else None)

    def active_window(self):
        value = self.property(self.root, "_NET_ACTIVE_WINDOW")
        return value[0] if value and value[0] else None

    def _client_message(self, destination, window, message_type, data, mask):
        message = xevent.ClientMessage(window=window, client_type=self.atom(message_type),
                                       data=(32, (list(data) + [0] * 5)[:5]))
        self.window(destination).send_event(message, event_mask=mask)
        self.x.sync()

    def close_window(self, wid):
        """Asks for the window to be closed as the title bar's close button does: through the
        window manager's _NET_CLOSE_WINDOW, or without one, by WM_DELETE_WINDOW directly."""
        if self.screen.wm:
            self._client_message(self.root.id, wid, "_NET_CLOSE_WINDOW", [0, 2],
                                 X.SubstructureNotifyMask | X.SubstructureRedirectMask)
        else:
            self._client_message(wid, wid, "WM_PROTOCOLS", [self.atom("WM_DELETE_WINDOW")], 0)

    def ping(self, wid, timeout=STEP_TIMEOUT):
        """Returns once the program owning the window has answered a _NET_WM_PING, which it reads
        after every event sent to it before."""
        self._serial = getattr(self, "_serial", 0) + 1
        ping = self.atom("_NET_WM_PING")
        # Qt sends the answer to the root for StructureNotify and SubstructureRedirect.
        self.root.change_attributes(event_mask=X.StructureNotifyMask)
        try:
            self._client_message(wid, wid, "WM_PROTOCOLS", [ping, self._serial, wid], 0)

            def answered():
                while self.x.pending_events():
                    e = self.x.next_event()
                    if e.type & 0x7F == X.ClientMessage \
                            and list(e.data[1][:2]) == [ping, self._serial]:
                        return True
                return False

            wait_until(answered, timeout, f"an answer to a ping of window 0x{wid:x}", interval=0.005)
        finally:
            self.root.change_attributes(event_mask=0)

    def activate(self, wid):
        """Asks the window manager to make the window the active one, as a pager does."""
        self._client_message(self.root.id, wid, "_NET_ACTIVE_WINDOW", [2],
                             X.SubstructureNotifyMask | X.SubstructureRedirectMask)
        wait_value(self.active_window, lambda w: w == wid, STEP_TIMEOUT, f"0x{wid:x} to be active")

    def sync_window_manager(self, timeout=STEP_TIMEOUT):
        """Returns once the window manager has handled everything sent to it before this call (a
        window mapped or activated by a program whose ping has been answered, say): it answers
        _NET_REQUEST_FRAME_EXTENTS for an unmapped window of the harness's in turn. The request is
        sent again while no answer has come: one made just after openbox started went unanswered."""
        if self._probe_window is None:
            self._probe_window = self.root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
        self._probe_window.delete_property(self.atom("_NET_FRAME_EXTENTS"))

        def answered():
            if self.property(self._probe_window, "_NET_FRAME_EXTENTS") is not None:
                return True
            self._client_message(self.root.id, self._probe_window.id, "_NET_REQUEST_FRAME_EXTENTS",
                                 [], X.SubstructureNotifyMask | X.SubstructureRedirectMask)
            return False

        wait_until(answered, timeout, "the window manager to answer a request for frame extents",
                   interval=0.1)

    def move_window(self, wid, x, y):
        self.window(wid).configure(x=x, y=y)
        self.x.sync()

    def clipboard(self, timeout=10.0):
        """The text the CLIPBOARD selection holds, or None when it holds none."""
        if self._selection_window is None:
            self._selection_window = self.root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
        window, target = self._selection_window, self.atom("KALIBRIX_CLIPBOARD")
        window.convert_selection(self.atom("CLIPBOARD"), self.atom("UTF8_STRING"), target,
                                 X.CurrentTime)
        self.x.flush()
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            while self.x.pending_events():
                e = self.x.next_event()
                if e.type & 0x7F == X.SelectionNotify and e.requestor == window:
                    text = self.property(window, "KALIBRIX_CLIPBOARD") if e.property else None
                    return text.decode("utf-8") if text is not None else None
            select.select([self.x], [], [], max(0.0, deadline - time.monotonic()))
        raise TimeoutError("no answer from the clipboard's owner")

    # Mouse and keyboard, through XTEST ------------------------------------------------------

    def _fake(self, kind, detail=0, x=0, y=0):
        xtest.fake_input(self.x, kind, detail, x=x, y=y)
        self.x.sync()

    def move_mouse(self, x, y):
        self._fake(X.MotionNotify, x=x, y=y)

    def press(self, x, y, button=1):
        self.move_mouse(x, y)
        self._fake(X.ButtonPress, button)

    def release(self, button=1):
        self._fake(X.ButtonRelease, button)

    def click(self, x, y, button=1, hold=PRESS_HOLD):
        """A click held `hold` seconds: a zero-length synthetic click can leave openbox in its
        move mode."""
        self.press(x, y, button)
        time.sleep(hold)
        self.release(button)

    def drag(self, x0, y0, x1, y1, steps=10, hold=PRESS_BEFORE_MOVE, step_pause=0.02):
        """Presses at (x0, y0), moves to (x1, y1) in `steps` even steps and releases, holding the
        button still for `hold` seconds before the first step and after the last."""
        self.press(x0, y0)
        time.sleep(hold)
        self.move_along([(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps))
                         for i in range(1, steps + 1)], step_pause)
        time.sleep(hold)
        self.release()

    def move_along(self, points, step_pause):
        """Moves the pointer through points, `step_pause` seconds apart, as a hand does."""
        for x, y in points:
            self.move_mouse(x, y)
            time.sleep(step_pause)

    def key(self, *keys):
        """Types each key, e.g. "Right", "shift+Right" or "ctrl+c", to the window with the focus."""
        for combination in keys:
            codes = [self.x.keysym_to_keycode(XK.string_to_keysym(KEY_NAMES.get(name, name)))
                     for name in combination.split("+")]
            if not all(codes):
                raise HarnessError(f"no key for {combination!r}")
            for code in codes:
                self._fake(X.KeyPress, code)
            for code in reversed(codes):
                self._fake(X.KeyRelease, code)

    # Pixels --------------------------------------------------------------------------------

    def window_image(self, wid, x, y, width, height):
        """The pixels of a rectangle of a window (the root: the screen) as an RGB image."""
        reply = self.window(wid).get_image(x, y, width, height, X.ZPixmap, 0xFFFFFFFF)
        return Image.frombytes("RGB", (width, height), reply.data, "raw", "BGRX")

    def screenshot(self, x=0, y=0, width=None, height=None):
        """The screen's pixels (or a rectangle of them) as an RGB image."""
        return self.window_image(self.root.id, x, y, width or self.size[0] - x,
                                 height or self.size[1] - y)

    def set_background(self, image):
        """Makes an RGB image of the screen's size the root window's background (the root keeps it
        after the pixmap is freed)."""
        pixmap = self.root.create_pixmap(*self.size, self.x.screen().root_depth)
        gc = pixmap.create_gc()
        pixmap.put_pil_image(gc, 0, 0, image)
        self.root.change_attributes(background_pixmap=pixmap)
        self.root.clear_area()
        gc.free()
        pixmap.free()

    def wait_pixels(self, predicate, rect=None, timeout=STEP_TIMEOUT, what="the screen"):
        """Polls screenshots (of rect = (x, y, w, h), default the whole screen) until
        predicate(image) is true; returns that image."""
        def check():
            image = self.screenshot(*(rect or ()))
            return image if predicate(image) else None

        return wait_until(check, timeout, what, interval=0.05)


# --------------------------------------------------------------------------------------------
# The settings file


def read_settings(path, section="Settings"):
    """The keys of a section of the program's settings file, as text."""
    parser = configparser.ConfigParser(interpolation=None, strict=False)
    parser.optionxform = str  # keys are case-sensitive
    if not parser.read(path, encoding="utf-8"):
        raise AssertionError(f"no settings file at {path}")
    return dict(parser[section]) if parser.has_section(section) else {}


def write_settings(path, values, sections=None):
    """Writes the [Settings] keys, then those of further sections ({"Display": {...}})."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        for section, keys in {"Settings": values, **(sections or {})}.items():
            f.write(f"[{section}]\n" + "".join(f"{k}={v}\n" for k, v in keys.items()))


# --------------------------------------------------------------------------------------------
# The program's windows: client-area points of the control panel (96-dpi pixels) and the calipers


PANEL_TITLE = "Kalibrix"
PANEL_SIZE = (395, 197)
CHECK1, CHECK2 = (44, 48), (44, 128)  # the horizontal and the vertical caliper
CHECK4 = (132, 28)  # set square: the calibration view
CHECK5, CHECK5_RECT = (224, 172), (200, 160, 176, 25)  # "keep on top", in the calibration view
HSCROLL1_RIGHT = (308, 76)  # the right arrow of the horizontal zero point's scroll bar
HSCROLL1_RECT = (200, 72, 113, 9)
COMMAND3 = (385, 100)  # the narrow button that minimises the panel
UNIT_BUTTONS = {"cm": (132, 56), "pic": (132, 80), "zoll": (132, 104), "twi": (132, 128),
                "pkt": (132, 152)}
MAGNIFIER_BUTTON, HELP_BUTTON = (92, 28), (164, 28)
BANNER = (284, 100)
VIEW = (194, 10, 180, 180)  # the banner's inside, where the magnifier shows its view
RULER_STRIP = (96, 176)
AWAY = (1000, 700)  # a pointer position over no window


@dataclass(frozen=True)
class Caliper:
    """What differs between the horizontal and the vertical caliper."""
    name: str
    panel_button: tuple  # client-area point of its button on the control panel
    beam_title: str
    beam_size: tuple
    slider_size: tuple
    zero_offset: tuple  # the slider's top-left corner from the beam's, at the zero point
    axis: tuple  # the direction in which "+" moves the slider
    plus: tuple  # slider-relative points of "+" and " - "
    minus: tuple
    close_spot: tuple  # beam-relative point of "Ende"
    grip: tuple  # beam-relative point of the bar, clear of the slider and the close spot

    def __str__(self):
        return self.name


HORIZONTAL = Caliper("horizontal", CHECK1, "Form1", beam_size=(508, 165), slider_size=(100, 165),
                     zero_offset=(28, -1), axis=(1, 0), plus=(85, 14), minus=(16, 14),
                     close_spot=(497, 17), grip=(300, 12))
VERTICAL = Caliper("vertical", CHECK2, "Form3", beam_size=(165, 428), slider_size=(167, 428),
                   zero_offset=(-1, 28), axis=(0, 1), plus=(152, 86), minus=(152, 14),
                   close_spot=(145, 421), grip=(150, 300))
CALIPERS = (HORIZONTAL, VERTICAL)


class Kalibrix:
    """A running program and its control panel, with what a user does to it. Points are in 96-dpi
    pixels of the design, scaled by `scale` to the screen."""

    def __init__(self, display, program, scale=1.0, timeout=WINDOW_TIMEOUT):
        self.display, self.program, self.scale = display, program, scale
        self.panel = display.wait_window(PANEL_TITLE, program=program, timeout=timeout)

    @property
    def origin(self):
        """The panel's client area now: the program may still move it once it has been mapped (to
        keep it wholly on the screen), and a window manager may place it anew."""
        return self.display.geometry(self.panel)

    def close(self, timeout=EXIT_TIMEOUT):
        """Closes the panel as through its title bar; the program must end with exit code 0."""
        self.display.close_window(self.panel)
        code = self.program.wait(timeout)
        assert code == 0, "closing the control panel must end the program with exit code 0\n" \
            + self.program.describe()

    def messages(self):
        """The program's message windows: the mapped ones titled as the panel."""
        return [w for w in self.display.window_ids(PANEL_TITLE, self.program.pid) if w != self.panel]

    def wait_message(self, what):
        """Waits for one message window and returns it."""
        found = wait_value(self.messages, bool, STEP_TIMEOUT, f"a message {what}")
        assert len(found) == 1, f"{len(found)} messages {what}"
        return found[0]

    def at(self, wid, point):
        g = self.display.geometry(wid)
        x, y = scaled(point, self.scale)
        return g.x + x, g.y + y

    def panel_point(self, point):
        x, y = scaled(point, self.scale)
        return self.origin.x + x, self.origin.y + y

    def panel_rect(self, rect):
        return (*self.panel_point(rect[:2]), *scaled(rect[2:], self.scale))

    def click_panel(self, point, **kwargs):
        self.display.click(*self.panel_point(point), **kwargs)

    def click_in(self, wid, point, **kwargs):
        self.display.click(*self.at(wid, point), **kwargs)

    def window_of_size(self, size, what):
        """The program's mapped window with this client size (96-dpi pixels, scaled; at a fractional
        scale Qt may round either way)."""
        d, size = self.display, scaled(size, self.scale)
        slack = 0 if self.scale == int(self.scale) else 1

        def sizes():
            return {w: d.geometry(w)[2:] for w in d.window_ids(pid=self.program.pid)}

        found = wait_value(sizes, lambda found: any(
            all(abs(a - b) <= slack for a, b in zip(s, size)) for s in found.values()),
            WINDOW_TIMEOUT, f"the {what} ({size[0]}x{size[1]}) to be mapped")
        return next(w for w, s in found.items() if all(abs(a - b) <= slack for a, b in zip(s, size)))

    def settle_focus(self):
        """Waits until the window manager has stopped moving the focus: a focus change while a
        click holds a button down would cancel that click."""
        wait_settled(self.display.active_window, STEP_TIMEOUT, "the focus to settle")

    def show(self, caliper):
        """Clicks the caliper's panel button; returns (beam, slider) once both are mapped and the
        focus has settled."""
        self.click_panel(caliper.panel_button)
        windows = (self.window_of_size(caliper.beam_size, f"{caliper} beam"),
                   self.window_of_size(caliper.slider_size, f"{caliper} slider"))
        self.settle_focus()
        return windows

    def place(self, wid):
        g = self.display.geometry(wid)
        return g.x, g.y

    def wait_place(self, wid, place, what):
        return wait_value(lambda: self.place(wid), lambda p: p == tuple(place), STEP_TIMEOUT,
                          f"{what} at {place}")

    def wait_title(self, wid, title, what="the slider's title"):
        return wait_value(lambda: self.display.window_name(wid), lambda t: t == title,
                          STEP_TIMEOUT, f"{what} to read {title!r}")

    def wait_on_zero(self, caliper, beam, slider):
        """Waits for the slider at its zero point on the beam; returns that place."""
        bx, by = self.place(beam)
        zx, zy = scaled(caliper.zero_offset, self.scale)
        return self.wait_place(slider, (bx + zx, by + zy), "the slider at its zero point")

    def drag_beam(self, caliper, beam, slider, path, steps=20):
        """Drags the beam by its bar along `path` in `steps` pointer moves; after each move the
        beam must stand exactly where the pointer took it and the slider at the same offset."""
        d = self.display
        bx, by = self.place(beam)
        sx, sy = self.place(slider)
        x0, y0 = self.at(beam, caliper.grip)
        d.press(x0, y0)
        try:
            time.sleep(PRESS_BEFORE_MOVE)
            for i in range(1, steps + 1):
                dx, dy = round(path[0] * i / steps), round(path[1] * i / steps)
                d.move_mouse(x0 + dx, y0 + dy)
                self.wait_place(beam, (bx + dx, by + dy), f"the beam after drag step {i}")
                self.wait_place(slider, (sx + dx, sy + dy),
                                f"the slider at its offset after drag step {i}")
        finally:
            d.release()


# --------------------------------------------------------------------------------------------
# Showing the program on a virtual display (scripts/run)


LOCALE_VARIABLES = ("LC_ALL", "LC_MESSAGES", "LC_NUMERIC", "LC_CTYPE", "LANG", "LANGUAGE")


def show(binary, screenshot_path, keep_running, calipers=False):
    # Unlike a test, this run keeps the user's own settings and language (an empty locale variable
    # counts as unset).
    home = os.environ.get("HOME") or os.path.expanduser("~")
    user_env = {"HOME": home,
                "XDG_CONFIG_HOME": os.environ.get("XDG_CONFIG_HOME") or os.path.join(home, ".config")}
    user_env.update({name: os.environ.get(name, "") for name in LOCALE_VARIABLES})
    with Display() as display:
        print(f"Virtual display {display.name} ({SCREEN_SIZE[0]}x{SCREEN_SIZE[1]}) with openbox "
              "is running.", flush=True)
        run = Kalibrix(display, display.launch(binary, env=user_env))
        g = run.origin
        display.wait_pixels(lambda im: len(im.getcolors(im.width * im.height)) > 2,
                            rect=(g.x, g.y, g.width, g.height), what="the control panel to paint")
        if calipers:  # both calipers on the screen, each slider showing its reading
            sliders = [run.show(caliper)[1] for caliper in CALIPERS]
            display.move_mouse(*AWAY)
            for slider in sliders:
                wait_until(lambda: (display.window_name(slider) or "").endswith(" cm"), STEP_TIMEOUT,
                           "the slider's reading")
        display.screenshot().save(screenshot_path)
        print(f"Kalibrix is running; its control panel is at {g.x},{g.y} ({g.width}x{g.height}).")
        print(f"Screenshot of the screen: {screenshot_path}", flush=True)
        if keep_running:
            print(f"It runs on DISPLAY={display.name}; press Ctrl+C to stop.", flush=True)
            try:
                return run.program.wait(timeout=None)
            except KeyboardInterrupt:
                print("\nStopping.", flush=True)
        # Closed as through its title bar, so that it ends normally and saves its settings.
        display.close_window(run.panel)
        return run.program.wait()


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    sub = parser.add_subparsers(dest="command", required=True)
    p = sub.add_parser("show", help="run the program on a virtual display and save a screenshot")
    p.add_argument("--bin", required=True, help="the program to run")
    p.add_argument("--screenshot", required=True, help="where to save the PNG")
    p.add_argument("--keep-running", action="store_true",
                   help="keep the program running until it ends or Ctrl+C")
    p.add_argument("--calipers", action="store_true",
                   help="show both calipers before taking the screenshot")
    args = parser.parse_args(argv)
    try:
        return show(args.bin, os.path.abspath(args.screenshot), args.keep_running, args.calipers)
    except (HarnessError, TimeoutError) as e:
        print(f"error: {e}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
