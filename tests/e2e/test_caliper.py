#!/usr/bin/env python3
"""The two calipers on a real display under openbox, driven through the control panel and the
sliders' own buttons: showing and hiding, the slider's place on its beam, nudging one pixel and
repeating while a button is held, the reading in the slider's window title and on the slider
itself, the nudge buttons' tooltips, the slider following its beam through a drag, and the close
spot; the keyboard and the clipboard on a slider, and the help button handing its page to the
desktop's opener."""

import os
import subprocess
import sys
import tempfile
import time
import unittest
from dataclasses import dataclass

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

PANEL_TITLE = "Kalibrix"
# Client-area points of the control panel: the two caliper buttons and the five unit buttons.
CHECK1 = (44, 48)
CHECK2 = (44, 128)
BUTTON_SIZE = (58, 66)  # both caliper buttons; their top-left corners are (16, 16) and (16, 96)
UNIT_BUTTONS = {"cm": (132, 56), "pic": (132, 80), "zoll": (132, 104), "twi": (132, 128),
                "pkt": (132, 152)}
HELP_BUTTON = (164, 28)  # the question mark
TWIPS_PER_UNIT = {"cm": 567, "pic": 15, "zoll": 1440, "twi": 1, "pkt": 20}
# Stands in for the desktop's opener: notes each document it is handed, one a line.
RECORDING_OPENER = """#!/bin/sh
printf '%s\\n' "$1" >> "$KALIBRIX_OPENED"
"""
TWIPS_PER_PIXEL = 15
STEP_TIMEOUT = 10.0  # generous: the machine running the tests may be busy
# Held this long, " - " repeats at 150 and 300 ms and adds one step on release: three pixels.
# The repeat runs on real timers, so one step more or less is accepted.
HOLD_SECONDS = 0.4
HOLD_STEPS = range(2, 5)
DRAG_STEPS = 20
# A user holds the button still for a moment before dragging.
PRESS_BEFORE_MOVE = 0.1
# Bursts of clicks 1 ms apart on a panel's caliper button, even and odd, so that either state ends one.
RAPID_BURSTS = (200, 201) * 3
AWAY = (1000, 700)  # a pointer position over no window, so that no button looks hovered


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
    drag: tuple  # how far the test drags the beam: keeps it on screen and off the panel


HORIZONTAL = Caliper(name="horizontal", panel_button=CHECK1, beam_title="Form1", beam_size=(508, 165),
                     slider_size=(100, 165), zero_offset=(28, -1), axis=(1, 0), plus=(85, 14),
                     minus=(16, 14), close_spot=(497, 17), grip=(300, 12), drag=(100, 300))
VERTICAL = Caliper(name="vertical", panel_button=CHECK2, beam_title="Form3", beam_size=(165, 428),
                   slider_size=(167, 428), zero_offset=(-1, 28), axis=(0, 1), plus=(152, 86),
                   minus=(152, 14), close_spot=(145, 421), grip=(150, 300), drag=(700, 30))


def reading(pixels, unit):
    """The reading of a slider `pixels` screen pixels from its zero point, as its title shows it."""
    return f"{pixels * TWIPS_PER_PIXEL / TWIPS_PER_UNIT[unit]:.2f} {unit}"


