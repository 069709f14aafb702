#!/usr/bin/env python3
"""End-to-end harness: runs Kalibrix on a private Xvfb display, optionally under openbox, and
drives it the way a user would, with xdotool, reading real window positions and real pixels.

Standard library only. Typical use in a test:

    with harness.Display(wm=True) as display:
        program = display.launch()
        wid = display.wait_window("Kalibrix", program=program)
        geometry = display.geometry(wid)
        display.click(geometry.x + 20, geometry.y + 30)
        image = display.screenshot()
        display.close_window(wid)
        assert program.wait() == 0

Waiting is always done by polling for the awaited state with a generous timeout, never by a fixed
sleep: a first paint right after Xvfb and openbox start can take many seconds.

Run as a script it shows the program on a virtual display and saves a screenshot (scripts/run).
"""

import argparse
import configparser
import ctypes
import os
import re
import select
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import zlib
from dataclasses import dataclass

SKIP_RETURN_CODE = 77
SCREEN_SIZE = (1280, 800)
# Generous on purpose: a fresh X server occasionally takes more than 10 s to the first paint.
WINDOW_TIMEOUT = float(os.environ.get("KALIBRIX_E2E_TIMEOUT", "60"))
EXIT_TIMEOUT = 30.0
# A synthetic press held this long is seen as a real press by the window manager's move mode.
PRESS_HOLD = 0.03

REQUIRED_TOOLS = ("xdotool", "xwininfo", "xprop", "xclip")


class HarnessError(RuntimeError):
    pass


# --------------------------------------------------------------------------------------------
# Processes


def _die_with_parent():
    """Runs in each child before exec: the child gets SIGKILL when the harness dies, so a killed
    test (a ctest timeout, say) leaves no X server or program behind."""
    try:
        libc = ctypes.CDLL(None, use_errno=True)
        libc.prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG
    except (OSError, AttributeError):
        pass


def _stop(proc, grace=5.0):
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


def wait_until(predicate, timeout, what, interval=0.05):
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


class Program:
    """One run of the program under test, with its output captured in files."""

    def __init__(self, args, env, log_dir, name="kalibrix"):
        self.args = list(args)
        fd, self.stdout_path = tempfile.mkstemp(prefix=f"{name}-", suffix=".out", dir=log_dir)
        os.close(fd)
        self.stderr_path = self.stdout_path[:-4] + ".err"
        with open(self.stdout_path, "wb") as out, open(self.stderr_path, "wb") as err:
            # A session of its own: Ctrl+C in the terminal reaches the harness only, which then
            # closes the program properly.
            self.proc = subprocess.Popen(self.args, env=env, stdin=subprocess.DEVNULL, stdout=out,
                                         stderr=err, preexec_fn=_die_with_parent,
                                         start_new_session=True)
        self.started = time.monotonic()

    @property
    def pid(self):
        return self.proc.pid

    def poll(self):
        return self.proc.poll()

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
        _stop(self.proc)

    def stdout_text(self):
        with open(self.stdout_path, encoding="utf-8", errors="replace") as f:
            return f.read()

    def stderr_text(self):
        with open(self.stderr_path, encoding="utf-8", errors="replace") as f:
            return f.read()

    def describe(self):
        """The command, exit status and captured output, for failure messages."""
        code = self.proc.poll()
        state = "running" if code is None else f"exit code {code}"
        text = self.stderr_text().strip()
        if len(text) > 4000:
            text = "...\n" + text[-4000:]
        return f"{' '.join(self.args)}: {state}\n--- stderr ---\n{text or '(empty)'}"


# --------------------------------------------------------------------------------------------
# A minimal X11 protocol client: what the command-line tools do not offer (asking the window
# manager to close a window) or offer only slowly (reading the screen's pixels).


class XError(HarnessError):
    pass


def _pad4(n):
    return (n + 3) & ~3


