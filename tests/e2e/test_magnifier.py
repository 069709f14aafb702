#!/usr/bin/env python3
"""The magnifier, the help button and the web link on a real display.

The desktop shows a test pattern in which every pixel has a colour of its own (it is set as the root
window's background through Xlib, which the X tools bring along). The magnifier's view must show the
pattern around the pointer enlarged three times, black beyond the screen's edge. Documents reach the
desktop through a recording stand-in for xdg-open that is first on the program's PATH."""

import ctypes
import os
import shutil
import stat
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

PANEL_TITLE = "Kalibrix"
WEB_ADDRESS = os.environ.get("KALIBRIX_WEB_ADDRESS", "https://www.example.org/kalibrix")
HELP_FILE = "HILFE.hlp"
# Client-area points of the panel: the magnifier button, the help button, the banner and the
# top-left corner of the view inside the banner's border.
MAGNIFIER_BUTTON = (92, 28)
HELP_BUTTON = (164, 28)
BANNER = (284, 100)
VIEW = (194, 10, 180, 180)
# Pointer positions whose 60 x 60 square no window covers (at 200 %: 120 x 120, below the panel).
OPEN_DESKTOP = (1000, 600)
NEAR_CORNER = (4, 790)
OPEN_WHEN_SCALED = (1100, 700)
VIEW_TIMEOUT = 15.0

RECORDER = """#!/bin/sh
# Stands in for the desktop's opener: records each call as its argument count and then each argument
# on a line of its own.
{ printf '%s\\n' "$#"; for a in "$@"; do printf '%s\\n' "$a"; done; } >> "$KALIBRIX_OPEN_LOG"
"""


def pattern(x, y):
    return (x & 0xFF, y & 0xFF, ((x >> 8) << 4) | (y >> 8))


def set_root_pattern(display):
    """Makes a 1-pixel-per-colour pattern of the whole screen the root window's background."""
    width, height = display.x.width, display.x.height
    data = bytearray(width * height * 4)  # 32-bit pixels, blue green red unused
    reds = bytes(x & 0xFF for x in range(width))
    blues = [bytes(((x >> 8) << 4) | high for x in range(width)) for high in range(4)]
    for y in range(height):
        row = y * width * 4
        data[row + 2:row + width * 4:4] = reds
        data[row + 1:row + width * 4:4] = bytes([y & 0xFF]) * width
        data[row:row + width * 4:4] = blues[y >> 8]

    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    for name in ("XDefaultVisual", "XDefaultGC", "XCreateImage"):
        getattr(x11, name).restype = ctypes.c_void_p
    x11.XDefaultVisual.argtypes = x11.XDefaultGC.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x11.XRootWindow.restype = x11.XCreatePixmap.restype = ctypes.c_ulong
    x11.XDefaultScreen.argtypes = [ctypes.c_void_p]
    x11.XDefaultDepth.argtypes = x11.XRootWindow.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x11.XCreatePixmap.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_uint, ctypes.c_uint,
                                  ctypes.c_uint]
    x11.XCreateImage.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                 ctypes.c_int, ctypes.c_char_p, ctypes.c_uint, ctypes.c_uint,
                                 ctypes.c_int, ctypes.c_int]
    x11.XPutImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_void_p, ctypes.c_void_p]\
        + [ctypes.c_int] * 4 + [ctypes.c_uint] * 2
    x11.XSetWindowBackgroundPixmap.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong]
    x11.XClearWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XFreePixmap.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XFree.argtypes = [ctypes.c_void_p]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

    dpy = x11.XOpenDisplay(display.name.encode())
    if not dpy:
        raise harness.HarnessError(f"cannot open display {display.name} through Xlib")
    try:
        screen = x11.XDefaultScreen(dpy)
        root = x11.XRootWindow(dpy, screen)
        depth = x11.XDefaultDepth(dpy, screen)
        pixmap = x11.XCreatePixmap(dpy, root, width, height, depth)
        buffer = ctypes.create_string_buffer(bytes(data), len(data))
        image = x11.XCreateImage(dpy, x11.XDefaultVisual(dpy, screen), depth, 2, 0,  # ZPixmap
                                 ctypes.cast(buffer, ctypes.c_char_p), width, height, 32, 0)
        x11.XPutImage(dpy, pixmap, x11.XDefaultGC(dpy, screen), image, 0, 0, 0, 0, width, height)
        x11.XFree(image)  # the structure only; the pixels belong to `buffer`
        x11.XSetWindowBackgroundPixmap(dpy, root, pixmap)
        x11.XFreePixmap(dpy, pixmap)  # the root keeps its background
        x11.XClearWindow(dpy, root)
        x11.XSync(dpy, 0)
    finally:
        x11.XCloseDisplay(dpy)