class Calipers(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.display = harness.Display(wm=True).start()
        tools = os.path.join(cls.display.tmp, "opener")
        os.makedirs(tools)
        opener = os.path.join(tools, "xdg-open")
        with open(opener, "w") as f:
            f.write(RECORDING_OPENER)
        os.chmod(opener, 0o755)
        cls.opened_log = os.path.join(cls.display.tmp, "opened.txt")
        cls.opener_env = {"PATH": tools + os.pathsep + os.environ.get("PATH", ""),
                          "KALIBRIX_OPENED": cls.opened_log}

    @classmethod
    def tearDownClass(cls):
        cls.display.close()

    def setUp(self):
        self.display.reset_config()
        self.program = self.display.launch(env=self.opener_env)
        self.panel = self.display.wait_window(PANEL_TITLE, program=self.program)
        self.origin = self.display.geometry(self.panel)

    def tearDown(self):
        self.display.close_window(self.panel)
        self.assertEqual(self.program.wait(), 0, self.program.describe())

    # Helpers ---------------------------------------------------------------------------------

    def click_panel(self, point, **kwargs):
        self.display.click(self.origin.x + point[0], self.origin.y + point[1], **kwargs)

    def click_in(self, wid, point, **kwargs):
        g = self.display.geometry(wid)
        self.display.click(g.x + point[0], g.y + point[1], **kwargs)

    def button_rect(self, caliper):
        x, y = caliper.panel_button[0] - 28, caliper.panel_button[1] - 32
        return (self.origin.x + x, self.origin.y + y, *BUTTON_SIZE)

    def button_look(self, caliper):
        return self.display.screenshot(*self.button_rect(caliper)).rgb

    def mapped_window(self, size, what):
        """The program's mapped window with this client size."""
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

    def wait_title(self, wid, title, what="the slider's title"):
        return harness.wait_value(lambda: self.display.window_name(wid), lambda t: t == title,
                                  STEP_TIMEOUT, f"{what} to read {title!r}")

    def steps_from_zero(self, caliper, beam, slider):
        """How many pixels the slider stands from its zero point on the beam, along its axis."""
        (bx, by), (sx, sy) = self.place(beam), self.place(slider)
        dx, dy = sx - bx - caliper.zero_offset[0], sy - by - caliper.zero_offset[1]
        along, across = (dx, dy) if caliper.axis == (1, 0) else (dy, dx)
        self.assertEqual(across, 0, "the slider has left its beam's line")
        return along

    def settled_reading(self, caliper, beam, slider, unit):
        """Waits until the slider's place and title stay put and agree; returns the steps."""
        def state():
            return self.steps_from_zero(caliper, beam, slider), self.display.window_name(slider)

        harness.wait_value(state, lambda s: s[1] == reading(s[0], unit), STEP_TIMEOUT,
                           "the slider's title to match its place")
        steps, title = harness.wait_settled(state, STEP_TIMEOUT, "the slider to come to rest")
        self.assertEqual(title, reading(steps, unit))
        return steps

    def drag_beam(self, caliper, beam, slider):
        """Drags the beam by its bar in DRAG_STEPS pointer moves; after each move the beam must
        stand exactly where the pointer took it and the slider at the same offset as before."""
        d = self.display
        bx, by = self.place(beam)
        sx, sy = self.place(slider)
        offset = (sx - bx, sy - by)
        x0, y0 = bx + caliper.grip[0], by + caliper.grip[1]
        dx, dy = caliper.drag
        d.press(x0, y0)
        try:
            time.sleep(PRESS_BEFORE_MOVE)
            for i in range(1, DRAG_STEPS + 1):
                step = (round(dx * i / DRAG_STEPS), round(dy * i / DRAG_STEPS))
                d.move_mouse(x0 + step[0], y0 + step[1])
                beam_at = self.wait_place(beam, (bx + step[0], by + step[1]),
                                          f"the beam after drag step {i}")
                self.wait_place(slider, (beam_at[0] + offset[0], beam_at[1] + offset[1]),
                                f"the slider at its offset {offset} after drag step {i}")
        finally:
            d.release()
        return offset

    def readout_picture(self, caliper, text):
        """The slider's readout box as the program draws `text` into it: its place on the slider
        and its pixels."""
        out = subprocess.run([os.environ["KALIBRIX_READOUT_PICTURE"], caliper.name, text],
                             env=self.display.env, stdin=subprocess.DEVNULL, capture_output=True,
                             check=True, timeout=60).stdout
        _magic, place, size, _maxval, pixels = out.split(b"\n", 4)
        width, height = map(int, size.split())
        return tuple(map(int, place[1:].split())), harness.Image(width, height, pixels)

    def wait_tooltip(self, slider, point):
        """Hovers over a point of the slider until a tooltip window of the program is mapped."""
        d = self.display
        before = set(d.window_ids(pid=self.program.pid))
        g = d.geometry(slider)
        d.move_mouse(g.x + point[0] - 1, g.y + point[1])
        d.move_mouse(g.x + point[0], g.y + point[1])
        harness.wait_until(lambda: set(d.window_ids(pid=self.program.pid)) - before, STEP_TIMEOUT,
                           "a tooltip to show")

    # Cases -----------------------------------------------------------------------------------

    def check_caliper(self, caliper):
        d = self.display
        d.wait_pixels(lambda im: len(im.colors()) > 2, rect=self.button_rect(caliper),
                      what="the panel's caliper button to be painted")
        raised = harness.wait_settled(lambda: self.button_look(caliper), STEP_TIMEOUT,
                                      "the panel's caliper button to settle")

        # Shown by the panel's button, the slider at the zero point of its beam.
        beam, slider = self.show(caliper)
        self.assertEqual(d.window_name(beam), caliper.beam_title)
        harness.wait_value(lambda: self.button_look(caliper), lambda look: look != raised,
                           STEP_TIMEOUT, "the panel's caliper button to look pressed")
        bx, by = self.place(beam)
        zero = (bx + caliper.zero_offset[0], by + caliper.zero_offset[1])
        self.wait_place(slider, zero, "the slider at its zero point")
        self.wait_title(slider, "0.00 cm")

        # One click on "+": one pixel away from the fixed jaw; 15 twips read 0.03 cm.
        self.click_in(slider, caliper.plus)
        self.wait_place(slider, (zero[0] + caliper.axis[0], zero[1] + caliper.axis[1]),
                        "the slider one pixel further")
        self.wait_title(slider, "0.03 cm")

        # The unit changes the reading, not the place.
        self.click_panel(UNIT_BUTTONS["pic"])
        self.wait_title(slider, "1.00 pic")
        self.assertEqual(self.steps_from_zero(caliper, beam, slider), 1)

        # " - " held: repeats while held, one more step on release.
        self.click_in(slider, caliper.minus, hold=HOLD_SECONDS)
        steps = self.settled_reading(caliper, beam, slider, "pic")
        self.assertIn(1 - steps, HOLD_STEPS,
                      f"holding ' - ' for {HOLD_SECONDS * 1000:.0f} ms moved the slider "
                      f"{1 - steps} pixels toward the fixed jaw")

        self.click_panel(UNIT_BUTTONS["zoll"])
        self.wait_title(slider, reading(steps, "zoll"))

        # The slider rides along while the beam is dragged.
        offset = self.drag_beam(caliper, beam, slider)
        self.assertEqual(self.steps_from_zero(caliper, beam, slider), steps)

        # "Ende" hides both windows, raises the panel's button and selects "Pixel".
        beam_at = self.place(beam)
        self.click_in(beam, caliper.close_spot)
        for wid, what in ((beam, "beam"), (slider, "slider")):
            harness.wait_until(lambda: not d.is_viewable(wid), STEP_TIMEOUT,
                               f"the {what} to be unmapped by 'Ende'")
        harness.wait_value(lambda: self.button_look(caliper), lambda look: look == raised,
                           STEP_TIMEOUT, "the panel's caliper button to look raised again")
        self.wait_title(slider, reading(steps, "pic"))

        # The panel's button is unticked, so one click shows both again where they were.
        self.click_panel(caliper.panel_button)
        harness.wait_until(lambda: d.is_viewable(beam) and d.is_viewable(slider), STEP_TIMEOUT,
                           "the caliper to be shown again")
        self.assertEqual(self.place(beam), beam_at)
        self.wait_place(slider, (beam_at[0] + offset[0], beam_at[1] + offset[1]),
                        "the slider where it was on its beam")
        self.assertEqual(d.window_name(slider), reading(steps, "pic"))

    def test_horizontal_caliper(self):
        self.check_caliper(HORIZONTAL)

    def test_vertical_caliper(self):
        self.check_caliper(VERTICAL)

    def test_keys_on_the_slider_and_copy(self):
        d = self.display
        beam, slider = self.show(HORIZONTAL)
        self.click_panel(UNIT_BUTTONS["pic"])
        self.wait_title(slider, "0.00 pic")
        # A press on the beam hands the keyboard to the slider.
        self.click_in(beam, HORIZONTAL.grip)
        harness.wait_value(d.active_window, lambda wid: wid == slider, STEP_TIMEOUT,
                           "the slider to have the keyboard focus")
        d.key("Right", "Right", "Right")
        self.wait_title(slider, "3.00 pic")
        harness.wait_value(lambda: self.steps_from_zero(HORIZONTAL, beam, slider), lambda n: n == 3,
                           STEP_TIMEOUT, "the slider three pixels from its zero point")
        d.key("ctrl+c")
        harness.wait_value(lambda: d.tool("xclip", "-o", "-selection", "clipboard", timeout=10),
                           lambda text: text == "3.00 pic", STEP_TIMEOUT,
                           "the clipboard to hold the reading")

    def test_help_button_hands_an_existing_page_to_the_opener(self):
        if os.path.exists(self.opened_log):
            os.remove(self.opened_log)
        self.click_panel(HELP_BUTTON)

        def opened():
            try:
                with open(self.opened_log, encoding="utf-8") as f:
                    return f.read().splitlines()
            except OSError:
                return []

        documents = harness.wait_value(opened, bool, STEP_TIMEOUT, "the opener to be called")
        self.assertEqual(len(documents), 1, documents)
        self.assertTrue(documents[0].endswith("/index.html") and os.path.isfile(documents[0]),
                        documents[0])

    def test_each_slider_reads_its_own_axis(self):
        horizontal = self.show(HORIZONTAL)[1]
        vertical = self.show(VERTICAL)[1]
        self.click_in(horizontal, HORIZONTAL.plus)
        self.click_panel(UNIT_BUTTONS["pic"])
        self.wait_title(horizontal, "1.00 pic", "the horizontal slider's title")
        self.wait_title(vertical, "0.00 pic", "the vertical slider's title")
        for _ in range(2):
            self.click_in(vertical, VERTICAL.plus)
        self.wait_title(vertical, "2.00 pic", "the vertical slider's title")
        self.assertEqual(self.display.window_name(horizontal), "1.00 pic")

    def test_readouts_show_the_whole_reading(self):
        """Ten ' - ' in Pixel: each slider shows "-10.00 pic" exactly as the program's own font rule
        draws it into the readout box. The nudge buttons' tooltips show while the panel is the
        active window."""
        d = self.display
        self.click_panel(UNIT_BUTTONS["pic"])
        for caliper in (HORIZONTAL, VERTICAL):
            slider = self.show(caliper)[1]
            d.tool("xdotool", "windowactivate", "--sync", str(self.panel), check=True)
            self.wait_tooltip(slider, caliper.plus)
            self.assertEqual(d.active_window(), self.panel)
            for _ in range(10):
                self.click_in(slider, caliper.minus)
            self.wait_title(slider, "-10.00 pic")
            (x, y), drawn = self.readout_picture(caliper, "-10.00 pic")
            # The sleeve under the box is dark blue; only the light yellow text has much red.
            self.assertTrue(max(drawn.rgb[0::3]) > 0xA0, "no reading in the drawn box")

            def on_screen():
                g = d.geometry(slider)
                return d.screenshot(g.x + x, g.y + y, drawn.width, drawn.height)

            try:
                harness.wait_until(lambda: on_screen().rgb == drawn.rgb, STEP_TIMEOUT,
                                   f"the {caliper.name} readout to show '-10.00 pic' as drawn")
            except TimeoutError:
                folder = tempfile.mkdtemp(prefix="kalibrix-readout-")
                drawn.save_png(os.path.join(folder, "drawn.png"))
                on_screen().save_png(os.path.join(folder, "screen.png"))
                raise AssertionError(f"the {caliper.name} readout differs from the drawn one: "
                                     f"see {folder}") from None

    def test_rapid_clicks_keep_beam_slider_and_button_together(self):
        d = self.display
        d.move_mouse(*AWAY)
        looks = [harness.wait_settled(lambda: self.button_look(HORIZONTAL), STEP_TIMEOUT,
                                      "the panel's caliper button to settle")]
        self.show(HORIZONTAL)
        d.move_mouse(*AWAY)
        looks.append(harness.wait_settled(lambda: self.button_look(HORIZONTAL), STEP_TIMEOUT,
                                          "the panel's caliper button to settle"))

        def state():
            # Qt makes new X windows when it shows a window whose keep-on-top state has changed.
            shown = {}
            for wid in d.window_ids(pid=self.program.pid):
                name = d.window_name(wid)
                if name == HORIZONTAL.beam_title or name.endswith(" cm"):
                    shown[name == HORIZONTAL.beam_title] = "_NET_WM_STATE_ABOVE" in d.wm_state(wid)
            # The button is pressed if it looks nearer to pressed than to raised.
            look = self.button_look(HORIZONTAL)
            raised, down = (sum(a != b for a, b in zip(look, ref)) for ref in looks)
            return shown.get(True), shown.get(False), down < raised

        x, y = self.origin.x + CHECK1[0], self.origin.y + CHECK1[1]
        for i, clicks in enumerate(RAPID_BURSTS):
            d.tool(*map(str, ("xdotool", "mousemove", x, y, "click", "--repeat", clicks,
                              "--delay", 1, 1, "mousemove", *AWAY)), check=True)
            time.sleep(0.5)  # the window manager's part of the last clicks
            beam, slider, pressed = harness.wait_settled(
                state, STEP_TIMEOUT, "the caliper to come to rest", polls=4, interval=0.1)
            what = f"after {clicks} clicks (burst {i + 1}), the panel's button pressed: {pressed}"
            # None: not shown; False: shown, but not on top.
            self.assertEqual(beam, True if pressed else None, f"the beam {what}")
            self.assertEqual(slider, True if pressed else None, f"the slider {what}")


if __name__ == "__main__":
    harness.run_tests()