def read_xauthority(path):
    """The first MIT-MAGIC-COOKIE-1 entry of an Xauthority file as (name, data), or None."""
    with open(path, "rb") as f:
        raw = f.read()
    offset = 0

    def field():
        nonlocal offset
        length = struct.unpack_from(">H", raw, offset)[0]
        value = raw[offset + 2:offset + 2 + length]
        offset += 2 + length
        return value

    while offset + 2 <= len(raw):
        offset += 2  # family
        field(), field()  # address, display number
        name, data = field(), field()
        if name == b"MIT-MAGIC-COOKIE-1":
            return name, data
    return None


class XConnection:
    OP_SEND_EVENT = 25
    OP_INTERN_ATOM = 16
    OP_GET_INPUT_FOCUS = 43
    OP_GET_IMAGE = 73
    CLIENT_MESSAGE = 33
    SUBSTRUCTURE_NOTIFY = 1 << 19
    SUBSTRUCTURE_REDIRECT = 1 << 20

    def __init__(self, display_number, timeout=30.0, auth=None):
        """auth: (name, data) of an authorisation protocol, e.g. from read_xauthority()."""
        self.auth = auth or (b"", b"")
        path = f"/tmp/.X11-unix/X{display_number}"
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.settimeout(timeout)
        try:
            self.sock.connect(path)
        except OSError:
            self.sock.connect("\0" + path)  # the abstract socket of the same server
        self.seq = 0
        self._atoms = {}
        self._handshake()

    def close(self):
        self.sock.close()

    def _recv(self, n):
        buf = bytearray(n)
        view = memoryview(buf)
        got = 0
        while got < n:
            k = self.sock.recv_into(view[got:], n - got)
            if k == 0:
                raise HarnessError("the X server closed the connection")
            got += k
        return buf

    def _handshake(self):
        # Little-endian client, protocol 11.0; no authorisation on the harness's own server.
        name, data = self.auth
        self.sock.sendall(struct.pack("<BxHHHHxx", 0x6C, 11, 0, len(name), len(data))
                          + name + b"\0" * (_pad4(len(name)) - len(name))
                          + data + b"\0" * (_pad4(len(data)) - len(data)))
        head = self._recv(8)
        data = self._recv(struct.unpack_from("<H", head, 6)[0] * 4)
        if head[0] != 1:
            raise HarnessError("X server refused the connection: "
                               + bytes(data[:head[1]]).decode("latin-1", "replace"))
        (_release, _id_base, _id_mask, _motion, vendor_len, _max_req, n_screens, n_formats,
         self.image_byte_order, _bit_order, _scan_unit, _scan_pad, _min_kc,
         _max_kc) = struct.unpack_from("<IIIIHHBBBBBBBB4x", data, 0)
        offset = 32 + _pad4(vendor_len)
        self.formats = {}
        for _ in range(n_formats):
            depth, bpp, pad = struct.unpack_from("<BBB5x", data, offset)
            self.formats[depth] = (bpp, pad)
            offset += 8
        (self.root, _cmap, _white, _black, _masks, self.width, self.height, _wmm, _hmm, _minm,
         _maxm, root_visual, _bs, _su, self.root_depth,
         n_depths) = struct.unpack_from("<IIIIIHHHHHHIBBBB", data, offset)
        offset += 40
        self.masks = None
        for _ in range(n_depths):
            _depth, n_visuals = struct.unpack_from("<BxH4x", data, offset)
            offset += 8
            for _ in range(n_visuals):
                vid, _cls, _bits, _entries, red, green, blue = struct.unpack_from(
                    "<IBBHIII4x", data, offset)
                offset += 24
                if vid == root_visual:
                    self.masks = (red, green, blue)

    def _send(self, request):
        self.sock.sendall(request)
        self.seq = (self.seq + 1) & 0xFFFF
        return self.seq

    def _reply(self, seq):
        while True:
            head = self._recv(32)
            if head[0] == 0:
                code, bad = head[1], struct.unpack_from("<I", head, 4)[0]
                raise XError(f"X error {code} (resource 0x{bad:x}, request {head[10]})")
            if head[0] == 1:
                length = struct.unpack_from("<I", head, 4)[0]
                body = self._recv(length * 4) if length else bytearray()
                if struct.unpack_from("<H", head, 2)[0] == seq:
                    return head, body
            # Anything else is an event; this client selects none, so none matter.

    def sync(self):
        """Round trip: raises XError for a failed earlier request."""
        self._reply(self._send(struct.pack("<BxH", self.OP_GET_INPUT_FOCUS, 1)))

    def atom(self, name):
        if name not in self._atoms:
            raw = name.encode("latin-1")
            request = struct.pack("<BBHH2x", self.OP_INTERN_ATOM, 0, 2 + _pad4(len(raw)) // 4,
                                  len(raw)) + raw + b"\0" * (_pad4(len(raw)) - len(raw))
            head, _ = self._reply(self._send(request))
            self._atoms[name] = struct.unpack_from("<I", head, 8)[0]
        return self._atoms[name]

    def send_client_message(self, destination, window, message_type, data, event_mask):
        values = list(data) + [0] * (5 - len(data))
        event = struct.pack("<BBHII5I", self.CLIENT_MESSAGE, 32, 0, window,
                            self.atom(message_type), *values)
        self._send(struct.pack("<BBHII", self.OP_SEND_EVENT, 0, 11, destination, event_mask)
                   + event)
        self.sync()

    def get_image(self, x, y, width, height, drawable=None):
        """The pixels of a rectangle of the root window (or of another window) as an Image."""
        request = struct.pack("<BBHIhhHHI", self.OP_GET_IMAGE, 2, 5, drawable or self.root, x, y,
                              width, height, 0xFFFFFFFF)
        head, body = self._reply(self._send(request))
        bpp, pad = self.formats.get(head[1], (0, 0))
        if bpp != 32 or self.masks is None:
            raise HarnessError(f"unsupported screen format: depth {head[1]}, {bpp} bits per pixel")
        stride = _pad4(width * 4) if pad <= 32 else width * 4
        return Image.from_xpixels(width, height, body, stride, self.masks)


