"""A headless Wayland desktop for the end-to-end tests: KWin or Mutter with XWayland, on a private
runtime directory, home and session bus, optionally with PipeWire (and its session manager) and a
stand-in for the screen-cast portal. It offers everything harness.Display offers except screenshots
(XWayland gives no root window pixels; harness.Display.window_image reads a window's own).

    with waylandsession.WaylandDesktop("kwin") as desktop:
        run = harness.Kalibrix(desktop, desktop.launch())
"""

import glob
import os
import shutil
import subprocess
import tempfile

import harness

COMPOSITORS = ("kwin", "mutter")
SOCKET = "kalibrix-wayland"
FAKE_PORTAL_ENV = "KALIBRIX_FAKE_SCREENCAST"


def compositor_binary(compositor):
    return "kwin_wayland" if compositor == "kwin" else "mutter"


def missing_tools(compositor, portal=False):
    """The programs this desktop needs that are not installed."""
    tools = ["dbus-daemon", "Xwayland", compositor_binary(compositor)]
    if portal:
        tools += ["pipewire", "wireplumber"]
    missing = [t for t in tools if shutil.which(t) is None]
    if portal and not os.access(os.environ.get(FAKE_PORTAL_ENV, ""), os.X_OK):
        missing.append(f"${FAKE_PORTAL_ENV}")
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


class WaylandDesktop(harness.Display):
    def __init__(self, compositor, size=harness.SCREEN_SIZE):
        super().__init__(harness.Screen(size=size))
        if compositor not in COMPOSITORS:
            raise ValueError(compositor)
        self.compositor = compositor
        self.services = []  # started processes, stopped in reverse order

    def start(self):
        missing = missing_tools(self.compositor)
        if missing:
            raise harness.HarnessError("missing tools: " + ", ".join(missing))
        self.tmp = tempfile.mkdtemp(prefix="kalibrix-wl-")
        try:
            self.env = self._session_env()
            self._start_bus()
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

    def screenshot(self, *args, **kwargs):
        raise harness.HarnessError("XWayland gives no screen pixels")

    # Services ------------------------------------------------------------------------------

    def _spawn(self, name, args, **kwargs):
        with open(os.path.join(self.tmp, f"{name}.log"), "wb") as log:
            proc = harness.spawn(args, self.env, log, **kwargs)
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
        proc = self._spawn(self.compositor, args)

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

        def connected():
            try:
                self.connect(number, self.env.get("XAUTHORITY"))
                return True
            except (harness.xerror.DisplayError, OSError):  # not accepting clients yet
                return False

        harness.wait_until(connected, harness.WINDOW_TIMEOUT, "XWayland to accept clients")

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
