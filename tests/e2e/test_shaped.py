#!/usr/bin/env python3
"""The caliper's shaped windows on a real display: a click on the white of a caliper picture reaches
the window below and a click on its solid part does not; a beam follows a drag exactly, with and
without a window manager, and its slider rides along; the panel's keep-on-top option moves the
caliper windows in and out of the top layer without re-creating or moving them; the beam's jaw and
bar reach the screen in their colours.

Under Xvfb, the pixels of a window's bounding box that lie outside its shape show black in a
screenshot: Qt gives each window a colormap of its own, and Xvfb then paints the rest of the box
black (a plain Xlib window with its own colormap does the same). The shapes themselves are right
and clicks there pass through. So colours are asserted only inside shapes, and click-through is
proven with clicks, never with screenshots."""

import os
import signal
import sys
import unittest
from dataclasses import dataclass

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

PANEL_TITLE = "Kalibrix"
# Client-area points of the control panel.
CHECK1 = (44, 48)  # horizontal caliper
CHECK2 = (44, 128)  # vertical caliper
CHECK4 = (132, 28)  # set square: the calibration view
CHECK5 = (224, 172)  # "Kalibrix immer oben halten.", in the calibration view
CHECK5_RECT = (216, 160, 121, 25)
PIXEL = (132, 80)  # the unit buttons "Pixel" and "Zoll"
ZOLL = (132, 104)
STEP_TIMEOUT = 10.0  # generous: the machine running the tests may be busy
# A user holds the button still for a moment before dragging.
PRESS_BEFORE_MOVE = 0.1
ABOVE = "_NET_WM_STATE_ABOVE"


@dataclass(frozen=True)
class Caliper:
    """What differs between the horizontal and the vertical caliper."""
    panel_button: tuple
    beam_size: tuple
    slider_size: tuple
    zero_offset: tuple  # the slider's top-left corner from the beam's, at the zero point
    grip: tuple  # beam-relative point of the bar, clear of the slider and the close spot
    # Click-through: the beam is put at `place` (relative to the panel's client area) so that
    # `solid` (a panel point) lies under the beam's solid picture and `white` (a panel point) under
    # white of both the beam's and the slider's picture.
    place: tuple
    solid: tuple
    white: tuple
    white_unit: str  # the unit of the panel button under `white`


# Horizontal beam at panel (54, 17): panel (64, 30) is beam (10, 13), on the bar, over the panel's
# Check1; "Pixel" (132, 80) is beam (78, 63) and slider (50, 64), both white.
HORIZONTAL = Caliper(panel_button=CHECK1, beam_size=(508, 165), slider_size=(100, 165),
                     zero_offset=(28, -1), grip=(300, 12), place=(54, 17),
                     solid=(64, 30), white=PIXEL, white_unit="pic")
# Vertical beam at panel (-16, 90): panel (44, 100) is beam (60, 10), on the fixed jaw, over the
# panel's Check2; "Punkt" (100, 152) is beam (116, 62) and slider (117, 34), both white.
VERTICAL = Caliper(panel_button=CHECK2, beam_size=(165, 428), slider_size=(167, 428),
                   zero_offset=(-1, 28), grip=(150, 300), place=(-16, 90),
                   solid=(44, 100), white=(100, 152), white_unit="pkt")

# The horizontal beam's picture as it must reach the screen (beam-relative): the fixed jaw's
# measuring edge, and the bar's rows 0 to 26 at columns clear of the slider and the bar's highlight.
MEASURING_EDGE = (27, range(73, 164), (0x00, 0x0F, 0x20))
BAR_COLUMNS = range(130, 481, 10)
BAR_ROWS = ([(0x99, 0xB1, 0xCC)] * 2 + [(0x93, 0xAC, 0xC9), (0x78, 0x98, 0xBC), (0x34, 0x64, 0x9A)]
            + [(0x00, 0x3C, 0x80)] * 17
            + [(0x00, 0x2E, 0x61), (0x00, 0x13, 0x28)] + [(0x00, 0x0F, 0x20)] * 3)