def expected_view(display, pointer, scale=1.0):
    """The pattern of the 60 x 60 square from 30 pixels above and left of the pointer (96-dpi
    pixels: at a scale, that many more device pixels), each device pixel a 3 x 3 block, black
    beyond the screen."""
    width, height = display.x.width, display.x.height
    size, offset = harness.scaled(VIEW[2:], scale), round(30 * scale)
    rgb = bytearray()
    for vy in range(size[1]):
        for vx in range(size[0]):
            x, y = pointer[0] - offset + vx // 3, pointer[1] - offset + vy // 3
            rgb += bytes(pattern(x, y) if 0 <= x < width and 0 <= y < height else (0, 0, 0))
    return harness.Image(*size, rgb)


def differences(actual, expected):
    """How many pixels differ and the first of them, as text; empty when the pictures are equal."""
    if actual.rgb == expected.rgb:
        return ""
    wrong = [(x, y) for y in range(actual.height) for x in range(actual.width)
             if actual.pixel(x, y) != expected.pixel(x, y)]
    x, y = wrong[0]
    return (f"{len(wrong)} pixels differ; first at ({x}, {y}): {actual.pixel(x, y)}, "
            f"expected {expected.pixel(x, y)}")


def read_calls(path):
    """The recorded calls of the opener, each a list of its arguments; a call still being written
    is left out."""
    try:
        with open(path, encoding="utf-8") as f:
            lines = f.read().split("\n")
    except FileNotFoundError:
        return []
    calls, i = [], 0
    while i < len(lines) and lines[i].isdigit():
        n = int(lines[i])
        if i + 1 + n >= len(lines):  # the closing newline of the last argument must be there
            break
        calls.append(lines[i + 1:i + 1 + n])
        i += 1 + n
    return calls