# --------------------------------------------------------------------------------------------
# Pictures


class Image:
    """An RGB picture: width, height and 3 bytes per pixel, row by row."""

    def __init__(self, width, height, rgb):
        if len(rgb) != width * height * 3:
            raise ValueError("pixel data does not match the size")
        self.width, self.height, self.rgb = width, height, bytes(rgb)

    @classmethod
    def from_xpixels(cls, width, height, data, stride, masks):
        rgb = bytearray(width * height * 3)
        shifts = [(m & -m).bit_length() - 1 for m in masks]
        if masks == (0xFF0000, 0xFF00, 0xFF):
            for row in range(height):
                line = data[row * stride: row * stride + width * 4]
                out = row * width * 3
                rgb[out:out + width * 3:3] = line[2::4]
                rgb[out + 1:out + width * 3:3] = line[1::4]
                rgb[out + 2:out + width * 3:3] = line[0::4]
        else:
            for row in range(height):
                for col in range(width):
                    v = struct.unpack_from("<I", data, row * stride + col * 4)[0]
                    i = (row * width + col) * 3
                    for c in range(3):
                        rgb[i + c] = ((v & masks[c]) >> shifts[c]) & 0xFF
        return cls(width, height, rgb)

    def pixel(self, x, y):
        if not (0 <= x < self.width and 0 <= y < self.height):
            raise IndexError(f"pixel ({x}, {y}) outside a {self.width}x{self.height} picture")
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def crop(self, x, y, width, height):
        rows = [self.rgb[((y + r) * self.width + x) * 3:((y + r) * self.width + x + width) * 3]
                for r in range(height)]
        return Image(width, height, b"".join(rows))

    def count(self, color):
        """How many pixels have exactly this colour."""
        r, g, b = color
        return sum(1 for i in range(0, len(self.rgb), 3)
                   if self.rgb[i] == r and self.rgb[i + 1] == g and self.rgb[i + 2] == b)

    def colors(self):
        """The set of colours in the picture."""
        return {self.rgb[i:i + 3] for i in range(0, len(self.rgb), 3)}

    def save_png(self, path):
        def chunk(kind, payload):
            body = kind + payload
            return struct.pack(">I", len(payload)) + body + struct.pack(">I", zlib.crc32(body))

        stride = self.width * 3
        raw = b"".join(b"\0" + self.rgb[r * stride:(r + 1) * stride] for r in range(self.height))
        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                    + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


