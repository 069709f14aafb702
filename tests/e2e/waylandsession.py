"""A headless Wayland desktop for the end-to-end tests: KWin, Mutter or sway with XWayland, on a
private runtime directory, home and session bus, optionally with PipeWire (and its session manager)
and a screen-cast portal: the desktop's own (xdg-desktop-portal with its GNOME, KDE or wlroots
backend, the permission granted ahead through the permission store as a user answering the
desktop's dialog would) or a stand-in for it. It offers everything harness.Display offers; screen
pixels only on sway (through grim): XWayland gives no root window pixels elsewhere
(harness.Display.window_image reads a window's own).

    with waylandsession.WaylandDesktop("kwin") as desktop:
        run = harness.Kalibrix(desktop, desktop.launch())

sway refuses to run as root: a test running as root runs it as the unprivileged user SWAY_USER
(created when missing) and lets its own user into that user's XWayland."""

import glob
import io
import os
import pwd
import shutil
import struct
import subprocess
import tempfile
import threading
import uuid

from PIL import Image
from Xlib import X

import harness

COMPOSITORS = ("kwin", "mutter")
SOCKET = "kalibrix-wayland"
FAKE_PORTAL_ENV = "KALIBRIX_FAKE_SCREENCAST"
# xdg-desktop-portal-wlr built from Debian's source by portal-wlr.sh, with the change that lets it
# cast from a desktop drawn without a GPU; the folder it is built and kept in.
PORTAL_WLR_DIR_ENV = "KALIBRIX_PORTAL_WLR_DIR"
SWAY_USER = "kalibrix-sway"
SWAY_BACKGROUND = (0x20, 0x40, 0x60)
FRONTEND = "/usr/libexec/xdg-desktop-portal"
# Per compositor: the desktop's name for the portal's frontend, and its backend.
PORTALS = {"mutter": ("GNOME", "gnome", "/usr/libexec/xdg-desktop-portal-gnome"),
           "kwin": ("KDE", "kde", "/usr/lib/*/libexec/xdg-desktop-portal-kde"),
           "sway": ("sway", "wlr", None)}
PERMISSION_STORE = ("org.freedesktop.impl.portal.PermissionStore",
                    "/org/freedesktop/impl/portal/PermissionStore",
                    "org.freedesktop.impl.portal.PermissionStore")


def compositor_binary(compositor):
    return {"kwin": "kwin_wayland"}.get(compositor, compositor)


def portal_backend(compositor):
    """The path of the compositor's portal backend, or None where it is not installed (or, for
    sway, not built)."""
    if compositor == "sway":
        binary = os.path.join(os.environ.get(PORTAL_WLR_DIR_ENV, ""), "xdg-desktop-portal-wlr")
        return binary if os.access(binary, os.X_OK) else None
    return next(iter(glob.glob(PORTALS[compositor][2])), None)


def build_portal_wlr():
    """Builds xdg-desktop-portal-wlr as the tests need it (portal-wlr.sh) unless it is there;
    returns why it could not be built, or None."""
    folder = os.environ.get(PORTAL_WLR_DIR_ENV)
    if not folder:
        return f"${PORTAL_WLR_DIR_ENV} is not set"
    script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "portal-wlr.sh")
    with open(os.path.join(folder + ".log"), "wb") as log:
        done = subprocess.run([script, folder], stdout=log, stderr=subprocess.STDOUT,
                              stdin=subprocess.DEVNULL, timeout=600)
    if done.returncode:
        with open(folder + ".log", encoding="utf-8", errors="replace") as log:
            return log.read().strip().splitlines()[-1] + f" (the whole log: {folder}.log)"
    return None


def missing_tools(compositor, portal=None):
    """The programs this desktop needs that are not installed; portal: "fake" (the stand-in) or
    "real" (the desktop's own)."""
    tools = ["dbus-daemon", "Xwayland", compositor_binary(compositor)]
    if compositor == "sway":
        tools += ["grim", "xhost", "setpriv", "useradd"]
    if portal:
        tools += ["pipewire", "wireplumber"]
    missing = [t for t in tools if shutil.which(t) is None]
    if portal == "fake" and not os.access(os.environ.get(FAKE_PORTAL_ENV, ""), os.X_OK):
        missing.append(f"${FAKE_PORTAL_ENV}")
    if portal == "real":
        missing += [p for p in (FRONTEND, portal_backend(compositor) or f"{compositor}'s portal")
                    if not os.access(p, os.X_OK)]
        try:
            import gi  # noqa: F401  the permission store is written through Gio
        except ImportError:
            missing.append("python3-gi")
    return missing