class MagnifierAndLinks(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.display = harness.Display(wm=True).start()
        set_root_pattern(cls.display)
        root = cls.display.screenshot(*OPEN_DESKTOP, 2, 2)
        if root.pixel(1, 1) != pattern(OPEN_DESKTOP[0] + 1, OPEN_DESKTOP[1] + 1):
            raise harness.HarnessError("the test pattern did not reach the screen")

    @classmethod
    def tearDownClass(cls):
        cls.display.close()

    def setUp(self):
        """Installs the program in a directory whose name has spaces and non-ASCII letters, with
        its help file, and starts it with the recording opener first on its PATH."""
        self.display.reset_config()
        self.tmp = tempfile.mkdtemp(prefix="kalibrix-links-")
        self.program_dir = os.path.join(self.tmp, "Meine Programme", "Maßband ä")
        os.makedirs(self.program_dir)
        binary = os.path.join(self.program_dir, "kalibrix")
        shutil.copy2(harness.program_path(), binary)
        self.help_path = os.path.join(self.program_dir, HELP_FILE)
        with open(self.help_path, "w", encoding="utf-8") as f:
            f.write("Hilfe\n")
        stubs = os.path.join(self.tmp, "bin")
        os.makedirs(stubs)
        opener = os.path.join(stubs, "xdg-open")
        with open(opener, "w", encoding="utf-8") as f:
            f.write(RECORDER)
        os.chmod(opener, os.stat(opener).st_mode | stat.S_IXUSR | stat.S_IXGRP | stat.S_IXOTH)
        self.log = os.path.join(self.tmp, "opened.txt")
        env = {"PATH": stubs + os.pathsep + self.display.env.get("PATH", os.defpath),
               "KALIBRIX_OPEN_LOG": self.log}
        self.program = self.display.launch(binary, env=env)
        self.panel = self.display.wait_window(PANEL_TITLE, program=self.program)
        self.origin = self.display.geometry(self.panel)
        self.scale = 1.0

    def tearDown(self):
        try:
            self.display.close_window(self.panel)
            self.assertEqual(self.program.wait(), 0, self.program.describe())
        finally:
            shutil.rmtree(self.tmp, ignore_errors=True)

    # Helpers ---------------------------------------------------------------------------------

    def click_panel(self, point):
        x, y = harness.scaled(point, self.scale)
        self.display.click(self.origin.x + x, self.origin.y + y)

    def view(self):
        x, y, width, height = harness.scaled(VIEW, self.scale)
        return self.display.screenshot(self.origin.x + x, self.origin.y + y, width, height)

    def settled_view(self):
        """The view once it has been painted and stays the same over a few polls (right after the
        start the first paint may still be on its way)."""
        seen = []

        def settled():
            seen.append(self.view())
            return len(seen) >= 3 and len(seen[-1].colors()) > 1 and \
                seen[-1].rgb == seen[-2].rgb == seen[-3].rgb and seen[-1]

        return harness.wait_until(settled, VIEW_TIMEOUT, "the view to settle", interval=0.1)

    def wait_view(self, expected, what):
        last = []

        def shows():
            last[:] = [self.view()]
            return last[0].rgb == expected.rgb

        try:
            harness.wait_until(shows, VIEW_TIMEOUT, what, interval=0.05)
        except TimeoutError as e:
            self.fail(f"{e}: {differences(last[0], expected)}")

    def wait_calls(self, count):
        def recorded():
            calls = read_calls(self.log)
            return calls if len(calls) >= count else None

        try:
            return harness.wait_until(recorded, VIEW_TIMEOUT, f"{count} call(s) of the opener")
        except TimeoutError as e:
            self.fail(f"{e}; recorded: {read_calls(self.log)}\n{self.program.describe()}")

    def magnify_at(self, pointer):
        self.display.move_mouse(*pointer)
        self.wait_view(expected_view(self.display, pointer, self.scale),
                       f"the view of the pattern around {pointer}")

    # Cases -----------------------------------------------------------------------------------

    def test_view_shows_the_pattern_around_the_pointer_and_the_banner_comes_back(self):
        banner = self.settled_view()
        self.click_panel(MAGNIFIER_BUTTON)
        self.magnify_at(OPEN_DESKTOP)
        self.magnify_at(NEAR_CORNER)  # beyond the screen's edge the view is black
        self.click_panel(MAGNIFIER_BUTTON)
        self.display.move_mouse(*OPEN_DESKTOP)
        self.wait_view(banner, "the banner after switching the magnifier off")

    def test_view_shows_each_device_pixel_as_a_3_x_3_block_on_scaled_desktops(self):
        d = self.display
        try:
            for scaling in harness.SCALINGS:
                with self.subTest(scaling.name):
                    d.close_window(self.panel)
                    self.assertEqual(self.program.wait(), 0, self.program.describe())
                    d.set_dpi(scaling.dpi)
                    self.program = d.launch(env=dict(scaling.env))
                    self.panel = d.wait_window(PANEL_TITLE, program=self.program)
                    self.origin, self.scale = d.geometry(self.panel), scaling.scale
                    self.click_panel(MAGNIFIER_BUTTON)
                    self.magnify_at(OPEN_WHEN_SCALED)
        finally:
            d.set_dpi(96)

    def test_help_button_and_banner_hand_over_exactly_one_argument_each(self):
        self.click_panel(HELP_BUTTON)
        self.assertEqual(self.wait_calls(1), [[self.help_path]])
        self.click_panel(BANNER)
        self.assertEqual(self.wait_calls(2)[1], [WEB_ADDRESS])
        # While the magnifier runs, the banner still opens the web page and the view keeps following.
        self.click_panel(MAGNIFIER_BUTTON)
        self.magnify_at(OPEN_DESKTOP)
        self.click_panel(BANNER)
        self.assertEqual(self.wait_calls(3)[2], [WEB_ADDRESS])
        self.magnify_at(OPEN_DESKTOP)
        self.assertEqual(len(read_calls(self.log)), 3)

    def test_missing_help_file_hands_nothing_over(self):
        os.remove(self.help_path)
        self.click_panel(HELP_BUTTON)
        self.click_panel(BANNER)  # handled after the help button, so its call marks the end
        self.assertEqual(self.wait_calls(1), [[WEB_ADDRESS]])
        self.assertTrue(self.program.running())


if __name__ == "__main__":
    harness.run_tests()