# The vertical beam's measuring edge (row 27, columns 1 to 91) and, next to each jaw's edge, the
# slider's: the two jaws touch at the zero point.
VERTICAL_EDGE = (27, range(1, 92), (0x00, 0x0F, 0x20))
SLIDER_EDGE = (0x20, 0x27, 0x4C)


class CaliperRun:
    """Starts the program for each case and finds the caliper windows."""

    display = None

    def setUp(self):
        self.display.reset_config()
        self.program = self.display.launch()
        self.panel = self.display.wait_window(PANEL_TITLE, program=self.program)
        self.origin = self.display.geometry(self.panel)

    def tearDown(self):
        self.display.close_window(self.panel)
        self.assertEqual(self.program.wait(), 0, self.program.describe())

    def panel_point(self, point):
        return self.origin.x + point[0], self.origin.y + point[1]

    def click_panel(self, point, **kwargs):
        self.display.click(*self.panel_point(point), **kwargs)

    def mapped_window(self, size, what):
        d = self.display

        def find():
            for wid in d.window_ids(pid=self.program.pid):
                g = d.geometry(wid)
                if (g.width, g.height) == size:
                    return wid
            return None

        return harness.wait_value(find, lambda wid: wid is not None, harness.WINDOW_TIMEOUT,
                                  f"the {what} ({size[0]}x{size[1]}) to be mapped")

    def show(self, caliper):
        """Clicks the caliper's panel button; returns (beam, slider) once both are mapped and the
        window manager has stopped moving the focus to them: a focus change while a later click
        holds a panel button down would cancel that click."""
        self.click_panel(caliper.panel_button)
        windows = (self.mapped_window(caliper.beam_size, "beam"),
                   self.mapped_window(caliper.slider_size, "slider"))
        harness.wait_settled(self.display.active_window, STEP_TIMEOUT, "the focus to settle")
        return windows

    def place(self, wid):
        g = self.display.geometry(wid)
        return g.x, g.y

    def wait_place(self, wid, place, what):
        return harness.wait_value(lambda: self.place(wid), lambda p: p == place, STEP_TIMEOUT,
                                  f"{what} at {place}")

    def wait_title(self, wid, title):
        return harness.wait_value(lambda: self.display.window_name(wid), lambda t: t == title,
                                  STEP_TIMEOUT, f"the slider's title to read {title!r}")

    def wait_slider_on_beam(self, caliper, beam, slider):
        bx, by = self.place(beam)
        return self.wait_place(slider, (bx + caliper.zero_offset[0], by + caliper.zero_offset[1]),
                               "the slider at its zero point on the beam")


class Dragging(CaliperRun):
    """Drag cases, run with and without a window manager: the program moves the beam itself."""

    def drag_and_check(self, caliper, beam, slider, path, hold=PRESS_BEFORE_MOVE, late=False):
        """Drags the beam by its bar along `path` in several pointer moves; the beam must move by
        exactly `path` and the slider keep its offset. With `late`, the program is held still
        until the button is up again, as on a busy machine."""
        d = self.display
        b0, s0 = self.place(beam), self.place(slider)
        x0, y0 = b0[0] + caliper.grip[0], b0[1] + caliper.grip[1]
        dx, dy = path
        if late:
            os.kill(self.program.pid, signal.SIGSTOP)
        try:
            d.drag(x0, y0, x0 + dx, y0 + dy, steps=8, hold=hold, step_pause=0.02)
        finally:
            if late:
                os.kill(self.program.pid, signal.SIGCONT)
        moved = self.wait_place(beam, (b0[0] + dx, b0[1] + dy), f"the beam moved by {path}")
        self.wait_place(slider, (moved[0] + s0[0] - b0[0], moved[1] + s0[1] - b0[1]),
                        "the slider at its old offset from the beam")

    def test_drag_moves_the_beam_by_exactly_the_pointer_s_path_and_the_slider_rides_along(self):
        beam, slider = self.show(HORIZONTAL)
        vbeam, vslider = self.show(VERTICAL)
        self.wait_slider_on_beam(HORIZONTAL, beam, slider)
        self.wait_slider_on_beam(VERTICAL, vbeam, vslider)
        self.drag_and_check(HORIZONTAL, beam, slider, (137, 59))
        self.drag_and_check(HORIZONTAL, beam, slider, (-61, -23))
        self.drag_and_check(VERTICAL, vbeam, vslider, (311, -17))

    def test_drag_follows_the_whole_path_when_the_program_takes_the_press_late(self):
        # The beam moves from where the button went down, not from where the pointer happens to
        # be when the program gets round to the press.
        beam, slider = self.show(HORIZONTAL)
        self.wait_slider_on_beam(HORIZONTAL, beam, slider)
        self.drag_and_check(HORIZONTAL, beam, slider, (90, 40), hold=0.0, late=True)

    def test_first_click_on_the_panel_after_each_drag_reaches_it(self):
        # Placing the caliper and then choosing a unit is the usual way to use it. A click lost
        # only now and then is lost all the same, hence several rounds.
        beam, slider = self.show(HORIZONTAL)
        self.wait_slider_on_beam(HORIZONTAL, beam, slider)
        for i, (point, unit) in enumerate([(PIXEL, "pic"), (ZOLL, "zoll")] * 3):
            self.drag_and_check(HORIZONTAL, beam, slider, (40, 30) if i % 2 == 0 else (-40, -30))
            self.click_panel(point)
            self.wait_title(slider, f"0.00 {unit}")