# --------------------------------------------------------------------------------------------
# The display


@dataclass(frozen=True)
class Geometry:
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
class Scaling:
    """One way a desktop asks programs to draw larger: Xft.dpi in the X resources and/or
    environment variables (as name, value pairs), giving `scale` device pixels per 96-dpi pixel."""
    name: str
    scale: float
    dpi: int = 96
    env: tuple = ()


# What desktops set for 200 % and 150 %, and Qt's own factor for 200 %.
SCALINGS = (Scaling("Xft.dpi 192", 2.0, dpi=192), Scaling("Xft.dpi 144", 1.5, dpi=144),
            Scaling("QT_SCALE_FACTOR=2", 2.0, env=(("QT_SCALE_FACTOR", "2"),)))


def scaled(point, scale):
    """A point (or size) of the 96-dpi design at a scale, to the nearest device pixel."""
    return tuple(round(v * scale) for v in point)


# Scaling the desktop asks for that a user's environment must not bring into a test.
SCALING_VARIABLES = ("QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR",
                     "QT_ENABLE_HIGHDPI_SCALING", "QT_USE_PHYSICAL_DPI", "QT_FONT_DPI")


class Display:
    """A private Xvfb server (by default 1280x800x24), optionally with openbox, plus an isolated
    home and settings directory for the programs started on it.

    dpi sets the X resource Xft.dpi (what desktops set for a scale: 144 is 150 %, 192 is 200 %);
    monitors splits the screen into RandR monitors, as several monitors side by side would. Both
    stay for the server's life (it runs with -noreset) and can be changed between programs.
    xvfb_args are more options for the server, such as ("-dpi", "120") for its screen's millimetres."""

    def __init__(self, wm=True, size=SCREEN_SIZE, dpi=None, monitors=(), xvfb_args=()):
        self.wm = wm
        self.size = size
        self.xvfb_args = tuple(xvfb_args)
        self.dpi = dpi
        self.monitors = tuple(monitors)
        self.tmp = None
        self.xvfb = None
        self.openbox = None
        self.x = None
        self.number = None
        self.programs = []

    # Life cycle ---------------------------------------------------------------------------

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.close()

    def start(self):
        wanted = (("Xvfb",) + REQUIRED_TOOLS + (("openbox",) if self.wm else ())
                  + (("xrdb",) if self.dpi is not None else ()) + (("xrandr",) if self.monitors else ()))
        missing = [t for t in wanted if shutil.which(t) is None]
        if missing:
            raise HarnessError("missing tools: " + ", ".join(missing)
                               + " (scripts/deps installs them)")
        self.tmp = tempfile.mkdtemp(prefix="kalibrix-e2e-")
        try:
            self._start_xvfb()
            self.env = self._child_env()
            if self.dpi is not None:
                self.set_dpi(self.dpi)
            if self.monitors:
                self.set_monitors(self.monitors)
            if self.wm:
                self._start_openbox()
        except BaseException:
            self.close()
            raise
        return self

    def close(self):
        for program in self.programs:
            program.stop()
        self.programs = []
        _stop(self.openbox)
        if self.x is not None:
            self.x.close()
            self.x = None
        _stop(self.xvfb)
        self.openbox = self.xvfb = None
        if self.tmp and not os.environ.get("KALIBRIX_E2E_KEEP"):
            shutil.rmtree(self.tmp, ignore_errors=True)
        self.tmp = None

    def _start_xvfb(self):
        read_end, write_end = os.pipe()
        log = open(os.path.join(self.tmp, "xvfb.log"), "wb")
        try:
            width, height = self.size
            self.xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24",
                 "-nolisten", "tcp", "-noreset", *self.xvfb_args],
                pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                preexec_fn=_die_with_parent, start_new_session=True)
        finally:
            os.close(write_end)
            log.close()
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
                    raise HarnessError("Xvfb failed to start:\n" + self._log("xvfb.log"))
                text += chunk
        finally:
            os.close(read_end)
        self.number = int(text.strip())
        self.name = f":{self.number}"
        self.x = XConnection(self.number)

    def _child_env(self):
        env = {k: v for k, v in os.environ.items()
               if k not in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XAUTHORITY", "SESSION_MANAGER",
                            "DBUS_SESSION_BUS_ADDRESS", "DESKTOP_SESSION", "XDG_CURRENT_DESKTOP",
                            "XDG_SESSION_TYPE") + SCALING_VARIABLES}
        home = os.path.join(self.tmp, "home")
        runtime = os.path.join(self.tmp, "runtime")
        for d in (home, runtime):
            os.makedirs(d, mode=0o700, exist_ok=True)
        env.update(DISPLAY=self.name, HOME=home, XDG_RUNTIME_DIR=runtime,
                   XDG_CONFIG_HOME=os.path.join(self.tmp, "config"),
                   XDG_CACHE_HOME=os.path.join(home, ".cache"),
                   XDG_DATA_HOME=os.path.join(home, ".local", "share"), LC_ALL="C.UTF-8")
        os.makedirs(env["XDG_CONFIG_HOME"], exist_ok=True)
        return env

    def set_dpi(self, dpi):
        """Sets Xft.dpi in the server's resources, as a desktop does for its scale; programs
        started from now on see it."""
        self.tool("xrdb", "-nocpp", "-merge", input=f"Xft.dpi: {dpi}\n", check=True)
        self.dpi = dpi

    def set_monitors(self, monitors):
        """Replaces the screen's monitors by these (one of them may be the primary one). The
        first is bound to the screen's output, which takes the automatic whole-screen monitor
        away; the millimetres given make 96 dpi."""
        for old in self.monitors_listed():
            if old != "screen":
                self.tool("xrandr", "--delmonitor", old, check=True)
        output = re.search(r"^(\S+) connected", self.tool("xrandr", "--query"), re.M)

        def mm(pixels):
            return max(1, round(pixels * 25.4 / 96))

        for i, m in enumerate(monitors):
            # A name starting with "*" makes the monitor the primary one.
            self.tool("xrandr", "--setmonitor", ("*" if m.primary else "") + m.name,
                      f"{m.width}/{mm(m.width)}x{m.height}/{mm(m.height)}+{m.x}+{m.y}",
                      output.group(1) if i == 0 and output else "none", check=True)
        listed = self.monitors_listed()
        if sorted(listed) != sorted(m.name for m in monitors):
            raise HarnessError(f"monitors {listed} instead of {[m.name for m in monitors]}")
        self.monitors = tuple(monitors)

    def monitors_listed(self):
        """The names of the monitors the server reports."""
        out = self.tool("xrandr", "--listmonitors", check=True)
        return re.findall(r"^\s*\d+: [+*]*(\S+)", out, re.M)

    def _start_openbox(self):
        log = open(os.path.join(self.tmp, "openbox.log"), "wb")
        with log:
            self.openbox = subprocess.Popen(["openbox", "--sm-disable"], env=self.env,
                                            stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                            preexec_fn=_die_with_parent, start_new_session=True)

        def ready():
            if self.openbox.poll() is not None:
                raise HarnessError("openbox failed to start:\n" + self._log("openbox.log"))
            return "window id" in self.tool("xprop", "-root", "_NET_SUPPORTING_WM_CHECK")

        wait_until(ready, WINDOW_TIMEOUT, "openbox to manage the screen")

    def _log(self, name):
        try:
            with open(os.path.join(self.tmp, name), encoding="utf-8", errors="replace") as f:
                return f.read()[-4000:]
        except OSError:
            return ""

    # Programs and settings -----------------------------------------------------------------

    @property
    def config_home(self):
        return self.env["XDG_CONFIG_HOME"]

    def settings_path(self, organisation="Kalibrix", application="Kalibrix"):
        return os.path.join(self.config_home, organisation, application + ".conf")

    def reset_config(self):
        """Empties the settings directory, as on a first start."""
        shutil.rmtree(self.config_home, ignore_errors=True)
        os.makedirs(self.config_home)

    def launch(self, binary=None, args=(), env=None):
        """Starts the program (default: $KALIBRIX_BIN) on this display."""
        binary = binary or program_path()
        full_env = dict(self.env)
        full_env.update(env or {})
        program = Program([binary, *args], full_env, self.tmp)
        self.programs.append(program)
        return program

    # Windows -------------------------------------------------------------------------------

    def tool(self, *args, check=False, timeout=30, input=None):
        """Runs an X command-line tool against this display and returns its standard output."""
        result = subprocess.run(args, env=self.env, input=input,
                                stdin=subprocess.DEVNULL if input is None else None,
                                capture_output=True, text=True, timeout=timeout)
        if check and result.returncode != 0:
            raise HarnessError(f"{' '.join(args)} failed ({result.returncode}): "
                               f"{result.stderr.strip()}")
        return result.stdout

    def window_ids(self, name=None, pid=None, visible=True):
        """Ids of the windows whose title matches the regular expression `name` (xdotool
        matches without regard to case) and/or that belong to process `pid`."""
        args = ["xdotool", "search"]
        if visible:
            args.append("--onlyvisible")
        if pid is not None:
            args += ["--pid", str(pid)]
        if name is not None:
            args += ["--name", name]
        elif pid is None:
            args += ["--name", ""]
        return [int(line) for line in self.tool(*args).split()]

    def window_name(self, wid):
        return self.tool("xdotool", "getwindowname", str(wid)).rstrip("\n")

    def wait_window(self, title, program=None, timeout=WINDOW_TIMEOUT):
        """Waits until a window with exactly this title is mapped and returns its id. Fails at
        once, with the program's output, if the program ends first."""
        pattern = "^" + re.escape(title) + "$"

        def find():
            if program is not None and not program.running():
                raise HarnessError(f"program ended before window {title!r} appeared\n"
                                   + program.describe())
            for wid in self.window_ids(pattern, pid=None):
                if self.window_name(wid) == title:
                    return wid
            return None

        try:
            return wait_until(find, timeout, f"a window titled {title!r}")
        except TimeoutError as e:
            extra = ("\n" + program.describe()) if program is not None else ""
            raise TimeoutError(f"{e}{extra}") from None

    def wait_window_gone(self, wid, timeout=EXIT_TIMEOUT):
        wait_until(lambda: not self.is_viewable(wid), timeout, f"window 0x{wid:x} to go away")

    def window_info(self, wid):
        out = self.tool("xwininfo", "-id", str(wid))
        info = {}
        for line in out.splitlines():
            key, sep, value = line.strip().partition(":")
            if sep:
                info[key.strip()] = value.strip()
        return info

    def geometry(self, wid):
        """Absolute position and size of the window's client area."""
        info = self.window_info(wid)
        try:
            return Geometry(int(info["Absolute upper-left X"]), int(info["Absolute upper-left Y"]),
                            int(info["Width"]), int(info["Height"]))
        except KeyError:
            raise HarnessError(f"no geometry for window 0x{wid:x}") from None

    def is_viewable(self, wid):
        return self.window_info(wid).get("Map State") == "IsViewable"

    def wm_state(self, wid):
        """The window's _NET_WM_STATE atoms, e.g. {'_NET_WM_STATE_ABOVE'}."""
        out = self.tool("xprop", "-id", str(wid), "_NET_WM_STATE")
        _, sep, value = out.partition("=")
        return {a.strip() for a in value.split(",") if a.strip()} if sep else set()

    def active_window(self):
        out = self.tool("xdotool", "getactivewindow").strip()
        return int(out) if out else None

    def close_window(self, wid):
        """Asks for the window to be closed as the title bar's close button does: through the
        window manager's _NET_CLOSE_WINDOW, or without one, by WM_DELETE_WINDOW directly."""
        if self.openbox is not None:
            self.x.send_client_message(self.x.root, wid, "_NET_CLOSE_WINDOW", [0, 2],
                                       XConnection.SUBSTRUCTURE_NOTIFY
                                       | XConnection.SUBSTRUCTURE_REDIRECT)
        else:
            self.x.send_client_message(wid, wid, "WM_PROTOCOLS",
                                       [self.x.atom("WM_DELETE_WINDOW"), 0], 0)

    # Mouse and keyboard --------------------------------------------------------------------

    def _xdotool(self, *commands):
        self.tool("xdotool", *[str(c) for c in commands], check=True)

    def move_mouse(self, x, y):
        self._xdotool("mousemove", x, y)

    def mouse_location(self):
        out = self.tool("xdotool", "getmouselocation", "--shell")
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["X"]), int(values["Y"])

    def press(self, x, y, button=1):
        self._xdotool("mousemove", x, y, "mousedown", button)

    def release(self, button=1):
        self._xdotool("mouseup", button)

    def click(self, x, y, button=1, hold=PRESS_HOLD):
        """A click held `hold` seconds: a zero-length synthetic click can leave openbox in its
        move mode."""
        self._xdotool("mousemove", x, y, "mousedown", button, "sleep", hold, "mouseup", button)

    def drag(self, x0, y0, x1, y1, button=1, steps=10, hold=PRESS_HOLD, step_pause=0.01):
        """Presses at (x0, y0), moves to (x1, y1) in `steps` even steps and releases."""
        commands = ["mousemove", x0, y0, "mousedown", button, "sleep", hold]
        for i in range(1, steps + 1):
            commands += ["mousemove", round(x0 + (x1 - x0) * i / steps),
                         round(y0 + (y1 - y0) * i / steps), "sleep", step_pause]
        commands += ["sleep", hold, "mouseup", button]
        self._xdotool(*commands)

    def key(self, *keys, wid=None):
        args = ["key"] + (["--window", wid] if wid is not None else []) + list(keys)
        self._xdotool(*args)

    # Pixels --------------------------------------------------------------------------------

    def screenshot(self, x=0, y=0, width=None, height=None):
        """The screen's pixels (or a rectangle of them) as an Image."""
        width = self.x.width - x if width is None else width
        height = self.x.height - y if height is None else height
        return self.x.get_image(x, y, width, height)

    def window_image(self, wid, x, y, width, height):
        """The pixels of a rectangle of the window's own contents, read from the window itself:
        also where the screen cannot be read (XWayland)."""
        return self.x.get_image(x, y, width, height, drawable=wid)

    def client_image(self, wid):
        """The pixels of the window's client area as they are on screen."""
        g = self.geometry(wid)
        return self.screenshot(g.x, g.y, g.width, g.height)

    def wait_pixels(self, predicate, rect=None, timeout=WINDOW_TIMEOUT, what="the screen"):
        """Polls screenshots (of rect = (x, y, w, h), default the whole screen) until
        predicate(image) is true; returns that image."""
        last = []

        def check():
            image = self.screenshot(*rect) if rect else self.screenshot()
            last[:] = [image]
            return image if predicate(image) else None

        return wait_until(check, timeout, what, interval=0.1)


