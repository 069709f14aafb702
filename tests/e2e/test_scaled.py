#!/usr/bin/env python3
"""The calipers on scaled desktops and on two monitors, on a real display under openbox.

At 150 % and 200 % (from Xft.dpi or QT_SCALE_FACTOR) the jaws touch at the zero point, a click on
"+" moves the moving jaw one device pixel, and "Pixel" reads the device pixels between the jaws, as
a screenshot counts them. On one wide screen split into two monitors, the control panel opens on the
primary monitor, and a beam dragged across the border keeps its slider on it at every step; where
the right monitor asks for 200 %, the beam and slider are drawn again twice as large when the
pointer brings them onto it, and at 100 % when it takes them back.

As everywhere under Xvfb, only pixels inside the windows' shapes are looked at (see test_shaped)."""

import os
import sys
import time
import unittest
from dataclasses import dataclass

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from harness import scaled  # noqa: E402

PANEL_TITLE = "Kalibrix"
PANEL_SIZE = (395, 197)
PIXEL = (132, 80)  # the panel's unit button "Pixel"
FIXED_EDGE = (0x00, 0x0F, 0x20)  # the measuring edges' colours: the beam's jaw and the slider's
MOVING_EDGE = (0x20, 0x27, 0x4C)
NUDGES = 3
STEP_TIMEOUT = 10.0  # generous: the machine running the tests may be busy
PRESS_BEFORE_MOVE = 0.1  # a user holds the button still for a moment before dragging
DRAG_STEPS = 12
JAW_REACH = 70  # how far from the beam's outer edge the jaws' gap is looked for
# Room for the vertical caliper at 200 % (856 device pixels high, 102 below the top).
SCALED_SCREEN = (1920, 1200)


@dataclass(frozen=True)
class Caliper:
    """What differs between the horizontal and the vertical caliper, in 96-dpi pixels."""
    panel_button: tuple
    beam_title: str
    along: int  # 0: the jaws are measured along x, 1: along y
    plus: tuple  # slider-relative point of "+"
    across: tuple  # beam-relative lines across the jaws (rows or columns) where the gap is counted
    zero_offset: tuple  # the slider's top-left corner from the beam's at the zero point
    beam_size: tuple
    slider_size: tuple
    grip: tuple  # beam-relative point of the bar, clear of the slider and the close spot


HORIZONTAL = Caliper(panel_button=(44, 48), beam_title="Form1", along=0, plus=(85, 14),
                     across=(90, 150), zero_offset=(28, -1), beam_size=(508, 165),
                     slider_size=(100, 165), grip=(300, 12))
VERTICAL = Caliper(panel_button=(44, 128), beam_title="Form3", along=1, plus=(152, 86),
                   across=(20, 80), zero_offset=(-1, 28), beam_size=(165, 428),
                   slider_size=(167, 428), grip=(150, 300))


def jaw_gap(image, caliper, line, scale):
    """The device pixels between the fixed jaw's measuring edge and the moving jaw's edge on one
    line across the jaws of a screenshot taken at the beam's top-left corner; None when either
    edge is missing there."""
    at = round(line * scale)
    colours = [image.pixel(i, at) if caliper.along == 0 else image.pixel(at, i)
               for i in range(image.width if caliper.along == 0 else image.height)]
    moving = next((i for i, c in enumerate(colours) if c == MOVING_EDGE), None)
    if moving is None:
        return None
    fixed = next((i for i in range(moving - 1, -1, -1) if colours[i] == FIXED_EDGE), None)
    return None if fixed is None else moving - fixed - 1


class CaliperRun:
    """Starting the program on the class's display and finding its windows."""

    display = None

    def start(self, env=None):
        self.display.reset_config()
        self.program = self.display.launch(env=env)
        self.panel = self.display.wait_window(PANEL_TITLE, program=self.program)
        return self.display.geometry(self.panel)

    def stop(self):
        self.display.close_window(self.panel)
        self.assertEqual(self.program.wait(), 0, self.program.describe())

    def click_panel(self, point, scale):
        g = self.display.geometry(self.panel)
        x, y = scaled(point, scale)
        self.display.click(g.x + x, g.y + y)

    def show(self, caliper, scale):
        """Clicks the caliper's panel button; returns (beam, slider) once both are mapped and the
        focus has settled (a late focus change would cancel the next click)."""
        d = self.display
        self.click_panel(caliper.panel_button, scale)

        def find():
            ids = [w for w in d.window_ids(pid=self.program.pid) if w != self.panel]
            beams = [w for w in ids if d.window_name(w) == caliper.beam_title]
            others = [w for w in ids if w not in beams]
            return (beams[0], others[0]) if len(beams) == 1 and len(others) == 1 else None

        windows = harness.wait_value(find, bool, harness.WINDOW_TIMEOUT,
                                     f"the {caliper.beam_title} caliper to be mapped")
        harness.wait_settled(d.active_window, STEP_TIMEOUT, "the focus to settle")
        return windows

    def wait_title(self, wid, title):
        harness.wait_value(lambda: self.display.window_name(wid), lambda t: t == title,
                           STEP_TIMEOUT, f"the slider's title to read {title!r}")

    def wait_gap(self, caliper, beam, scale, gap, what):
        """Waits until a screenshot shows `gap` device pixels between the jaws on every line."""
        g = self.display.geometry(beam)
        reach = round(JAW_REACH * scale)
        rect = (g.x, g.y, reach, g.height) if caliper.along == 0 else (g.x, g.y, g.width, reach)
        seen = []

        def right(image):
            seen[:] = [jaw_gap(image, caliper, line, scale) for line in caliper.across]
            return all(s == gap for s in seen)

        try:
            self.display.wait_pixels(right, rect=rect, timeout=STEP_TIMEOUT, what=what)
        except TimeoutError as e:
            self.fail(f"{e}: gaps {seen} on lines {caliper.across} (None: an edge is missing)")