class ClickThrough(CaliperRun):
    """Click cases: the beam is put over the control panel, white over one of its buttons and
    solid over another."""

    def check_click_through(self, caliper):
        d = self.display
        beam, slider = self.show(caliper)
        target = self.panel_point(caliper.place)
        d.tool("xdotool", "windowmove", str(beam), str(target[0]), str(target[1]), check=True)
        self.wait_place(beam, target, "the beam over the panel")
        self.wait_slider_on_beam(caliper, beam, slider)

        # White of beam and slider: the panel's unit button below takes the click. (Proven by
        # the click's effect: a screenshot would show the white as black, see the top.)
        self.click_panel(caliper.white)
        self.wait_title(slider, f"0.00 {caliper.white_unit}")

        # Solid beam over the panel's own button of this caliper: the beam takes the press. A
        # press there followed by a small move drags the beam, which it could not do had the
        # press gone to the panel (the X server gives a press to one window only); and the
        # caliper stays shown.
        x, y = self.panel_point(caliper.solid)
        d.drag(x, y, x + 6, y + 4, steps=2, hold=PRESS_BEFORE_MOVE)
        self.wait_place(beam, (target[0] + 6, target[1] + 4), "the beam dragged from its solid part")
        self.assertTrue(d.is_viewable(beam) and d.is_viewable(slider),
                        "a press on the solid beam reached the panel's button below and hid the "
                        "caliper")

    def test_horizontal_beam_passes_clicks_on_white_only(self):
        self.check_click_through(HORIZONTAL)

    def test_vertical_beam_passes_clicks_on_white_only(self):
        self.check_click_through(VERTICAL)