# --------------------------------------------------------------------------------------------
# Waiting for a value that changes: a window's place, its title, its state


def wait_value(read, accept, timeout, what, interval=0.02):
    """Polls read() until accept(value) is true and returns that value. On timeout raises
    TimeoutError naming `what` and the last value read, so that a failure shows what was there
    instead."""
    seen = []

    def check():
        seen[:] = [read()]
        return accept(seen[0])

    try:
        wait_until(check, timeout, what, interval=interval)
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
        wait_until(settled, timeout, what, interval=interval)
    except TimeoutError as e:
        raise TimeoutError(f"{e}; last values: {seen[-polls:]!r}") from None
    return seen[-1]


# --------------------------------------------------------------------------------------------
# The settings file


def read_settings(path):
    """The [Settings] keys of the program's settings file, as text."""
    parser = configparser.ConfigParser(interpolation=None, strict=False)
    parser.optionxform = str  # keys are case-sensitive
    if not parser.read(path, encoding="utf-8"):
        raise AssertionError(f"no settings file at {path}")
    return dict(parser["Settings"]) if parser.has_section("Settings") else {}


def write_settings(path, values, sections=None):
    """Writes the [Settings] keys, then those of further sections ({"Display": {...}})."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        for section, keys in {"Settings": values, **(sections or {})}.items():
            f.write(f"[{section}]\n" + "".join(f"{k}={v}\n" for k, v in keys.items()))


# --------------------------------------------------------------------------------------------
# Test entry points


def program_path():
    path = os.environ.get("KALIBRIX_BIN")
    if not path:
        raise HarnessError("KALIBRIX_BIN is not set (ctest sets it to the built program)")
    if not os.access(path, os.X_OK):
        raise HarnessError(f"KALIBRIX_BIN={path} is not an executable program")
    return path


def xvfb_missing():
    return shutil.which("Xvfb") is None


def skip_without_xvfb():
    """Ends the test with ctest's skip code when Xvfb is not installed."""
    if xvfb_missing():
        print("SKIPPED: Xvfb is not installed, so end-to-end tests cannot run here "
              "(scripts/deps installs it).", flush=True)
        sys.exit(SKIP_RETURN_CODE)