def _children(pid):
    """(pid, command line) of the processes whose parent is pid."""
    found = []
    for entry in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{entry}/stat") as f:
                if int(f.read().rsplit(")", 1)[1].split()[1]) == pid:
                    with open(f"/proc/{entry}/cmdline", "rb") as c:
                        found.append((int(entry), c.read().split(b"\0")))
        except (OSError, IndexError, ValueError):
            pass
    return found


def _qt5_string(text):
    data = text.encode("utf-16-be")
    return struct.pack(">I", len(data)) + data


def _kde_restore_data():
    """What KDE's portal keeps for a granted screen: a Qt 5 QDataStream of the QVariantMap
    {"outputs": ["0x0"]} (the output at the origin)."""
    outputs = struct.pack(">IBI", 9, 0, 1) + struct.pack(">IB", 10, 0) + _qt5_string("0x0")
    return struct.pack(">I", 1) + _qt5_string("outputs") + outputs


class WaylandDesktop(harness.Display):
    def __init__(self, compositor, size=harness.SCREEN_SIZE):
        super().__init__(harness.Screen(size=size))
        if compositor not in COMPOSITORS + ("sway",):
            raise ValueError(compositor)
        self.compositor = compositor
        self.services = []  # started processes, stopped in reverse order
        self._bus = None

    def start(self):
        missing = missing_tools(self.compositor)
        if missing:
            raise harness.HarnessError("missing tools: " + ", ".join(missing))
        self.tmp = tempfile.mkdtemp(prefix="kalibrix-wl-")
        try:
            self.env = self._session_env()
            self._start_bus()
            if self.compositor == "sway":
                self._start_sway()
            else:
                self._start_compositor()
        except BaseException:
            self.close()
            raise
        return self

    def close(self):
        for program in self.programs:
            program.stop()
        self.programs = []
        for _, proc in reversed(self.services):
            harness.stop_process(proc)
        self.services = []
        super().close()

    def close_window(self, wid):
        """As the title bar's close button does; sway's X window manager leaves that to the
        window itself (WM_DELETE_WINDOW)."""
        if self.compositor != "sway":
            return super().close_window(wid)
        self._client_message(wid, wid, "WM_PROTOCOLS", [self.atom("WM_DELETE_WINDOW")], 0)

    def screenshot(self, x=0, y=0, width=None, height=None):
        """The screen's pixels as the compositor shows them: on sway through grim, on KWin through
        its screenshot interface; none on Mutter (XWayland gives no root window pixels)."""
        width, height = width or self.size[0] - x, height or self.size[1] - y
        if self.compositor == "sway":
            png = subprocess.run(["grim", "-g", f"{x},{y} {width}x{height}", "-"], env=self.env,
                                 check=True, capture_output=True, timeout=harness.STEP_TIMEOUT)
            return Image.open(io.BytesIO(png.stdout)).convert("RGB")
        if self.compositor == "kwin":
            return self._kwin_screenshot().crop((x, y, x + width, y + height))
        raise harness.HarnessError("XWayland gives no screen pixels")

    def _kwin_screenshot(self):
        from gi.repository import Gio, GLib
        read_end, write_end = os.pipe()
        chunks = []  # read meanwhile: the picture does not fit into the pipe
        reader = threading.Thread(target=lambda: chunks.append(os.fdopen(read_end, "rb").read()))
        reader.start()
        fds = Gio.UnixFDList.new()
        index = fds.append(write_end)
        os.close(write_end)
        try:
            reply, _ = self.dbus().call_with_unix_fd_list_sync(
                "org.kde.KWin.ScreenShot2", "/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2",
                "CaptureWorkspace", GLib.Variant("(a{sv}h)", ({}, index)), GLib.VariantType("(a{sv})"),
                0, int(harness.STEP_TIMEOUT * 1000), fds, None)
        finally:
            for fd in fds.steal_fds():  # the list's own copy of the write end: the picture ends there
                os.close(fd)
            reader.join(harness.STEP_TIMEOUT)
        info = reply.unpack()[0]
        return Image.frombuffer("RGBA", (info["width"], info["height"]), chunks[0], "raw", "BGRA",
                                info["stride"], 1).convert("RGB")

    def show_pattern(self, rect):
        """Shows the test pattern (harness.pattern_image) of the screen's pixels in rect = (x, y,
        width, height) in a window of its own that no window manager places (override-redirect)."""
        x, y, width, height = rect
        pattern = harness.pattern_image(self.size).crop((x, y, x + width, y + height))
        screen = self.x.screen()
        pixmap = self.root.create_pixmap(width, height, screen.root_depth)
        gc = pixmap.create_gc()
        for top in range(0, height, 64):  # in bands, below the request size limit
            band = pattern.crop((0, top, width, min(top + 64, height)))
            pixmap.put_image(gc, 0, top, band.width, band.height, X.ZPixmap, screen.root_depth, 0,
                             band.convert("RGBX").tobytes("raw", "BGRX"))
        window = self.root.create_window(x, y, width, height, 0, screen.root_depth,
                                         background_pixmap=pixmap, override_redirect=True)
        window.map()
        self.x.sync()
        harness.wait_until(lambda: self.is_viewable(window.id), harness.STEP_TIMEOUT,
                           "the pattern to be shown")
        return window.id

    # Services ------------------------------------------------------------------------------

    def _spawn(self, name, args, env=None, **kwargs):
        with open(os.path.join(self.tmp, f"{name}.log"), "wb") as log:
            proc = harness.spawn(args, env or self.env, log, **kwargs)
        self.services.append((name, proc))
        return proc

    def _check_running(self, name, proc):
        if proc.poll() is not None:
            raise harness.HarnessError(f"{name} ended (exit code {proc.returncode}):\n"
                                       + self.log(f"{name}.log"))

    def _start_bus(self):
        bus = self._spawn("dbus", ["dbus-daemon", "--session", "--nofork", "--nopidfile",
                                   "--print-address=1"], stdout=subprocess.PIPE)
        line = bus.stdout.readline().decode().strip()
        if not line:
            raise harness.HarnessError("the session bus did not start:\n" + self.log("dbus.log"))
        self.env["DBUS_SESSION_BUS_ADDRESS"] = line

    def _start_compositor(self):
        width, height = self.size
        if self.compositor == "kwin":
            # The installed binary carries file capabilities that a sandbox may refuse to run; a copy
            # carries none (KWin finds its plugins by the name it runs under).
            binary = os.path.join(self.tmp, "kwin_wayland")
            shutil.copy(shutil.which("kwin_wayland"), binary)
            args = [binary, "--virtual", "--xwayland", "--socket", SOCKET, "--width", str(width),
                    "--height", str(height)]
        else:
            args = ["mutter", "--headless", "--wayland", "--virtual-monitor", f"{width}x{height}",
                    "--wayland-display", SOCKET]
        # Its screenshots, for the tests, without asking.
        proc = self._spawn(self.compositor, args,
                           env=dict(self.env, KWIN_SCREENSHOT_NO_PERMISSION_CHECKS="1"))

        def xwayland():
            self._check_running(self.compositor, proc)
            for _, cmdline in _children(proc.pid):
                if os.path.basename(cmdline[0]) == b"Xwayland":
                    number = next((a[1:] for a in cmdline if a.startswith(b":")), None)
                    if number is not None and os.path.exists(f"/tmp/.X11-unix/X{int(number)}"):
                        return int(number)
            return None

        try:
            number = harness.wait_value(xwayland, lambda n: n is not None, harness.WINDOW_TIMEOUT,
                                        f"{self.compositor} to start XWayland")  # :0 counts
        except TimeoutError as e:
            raise TimeoutError(f"{e}; its children: {_children(proc.pid)}\n"
                               + self.log(f"{self.compositor}.log")) from None
        cookies = glob.glob(os.path.join(self.env["XDG_RUNTIME_DIR"], ".mutter-Xwaylandauth.*"))
        if cookies:
            self.env["XAUTHORITY"] = cookies[0]
        self.env.update(DISPLAY=f":{number}", WAYLAND_DISPLAY=SOCKET, XDG_SESSION_TYPE="wayland")
        self._connect_x(number)

    def _connect_x(self, number):
        def connected():
            try:
                self.connect(number, self.env.get("XAUTHORITY"))
                return True
            except (harness.xerror.DisplayError, OSError):  # not accepting clients yet
                return False

        harness.wait_until(connected, harness.WINDOW_TIMEOUT, "XWayland to accept clients")

    def _start_sway(self):
        """sway 1.7 headless (software rendering, no input devices: the harness's XTEST input
        reaches XWayland alone, which decides by X's stacking order where a click goes), its
        background SWAY_BACKGROUND."""
        as_user = []
        if os.geteuid() == 0:
            try:
                pwd.getpwnam(SWAY_USER)
            except KeyError:
                subprocess.run(["useradd", "--system", "--no-create-home", "--shell",
                                "/usr/sbin/nologin", SWAY_USER], check=True, capture_output=True)
            user = pwd.getpwnam(SWAY_USER)
            as_user = ["setpriv", f"--reuid={user.pw_uid}", f"--regid={user.pw_gid}",
                       "--clear-groups", "--pdeathsig", "KILL"]
        os.chmod(self.tmp, 0o711)  # sway's user passes through to its own folder
        run = os.path.join(self.tmp, "sway")
        os.mkdir(run, 0o700)
        if as_user:
            os.chown(run, user.pw_uid, user.pw_gid)
        config = os.path.join(run, "config")
        with open(config, "w") as f:
            f.write(f"xwayland enable\nfocus_follows_mouse no\n"
                    f"output HEADLESS-1 resolution {self.size[0]}x{self.size[1]} position 0 0 "
                    f"bg #{'%02x%02x%02x' % SWAY_BACKGROUND} solid_color\n"
                    # what sway tells its programs: its X display and its socket
                    f"exec printf '%s\\n%s\\n' \"$DISPLAY\" \"$SWAYSOCK\" > {run}/session.new "
                    f"&& mv {run}/session.new {run}/session\n")
        sway_env = {"HOME": run, "XDG_RUNTIME_DIR": run, "PATH": "/usr/bin:/bin",
                    "WLR_BACKENDS": "headless", "WLR_LIBINPUT_NO_DEVICES": "1",
                    "WLR_RENDERER": "pixman",
                    "DBUS_SESSION_BUS_ADDRESS": self.env["DBUS_SESSION_BUS_ADDRESS"]}
        proc = self._spawn("sway", as_user + ["sway", "-c", config], env=sway_env)

        def session():
            self._check_running("sway", proc)
            try:
                with open(os.path.join(run, "session")) as f:
                    return f.read().split()
            except OSError:
                return None

        display, swaysock = harness.wait_value(session, lambda s: s and len(s) == 2,
                                               harness.WINDOW_TIMEOUT, "sway to start")
        socket = next(p for p in glob.glob(os.path.join(run, "wayland-*"))
                      if not p.endswith(".lock"))
        self.env.update(DISPLAY=display, WAYLAND_DISPLAY=socket, SWAYSOCK=swaysock,
                        XDG_SESSION_TYPE="wayland")
        if as_user:  # the first X client starts XWayland, which admits only sway's user
            subprocess.run(as_user + ["xhost", f"+si:localuser:{pwd.getpwuid(os.geteuid()).pw_name}"],
                           env=dict(sway_env, DISPLAY=display), check=True, capture_output=True,
                           timeout=harness.WINDOW_TIMEOUT)
        self._connect_x(int(display.lstrip(":")))

    def start_pipewire(self):
        """PipeWire and its session manager, which links a stream to the node it asks for."""
        pipewire = self._spawn("pipewire", ["pipewire"])
        socket = os.path.join(self.env["XDG_RUNTIME_DIR"], "pipewire-0")

        def ready():
            self._check_running("pipewire", pipewire)
            return os.path.exists(socket)

        harness.wait_until(ready, harness.WINDOW_TIMEOUT, "PipeWire's socket")
        self._spawn("wireplumber", ["wireplumber"])

    def start_fake_portal(self, *args):
        """The stand-in for the screen-cast portal (tests/e2e/fake_screencast.cpp) with its test
        stream; returns the path of the log of the calls it answered."""
        fd, log = tempfile.mkstemp(prefix="portal-calls-", suffix=".txt", dir=self.tmp)
        os.close(fd)
        portal = self._spawn("portal", [os.environ[FAKE_PORTAL_ENV], "--log", log, *map(str, args)],
                             stdout=subprocess.PIPE)
        if portal.stdout.readline().strip() != b"ready":
            portal.wait(5)
            raise harness.HarnessError("the fake portal did not start:\n" + self.log("portal.log"))
        return log

    def stop_service(self, name):
        for entry in [e for e in self.services if e[0] == name]:
            harness.stop_process(entry[1])
            self.services.remove(entry)

    # The desktop's own portal ------------------------------------------------------------------

    def dbus(self):
        """A Gio connection to the desktop's session bus."""
        if self._bus is None:
            from gi.repository import Gio
            self._bus = Gio.DBusConnection.new_for_address_sync(
                self.env["DBUS_SESSION_BUS_ADDRESS"],
                Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
                | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
        return self._bus

    def _call(self, destination, path, interface, method, arguments):
        return self.dbus().call_sync(destination, path, interface, method, arguments, None, 0,
                                     int(harness.STEP_TIMEOUT * 1000), None)

    def _wait_name(self, name, proc, log):
        from gi.repository import GLib

        def owned():
            self._check_running(log, proc)
            return self._call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                              "org.freedesktop.DBus", "NameHasOwner",
                              GLib.Variant("(s)", (name,))).unpack()[0]

        harness.wait_until(owned, harness.WINDOW_TIMEOUT, f"{name} on the session bus")

    def start_portal(self):
        """PipeWire, the desktop's own portal backend and xdg-desktop-portal in front of it."""
        self.start_pipewire()
        desktop, name, _ = PORTALS[self.compositor]
        env = dict(self.env, XDG_CURRENT_DESKTOP=desktop)
        args = [portal_backend(self.compositor)]
        if self.compositor == "kwin":
            env["QT_QPA_PLATFORM"] = "wayland"
        if self.compositor == "sway":  # the one monitor, no chooser
            config = os.path.join(self.tmp, "portal-wlr.conf")
            with open(config, "w") as f:
                f.write("[screencast]\noutput_name=HEADLESS-1\nchooser_type=none\nmax_fps=30\n")
            args += ["-c", config]
        backend = self._spawn("portal-backend", args, env=env)
        self._wait_name(f"org.freedesktop.impl.portal.desktop.{name}", backend, "portal-backend")
        frontend = self._spawn("portal", [FRONTEND], env=env)
        self._wait_name("org.freedesktop.portal.Desktop", frontend, "portal")

    def watch_portal(self):
        """Records every answer the portal gives (its Request.Response signals) from now on; returns
        the list they are appended to, as (code, results)."""
        from gi.repository import Gio, GLib
        answers = []

        def seen(_connection, message, incoming):
            if incoming and message.get_member() == "Response":
                answers.append(message.get_body().unpack())
            return message

        monitor = Gio.DBusConnection.new_for_address_sync(
            self.env["DBUS_SESSION_BUS_ADDRESS"], Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
            | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
        monitor.add_filter(seen)
        monitor.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus",
                          "org.freedesktop.DBus.Monitoring", "BecomeMonitor",
                          GLib.Variant("(asu)", (["type='signal',interface="
                                                  "'org.freedesktop.portal.Request'"], 0)),
                          None, 0, -1, None)
        self._monitor = monitor  # kept open
        return answers

    def grant_screen(self):
        """Grants sharing the screen ahead, as a user answering the desktop's dialog does: a
        restore token with the backend's data for its monitor in the permission store (table
        "screencast", an unsandboxed program: app id ""). Returns the token."""
        from gi.repository import GLib
        token = str(uuid.uuid4())
        if self.compositor == "mutter":
            data = GLib.Variant("(xxa(uuv))", (0, 0, [(0, 1, GLib.Variant(
                "s", "MetaVendor:MetaVirtualMonitor:0x00"))]))
        else:
            data = GLib.Variant("ay", _kde_restore_data())
        desktop = PORTALS[self.compositor][0]
        self._call(*PERMISSION_STORE, "SetPermission",
                   GLib.Variant("(sbssas)", ("screencast", True, token, "", ["yes"])))
        self._call(*PERMISSION_STORE, "SetValue", GLib.Variant(
            "(sbsv)", ("screencast", True, token, GLib.Variant("(suv)", (desktop, 1, data)))))
        return token