class ShapedUnderOpenbox(Dragging, ClickThrough, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.display = harness.Display(wm=True).start()

    @classmethod
    def tearDownClass(cls):
        cls.display.close()

    def caliper_states(self, windows):
        return {name: (wid, self.display.is_viewable(wid), self.place(wid),
                       ABOVE in self.display.wm_state(wid))
                for name, wid in windows.items()}

    def test_keep_on_top_option_moves_the_windows_out_of_and_into_the_top_layer_in_place(self):
        d = self.display
        windows = dict(zip(("Form1", "Form2"), self.show(HORIZONTAL)))
        for name, wid in windows.items():
            harness.wait_value(lambda: d.wm_state(wid), lambda s: ABOVE in s, STEP_TIMEOUT,
                               f"{name} to be kept on top at start")
        before = self.caliper_states(windows)

        # Open the calibration view, where the option is.
        rect = (*self.panel_point(CHECK5_RECT[:2]), *CHECK5_RECT[2:])
        banner = d.screenshot(*rect).rgb
        self.click_panel(CHECK4)
        d.wait_pixels(lambda im: im.rgb != banner, rect=rect, timeout=STEP_TIMEOUT,
                      what="the calibration view to be shown")
        harness.wait_settled(lambda: d.screenshot(*rect).rgb, STEP_TIMEOUT,
                             "the calibration view to be painted")

        self.click_panel(CHECK5)
        harness.wait_value(lambda: self.caliper_states(windows),
                           lambda s: not any(above for _, _, _, above in s.values()),
                           STEP_TIMEOUT, "the shown caliper to leave the top layer")
        # Each window is also activated; the next click must not meet a late focus change.
        harness.wait_settled(d.active_window, STEP_TIMEOUT, "the focus to settle")
        after = self.caliper_states(windows)
        self.assertEqual({n: s[:3] for n, s in after.items()},
                         {n: s[:3] for n, s in before.items()},
                         "unticking changed a window's id, mapping or place")

        # The hidden caliper was taken out as well: it comes up outside the top layer.
        windows.update(zip(("Form31", "Form42"), self.show(VERTICAL)))
        for name in ("Form31", "Form42"):
            self.assertNotIn(ABOVE, d.wm_state(windows[name]),
                             f"{name}, hidden while the option was unticked, came up on top")
        before = self.caliper_states(windows)

        self.click_panel(CHECK5)
        harness.wait_value(lambda: self.caliper_states(windows),
                           lambda s: all(above for _, _, _, above in s.values()),
                           STEP_TIMEOUT, "all four caliper windows to be on top again")
        after = self.caliper_states(windows)
        self.assertEqual({n: s[:3] for n, s in after.items()},
                         {n: s[:3] for n, s in before.items()},
                         "ticking changed a window's id, mapping or place")

    def test_beams_show_their_measuring_edges_and_bar_colours_and_the_jaws_touch_at_zero(self):
        # Only pixels inside the shapes are looked at: under Xvfb the rest of a window's box shows
        # black, whatever lies below it.
        d = self.display
        beam, slider = self.show(HORIZONTAL)
        self.wait_slider_on_beam(HORIZONTAL, beam, slider)
        g = d.geometry(beam)

        def horizontal_problems(image):
            column, rows, colour = MEASURING_EDGE
            wrong = [f"({column}, {r}): {image.pixel(column, r)}" for r in rows
                     if image.pixel(column, r) != colour]
            # The slider's measuring edge is the next column, one slider row lower.
            wrong += [f"({column + 1}, {r}): {image.pixel(column + 1, r)}" for r in rows
                      if image.pixel(column + 1, r) != SLIDER_EDGE]
            wrong += [f"({x}, {r}): {image.pixel(x, r)}, expected {want}"
                      for x in BAR_COLUMNS for r, want in enumerate(BAR_ROWS)
                      if image.pixel(x, r) != want]
            return wrong

        self.wait_for_colours(horizontal_problems, (g.x, g.y, g.width, g.height),
                              "the horizontal beam")

        self.click_panel(HORIZONTAL.panel_button)  # hidden again: its box would cover the other
        d.wait_window_gone(beam)
        vbeam, vslider = self.show(VERTICAL)
        self.wait_slider_on_beam(VERTICAL, vbeam, vslider)
        g = d.geometry(vbeam)

        def vertical_problems(image):
            row, columns, colour = VERTICAL_EDGE
            wrong = [f"({c}, {row}): {image.pixel(c, row)}" for c in columns
                     if image.pixel(c, row) != colour]
            wrong += [f"({c}, {row + 1}): {image.pixel(c, row + 1)}" for c in columns
                      if image.pixel(c, row + 1) != SLIDER_EDGE]
            return wrong

        self.wait_for_colours(vertical_problems, (g.x, g.y, g.width, g.height),
                              "the vertical beam")

    def wait_for_colours(self, problems, rect, what):
        found = []

        def right(image):
            found[:] = problems(image)
            return not found

        try:
            self.display.wait_pixels(right, rect=rect, timeout=STEP_TIMEOUT,
                                     what=f"{what} to show its colours")
        except TimeoutError as e:
            self.fail(f"{e}: {len(found)} pixels wrong, first: {found[:5]}")


class ShapedWithoutWindowManager(Dragging, ClickThrough, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.display = harness.Display(wm=False).start()

    @classmethod
    def tearDownClass(cls):
        cls.display.close()


if __name__ == "__main__":
    harness.run_tests()