def run_tests():
    """main() of an end-to-end test file: skips without Xvfb, otherwise runs its test cases."""
    skip_without_xvfb()
    program_path()
    unittest.main(verbosity=2)


# --------------------------------------------------------------------------------------------
# Showing the program on a virtual display (scripts/run)


PANEL_TITLE = "Kalibrix"
# Client-area points of the panel's buttons for the horizontal and the vertical caliper, and the
# window titles of their beams.
CALIPER_BUTTONS = ((44, 48), (44, 128))
BEAM_TITLES = ("Form1", "Form3")


def show(binary, screenshot_path, keep_running, calipers=False):
    # Unlike a test, this run keeps the user's own settings.
    home = os.environ.get("HOME") or os.path.expanduser("~")
    user_env = {"HOME": home,
                "XDG_CONFIG_HOME": os.environ.get("XDG_CONFIG_HOME") or os.path.join(home, ".config")}
    with Display(wm=True) as display:
        print(f"Virtual display {display.name} ({SCREEN_SIZE[0]}x{SCREEN_SIZE[1]}) with openbox "
              "is running.", flush=True)
        program = display.launch(binary, env=user_env)
        wid = display.wait_window(PANEL_TITLE, program=program)
        g = display.geometry(wid)
        try:  # give the first paint a moment to arrive: wait until the panel is not blank
            display.wait_pixels(lambda im: len(im.colors()) > 2, rect=(g.x, g.y, g.width, g.height),
                                timeout=15, what="the control panel to paint")
        except TimeoutError:
            pass
        if calipers:  # both calipers on the screen, each with its slider at its zero point
            for button, title in zip(CALIPER_BUTTONS, BEAM_TITLES):
                display.click(g.x + button[0], g.y + button[1])
                display.wait_window(title, program=program)
            display.move_mouse(g.x + g.width // 2, g.y + g.height + 40)
            try:
                display.wait_pixels(lambda im: im.count((0, 0, 0)) < im.width * im.height * 0.8,
                                    timeout=15, what="the calipers to paint")
            except TimeoutError:
                pass
            time.sleep(0.5)  # a few readout ticks, so that the sliders show their readings
        display.screenshot().save_png(screenshot_path)
        print(f"Kalibrix is running; its control panel is at {g.x},{g.y} ({g.width}x{g.height}).")
        print(f"Screenshot of the screen: {screenshot_path}", flush=True)
        if keep_running:
            print(f"Drive it with e.g. DISPLAY={display.name} xdotool ...; press Ctrl+C to stop.",
                  flush=True)
            try:
                return program.wait(timeout=None)
            except KeyboardInterrupt:
                print("\nStopping.", flush=True)
        # Closed as through its title bar, so that it ends normally and saves its settings.
        display.close_window(wid)
        return program.wait()


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