class ScaledDesktop(CaliperRun, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.display = harness.Display(wm=True, size=SCALED_SCREEN).start()

    @classmethod
    def tearDownClass(cls):
        cls.display.close()

    def test_pixel_reads_the_device_pixels_between_the_jaws_at_each_scale(self):
        for scaling in harness.SCALINGS:
            with self.subTest(scaling.name):
                s = scaling.scale
                self.display.set_dpi(scaling.dpi)
                self.start(dict(scaling.env))
                try:
                    self.click_panel(PIXEL, s)
                    for caliper in (HORIZONTAL, VERTICAL):
                        beam, slider = self.show(caliper, s)
                        self.wait_title(slider, "0.00 pic")
                        self.wait_gap(caliper, beam, s, 0, "the jaws to touch at the zero point")
                        g = self.display.geometry(slider)
                        plus = scaled(caliper.plus, s)
                        for _ in range(NUDGES):
                            self.display.click(g.x + plus[0], g.y + plus[1])
                        self.wait_title(slider, f"{NUDGES}.00 pic")
                        self.wait_gap(caliper, beam, s, NUDGES,
                                      f"{NUDGES} device pixels between the jaws")
                        self.click_panel(caliper.panel_button, s)  # hidden: it would cover the next
                        self.display.wait_window_gone(beam)
                finally:
                    self.stop()


LEFT = harness.Monitor("LEFT", 0, 0, 1280, 800)
RIGHT = harness.Monitor("RIGHT", 1280, 0, 1280, 800, primary=True)


class TwoMonitors(CaliperRun, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.display = harness.Display(wm=True, size=(2560, 800), monitors=(LEFT, RIGHT)).start()

    @classmethod
    def tearDownClass(cls):
        cls.display.close()

    def place(self, wid):
        g = self.display.geometry(wid)
        return g.x, g.y, g.width, g.height

    def wait_place(self, wid, place, what):
        return harness.wait_value(lambda: self.place(wid), lambda p: p == place, STEP_TIMEOUT,
                                  f"{what} at {place}")

    def drag_across(self, caliper, beam, slider, path, scale_at):
        """Drags the beam by its bar along `path` in DRAG_STEPS pointer moves. After each move the
        beam must be drawn for the monitor under the pointer (scale_at(x)) with the pressed point
        still under the pointer, and the slider stand at its zero point with the jaws touching."""
        d = self.display
        bx, by, _, _ = self.place(beam)
        s = scale_at(bx)
        x0, y0 = bx + round(caliper.grip[0] * s), by + round(caliper.grip[1] * s)
        d.press(x0, y0)
        try:
            time.sleep(PRESS_BEFORE_MOVE)
            for i in range(1, DRAG_STEPS + 1):
                x, y = x0 + round(path[0] * i / DRAG_STEPS), y0 + round(path[1] * i / DRAG_STEPS)
                d.move_mouse(x, y)
                s = scale_at(x)
                gx, gy = scaled(caliper.grip, s)
                step = f"drag step {i} (pointer at {x}, {y})"
                at = self.wait_place(beam, (x - gx, y - gy, *scaled(caliper.beam_size, s)),
                                     f"the beam at {s:g}x after {step}")
                zx, zy = scaled(caliper.zero_offset, s)
                self.wait_place(slider, (at[0] + zx, at[1] + zy, *scaled(caliper.slider_size, s)),
                                f"the slider at its zero point after {step}")
                self.wait_gap(caliper, beam, s, 0, f"the jaws to touch after {step}")
        finally:
            d.release()

    def test_panel_opens_on_the_primary_monitor_and_a_dragged_beam_keeps_its_slider(self):
        for factors in ("", "LEFT=1;RIGHT=2"):
            with self.subTest(QT_SCREEN_SCALE_FACTORS=factors):
                right = 2.0 if factors else 1.0

                def scale_at(x):
                    return right if x >= RIGHT.x else 1.0

                panel = self.start({"QT_SCREEN_SCALE_FACTORS": factors} if factors else None)
                try:
                    self.assertTrue(RIGHT.contains(panel), f"the panel is not on {RIGHT}: {panel}")
                    self.assertEqual((panel.width, panel.height), scaled(PANEL_SIZE, right))
                    beam, slider = self.show(HORIZONTAL, right)
                    self.assertTrue(RIGHT.contains(self.display.geometry(beam)))
                    self.drag_across(HORIZONTAL, beam, slider, (-900, 40), scale_at)
                    self.drag_across(HORIZONTAL, beam, slider, (900, -40), scale_at)
                finally:
                    self.stop()


if __name__ == "__main__":
    harness.run_tests()
